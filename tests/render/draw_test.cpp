// Drawing primitives: translucent boxes and bar lines; the frame check on every pixel write.
#include <gtest/gtest.h>

#include <tuple>

#include "render/draw.h"
#include "render/framebuffer.h"

namespace {
class Draw : public ::testing::Test {
protected:
    void SetUp() override { clear_framebuffer(0x00123456); }
    static uint32_t at(int x, int y) { return frame_pixel(x, y); }
    static uint32_t rgb(uint32_t p) { return p & 0xFFFFFF; }
};
}  // namespace

TEST_F(Draw, BlendBoxCoversBothEndsOnlyAndBlendsEachChannel) {
    blend_box(100, 100, 3, 2, 50, 0, 0, 0);  // 4 x 3 pixels
    blend_box(10, 20, 0, 0, 100, 255, 255, 255);  // 1 pixel
    int changed = 0;
    for (int y = 0; y < 110; ++y)
        for (int x = 0; x < 110; ++x) changed += at(x, y) != 0x00123456u;
    EXPECT_EQ(changed, 13);
    EXPECT_NE(at(10, 20), 0x00123456u);
    EXPECT_NE(at(103, 102), 0x00123456u);
    frame_pixel(0, 0) = 0;
    blend_box(0, 0, 0, 0, 80, 100, 150, 250);
    EXPECT_EQ(rgb(at(0, 0)), (31u << 16) | (46u << 8) | 78u);
    // Alpha 0 keeps the channels; the signed shift fills the top byte when the blended red is 0x80 or more.
    frame_pixel(5, 5) = 0x00C0FFEE;
    frame_pixel(6, 5) = 0x007F0000;
    blend_box(5, 5, 1, 0, 0, 1, 2, 3);
    EXPECT_EQ(at(5, 5), 0xFFC0FFEEu);
    EXPECT_EQ(at(6, 5), 0x007F0000u);
}

TEST_F(Draw, FixedBarLinesDrawLengthPixelsOnThreeRows) {
    draw_bar_line(50, 10, 5, 2, 0.0);
    for (int x = 9; x <= 15; ++x) {
        const bool on = x >= 10 && x < 15;
        EXPECT_EQ(std::tuple(at(x, 48), at(x, 49), at(x, 50), at(x, 51), at(x, 52)),
                  std::tuple(0x00123456u, on ? 0x880000u : 0x00123456u, on ? 0xFF0000u : 0x00123456u,
                             on ? 0x880000u : 0x00123456u, 0x00123456u)) << x;
    }
    draw_bar_line(80, 10, 0, 1, 0.0);  // length 0 draws nothing, nor do unknown styles
    draw_bar_line(90, 10, 5, 9, 0.0);
    draw_bar_line(90, 10, 5, 0, 0.0);
    EXPECT_EQ(at(10, 80), 0x00123456u);
    EXPECT_EQ(at(10, 90), 0x00123456u);
}

TEST_F(Draw, RainbowBarIsLengthPlusOnePixelsAndItsColoursMove25PixelsLeftIn01Seconds) {
    // Its worked colours are the pass drawing test's, on the menu's dividers.
    draw_bar_line(200, 0, 300, 8, 1000.0);
    std::vector<uint32_t> before(301);
    for (int i = 0; i <= 300; ++i) before[i] = at(i, 200);
    EXPECT_NE(at(300, 200), 0x00123456u);
    EXPECT_EQ(at(301, 200), 0x00123456u);
    draw_bar_line(200, 0, 300, 8, 1000.0 + 0.1 * 250.0);
    for (int i = 0; i + 25 <= 300; ++i) ASSERT_EQ(at(i, 200), before[i + 25]) << i;
}

TEST(FrameDeath, DrawingOutsideTheFrameStopsDebugBuilds) {
#ifdef NDEBUG
    GTEST_SKIP() << "the frame check exists in debug builds only";
#else
    for (auto [x, y] : {std::pair{800, 0}, std::pair{0, 600}, std::pair{-1, 10}})
        EXPECT_DEBUG_DEATH(frame_pixel(x, y) = 1, "outside the frame");
#endif
}
