// The command line: a window instead of full screen, a page as text, help and version.
#pragma once
#include <cstdio>
#include <string>

struct kestravon_options {
    int windowed = 0;   // --window: an 800 x 600 window instead of full screen
    int text_page = 0;  // --text N: page N (1..20) as text; -1: --text all; 0: run the magazine
    bool help = false;
    bool version = false;
};

// Reads argv[1..argc-1]. True when every argument was understood; else error holds the one-line reason.
bool parse_options(int argc, const char* const* argv, kestravon_options& options, std::string& error);
// Writes the usage, the options and the keys.
void print_help(std::FILE* out);
// Writes the program's name, issue and version.
void print_version(std::FILE* out);
// Writes page N, or every page with a heading line each when page is -1, from the filled page tables.
void print_pages(int page, std::FILE* out);
