// The program's own mouse pointer: two 11 x 11 images (normal and hover) and drawing one of them.
#pragma once
#include <array>
#include <cstdint>

constexpr int pointer_size = 11;

struct pointer_images_t {
    // [kind - 1][row * 11 + column], 0x00RRGGBB, 0 = transparent.
    std::array<std::array<uint32_t, pointer_size * pointer_size>, 2> image{};
};
extern pointer_images_t pointer_images;

// Reads the 121 shape values from the program data list into both images. Start-up step 8.
void build_pointer_images();
// Draws the image of shell_state.pointer_kind with its top-left pixel at (x, y), skipping transparent
// pixels; only when 0 < x < 792 and 0 < y < 592.
void draw_pointer(int32_t x, int32_t y);
