// Shared helpers of the intro tests: a fresh intro and frame, and reading back drawn and presented frames.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "intro/intro.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "render/display.h"
#include "render/framebuffer.h"

// Resets the intro's state, the framebuffer and the headless backend with its audio, opens the display
// as the main sequence does (full screen, Escape left to the program), builds the font and texts, and
// fills the wave and gradient tables for phase 0.
inline void fresh_intro(const headless_options& options = {}) {
    static intro_state_t blank{};
    intro_state = blank;
    clear_framebuffer(0);
    display_state = display_state_t{};
    headless_reset(options);
    headless_audio_reset();
    display_set_close_on_escape(0);
    display_configure(0, "", 0, 1);
    display_open("intro test", screen_width, screen_height);
    build_big_font();
    build_intro_texts();
    update_intro_tables();
}

// Pixel (x, y) of a presented surface (32-bit layout, the headless default).
inline uint32_t surface_pixel(const std::vector<uint8_t>& surface, int x, int y) {
    uint32_t p;
    std::memcpy(&p, &surface[static_cast<size_t>(y * headless_pitch() + 4 * x)], 4);
    return p & 0xFFFFFFu;
}

// The frame after draw(), starting from black: for comparing two ways of drawing the same thing.
template <typename F>
std::vector<uint32_t> drawn(F draw) {
    clear_framebuffer(0);
    draw();
    return {framebuffer.begin(), framebuffer.end()};
}

using colours = std::vector<uint32_t>;

// The framebuffer's pixels at the given (x, y) points, to compare with a list of colours.
inline colours pixels(std::initializer_list<std::pair<int, int>> points) {
    colours out;
    for (const auto& [x, y] : points) out.push_back(frame_pixel(x, y));
    return out;
}
