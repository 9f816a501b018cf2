// Row converters from the 32-bit 0x00RRGGBB framebuffer to the surface formats a display may have.
#pragma once
#include <cstdint>

// Converts count pixels of src into dst in one surface format.
using row_converter = void (*)(const uint32_t* src, uint8_t* dst, int count);

// The eight surface formats, in the order of the converter table.
enum class surface_layout : uint8_t {
    xrgb32,  // 32 bits, red 0xFF0000: plain copy
    xbgr32,  // 32 bits, red 0x0000FF
    bgr24,   // 24 bits, red 0xFF0000: bytes B, G, R
    rgb24,   // 24 bits, red 0x0000FF: bytes R, G, B
    rgb565,  // 16 bits 5-6-5, red high
    bgr565,  // 16 bits 5-6-5, blue high
    rgb555,  // 16 bits 5-5-5, red high
    bgr555,  // 16 bits 5-5-5, blue high
    count,
};

// The layout for a surface's bit count and channel masks; false when it is none of the eight.
bool surface_layout_for(int bits, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask,
                        surface_layout* layout);
// Bytes one surface pixel takes.
int surface_pixel_bytes(surface_layout layout);

// The fast converter for a layout (used by the display layer).
row_converter fast_row_converter(surface_layout layout);
// The fast converter built for AVX2 (when asked and the processor has it) or for the baseline processor;
// lets tests check both builds.
row_converter vector_row_converter(surface_layout layout, bool avx2);
