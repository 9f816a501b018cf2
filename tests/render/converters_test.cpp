// Row converters: the layout choice, worked values in every format, and both vector builds held equal
// to a per-pixel reading of the format table for every row length.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "render/pixel_convert.h"

namespace {

// One surface pixel as the format table gives it, written at d.
void table_pixel(surface_layout l, uint32_t p, uint8_t* d) {
    const uint32_t r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
    const uint32_t v[] = {p,
                          b << 16 | g << 8 | r,
                          p & 0xFFFFFF,  // bytes B, G, R
                          b << 16 | g << 8 | r,
                          (r >> 3) << 11 | (g >> 2) << 5 | b >> 3,
                          (b >> 3) << 11 | (g >> 2) << 5 | r >> 3,
                          (r >> 3) << 10 | (g >> 3) << 5 | b >> 3,
                          (b >> 3) << 10 | (g >> 3) << 5 | r >> 3};
    std::memcpy(d, &v[static_cast<int>(l)], static_cast<size_t>(surface_pixel_bytes(l)));
}

}  // namespace

TEST(Converters, LayoutIsChosenByBitsAndMasks) {
    // A palette format or an unknown mask set has no converter (count stands for none).
    const std::tuple<int, uint32_t, uint32_t, uint32_t, surface_layout> cases[] = {
        {32, 0xFF0000, 0xFF00, 0xFF, surface_layout::xrgb32},
        {24, 0xFF, 0xFF00, 0xFF0000, surface_layout::rgb24},
        {16, 0x001F, 0x03E0, 0x7C00, surface_layout::bgr555},
        {8, 0, 0, 0, surface_layout::count},
        {16, 0x0F00, 0x00F0, 0x000F, surface_layout::count},
        {32, 0xFF0000, 0xFF00, 0xFF00, surface_layout::count}};
    for (const auto& [bits, r, g, b, want] : cases) {
        surface_layout l = surface_layout::count;
        EXPECT_EQ(surface_layout_for(bits, r, g, b, &l), want != surface_layout::count) << bits;
        EXPECT_EQ(l, want) << bits;
    }
}

// Worked values; the byte after a two-pixel row must not be touched. The 32-bit copy keeps the top byte.
TEST(Converters, WorkedValuesInEveryFormat) {
    const std::vector<uint32_t> px = {0xFF0000, 0xAB808080};
    const std::pair<surface_layout, std::vector<uint8_t>> cases[] = {
        {surface_layout::rgb565, {0x00, 0xF8, 0x10, 0x84, 0xEE}},
        {surface_layout::rgb555, {0x00, 0x7C, 0x10, 0x42, 0xEE}},
        {surface_layout::bgr565, {0x1F, 0x00, 0x10, 0x84, 0xEE}},
        {surface_layout::bgr555, {0x1F, 0x00, 0x10, 0x42, 0xEE}},
        {surface_layout::rgb24, {0xFF, 0x00, 0x00, 0x80, 0x80, 0x80, 0xEE}},
        {surface_layout::bgr24, {0x00, 0x00, 0xFF, 0x80, 0x80, 0x80, 0xEE}},
        {surface_layout::xbgr32, {0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0x00, 0xEE}},
        {surface_layout::xrgb32, {0x00, 0x00, 0xFF, 0x00, 0x80, 0x80, 0x80, 0xAB, 0xEE}},
    };
    for (const auto& [layout, bytes] : cases) {
        std::vector<uint8_t> out(16, 0xEE);
        fast_row_converter(layout)(px.data(), out.data(), 2);
        out.resize(bytes.size());
        EXPECT_EQ(out, bytes) << static_cast<int>(layout);
    }
}

TEST(Converters, BothBuildsFollowTheTableForEveryLengthAndWriteNothingPastTheRow) {
    std::mt19937 rng(31);
    std::vector<uint32_t> src(800);
    for (auto& p : src) p = static_cast<uint32_t>(rng());
    for (int li = 0; li < static_cast<int>(surface_layout::count); ++li) {
        const auto l = static_cast<surface_layout>(li);
        const int bytes = surface_pixel_bytes(l);
        for (bool avx2 : {false, true}) {
            for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 63, 64, 65, 799, 800}) {
                std::vector<uint8_t> want(800 * 4 + 16, 0x5A), got(want);
                for (int i = 0; i < n; ++i)
                    table_pixel(l, src[static_cast<size_t>(i)], &want[static_cast<size_t>(i * bytes)]);
                vector_row_converter(l, avx2)(src.data(), got.data(), n);
                ASSERT_EQ(got, want) << "layout " << li << " count " << n << " avx2 " << avx2;
            }
        }
    }
}
