// The intro's background layers and transitions: background gradient, blue bars, star field, noise bursts.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "intro/intro.h"
#include "platform/system.h"
#include "render/display.h"
#include "render/framebuffer.h"

namespace {

struct star_layer {
    double speed;  // pixels per step unit
    uint32_t core, edge;
};
// Far, middle and near layer, a hundred stars each.
constexpr std::array<star_layer, 3> star_layers = {{
    {0.6, 0x222222, 0x111111},
    {1.2, 0x444444, 0x222222},
    {1.8, 0x999999, 0x444444},
}};

void fill_row(int32_t y, uint32_t colour) {
    uint32_t* row = framebuffer.data() + static_cast<size_t>(y) * screen_width;
    std::fill(row, row + screen_width, colour);
}

// Fills the frame with random colour bands of the given height until half a second has passed.
void noise_burst(int32_t band) {
    const double end = timer_seconds() + 0.5;
    while (timer_seconds() < end && !display_quit_requested()) {
        for (int32_t y = 0; y < screen_height; y += band) {
            const auto channel = [] { return static_cast<uint32_t>(std::lround(random01() * 255.0)); };
            const uint32_t r = channel(), g = channel(), b = channel();
            const uint32_t colour = r << 16 | g << 8 | b;
            for (int32_t row = y; row < y + band && row < screen_height; ++row) fill_row(row, colour);
        }
        display_present(framebuffer.data());
        sleep_ms(1);
    }
}

}  // namespace

void init_stars() {
    for (int n = 1; n <= intro_star_count; ++n) {
        intro_state.stars[static_cast<size_t>(n)].x = random01() * 800.0;
        intro_state.stars[static_cast<size_t>(n)].y = random01() * 470.0 + 22.0;
    }
}

void draw_stars() {
    const double step = intro_state.step;
    for (int n = 1; n <= intro_star_count; ++n) {
        intro_star& s = intro_state.stars[static_cast<size_t>(n)];
        const star_layer& layer = star_layers[static_cast<size_t>((n - 1) / 100)];
        const auto ix = static_cast<int32_t>(std::floor(s.x));
        const auto iy = static_cast<int32_t>(std::floor(s.y));
        s.x += layer.speed * step;
        // Near the side edges, where stars wrap, they are not drawn; rows stay 22..492 from init_stars.
        if (ix > 4 && ix < 796) {
            frame_pixel(ix, iy) = layer.core;
            frame_pixel(ix + 1, iy) = layer.core;
            frame_pixel(ix, iy + 1) = layer.core;
            frame_pixel(ix + 1, iy + 1) = layer.core;
            frame_pixel(ix + 2, iy) = layer.edge;
            frame_pixel(ix + 2, iy + 1) = layer.edge;
            frame_pixel(ix - 1, iy) = layer.edge;
            frame_pixel(ix - 1, iy + 1) = layer.edge;
            frame_pixel(ix, iy - 1) = layer.edge;
            frame_pixel(ix + 1, iy - 1) = layer.edge;
            frame_pixel(ix, iy + 2) = layer.edge;
            frame_pixel(ix + 1, iy + 2) = layer.edge;
        }
        if (s.x > 800.0) s.x -= 800.0;
    }
}

void draw_bar_band(int32_t s, int32_t y) {
    int32_t v = 0;
    for (int32_t r = 0; r < 32; ++r) {
        v += r < 16 ? s : -s;
        // The lower bars swing partly below the frame; only their visible rows are drawn.
        if (y + r >= 0 && y + r < screen_height) fill_row(y + r, static_cast<uint32_t>(v));
    }
}

void draw_blue_bars() {
    for (int32_t i = 1; i <= 7; ++i) {
        const double a = std::sin((4.0 * i + intro_state.phase) * 3.14 / 90.0);
        draw_bar_band(2 * i, static_cast<int32_t>(std::lround(100.0 * a + 375.0)));
        draw_bar_band(i, static_cast<int32_t>(std::lround(-80.0 * a + 595.0)));
    }
}

void draw_intro_background() {
    fill_row(0, 0);
    for (int32_t y = 1; y <= 50; ++y) fill_row(y, static_cast<uint32_t>(150 - 3 * (y - 1)));
    std::fill(framebuffer.begin() + 51 * screen_width, framebuffer.end(), 0u);
}

void noise_burst_coarse() { noise_burst(10); }

void noise_burst_fine() { noise_burst(2); }
