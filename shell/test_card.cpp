// The test card: glyph styles in all tints, the eight bar styles, translucent boxes and the pointer.
#include "shell/test_card.h"

#include <algorithm>
#include <cstdio>

#include "platform/keys.h"
#include "platform/system.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/framebuffer.h"
#include "render/text.h"
#include "shell/pointer.h"
#include "shell/shell_state.h"

namespace {

void draw_backdrop() {
    // A dark vertical gradient so the translucent boxes have something to tint.
    for (int y = 0; y < screen_height; ++y) {
        const uint32_t v = static_cast<uint32_t>(8 + y * 24 / screen_height);
        const uint32_t colour = (v << 16) | (v << 8) | (v + 10);
        std::fill_n(&frame_pixel(0, y), screen_width, colour);
    }
}

void draw_tint_rows(int32_t y, int32_t style) {
    // One sample word per tint, in three columns of ten (tint 31, black, on a light box).
    for (int32_t tint = 1; tint <= 31; ++tint) {
        const int32_t column = (tint - 1) / 11, row = (tint - 1) % 11;
        const int32_t x = 12 + column * 262, ty = y + row * 13;
        char label[48];
        std::snprintf(label, sizeof label, "%02d %s", tint, style == 1 ? "Readable text, 0123" : "HEADING Face 4567");
        if (tint == 31) blend_box(x - 2, ty - 1, 9 * 22, 13, 110, 220, 220, 220);
        draw_text_clipped(label, x, ty, 0, 799, 0, 599, style, tint);
    }
}

}  // namespace

void draw_test_card(double colour_phase) {
    draw_backdrop();
    draw_text_clipped("THE KESTRAVON - ENGINE TEST CARD", 256, 6, 0, 799, 0, 599, 2, 1);
    draw_bar_line(24, 10, 780, 8, colour_phase);
    draw_tint_rows(32, 1);
    draw_tint_rows(182, 2);
    // Bar styles 1 to 8.
    for (int32_t style = 1; style <= 8; ++style) {
        const int32_t y = 338 + (style - 1) * 8;
        draw_bar_line(y, 10, 380, style, colour_phase);
    }
    // Translucent boxes over the bars, in the four corners of the lower half.
    blend_box(30, 330, 120, 70, 80, 100, 150, 250);
    blend_box(250, 330, 120, 70, 100, 250, 180, 40);
    // A page band sample: opaque glyphs on black, clipped to rows 193..569.
    blend_box(410, 330, 380, 250, 125, 0, 0, 0);
    const char* lines[] = {
        "Page band: opaque glyphs, 9 x 12 cells,",
        "drawn only on rows 193 to 569.",
        "",
        "  Pos  Title                 Group",
        "  ---  --------------------  -------",
        "   1.  Stellar Drift II      NOVA",
        "   2.  Quartz Harbour        PRISM",
        "   3.  Ember Circuit         RIFT",
        "",
        "Accents: caf\xE9, M\xFCnchen, Z\xFCrich, \xC5rhus",
    };
    int32_t y = 340;
    for (const char* line : lines) {
        for (int32_t n = 0; line[n] != '\0'; ++n)
            draw_glyph_band(std::string_view(line + n, 1), 420 + 9 * n, y, n < 2 ? 2 : 1, (y / 12) % 3 == 0 ? 7 : 1);
        y += 13;
    }
    draw_bar_line(480, 10, 380, 8, colour_phase + 200.0);
    draw_text_clipped("Move the mouse: the pointer follows. Escape ends.", 12, 500, 0, 799, 0, 599, 1, 16);
    draw_text_clipped("Clipped: this line is cut at column 250 ->->->->->->", 12, 520, 12, 250, 0, 599, 1, 22);
}

void run_test_card() {
    auto& s = shell_state;
    while (!key_struck(key_state(vk_escape))) {
        const double noted = timer_seconds();
        draw_test_card(s.colour_phase);
        s.pointer_kind = (s.mouse_y > 330 && s.mouse_y < 400) ? 2 : 1;
        draw_pointer(s.mouse_x, s.mouse_y);
        display_present(framebuffer.data());
        s.mouse_x = std::clamp(display_mouse_x(), 1, 789);
        s.mouse_y = std::clamp(display_mouse_y(), 1, 589);
        sleep_ms(1);
        s.colour_phase += (timer_seconds() - noted) * 250.0;
    }
}
