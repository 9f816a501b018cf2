// Text font compiler: checks the glyph source design and turns it into the level sheet and its palette.
#pragma once
#include <string>
#include <string_view>
#include <vector>

constexpr int fontc_sheet_width = 2048;
constexpr int fontc_sheet_height = 28;
constexpr int fontc_cell_width = 9;
constexpr int fontc_cell_height = 12;
constexpr int fontc_style2_row = 14; // first sheet row of the heading face
constexpr int fontc_palette_bytes = 768;
constexpr int fontc_data_size = fontc_sheet_width * fontc_sheet_height + fontc_palette_bytes;

// Compiles a whole source text; on success fills data (fontc_data_size bytes: sheet, then palette) and
// returns true; otherwise returns false with error set to "<name>:<line>: <what is wrong>".
bool fontc_compile(std::string_view source, std::string_view name, std::vector<unsigned char>& data,
                   std::string& error);

// Reads and compiles the source file at path for the compiler and the preview; on failure prints
// "<tool>: cannot read <path>" or the compile error and returns false.
bool fontc_compile_file(const char* path, const char* tool_name, std::vector<unsigned char>& data);

// Renders compiled data as the C++ source that defines text_font_data; called by the build step.
std::string fontc_emit_cpp(const std::vector<unsigned char>& data, std::string_view source_name);
