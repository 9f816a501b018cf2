// Row converters for the eight surface formats, built for speed (vectorised loops, word packing).
//
// Sections: channel packing, 24-bit tails, fast converters, tables.
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

// ---- 24-bit tails: the pixels left after the last whole 64-pixel block ----

void tail_bgr24(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) {
        d[3 * i] = static_cast<uint8_t>(blue(s[i]));
        d[3 * i + 1] = static_cast<uint8_t>(green(s[i]));
        d[3 * i + 2] = static_cast<uint8_t>(red(s[i]));
    }
}
void tail_rgb24(const uint32_t* s, uint8_t* d, int n) {
    for (int i = 0; i < n; ++i) {
        d[3 * i] = static_cast<uint8_t>(red(s[i]));
        d[3 * i + 1] = static_cast<uint8_t>(green(s[i]));
        d[3 * i + 2] = static_cast<uint8_t>(blue(s[i]));
    }
}

// ---- fast converters ----

void fast_xrgb32(const uint32_t* s, uint8_t* d, int n) {
    if (n > 0) std::memcpy(d, s, static_cast<size_t>(n) * 4);
}

// The fast converters: the same per-pixel arithmetic written as straight loops over restrict pointers
// that the compiler vectorises. Each body is built twice, for the baseline processor and for AVX2
// (where the build has KV_AVX2_PATHS), and the table is chosen once from a processor check; no ifunc
// resolver is involved, so sanitizer runtimes and other toolchains see plain function pointers.

#define KV_INLINE_BODY inline __attribute__((always_inline))

KV_INLINE_BODY void xbgr32_body(const uint32_t* __restrict s, uint8_t* __restrict d, int n) {
    uint32_t out[64];
    for (int i = 0; i < n; i += 64) {
        const int m = n - i < 64 ? n - i : 64;
        for (int k = 0; k < m; ++k) out[k] = swap_red_blue(s[i + k]);
        std::memcpy(d + 4 * i, out, static_cast<size_t>(m) * 4);
    }
}

// 24-bit formats: four pixels packed into three 32-bit words per step, through a staging block.
template <bool swap>
KV_INLINE_BODY void body_24(const uint32_t* __restrict s, uint8_t* __restrict d, int n) {
    uint32_t out[48];  // 64 pixels
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        for (int q = 0; q < 16; ++q) {
            uint32_t p0 = s[i + 4 * q], p1 = s[i + 4 * q + 1], p2 = s[i + 4 * q + 2], p3 = s[i + 4 * q + 3];
            if constexpr (swap) {
                p0 = swap_red_blue(p0), p1 = swap_red_blue(p1), p2 = swap_red_blue(p2), p3 = swap_red_blue(p3);
            }
            out[3 * q] = (p0 & 0xFFFFFF) | (p1 << 24);
            out[3 * q + 1] = ((p1 >> 8) & 0xFFFF) | (p2 << 16);
            out[3 * q + 2] = ((p2 >> 16) & 0xFF) | (p3 << 8);
        }
        std::memcpy(d + 3 * i, out, sizeof out);
    }
    if constexpr (swap) tail_rgb24(s + i, d + 3 * i, n - i);
    else tail_bgr24(s + i, d + 3 * i, n - i);
}

// 16-bit formats through a 64-pixel staging block of 16-bit values, so the loop stores whole vectors.
template <int green_bits, bool swap>
KV_INLINE_BODY void body_16(const uint32_t* __restrict s, uint8_t* __restrict d, int n) {
    uint16_t out[64];
    for (int i = 0; i < n; i += 64) {
        const int m = n - i < 64 ? n - i : 64;
        for (int k = 0; k < m; ++k) {
            const uint32_t p = s[i + k];
            const uint32_t hi = swap ? blue(p) : red(p), lo = swap ? red(p) : blue(p);
            out[k] = green_bits == 6 ? pack565(hi, green(p), lo) : pack555(hi, green(p), lo);
        }
        std::memcpy(d + 2 * i, out, static_cast<size_t>(m) * 2);
    }
}

// One set of the seven computing converters (the 32-bit copy is memcpy in every set), compiled with
// the given target attribute.
#define KV_FAST_SET(prefix, attr)                                                                         \
    attr void prefix##_xbgr32(const uint32_t* s, uint8_t* d, int n) { xbgr32_body(s, d, n); }              \
    attr void prefix##_bgr24(const uint32_t* s, uint8_t* d, int n) { body_24<false>(s, d, n); }            \
    attr void prefix##_rgb24(const uint32_t* s, uint8_t* d, int n) { body_24<true>(s, d, n); }             \
    attr void prefix##_rgb565(const uint32_t* s, uint8_t* d, int n) { body_16<6, false>(s, d, n); }        \
    attr void prefix##_bgr565(const uint32_t* s, uint8_t* d, int n) { body_16<6, true>(s, d, n); }         \
    attr void prefix##_rgb555(const uint32_t* s, uint8_t* d, int n) { body_16<5, false>(s, d, n); }        \
    attr void prefix##_bgr555(const uint32_t* s, uint8_t* d, int n) { body_16<5, true>(s, d, n); }         \
    constexpr row_converter prefix##_set[] = {fast_xrgb32,    prefix##_xbgr32, prefix##_bgr24,             \
                                              prefix##_rgb24, prefix##_rgb565, prefix##_bgr565,            \
                                              prefix##_rgb555, prefix##_bgr555};

KV_FAST_SET(base, )
#ifdef KV_AVX2_PATHS
KV_FAST_SET(avx2, __attribute__((target("avx2"))))
bool avx2_available() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
#else
constexpr const row_converter* avx2_set = base_set;
bool avx2_available() { return false; }
#endif

// ---- tables ----

struct layout_entry {
    int bits;
    uint32_t red_mask, green_mask, blue_mask;
    int pixel_bytes;
};

constexpr layout_entry layouts[] = {
    {32, 0xFF0000, 0x00FF00, 0x0000FF, 4},
    {32, 0x0000FF, 0x00FF00, 0xFF0000, 4},
    {24, 0xFF0000, 0x00FF00, 0x0000FF, 3},
    {24, 0x0000FF, 0x00FF00, 0xFF0000, 3},
    {16, 0xF800, 0x07E0, 0x001F, 2},
    {16, 0x001F, 0x07E0, 0xF800, 2},
    {16, 0x7C00, 0x03E0, 0x001F, 2},
    {16, 0x001F, 0x03E0, 0x7C00, 2},
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
row_converter fast_row_converter(surface_layout layout) { return vector_row_converter(layout, avx2_available()); }
row_converter vector_row_converter(surface_layout layout, bool avx2) {
    return (avx2 && avx2_available() ? avx2_set : base_set)[static_cast<size_t>(layout)];
}
