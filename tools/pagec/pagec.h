// Page compiler: reads the page markup, checks every line, and emits the page tables as C++.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

constexpr int pagec_columns = 80;     // visible text columns and the length of every map
constexpr int pagec_page_count = 20;  // pages 1..20

// One compiled page line: the four cells the magazine fills together.
struct pagec_line {
    std::string text;
    std::string colour_map;
    std::string style_map;
    char rule_code = '0';
};

// One compiled page: its number (from the source's @page line) and its lines in fill order.
struct pagec_page {
    int number = 0;
    std::vector<pagec_line> lines;
};

// True when c names a tint in the colour-map alphabet ('1'..'9', 'A'..'V').
bool pagec_is_colour(char c);

// Checks one line's cells as the magazine will read them; returns "" when fine, else what is wrong.
// Used by the compiler on every line it produces and by the content tests on the built tables.
std::string pagec_check_line(std::string_view text, std::string_view colour_map, std::string_view style_map,
                             std::string_view rule_code);

// Compiles one page source; on failure returns false with error "<name>:<line>: <what is wrong>".
bool pagec_compile(std::string_view source, std::string_view name, pagec_page& page, std::string& error);

// Checks that pages 1..20 are each present exactly once; error names the source that repeats a page.
bool pagec_check_set(const std::vector<pagec_page>& pages, const std::vector<std::string>& names,
                     std::string& error);

// Renders the pages (any order, each page once) as the C++ source defining page_sources.
std::string pagec_emit_cpp(const std::vector<pagec_page>& pages);
