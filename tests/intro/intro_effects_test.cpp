// The intro's background layers: background gradient, bar bands and their swing, stars, noise bursts.
#include <gtest/gtest.h>

#include <set>

#include "intro_test_support.h"
#include "platform/system.h"

namespace {

uint32_t row_colour(int y) {
    const uint32_t c = frame_pixel(0, y);
    for (int x = 1; x < 800; ++x)
        if (frame_pixel(x, y) != c) return 0xFFFFFFFFu;  // not one colour
    return c;
}

}  // namespace

TEST(IntroBackground, BlueGradientOnRowsOneToFiftyAndBlackElsewhere) {
    fresh_intro();
    std::fill(framebuffer.begin(), framebuffer.end(), 0x123456u);
    draw_intro_background();
    EXPECT_EQ(row_colour(0), 0u);
    EXPECT_EQ(row_colour(1), 0x96u);
    EXPECT_EQ(row_colour(2), 0x93u);
    EXPECT_EQ(row_colour(50), 3u);
    for (int y = 51; y < 600; ++y) ASSERT_EQ(row_colour(y), 0u) << y;
}

TEST(IntroBars, BandBrightensToItsMiddleAndFadesOut) {
    fresh_intro();
    draw_bar_band(2, 389);
    EXPECT_EQ(row_colour(388), 0u);
    EXPECT_EQ(row_colour(389), 2u);    // s x 1
    EXPECT_EQ(row_colour(404), 32u);   // s x 16 at r = 15
    EXPECT_EQ(row_colour(405), 30u);   // s x 15 from r = 16 on
    EXPECT_EQ(row_colour(419), 2u);
    EXPECT_EQ(row_colour(420), 0u);    // r = 31 ends black
    EXPECT_EQ(row_colour(421), 0u);

    // Rows at 600 and beyond are left out, so a band may hang off the bottom.
    clear_framebuffer(0);
    draw_bar_band(7, 590);
    EXPECT_EQ(row_colour(590), 7u);
    EXPECT_EQ(row_colour(599), 70u);
}

TEST(IntroBars, PairsSwingWithThePhase) {
    fresh_intro();
    draw_blue_bars();
    // Phase 0, pair 7 is drawn last: a = sin(28 x 3.14 / 90) = 0.828761, so its bars start at rows
    // [100a + 375] = 458 (step 14) and [-80a + 595] = 529 (step 7).
    EXPECT_EQ(row_colour(458), 14u);
    EXPECT_EQ(row_colour(473), 224u);  // the brightest value any bar reaches
    EXPECT_EQ(row_colour(474), 210u);
    EXPECT_EQ(row_colour(529), 7u);
    EXPECT_EQ(row_colour(544), 112u);
    // Pair 1's upper bar starts at row 389 = 375 + [100 x sin(0.1396)]; pair 2's starts at 403.
    EXPECT_EQ(row_colour(388), 0u);
    EXPECT_EQ(row_colour(389), 2u);
    EXPECT_EQ(row_colour(402), 28u);
    EXPECT_EQ(row_colour(403), 4u);

    // Half a swing later (phase 90: the sine's argument grows by 3.14) the bars mirror around 375 / 595.
    clear_framebuffer(0);
    intro_state.phase = 90.0;
    draw_blue_bars();
    EXPECT_EQ(row_colour(292), 14u);  // [375 - 82.88] = 292
    // The lower bars all start below row 595 now and hang off the frame: nothing of them shows.
    for (int y = 500; y < 600; ++y) ASSERT_EQ(row_colour(y), 0u) << y;
    for (int y = 0; y < 600; ++y) ASSERT_LE(row_colour(y), 224u) << y;  // only the blue channel
}

TEST(IntroStars, StartInsideTheirBandOfRowsAndColumns) {
    fresh_intro();
    random_seed(7);
    init_stars();
    for (int n = 1; n <= 300; ++n) {
        const intro_star& s = intro_state.stars[static_cast<size_t>(n)];
        ASSERT_GE(s.x, 0.0);
        ASSERT_LT(s.x, 800.0);
        ASSERT_GE(s.y, 22.0);
        ASSERT_LT(s.y, 492.0);
    }
    // Drawing all of them, edges included, stays inside rows 21..494.
    intro_state.step = 1.0;
    draw_stars();
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (y < 21 || y > 494) {
                ASSERT_EQ(frame_pixel(x, y), 0u) << x << "," << y;
            }
}

