// The two skin pictures, 'Grunge' then 'Carbon', each a 256-entry palette of 3 bytes (r, g, b) followed
// by 800 x 600 palette indices, row-major. Generated at build time.
#pragma once
#include <cstddef>

constexpr int skin_count = 2;
constexpr size_t skin_image_bytes = 768 + 800 * 600;

extern const unsigned char skin_images[skin_count][skin_image_bytes];
