// Row converters: a plain per-pixel version of each of the eight surface formats, and a fast version
// that works on several pixels per step with 64-bit words (and a per-pixel tail).
//
// Sections: channel packing, plain converters, fast converters, tables.
#include "render/pixel_convert.h"

#include <bit>
#include <cstring>
#include <iterator>

static_assert(std::endian::native == std::endian::little, "the converters store little-endian surface pixels");

namespace {

// ---- channel packing (one pixel) ----

inline uint32_t red(uint32_t p) { return (p >> 16) & 0xFF; }
inline uint32_t green(uint32_t p) { return (p >> 8) & 0xFF; }
inline uint32_t blue(uint32_t p) { return p & 0xFF; }
inline uint32_t swap_red_blue(uint32_t p) { return (blue(p) << 16) | (green(p) << 8) | red(p); }
inline uint16_t pack565(uint32_t hi, uint32_t g, uint32_t lo) {
    return static_cast<uint16_t>(((hi >> 3) << 11) | ((g >> 2) << 5) | (lo >> 3));
}
inline uint16_t pack555(uint32_t hi, uint32_t g, uint32_t lo) {
    return static_cast<uint16_t>(((hi >> 3) << 10) | ((g >> 3) << 5) | (lo >> 3));
}
inline void store16(uint8_t* d, uint16_t v) { std::memcpy(d, &v, 2); }
inline void store32(uint8_t* d, uint32_t v) { std::memcpy(d, &v, 4); }
inline void store64(uint8_t* d, uint64_t v) { std::memcpy(d, &v, 8); }
inline uint64_t load64(const uint32_t* s) {
    uint64_t v;
    std::memcpy(&v, s, 8);
    return v;
}

// ---- plain converters ----

void plain_xrgb32(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) store32(d + 4 * i, s[i]);
}
void plain_xbgr32(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) store32(d + 4 * i, swap_red_blue(s[i]));
}
void plain_bgr24(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) {
        d[3 * i] = static_cast<uint8_t>(blue(s[i]));
        d[3 * i + 1] = static_cast<uint8_t>(green(s[i]));
        d[3 * i + 2] = static_cast<uint8_t>(red(s[i]));
    }
}
void plain_rgb24(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) {
        d[3 * i] = static_cast<uint8_t>(red(s[i]));
        d[3 * i + 1] = static_cast<uint8_t>(green(s[i]));
        d[3 * i + 2] = static_cast<uint8_t>(blue(s[i]));
    }
}
void plain_rgb565(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) store16(d + 2 * i, pack565(red(s[i]), green(s[i]), blue(s[i])));
}
void plain_bgr565(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) store16(d + 2 * i, pack565(blue(s[i]), green(s[i]), red(s[i])));
}
void plain_rgb555(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) store16(d + 2 * i, pack555(red(s[i]), green(s[i]), blue(s[i])));
}
void plain_bgr555(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) store16(d + 2 * i, pack555(blue(s[i]), green(s[i]), red(s[i])));
}

// ---- fast converters ----

void fast_xrgb32(const uint32_t* s, uint8_t* d, int n) {
    if (n > 0) std::memcpy(d, s, static_cast<size_t>(n) * 4);
}

void fast_xbgr32(const uint32_t* s, uint8_t* d, int n) {
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        uint64_t v = load64(s + i);
        uint64_t r_b = v & 0x000000FF000000FFull;
        uint64_t g = v & 0x0000FF000000FF00ull;
        uint64_t b_r = (v >> 16) & 0x000000FF000000FFull;
        store64(d + 4 * i, (r_b << 16) | g | b_r);
    }
    plain_xbgr32(s + i, d + 4 * i, n - i);
}