TEST(IntroStars, MoveByLayerSpeedAndDrawACrossWithItsCore) {
    fresh_intro();
    for (int n = 1; n <= 300; ++n) intro_state.stars[static_cast<size_t>(n)] = {-100.0, 300.0};  // out of sight
    intro_state.stars[1] = {100.7, 200.2};    // far
    intro_state.stars[150] = {300.0, 100.0};  // middle
    intro_state.stars[300] = {500.5, 50.9};   // near
    intro_state.step = 10.0;
    draw_stars();
    EXPECT_DOUBLE_EQ(intro_state.stars[1].x, 106.7);
    EXPECT_DOUBLE_EQ(intro_state.stars[150].x, 312.0);
    EXPECT_DOUBLE_EQ(intro_state.stars[300].x, 518.5);
    EXPECT_DOUBLE_EQ(intro_state.stars[300].y, 50.9);  // a star keeps its row
    // Drawn where it was before moving: core 2 x 2 at (100, 200), edges around it, corners untouched.
    EXPECT_EQ(frame_pixel(100, 200), 0x222222u);
    EXPECT_EQ(frame_pixel(101, 201), 0x222222u);
    EXPECT_EQ(frame_pixel(99, 200), 0x111111u);
    EXPECT_EQ(frame_pixel(102, 201), 0x111111u);
    EXPECT_EQ(frame_pixel(100, 199), 0x111111u);
    EXPECT_EQ(frame_pixel(101, 202), 0x111111u);
    EXPECT_EQ(frame_pixel(99, 199), 0u);
    EXPECT_EQ(frame_pixel(102, 202), 0u);
    EXPECT_EQ(frame_pixel(300, 100), 0x444444u);
    EXPECT_EQ(frame_pixel(299, 100), 0x222222u);
    EXPECT_EQ(frame_pixel(500, 50), 0x999999u);
    EXPECT_EQ(frame_pixel(500, 49), 0x444444u);
}

TEST(IntroStars, WrapAndStayHiddenNearTheSideEdges) {
    fresh_intro();
    for (int n = 1; n <= 300; ++n) intro_state.stars[static_cast<size_t>(n)] = {-100.0, 300.0};
    intro_state.stars[300] = {799.5, 100.0};  // near layer, ix = 799: not drawn, continues at 1.3
    intro_state.stars[299] = {795.9, 200.0};  // ix = 795: drawn, its edge reaching column 797
    intro_state.stars[298] = {796.0, 300.0};  // ix = 796: hidden
    intro_state.stars[297] = {5.0, 400.0};    // ix = 5: drawn, its edge at column 4
    intro_state.stars[296] = {4.9, 450.0};    // ix = 4: hidden
    intro_state.step = 1.0;
    draw_stars();
    EXPECT_NEAR(intro_state.stars[300].x, 1.3, 1e-9);
    EXPECT_EQ(row_colour(100), 0u);
    EXPECT_EQ(frame_pixel(795, 200), 0x999999u);
    EXPECT_EQ(frame_pixel(797, 200), 0x444444u);
    EXPECT_EQ(row_colour(300), 0u);
    EXPECT_EQ(frame_pixel(4, 400), 0x444444u);
    EXPECT_EQ(row_colour(450), 0u);
    EXPECT_NEAR(intro_state.stars[298].x, 797.8, 1e-9);
    // 800 itself does not wrap; only beyond it.
    intro_state.stars[300] = {798.2, 100.0};
    draw_stars();
    EXPECT_NEAR(intro_state.stars[300].x, 800.0, 1e-9);
}

TEST(IntroNoise, BurstsPresentNewBandsForHalfASecond) {
    headless_options o;
    o.keep_frames = true;
    fresh_intro(o);
    random_seed(3);
    noise_burst_coarse();
    const uint64_t screens = headless_frame_count();
    // Each screen costs a refresh (1/60 s) and a 1 ms sleep of virtual time: 28.3 screens fit.
    EXPECT_EQ(screens, 29u);
    EXPECT_GE(headless_time(), 0.5);
    // Bands of ten rows, each one colour across; the next screen has new colours.
    const auto& first = headless_frame(0);
    const auto& second = headless_frame(1);
    for (int y = 0; y < 600; ++y) ASSERT_EQ(surface_pixel(first, 799, y), surface_pixel(first, 0, y / 10 * 10)) << y;
    std::set<uint32_t> colours;
    for (int y = 0; y < 600; y += 10) colours.insert(surface_pixel(first, 0, y));
    EXPECT_GT(colours.size(), 50u);
    EXPECT_NE(surface_pixel(first, 0, 0), surface_pixel(second, 0, 0));

    // Fine bands are two rows high.
    fresh_intro(o);
    noise_burst_fine();
    const auto& fine = headless_frame(0);
    colours.clear();
    for (int y = 0; y < 600; y += 2) {
        ASSERT_EQ(surface_pixel(fine, 0, y), surface_pixel(fine, 0, y + 1));
        colours.insert(surface_pixel(fine, 0, y));
    }
    EXPECT_GT(colours.size(), 250u);
}

TEST(IntroNoise, ASlowMachineStillShowsOneScreen) {
    headless_options o;
    o.frame_seconds = 0.7;  // one refresh outlasts the burst
    fresh_intro(o);
    noise_burst_fine();
    EXPECT_EQ(headless_frame_count(), 1u);
}
