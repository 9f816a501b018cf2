// Row converters: every surface format against worked values, and the fast versions held equal to the plain.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "render/pixel_convert.h"

namespace {

std::vector<uint8_t> convert(row_converter f, const std::vector<uint32_t>& src, int bytes) {
    std::vector<uint8_t> out(src.size() * static_cast<size_t>(bytes) + 8, 0xEE);
    f(src.data(), out.data(), static_cast<int>(src.size()));
    return out;
}

uint16_t u16(const std::vector<uint8_t>& b, size_t i) { return static_cast<uint16_t>(b[2 * i] | (b[2 * i + 1] << 8)); }
uint32_t u32(const std::vector<uint8_t>& b, size_t i) {
    uint32_t v;
    std::memcpy(&v, &b[4 * i], 4);
    return v;
}

const surface_layout all_layouts[] = {surface_layout::xrgb32, surface_layout::xbgr32, surface_layout::bgr24,
                                      surface_layout::rgb24,  surface_layout::rgb565, surface_layout::bgr565,
                                      surface_layout::rgb555, surface_layout::bgr555};

}  // namespace

TEST(Converters, LayoutIsChosenByBitsAndMasks) {
    surface_layout l{};
    EXPECT_TRUE(surface_layout_for(32, 0xFF0000, 0xFF00, 0xFF, &l));
    EXPECT_EQ(l, surface_layout::xrgb32);
    EXPECT_TRUE(surface_layout_for(24, 0xFF, 0xFF00, 0xFF0000, &l));
    EXPECT_EQ(l, surface_layout::rgb24);
    EXPECT_TRUE(surface_layout_for(16, 0x001F, 0x03E0, 0x7C00, &l));
    EXPECT_EQ(l, surface_layout::bgr555);
    // A palette format or an unknown mask set has no converter.
    EXPECT_FALSE(surface_layout_for(8, 0, 0, 0, &l));
    EXPECT_FALSE(surface_layout_for(16, 0x0F00, 0x00F0, 0x000F, &l));
    EXPECT_FALSE(surface_layout_for(32, 0xFF0000, 0xFF00, 0xFF00, &l));
}

TEST(Converters, SixteenBitValues) {
    const std::vector<uint32_t> px = {0xFF0000, 0x808080, 0x0000FF, 0xFFFFFF};
    for (bool fast : {false, true}) {
        auto get = [&](surface_layout l) { return (fast ? fast_row_converter : plain_row_converter)(l); };
        auto b565 = convert(get(surface_layout::rgb565), px, 2);
        EXPECT_EQ(u16(b565, 0), 0xF800);
        EXPECT_EQ(u16(b565, 1), 0x8410);
        EXPECT_EQ(u16(b565, 2), 0x001F);
        EXPECT_EQ(u16(b565, 3), 0xFFFF);
        auto b555 = convert(get(surface_layout::rgb555), px, 2);
        EXPECT_EQ(u16(b555, 0), 0x7C00);
        EXPECT_EQ(u16(b555, 1), 0x4210);
        auto bgr565 = convert(get(surface_layout::bgr565), px, 2);
        EXPECT_EQ(u16(bgr565, 0), 0x001F);
        EXPECT_EQ(u16(bgr565, 2), 0xF800);
        auto bgr555 = convert(get(surface_layout::bgr555), px, 2);
        EXPECT_EQ(u16(bgr555, 0), 0x001F);
        EXPECT_EQ(u16(bgr555, 2), 0x7C00);
    }
}

TEST(Converters, ByteOrderOf24And32BitFormats) {
    const std::vector<uint32_t> px = {0x00112233, 0xFFA0B0C0};
    auto bgr = convert(fast_row_converter(surface_layout::bgr24), px, 3);
    EXPECT_EQ((std::vector<uint8_t>{bgr[0], bgr[1], bgr[2], bgr[3], bgr[4], bgr[5]}),
              (std::vector<uint8_t>{0x33, 0x22, 0x11, 0xC0, 0xB0, 0xA0}));
    auto rgb = convert(fast_row_converter(surface_layout::rgb24), px, 3);
    EXPECT_EQ((std::vector<uint8_t>{rgb[0], rgb[1], rgb[2], rgb[3], rgb[4], rgb[5]}),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0xA0, 0xB0, 0xC0}));
    // Pixel 6 bytes on must not be touched by a two-pixel row.
    EXPECT_EQ(rgb[6], 0xEE);
    auto x32 = convert(fast_row_converter(surface_layout::xrgb32), px, 4);
    EXPECT_EQ(u32(x32, 0), 0x00112233u);
    EXPECT_EQ(u32(x32, 1), 0xFFA0B0C0u);  // the plain copy keeps the top byte
    auto b32 = convert(fast_row_converter(surface_layout::xbgr32), px, 4);
    EXPECT_EQ(u32(b32, 0), 0x00332211u);
    EXPECT_EQ(u32(b32, 1), 0x00C0B0A0u);
}

TEST(Converters, FastEqualsPlainForEveryLengthAndFormat) {
    std::mt19937 rng(31);
    std::vector<uint32_t> src(800);
    for (auto& p : src) p = static_cast<uint32_t>(rng());
    for (surface_layout l : all_layouts) {
        const int bytes = surface_pixel_bytes(l);
        for (bool avx2 : {false, true}) {
            for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 799, 800}) {
                std::vector<uint8_t> a(800 * 4 + 16, 0x5A), b(800 * 4 + 16, 0x5A);
                plain_row_converter(l)(src.data(), a.data(), n);
                vector_row_converter(l, avx2)(src.data(), b.data(), n);
                ASSERT_EQ(a, b) << "layout " << static_cast<int>(l) << " count " << n << " avx2 " << avx2;
                // Nothing is written past count pixels.
                for (size_t i = static_cast<size_t>(n * bytes); i < a.size(); ++i) ASSERT_EQ(b[i], 0x5A);
            }
        }
    }
}
