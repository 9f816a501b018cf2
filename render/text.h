// Bitmap text: the 9 x 12 font sheet in two styles, the level-and-tint colour table, and the routines
// that draw a glyph or a string, transparent and clipped or opaque inside the page band.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

constexpr int font_sheet_width = 2048;
constexpr int font_sheet_height = 28;
constexpr int glyph_width = 9;
constexpr int glyph_height = 12;
constexpr int tint_count = 31;
constexpr int band_top = 193;     // first framebuffer row of the page band
constexpr int band_bottom = 569;  // last framebuffer row of the page band

struct text_state_t {
    // The sheet's levels widened to 32 bits, row-major.
    std::array<uint32_t, font_sheet_width * font_sheet_height> sheet{};
    // Entry level * 31 + tint: 0x00RRGGBB; tint 31 and index 0 stay black.
    std::array<uint32_t, 256 * tint_count + 1> colours{};
};
extern text_state_t text_state;

// Widens the compiled-in font sheet and fills tints 1 to 30 of the colour table. Called once at
// start-up before any text is drawn.
void build_glyph_colours();
// The same from a given sheet (2048 x 28 level bytes) and palette (256 x RGB bytes).
void build_glyph_colours_from(const uint8_t* sheet_levels, const uint8_t* palette);

// Draws the first character of text at (x, y), transparent (level 0 is not drawn), clipped to
// columns left..right and rows top..bottom (inclusive). Style 1 or 2, tint 1 to 31.
void draw_glyph_clipped(std::string_view text, int32_t x, int32_t y, int32_t left, int32_t right, int32_t top,
                        int32_t bottom, int32_t style, int32_t tint);
// Draws every character of text with draw_glyph_clipped, the n-th at x + 9n.
void draw_text_clipped(std::string_view text, int32_t x, int32_t y, int32_t left, int32_t right, int32_t top,
                       int32_t bottom, int32_t style, int32_t tint);
// Draws the first character of text at (x, y) opaque (all 9 x 12 cells, level 0 included), only on
// framebuffer rows 193 to 569. The space draws nothing. Callers keep x within 0..791.
void draw_glyph_band(std::string_view text, int32_t x, int32_t y, int32_t style, int32_t tint);
