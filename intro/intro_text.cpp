// The intro's text layers: the texts, the big font, the per-frame wave and gradient tables, the nine
// embossed title lines and the sine scroller with its reflection.
//
// Sections: texts - big font - tables - title lines - scroller
#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstddef>

#include "content/fonts/big_font.h"
#include "content/intro/intro_texts.h"
#include "intro/intro.h"
#include "platform/system.h"
#include "render/framebuffer.h"

namespace {

constexpr uint32_t shadow_colour = 0x444444;
constexpr uint32_t highlight_colour = 0xFFFFFF;
constexpr int32_t reflection_floor = 598;  // reflection rows from here down are cut off

uint32_t rgb(int64_t r, int64_t g, int64_t b) {
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

int64_t nearest(double v) { return std::lround(v); }

std::string upper(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

// A paused name piece: the marker, then the name centred in the 24 cells that follow it, so that the
// name alone fills the screen while the scroller waits.
std::string name_piece(const char* name) {
    const std::string n = upper(name);
    const size_t pad = n.size() < 24 ? (24 - n.size()) / 2 : 0;
    std::string piece = "a";
    piece.append(pad, ' ');
    piece += n;
    if (piece.size() < 25) piece.append(25 - piece.size(), ' ');
    return piece;
}

bool ink_plain(int32_t g, int32_t c, int32_t row) {
    const size_t cell = static_cast<size_t>(row) * intro_sheet_width + static_cast<size_t>(g + c);
    return intro_state.big_font_palette[intro_state.big_font_sheet[cell] & 0xFFu] != 0;
}

}  // namespace

// ---- texts ----

void build_intro_texts() {
    for (size_t n = 1; n <= 9; ++n) intro_state.lines[n] = intro_line_texts[n];
    std::string s(intro_scroll_lead, ' ');
    for (size_t i = 0; i < intro_scroll_pieces.size(); ++i) {
        switch (i) {
            case 1: s += name_piece("THE KESTRAVON ISSUE 31"); break;
            case 6: s += "2. TWELVE CLASSIC SID TUNES BY " + upper(intro_composer) + "!    "; break;
            case 8: s += name_piece(interviewed_group_1); break;
            case 10: s += name_piece(interviewed_group_2); break;
            case 17: s += name_piece(intro_composer); break;
            case 19: s += name_piece(intro_programmer); break;
            case 21: s += name_piece(intro_replay_author); break;
            default: s += intro_scroll_pieces[i]; break;
        }
    }
    intro_state.scroll_text = s;
}

// ---- big font ----

void build_big_font() {
    constexpr size_t cells = static_cast<size_t>(big_font_sheet_width) * big_font_sheet_height;
    static_assert(cells == std::tuple_size_v<decltype(intro_state_t::big_font_sheet)>);
    for (size_t i = 0; i < cells; ++i) intro_state.big_font_sheet[i] = big_font_data[i];
    for (size_t e = 0; e < 256; ++e) {
        const unsigned char* p = big_font_data + cells + e * 3;
        intro_state.big_font_palette[e] = rgb(p[0], p[1], p[2]);
    }
    for (int32_t col = 0; col < intro_sheet_width; ++col) {
        uint32_t mask = 0;
        for (int32_t row = 0; row < intro_glyph_size; ++row)
            if (ink_plain(col, 0, row)) mask |= 1u << row;
        intro_state.big_font_ink[static_cast<size_t>(col)] = mask;
    }
}

int32_t big_glyph_column(char ch) {
    const int32_t code = std::toupper(static_cast<unsigned char>(ch));
    const int32_t column = 32 * code - 1024;
    return column >= 0 && column <= intro_sheet_width - 1 ? column : -1;
}

// ---- tables ----

void update_intro_tables() {
    const double p = intro_state.phase;
    constexpr double d = 0.00873055555555556;
    constexpr double e = 0.104766666666667;
    for (size_t i = 0; i <= 800; ++i) {
        // Columns 2k - 1 and 2k share k, so every second column repeats the one before it.
        if (i % 2 == 0 && i > 0) {
            intro_state.wave_upright[i] = intro_state.wave_upright[i - 1];
            intro_state.wave_reflection[i] = intro_state.wave_reflection[i - 1];
            continue;
        }
        const auto k = static_cast<double>((i + 1) / 2);
        const double a = std::sin((k - 2.5 * p) * d * 1.5);
        const double b = std::sin((k - 4.0 * p) * d);
        intro_state.wave_upright[i] = static_cast<int32_t>(nearest(100.0 * a + 73.0 * b + 310.0));
        intro_state.wave_reflection[i] = static_cast<int32_t>(nearest(592.0 - (30.0 * a + 48.0 * b)));
    }
    const auto g = [](double j) { return std::sin(j * e * 0.25); };
    double f = 1.0;
    for (size_t idx = 0; idx <= 630; ++idx) {
        const auto i = static_cast<double>(idx);
        intro_state.line_gradient[idx] = rgb(nearest(90.0 * g(i + p) + 125.0), nearest(90.0 * g(i + 20.0 + p) + 125.0),
                                             nearest(90.0 * g(i + 40.0 + p) + 125.0));
        intro_state.scroller_gradient[idx] = rgb(nearest(100.0 * g(i) + 150.0), nearest(100.0 * g(i + 50.0) + 150.0),
                                                 nearest(100.0 * g(i + 100.0) + 150.0));
        const auto fade = [f](double v) { return static_cast<int64_t>(std::floor(v * f)); };
        intro_state.reflection_gradient[idx] = rgb(fade(50.0 * g(-10.0 - i) + 100.0), fade(50.0 * g(-90.0 - i) + 100.0),
                                                   fade(50.0 * g(-170.0 - i) + 100.0));
        // The reflection darkens over the last rows of the screen.
        if (idx > 520) f = std::max(0.0, f - 0.015);
    }
}

// ---- title lines ----

void draw_intro_lines() {
    for (int32_t n = 1; n <= 9; ++n) draw_centred_line(intro_state.lines[static_cast<size_t>(n)], 33 * n + 60);
}

void draw_centred_line(const std::string& text, int32_t y) {
    int32_t x = 400 - 16 * static_cast<int32_t>(text.size());
    for (char ch : text) {
        const int32_t column = big_glyph_column(ch);
        if (column < 0) continue;
        draw_big_glyph(column, x, y);
        x += 32;
    }
}

// Glyph columns whose frame column x + c lies in lo..hi.
static void glyph_span(int32_t x, int32_t lo, int32_t hi, int32_t& c0, int32_t& c1) {
    c0 = std::max(0, lo - x);
    c1 = std::min(31, hi - x);
}

void draw_big_glyph(int32_t g, int32_t x, int32_t y) {
    int32_t c0 = 0, c1 = 0;
    glyph_span(x, 1, 799, c0, c1);
    const uint32_t* ink = intro_state.big_font_ink.data() + g;
    // The shadow lies one column right: at column 799 it would land in the next row's first pixel.
    for (int32_t c = c0; c <= std::min(c1, 798 - x); ++c)
        for (uint32_t m = ink[c]; m != 0; m &= m - 1)
            frame_pixel(x + c + 1, y + std::countr_zero(m) + 1) = shadow_colour;
    for (int32_t c = c0; c <= c1; ++c)
        for (uint32_t m = ink[c]; m != 0; m &= m - 1)
            frame_pixel(x + c - 1, y + std::countr_zero(m) - 1) = highlight_colour;
    for (int32_t c = c0; c <= c1; ++c)
        for (uint32_t m = ink[c]; m != 0; m &= m - 1) {
            const int32_t r = std::countr_zero(m);
            frame_pixel(x + c, y + r) = intro_state.line_gradient[static_cast<size_t>(y + r)];
        }
}

// ---- scroller ----

void draw_scroller() {
    intro_state_t& s = intro_state;
    const double move = std::min(s.step, 5.0);
    if (timer_seconds() > s.pause_deadline) s.scroll_position -= move;
    if (s.scroll_position < -32.0) {
        ++s.scroll_index;
        const auto length = static_cast<int32_t>(s.scroll_text.size());
        if (s.scroll_index <= length && s.scroll_text[static_cast<size_t>(s.scroll_index - 1)] == 'a')
            s.pause_deadline = timer_seconds() + 4.0;
        if (s.scroll_index > length) s.scroll_index = 1;
        s.scroll_position += 32.0;
    }
    std::string shown;
    if (s.scroll_index >= 1 && s.scroll_index <= static_cast<int32_t>(s.scroll_text.size()))
        shown = s.scroll_text.substr(static_cast<size_t>(s.scroll_index - 1), intro_scroll_chars);
    draw_scroller_text(shown, static_cast<int32_t>(std::floor(s.scroll_position)));
}

void draw_scroller_text(const std::string& text, int32_t x) {
    for (char ch : text) {
        const int32_t column = ch == 'a' ? 0 : big_glyph_column(ch);
        if (column < 0) continue;
        draw_wave_glyph(column, x);
        x += 32;
    }
}

void draw_wave_glyph(int32_t g, int32_t x) {
    int32_t c0 = 0, c1 = 0;
    glyph_span(x, 1, 798, c0, c1);
    const uint32_t* ink = intro_state.big_font_ink.data() + g;
    const auto& refl = intro_state.reflection_gradient;
    // Reflection: the glyph upside down (sheet row 31 - r on output row r), cut off above row 598.
    for (int pass = 0; pass < 3; ++pass) {
        const int32_t dx = pass == 0 ? 1 : pass == 1 ? -1 : 0;
        const int32_t dg = pass == 0 ? 20 : pass == 1 ? -20 : 0;
        for (int32_t c = c0; c <= c1; ++c) {
            const int32_t xx = x + c;
            const int32_t y = intro_state.wave_reflection[static_cast<size_t>(xx)];
            for (uint32_t m = ink[c]; m != 0; m &= m - 1) {
                const int32_t r = 31 - std::countr_zero(m);
                if (y + r >= reflection_floor) continue;
                frame_pixel(xx + dx, y + r + dx) = refl[static_cast<size_t>(y + r + dg)];
            }
        }
    }
    for (int32_t c = c0; c <= c1; ++c) {
        const int32_t xx = x + c;
        const int32_t y = intro_state.wave_upright[static_cast<size_t>(xx)];
        for (uint32_t m = ink[c]; m != 0; m &= m - 1) frame_pixel(xx + 1, y + std::countr_zero(m) + 1) = shadow_colour;
    }
    for (int32_t c = c0; c <= c1; ++c) {
        const int32_t xx = x + c;
        const int32_t y = intro_state.wave_upright[static_cast<size_t>(xx)];
        for (uint32_t m = ink[c]; m != 0; m &= m - 1) frame_pixel(xx - 1, y + std::countr_zero(m) - 1) = highlight_colour;
    }
    for (int32_t c = c0; c <= c1; ++c) {
        const int32_t xx = x + c;
        const int32_t y = intro_state.wave_upright[static_cast<size_t>(xx)];
        for (uint32_t m = ink[c]; m != 0; m &= m - 1) {
            const int32_t r = std::countr_zero(m);
            frame_pixel(xx, y + r) = intro_state.scroller_gradient[static_cast<size_t>(y + r)];
        }
    }
}
