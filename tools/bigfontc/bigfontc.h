// Big font compiler: checks the intro font's block design and turns it into its sheet and palette.
#pragma once
#include <string>
#include <string_view>
#include <vector>

constexpr int bigfontc_first_code = 32;  // space
constexpr int bigfontc_last_code = 90;   // Z
constexpr int bigfontc_glyph_size = 32;  // pixels per side
constexpr int bigfontc_blocks = 8;       // blocks per side in the source; each is 4 x 4 pixels
constexpr int bigfontc_sheet_width = (bigfontc_last_code - bigfontc_first_code + 1) * bigfontc_glyph_size;
constexpr int bigfontc_sheet_height = bigfontc_glyph_size;
constexpr int bigfontc_palette_bytes = 768;
constexpr int bigfontc_data_size = bigfontc_sheet_width * bigfontc_sheet_height + bigfontc_palette_bytes;

// Compiles a whole source text; on success fills data (bigfontc_data_size bytes: the sheet of palette
// indices row-major, then the palette) and returns true; otherwise returns false with error set to
// "<name>:<line>: <what is wrong>".
bool bigfontc_compile(std::string_view source, std::string_view name, std::vector<unsigned char>& data,
                      std::string& error);

// Renders compiled data as the C++ source that defines big_font_data; called by the build step.
std::string bigfontc_emit_cpp(const std::vector<unsigned char>& data, std::string_view source_name);
