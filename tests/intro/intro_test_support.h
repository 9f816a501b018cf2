// Shared helpers of the intro tests: a fresh intro and frame, and reading back presented frames.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "intro/intro.h"
#include "platform/headless/headless.h"
#include "render/display.h"
#include "render/framebuffer.h"

// Resets the intro's state, the framebuffer and the headless backend, opens the display, and builds the
// font and texts.
inline void fresh_intro(const headless_options& options = {}) {
    static intro_state_t blank{};
    intro_state = blank;
    clear_framebuffer(0);
    display_state = display_state_t{};
    headless_reset(options);
    // Full screen with Escape left to the program, as the main sequence opens the display.
    display_set_close_on_escape(0);
    display_configure(0, "", 0, 1);
    display_open("intro test", screen_width, screen_height);
    build_big_font();
    build_intro_texts();
}

// Pixel (x, y) of a presented surface (32-bit layout, the headless default).
inline uint32_t surface_pixel(const std::vector<uint8_t>& surface, int x, int y) {
    uint32_t p;
    std::memcpy(&p, &surface[static_cast<size_t>(y) * static_cast<size_t>(headless_pitch()) + 4u * static_cast<size_t>(x)], 4);
    return p & 0xFFFFFFu;
}

// A copy of the framebuffer, for comparing two ways of drawing the same thing.
inline std::vector<uint32_t> frame_copy() { return {framebuffer.begin(), framebuffer.end()}; }
