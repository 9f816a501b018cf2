// Drawing primitives: translucent boxes and bar lines, written straight into the framebuffer.
#include "render/draw.h"

#include <cmath>

#include "render/framebuffer.h"

std::array<uint32_t, screen_width * screen_height> framebuffer{};

void clear_framebuffer(uint32_t colour) { framebuffer.fill(colour); }

void blend_box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t alpha, int32_t r, int32_t g, int32_t b) {
    // The box colour carries alpha in its top byte; it never reaches the result's channels.
    const uint32_t k = (static_cast<uint32_t>(alpha) << 24) + (static_cast<uint32_t>(r) << 16) +
                       (static_cast<uint32_t>(g) << 8) + static_cast<uint32_t>(b);
    const uint32_t a = static_cast<uint32_t>(alpha);
    const uint32_t rest = 256u - a;
    const uint32_t k_rb = (k & 0xFF00FFu) * a;
    const uint32_t k_g = (k & 0x00FF00u) * a;
    for (int32_t row = y; row <= y + h; ++row) {
        for (int32_t col = x; col <= x + w; ++col) {
            uint32_t& d = frame_pixel(col, row);
            uint32_t rb = (k_rb + (d & 0xFF00FFu) * rest) & 0xFF00FF00u;
            uint32_t gg = (k_g + (d & 0x00FF00u) * rest) & 0x00FF0000u;
            // Shifted as a signed value: the top byte becomes 0xFF when the blended red is 0x80 or more.
            d = static_cast<uint32_t>(static_cast<int32_t>(rb | gg) >> 8);
        }
    }
}

namespace {
struct bar_colours {
    uint32_t bright, dim;
};
constexpr bar_colours bar_styles[8] = {
    {0, 0},
    {0xFFFFFF, 0x888888}, {0xFF0000, 0x880000}, {0x00FF00, 0x008800}, {0x0000FF, 0x000088},
    {0xFFFF00, 0x888800}, {0x00FFFF, 0x008888}, {0xFF00FF, 0x880088},
};

uint32_t channel(double amplitude, double offset, double s) {
    return static_cast<uint32_t>(std::nearbyint(amplitude * s + offset));
}

struct rainbow_sines {
    double r, g, b;
};
rainbow_sines sines_at(double colour_phase, int32_t i) {
    const double u = colour_phase + i;
    return {std::sin(0.01 * u), std::sin(0.012 * u + 0.96), std::sin(0.013 * u + 2.47)};
}
uint32_t colour_of(const rainbow_sines& s, bool bright) {
    const double amplitude = bright ? 124.0 : 64.0, offset = bright ? 125.0 : 65.0;
    return (channel(amplitude, offset, s.r) << 16) | (channel(amplitude, offset, s.g) << 8) |
           channel(amplitude, offset, s.b);
}
}  // namespace

uint32_t rainbow_colour(double colour_phase, int32_t i, bool bright) {
    return colour_of(sines_at(colour_phase, i), bright);
}

void draw_bar_line(int32_t y, int32_t x, int32_t length, int32_t style, double colour_phase) {
    if (style >= 1 && style <= 7) {
        const bar_colours c = bar_styles[style];
        for (int32_t i = 0; i < length; ++i) {
            frame_pixel(x + i, y - 1) = c.dim;
            frame_pixel(x + i, y) = c.bright;
            frame_pixel(x + i, y + 1) = c.dim;
        }
    } else if (style == 8) {
        for (int32_t i = 0; i <= length; ++i) {
            const rainbow_sines sines = sines_at(colour_phase, i);
            const uint32_t dim = colour_of(sines, false);
            frame_pixel(x + i, y - 1) = dim;
            frame_pixel(x + i, y) = colour_of(sines, true);
            frame_pixel(x + i, y + 1) = dim;
        }
    }
}
