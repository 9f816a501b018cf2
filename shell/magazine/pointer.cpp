// The mouse pointer images and their drawing.
#include "shell/magazine/pointer.h"

#include "render/framebuffer.h"
#include "shell/magazine/program_data.h"
#include "shell/magazine/shell_state.h"

pointer_images_t pointer_images;

namespace {
// Colours of shape values 1 to 4 for the normal and the hover pointer.
constexpr uint32_t pointer_colours[2][5] = {
    {0, 0x111133, 0x8888AA, 0xCCCCEE, 0x555577},
    {0, 0x221100, 0xDDBB77, 0xFFEEAA, 0x995522},
};
}  // namespace

void build_pointer_images() {
    for (int i = 0; i < pointer_size * pointer_size; ++i) {
        const int32_t v = program_data_read();
        for (int kind = 0; kind < 2; ++kind)
            pointer_images.image[kind][i] = (v >= 1 && v <= 4) ? pointer_colours[kind][v] : 0;
    }
}

void draw_pointer(int32_t x, int32_t y) {
    if (!(x > 0 && x < 792 && y > 0 && y < 592)) return;
    const auto& image = pointer_images.image[shell_state.pointer_kind == 1 ? 0 : 1];
    // The test lets x reach 791 and y 591, where the image would pass the frame's edge: those pixels
    // are skipped rather than written into the next row or past the end.
    for (int r = 0; r < pointer_size && y + r < screen_height; ++r)
        for (int c = 0; c < pointer_size && x + c < screen_width; ++c)
            if (uint32_t p = image[r * pointer_size + c]; p != 0) frame_pixel(x + c, y + r) = p;
}
