// Bitmap text: colour table building and the glyph routines.
#include "render/text.h"

#include <cmath>

#include "content/fonts/text_font.h"
#include "render/framebuffer.h"

text_state_t text_state;

namespace {

// Row of the sheet where a style's cells begin; -1 for an unknown style.
int style_row_base(int32_t style) { return style == 1 ? 0 : style == 2 ? 14 : -1; }

bool tint_ok(int32_t tint) { return tint >= 1 && tint <= tint_count; }

uint32_t nearest(double v) { return static_cast<uint32_t>(std::nearbyint(v)); }  // halves to even

}  // namespace

void build_glyph_colours() {
    build_glyph_colours_from(text_font_data, text_font_data + font_sheet_width * font_sheet_height);
}

void build_glyph_colours_from(const uint8_t* sheet_levels, const uint8_t* palette) {
    for (size_t i = 0; i < text_state.sheet.size(); ++i) text_state.sheet[i] = sheet_levels[i];
    text_state.colours.fill(0);
    static constexpr double divisors[3] = {1.0, 1.5, 2.0};
    for (uint32_t level = 0; level < 256; ++level) {
        const double r = palette[level * 3], g = palette[level * 3 + 1], b = palette[level * 3 + 2];
        for (int tint = 1; tint <= 30; ++tint) {
            const int group = (tint - 1) / 3;
            const double d = divisors[(tint - 1) % 3];
            const uint32_t fr = static_cast<uint32_t>(std::floor(r / d));
            const uint32_t fg = static_cast<uint32_t>(std::floor(g / d));
            const uint32_t fb = static_cast<uint32_t>(std::floor(b / d));
            uint32_t cr = 0, cg = 0, cb = 0;
            switch (group) {
            case 0: cr = fr, cg = fg, cb = fb; break;
            case 1: cr = fr; break;
            case 2: cg = fg; break;
            case 3: cb = fb; break;
            case 4: cr = fr, cg = fg; break;
            case 5: cg = fg, cb = fb; break;
            case 6: cr = fr, cb = fb; break;
            case 7: cr = fr, cg = nearest(fg * 0.7), cb = nearest(fb * 0.3); break;
            case 8: cr = nearest(fr * 0.3), cg = nearest(fg * 0.7), cb = fb; break;
            default: cr = nearest(fr * 0.7), cg = fg, cb = nearest(fb * 0.7); break;
            }
            text_state.colours[level * tint_count + static_cast<uint32_t>(tint)] = cr * 65536 + cg * 256 + cb;
        }
    }
}

void draw_glyph_clipped(std::string_view text, int32_t x, int32_t y, int32_t left, int32_t right, int32_t top,
                        int32_t bottom, int32_t style, int32_t tint) {
    const int base = style_row_base(style);
    if (text.empty() || base < 0 || !tint_ok(tint)) return;
    const int32_t c = static_cast<unsigned char>(text[0]);
    const int32_t column = (c - 32) * glyph_width + 1;
    if (column <= 0 || column >= font_sheet_width) return;
    for (int32_t r = 0; r < glyph_height; ++r) {
        if (y + r < top || y + r > bottom) continue;
        const uint32_t* cells = &text_state.sheet[static_cast<size_t>(base + r) * font_sheet_width + column];
        for (int32_t k = 0; k < glyph_width; ++k) {
            const uint32_t level = cells[k];
            if (level != 0 && x + k >= left && x + k <= right)
                frame_pixel(x + k, y + r) = text_state.colours[level * tint_count + static_cast<uint32_t>(tint)];
        }
    }
}

void draw_text_clipped(std::string_view text, int32_t x, int32_t y, int32_t left, int32_t right, int32_t top,
                       int32_t bottom, int32_t style, int32_t tint) {
    for (size_t n = 0; n < text.size(); ++n)
        draw_glyph_clipped(text.substr(n, 1), x + glyph_width * static_cast<int32_t>(n), y, left, right, top, bottom,
                           style, tint);
}

void draw_glyph_band(std::string_view text, int32_t x, int32_t y, int32_t style, int32_t tint) {
    const int base = style_row_base(style);
    if (text.empty() || base < 0 || !tint_ok(tint)) return;
    const int32_t c = static_cast<unsigned char>(text[0]);
    if (c - 32 <= 0 || c - 32 >= font_sheet_width) return;
    const int32_t column = (c - 32) * glyph_width + 1;
    const int32_t first = y < band_top ? band_top - y : 0;
    const int32_t last = y + glyph_height - 1 > band_bottom ? band_bottom - y : glyph_height - 1;
    const uint32_t* colours = &text_state.colours[static_cast<uint32_t>(tint)];
    for (int32_t r = first; r <= last; ++r) {
        const uint32_t* cells = &text_state.sheet[static_cast<size_t>(base + r) * font_sheet_width + column];
        // One check per row: the whole 9-pixel run must lie in the frame.
        uint32_t* out = &frame_pixel(x, y + r);
        assert(x + glyph_width <= screen_width && "glyph runs past the row");
        for (int32_t k = 0; k < glyph_width; ++k) out[k] = colours[cells[k] * tint_count];
    }
}