// Four pixels' low three bytes packed into three 32-bit words.
template <bool swap>
void fast_24(const uint32_t* s, uint8_t* d, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t p0 = s[i], p1 = s[i + 1], p2 = s[i + 2], p3 = s[i + 3];
        if constexpr (swap) {
            p0 = swap_red_blue(p0);
            p1 = swap_red_blue(p1);
            p2 = swap_red_blue(p2);
            p3 = swap_red_blue(p3);
        }
        store32(d + 3 * i, (p0 & 0xFFFFFF) | (p1 << 24));
        store32(d + 3 * i + 4, ((p1 >> 8) & 0xFFFF) | (p2 << 16));
        store32(d + 3 * i + 8, ((p2 >> 16) & 0xFF) | (p3 << 8));
    }
    if constexpr (swap) plain_rgb24(s + i, d + 3 * i, n - i);
    else plain_bgr24(s + i, d + 3 * i, n - i);
}

// 16-bit formats: high channel shift, green bits; `swap` puts blue in the high field.
template <int green_bits, bool swap>
inline uint64_t pack16(uint32_t p) {
    uint32_t hi = swap ? blue(p) : red(p);
    uint32_t lo = swap ? red(p) : blue(p);
    if constexpr (green_bits == 6) return pack565(hi, green(p), lo);
    else return pack555(hi, green(p), lo);
}

template <int green_bits, bool swap>
void fast_16(const uint32_t* s, uint8_t* d, int n) {
    int i = 0;
    constexpr int step = green_bits == 6 ? 4 : 8;  // 5-6-5 four pixels a step, 5-5-5 eight
    for (; i + step <= n; i += step) {
        for (int w = 0; w < step; w += 4) {
            uint64_t v = pack16<green_bits, swap>(s[i + w]) | (pack16<green_bits, swap>(s[i + w + 1]) << 16) |
                         (pack16<green_bits, swap>(s[i + w + 2]) << 32) |
                         (pack16<green_bits, swap>(s[i + w + 3]) << 48);
            store64(d + 2 * (i + w), v);
        }
    }
    for (; i < n; ++i) store16(d + 2 * i, static_cast<uint16_t>(pack16<green_bits, swap>(s[i])));
}

// ---- tables ----

struct layout_entry {
    int bits;
    uint32_t red_mask, green_mask, blue_mask;
    int pixel_bytes;
    row_converter fast, plain;
};

constexpr layout_entry layouts[] = {
    {32, 0xFF0000, 0x00FF00, 0x0000FF, 4, fast_xrgb32, plain_xrgb32},
    {32, 0x0000FF, 0x00FF00, 0xFF0000, 4, fast_xbgr32, plain_xbgr32},
    {24, 0xFF0000, 0x00FF00, 0x0000FF, 3, fast_24<false>, plain_bgr24},
    {24, 0x0000FF, 0x00FF00, 0xFF0000, 3, fast_24<true>, plain_rgb24},
    {16, 0xF800, 0x07E0, 0x001F, 2, fast_16<6, false>, plain_rgb565},
    {16, 0x001F, 0x07E0, 0xF800, 2, fast_16<6, true>, plain_bgr565},
    {16, 0x7C00, 0x03E0, 0x001F, 2, fast_16<5, false>, plain_rgb555},
    {16, 0x001F, 0x03E0, 0x7C00, 2, fast_16<5, true>, plain_bgr555},
};
static_assert(std::size(layouts) == static_cast<size_t>(surface_layout::count));

const layout_entry& entry(surface_layout layout) { return layouts[static_cast<size_t>(layout)]; }

}  // namespace

bool surface_layout_for(int bits, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask,
                        surface_layout* layout) {
    for (size_t i = 0; i < std::size(layouts); ++i) {
        const layout_entry& e = layouts[i];
        if (e.bits == bits && e.red_mask == red_mask && e.green_mask == green_mask && e.blue_mask == blue_mask) {
            *layout = static_cast<surface_layout>(i);
            return true;
        }
    }
    return false;
}

int surface_pixel_bytes(surface_layout layout) { return entry(layout).pixel_bytes; }
row_converter fast_row_converter(surface_layout layout) { return entry(layout).fast; }
row_converter plain_row_converter(surface_layout layout) { return entry(layout).plain; }
