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

// Worked values for the plain converters; the fast ones are held equal to them below. Pixel 3 bytes on
// must not be touched by a two-pixel row.
TEST(Converters, WorkedValuesInEveryFormat) {
    const std::vector<uint32_t> px = {0xFF0000, 0x808080};
    const std::pair<surface_layout, std::vector<uint8_t>> cases[] = {
        {surface_layout::rgb565, {0x00, 0xF8, 0x10, 0x84, 0xEE}},
        {surface_layout::rgb555, {0x00, 0x7C, 0x10, 0x42, 0xEE}},
        {surface_layout::bgr565, {0x1F, 0x00, 0x10, 0x84, 0xEE}},
        {surface_layout::bgr555, {0x1F, 0x00, 0x10, 0x42, 0xEE}},
        {surface_layout::rgb24, {0xFF, 0x00, 0x00, 0x80, 0x80, 0x80, 0xEE}},
        {surface_layout::bgr24, {0x00, 0x00, 0xFF, 0x80, 0x80, 0x80, 0xEE}},
        {surface_layout::xbgr32, {0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0x00, 0xEE}},
    };
    for (const auto& [layout, bytes] : cases) {
        std::vector<uint8_t> out = convert(plain_row_converter(layout), px, surface_pixel_bytes(layout));
        out.resize(bytes.size());
        EXPECT_EQ(out, bytes) << static_cast<int>(layout);
    }
    // The 32-bit copy keeps the top byte.
    auto x32 = convert(plain_row_converter(surface_layout::xrgb32), {0xFFA0B0C0}, 4);
    EXPECT_EQ(u32(x32, 0), 0xFFA0B0C0u);
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
