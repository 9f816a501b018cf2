// The page viewer: rule bars and glyphs of the visible lines, scrolling, the scroll bar and page wipes.
//   drawing: window_row_y, draw_page_rules, draw_page_text
//   scrolling: scroll_by_keys_and_wheel, scroll_by_page_keys, draw_scrollbar, drag_scrollbar
//   page change: open_page, wipe_out, wipe_in
#include "viewer/page_viewer.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "platform/keys.h"
#include "platform/system.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/framebuffer.h"
#include "render/text.h"
#include "shell/magazine/content_store.h"
#include "shell/magazine/shell_state.h"
#include "viewer/frame_body.h"
#include "viewer/viewer_state.h"

namespace {

// Last framebuffer row of the text band on the current skin.
int32_t band_last_row() { return skin_slot() == 1 ? 570 : 569; }

// Highest top_line of the open page: the last line sits in the window's last row.
int32_t last_top_line() { return std::max(0, shell_state.end_line - window_rows); }

std::string_view cell_text(const char& c) { return c != 0 ? std::string_view(&c, 1) : std::string_view(); }

// One wipe frame: the frame body with stripes 0, 2, ..., s pixels in from both edges of the window.
void wipe_frame(int32_t s) {
    const double noted = timer_seconds();
    draw_frame_body();
    const int32_t last = band_last_row();
    for (int32_t j = 0; j <= s; j += 2)
        for (int32_t y = 192; y <= last; ++y) {
            frame_pixel(20 + j, y) = 0;
            frame_pixel(767 - j, y) = 0;
        }
    display_present(framebuffer.data());
    sleep_ms(1);
    shell_state.colour_phase += (timer_seconds() - noted) * 250.0;
}

}  // namespace

int32_t window_row_y(int32_t r) { return 175 + shell_state.fine_offset + 12 * r; }

void draw_page_rules() {
    const auto& s = shell_state;
    for (int32_t r = 0; r < window_rows; ++r) {
        const int32_t n = s.top_line + r;
        // Lines at or past the end mark would show rule codes left by an earlier page: not drawn.
        if (n >= s.end_line || n < 0 || n > content_last_line) continue;
        const int32_t y = window_row_y(r) + 6;
        if (192 < y && y < 569) draw_bar_line(y, 20, 750, view_rule_style(n), s.colour_phase);
    }
}

void draw_page_text() {
    const auto& s = shell_state;
    const int32_t bottom = band_last_row();
    for (int32_t r = 0; r < window_rows; ++r) {
        const int32_t n = s.top_line + r;
        if (n >= s.end_line || n < 0 || n > content_last_line) continue;
        const int32_t y = window_row_y(r);
        // Rows wholly inside the band paint whole cells; the edge rows and lines under a rule bar use the
        // transparent, clipped glyphs so the band's edges and the bar stay visible.
        const bool opaque = view_rule(n) == '0' && r > 0 && r < 31;
        for (int32_t k = 1; k <= page_columns; ++k) {
            const std::string_view c = cell_text(view_char(n, k));
            if (c.empty()) continue;
            const int32_t x = 23 + 9 * k;
            if (opaque)
                draw_glyph_band(c, x, y, view_style(n, k), view_tint(n, k));
            else
                draw_glyph_clipped(c, x, y, 0, 800, 193, bottom, view_style(n, k), view_tint(n, k));
        }
    }
}

void scroll_by_keys_and_wheel() {
    auto& s = shell_state;
    if (key_held(key_state(vk_down)) && s.top_line < s.end_line - window_rows) {
        s.fine_offset -= 6;
        if (s.fine_offset <= 0) {
            s.top_line = std::min(s.top_line + 1, s.end_line - window_rows);
            s.fine_offset += 12;
        }
    }
    if (key_held(key_state(vk_up)) && s.top_line > 0) {
        s.fine_offset += 6;
        if (s.fine_offset >= 11) {
            s.top_line = std::max(s.top_line - 1, 0);
            s.fine_offset -= 12;
        }
    }
    s.wheel_prev = s.wheel_now;
    s.wheel_now = static_cast<double>(display_wheel());
    if (s.wheel_now < s.wheel_prev && s.top_line < s.end_line - window_rows) {
        s.top_line += static_cast<int32_t>(std::floor((s.wheel_prev - s.wheel_now) * 4.0));
        s.top_line = std::min(s.top_line, s.end_line - window_rows);
    }
    if (s.wheel_now > s.wheel_prev && s.top_line > 0) {
        s.top_line -= static_cast<int32_t>(std::floor((s.wheel_now - s.wheel_prev) * 4.0));
        s.top_line = std::max(s.top_line, 0);
    }
}

void scroll_by_page_keys() {
    auto& s = shell_state;
    if (key_struck(key_state(vk_prior)) && s.top_line >= 1) s.top_line = std::max(s.top_line - window_rows, 0);
    if (key_struck(key_state(vk_next)) && s.top_line < s.end_line - window_rows)
        s.top_line = std::min(s.top_line + window_rows, s.end_line - window_rows);
    if (key_struck(key_state(vk_end))) s.top_line = last_top_line();
    if (key_struck(key_state(vk_home))) s.top_line = 0;
}

void draw_scrollbar() {
    const auto& s = shell_state;
    if (s.end_line <= window_rows) return;
    const double step = 361.0 / static_cast<double>(s.end_line - window_rows);
    // Clamped so that a top_line beyond the page's end can never put the thumb outside the frame.
    const int32_t y = std::clamp(195 + static_cast<int32_t>(std::nearbyint(step * s.top_line)), 195, 556);
    if (skin_slot() == 1) {
        blend_box(783, y, 9, 19, 80, 50, 150, 250);
        blend_box(783, y, 9, 19, s.scroll_glow, 100, 150, 250);
    } else {
        blend_box(779, y, 8, 19, 80, 100, 150, 250);
        blend_box(779, y, 8, 19, s.scroll_glow, 100, 125, 200);
    }
}

void drag_scrollbar() {
    auto& s = shell_state;
    const double ratio = static_cast<double>(s.end_line - 32) / 352.0;
    const int32_t o = skin_slot() == 1 ? 5 : 0;
    if (s.mouse_button == 0) s.dragging = 0;
    const bool in_zone = 775 + o < s.mouse_x && s.mouse_x < 791 + o && 200 < s.mouse_y && s.mouse_y < 561;
    if (in_zone || s.dragging == 1) {
        if (s.end_line > 32) s.pointer_kind = 2;
        if (s.mouse_button != 0 || s.dragging == 1) s.pointer_kind = 1;
        if (s.mouse_button != 0) {
            s.dragging = 1;
            const int32_t wanted = static_cast<int32_t>(std::nearbyint((s.mouse_y - 200) * ratio));
            s.top_line = std::max(std::min(std::max(wanted, 0), s.end_line - window_rows), 0);
        }
        if (s.scroll_glow < 125) s.scroll_glow += 5;
    } else if (s.scroll_glow > 0) {
        s.scroll_glow -= 5;
    }
}

void open_page(int32_t page) {
    wipe_out();
    load_page(page);
    wipe_in();
}

void wipe_out() {
    for (int32_t s = 0; s < 747 && !display_quit_requested(); s += 10) wipe_frame(s);
}

void wipe_in() {
    for (int32_t s = 747; s > 0 && !display_quit_requested(); s -= 10) wipe_frame(s);
}
