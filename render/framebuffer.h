// The one 800 x 600 framebuffer every frame is drawn into: 0x00RRGGBB pixels, row-major.
#pragma once
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

constexpr int screen_width = 800;
constexpr int screen_height = 600;

// The framebuffer; pixel (x, y) is element y * 800 + x.
extern std::array<uint32_t, screen_width * screen_height> framebuffer;

// The pixel at (x, y). The drawing routines do not clip: their callers keep coordinates inside the
// frame. Debug builds stop here on a write outside it instead of corrupting memory.
inline uint32_t& frame_pixel(int x, int y) {
    assert(x >= 0 && x < screen_width && y >= 0 && y < screen_height && "drawing outside the frame");
    return framebuffer[static_cast<size_t>(y) * screen_width + static_cast<size_t>(x)];
}

// Fills the whole framebuffer with one colour.
void clear_framebuffer(uint32_t colour);
