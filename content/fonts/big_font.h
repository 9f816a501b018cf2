// The intro's big font: the 1888 x 32 sheet of palette indices followed by its 256-entry palette.
#pragma once

constexpr int big_font_sheet_width = 1888, big_font_sheet_height = 32;

// Sheet row-major (glyph of code c, 32 to 90, at columns 32 * c - 1024 to 32 * c - 993, all rows), then
// 256 palette entries of red, green, blue; a cell is ink where its palette entry is not black.
// Read once by build_big_font at start-up.
extern const unsigned char big_font_data[1888 * 32 + 768];
