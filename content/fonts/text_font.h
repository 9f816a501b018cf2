// The magazine's text font: the 9 x 12 glyph sheet of level bytes followed by its 256-entry palette.
#pragma once

// Size of the glyph sheet in level bytes: 224 cells of 9 columns (codes 32..255) by two faces of 12 rows.
constexpr int text_font_sheet_width = 2048, text_font_sheet_height = 28;

// Sheet row-major (2048 x 28 level bytes; glyph of code c at column (c - 32) * 9 + 1, rows 0..11 for
// style 1 and 14..25 for style 2), then 256 palette entries of red, green, blue. Read at start-up.
extern const unsigned char text_font_data[2048 * 28 + 768];
