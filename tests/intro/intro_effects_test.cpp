// The intro's background layers: background gradient, bar bands and their swing, stars, noise bursts.
#include <gtest/gtest.h>

#include <set>

#include "intro_test_support.h"
#include "platform/system.h"

namespace {

// The colour of row y when the whole row has one colour, else 0xFFFFFFFF.
uint32_t row_colour(int y) {
    const uint32_t c = frame_pixel(0, y);
    for (int x = 1; x < 800; ++x)
        if (frame_pixel(x, y) != c) return 0xFFFFFFFFu;
    return c;
}

// Puts every star out of sight, so that a test can place the few it looks at.
void hide_stars() {
    for (intro_star& s : intro_state.stars) s = {-100.0, 300.0};
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

TEST(IntroBars, BandsAndTheirSwing) {
    fresh_intro();
    draw_bar_band(7, 580);
    EXPECT_EQ(row_colour(579), 0u);
    EXPECT_EQ(row_colour(580), 7u);     // s x (r + 1)
    EXPECT_EQ(row_colour(595), 112u);   // s x 16 at r = 15
    EXPECT_EQ(row_colour(596), 105u);   // s x 15 from r = 16 on; rows from 600 on are left out

    clear_framebuffer(0);
    draw_blue_bars();
    // Phase 0: pair 1's upper bar starts at row 389 = 375 + [100 x sin(0.1396)], pair 2's at 403; pair 7
    // (a = sin(0.976889) = 0.828761) is drawn last, at rows 458 and 529.
    EXPECT_EQ(row_colour(388), 0u);
    EXPECT_EQ(row_colour(389), 2u);
    EXPECT_EQ(row_colour(403), 4u);
    EXPECT_EQ(row_colour(458), 14u);
    EXPECT_EQ(row_colour(473), 224u);  // the brightest value any bar reaches: blue only
    EXPECT_EQ(row_colour(529), 7u);
    EXPECT_EQ(row_colour(544), 112u);

    // Phase 90 adds 3.14 to every sine's argument: the upper bars mirror around 375, and the lower ones
    // all start below row 600.
    clear_framebuffer(0);
    intro_state.phase = 90.0;
    draw_blue_bars();
    EXPECT_EQ(row_colour(292), 14u);  // [375 - 82.79]
    for (int y = 500; y < 600; ++y) ASSERT_EQ(row_colour(y), 0u) << y;
}

TEST(IntroStars, StartInsideTheirBandAndMoveByLayerSpeed) {
    fresh_intro();
    random_seed(7);
    init_stars();
    for (int n = 1; n <= 300; ++n) {
        const intro_star& s = intro_state.stars[static_cast<size_t>(n)];
        ASSERT_TRUE(s.x >= 0.0 && s.x < 800.0 && s.y >= 22.0 && s.y < 492.0) << n;
    }
    hide_stars();
    intro_state.stars[1] = {100.7, 200.2};    // far
    intro_state.stars[150] = {300.0, 100.0};  // middle
    intro_state.stars[300] = {500.5, 50.9};   // near
    intro_state.step = 10.0;
    draw_stars();
    EXPECT_DOUBLE_EQ(intro_state.stars[1].x, 106.7);
    EXPECT_DOUBLE_EQ(intro_state.stars[150].x, 312.0);
    EXPECT_DOUBLE_EQ(intro_state.stars[300].x, 518.5);
    // Drawn where it was before moving: a 2 x 2 core, the edge colour around it, corners untouched.
    EXPECT_EQ(frame_pixel(101, 201), 0x222222u);
    EXPECT_EQ(frame_pixel(99, 200), 0x111111u);
    EXPECT_EQ(frame_pixel(102, 201), 0x111111u);
    EXPECT_EQ(frame_pixel(100, 199), 0x111111u);
    EXPECT_EQ(frame_pixel(101, 202), 0x111111u);
    EXPECT_EQ(frame_pixel(99, 199), 0u);
    EXPECT_EQ(frame_pixel(300, 100), 0x444444u);
    EXPECT_EQ(frame_pixel(500, 49), 0x444444u);
    EXPECT_EQ(frame_pixel(501, 51), 0x999999u);
}

TEST(IntroStars, WrapAndStayHiddenNearTheSideEdges) {
    fresh_intro();
    hide_stars();
    intro_state.stars[300] = {799.5, 100.0};  // near layer, ix = 799: not drawn, continues at 1.3
    intro_state.stars[299] = {795.9, 200.0};  // ix = 795: drawn, its edge reaching column 797
    intro_state.stars[298] = {796.0, 300.0};  // ix = 796: hidden
    intro_state.stars[297] = {5.0, 400.0};    // ix = 5: drawn, its edge at column 4
    intro_state.stars[296] = {4.9, 450.0};    // ix = 4: hidden
    intro_state.step = 1.0;
    draw_stars();
    EXPECT_NEAR(intro_state.stars[300].x, 1.3, 1e-9);
    EXPECT_EQ(row_colour(100), 0u);
    EXPECT_EQ(frame_pixel(797, 200), 0x444444u);
    EXPECT_EQ(row_colour(300), 0u);
    EXPECT_EQ(frame_pixel(4, 400), 0x444444u);
    EXPECT_EQ(row_colour(450), 0u);
    intro_state.stars[300] = {798.2, 100.0};  // 800 itself does not wrap
    draw_stars();
    EXPECT_NEAR(intro_state.stars[300].x, 800.0, 1e-9);
}

TEST(IntroNoise, BandsOfNewColoursForHalfASecond) {
    headless_options o;
    o.keep_frames = true;
    fresh_intro(o);
    random_seed(3);
    noise_burst_coarse();
    // A screen costs a refresh (1/60 s) and a 1 ms sleep of virtual time: 28.3 of them fit.
    EXPECT_EQ(headless_frame_count(), 29u);
    const auto& first = headless_frame(0);
    std::set<uint32_t> colours;
    for (int y = 0; y < 600; ++y) {
        ASSERT_EQ(surface_pixel(first, 799, y), surface_pixel(first, 0, y / 10 * 10)) << y;
        colours.insert(surface_pixel(first, 0, y));
    }
    EXPECT_GT(colours.size(), 50u);
    EXPECT_NE(surface_pixel(first, 0, 0), surface_pixel(headless_frame(1), 0, 0));

    fresh_intro(o);
    noise_burst_fine();
    const auto& fine = headless_frame(0);
    for (int y = 0; y < 600; y += 2) ASSERT_EQ(surface_pixel(fine, 0, y), surface_pixel(fine, 0, y + 1));
    EXPECT_NE(surface_pixel(fine, 0, 0), surface_pixel(fine, 0, 2));

    // On a machine slower than the burst the time is tested first, so one screen still shows.
    o.keep_frames = false;
    o.frame_seconds = 0.7;
    fresh_intro(o);
    noise_burst_fine();
    EXPECT_EQ(headless_frame_count(), 1u);
}
