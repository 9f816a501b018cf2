// The content store: the four page tables filled at start-up, and the open-page arrays that load_page
// unpacks one page into for the page viewer.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "content/pages/page_data.h"
#include "shell/magazine/shell_state.h"

constexpr int page_columns = 80;  // text columns 1..80; column 0 exists and stays empty

// One cell of each of the four page tables for one line of one page.
struct page_table_line {
    std::string_view text;        // printable ASCII; only characters 1 to 80 are ever shown
    std::string_view colour_map;  // character k names the tint of column k
    std::string_view style_map;   // character k is '1' or '2'
    std::string_view rule_code;   // "0" none, "1" to "8" a bar line of that style
};

struct content_store_t {
    // Page tables [page 0..20][line]: a page's filled lines in order; every line past them is empty.
    // The views point into the compiled-in page data, which lives for the whole run.
    std::vector<std::vector<page_table_line>> pages;
    // Open-page arrays, [line 0..5000][column 0..80] flattened: 0 in view_char means an empty cell.
    std::vector<char> view_char;
    std::vector<uint8_t> view_tint;   // 1 to 31
    std::vector<uint8_t> view_style;  // 1 or 2; 0 in column 0 and past the style map
    std::vector<char> view_rule;      // [line]: the rule code character, 0 when the code is empty
};
extern content_store_t content_store;

// Empties the page tables and creates the open-page arrays. Start-up, before filling.
void create_content_tables();
// Fills the page tables from pages[1..20], page by page in line order; lines past index 5000 are not
// kept. Start-up only.
void fill_page_tables(const page_source* pages);
// The table cell of line n of page p (an empty line where nothing was filled).
const page_table_line& page_table_cell(int32_t n, int32_t page);

// Unpacks page 1..20 into the open-page arrays, sets end_line from its "<END>" line (4999 without one)
// and resets top_line and fine_offset. At start-up and while a page change has wiped the screen.
void load_page(int32_t page);

// Tint 1..31 named by a colour-map character; 1 for anything outside "1"-"9", "A"-"V".
int32_t tint_of_colour_char(char c);

// Open-page array accessors; n is 0..5000, k is 0..80.
inline char& view_char(int32_t n, int32_t k) {
    return content_store.view_char[static_cast<size_t>(n) * (page_columns + 1) + static_cast<size_t>(k)];
}
inline uint8_t& view_tint(int32_t n, int32_t k) {
    return content_store.view_tint[static_cast<size_t>(n) * (page_columns + 1) + static_cast<size_t>(k)];
}
inline uint8_t& view_style(int32_t n, int32_t k) {
    return content_store.view_style[static_cast<size_t>(n) * (page_columns + 1) + static_cast<size_t>(k)];
}
inline char& view_rule(int32_t n) { return content_store.view_rule[static_cast<size_t>(n)]; }
// Numeric value of line n's rule code: the bar style to draw, 0 for none.
int32_t view_rule_style(int32_t n);
