// The intro's background layers: background gradient, bar bands and their swing, stars, noise bursts.
#include <gtest/gtest.h>

#include "intro_test_support.h"
#include "platform/system.h"

namespace {

// The colour of each given row, or 0xFFFFFFFF for a row that is not all one colour.
colours rows(std::initializer_list<int> ys) {
    colours out;
    for (int y : ys) {
        out.push_back(frame_pixel(0, y));
        for (int x = 1; x < 800; ++x)
            if (frame_pixel(x, y) != out.back()) out.back() = 0xFFFFFFFFu;
    }
    return out;
}

}  // namespace

TEST(IntroBackground, BlueGradientOnRowsOneToFiftyThenBarBandsAndTheirSwing) {
    fresh_intro();
    std::fill(framebuffer.begin(), framebuffer.end(), 0x123456u);
    draw_intro_background();
    EXPECT_EQ(rows({0, 1, 2, 50, 51, 599}), (colours{0, 0x96, 0x93, 3, 0, 0}));
    // Bar bands: s x (r + 1) up to s x 16 at r = 15, s x 15 from r = 16 on; rows from 600 on are left out.
    clear_framebuffer(0);
    draw_bar_band(7, 580);
    EXPECT_EQ(rows({579, 580, 595, 596}), (colours{0, 7, 112, 105}));
    // Phase 0: pair 1's upper bar starts at row 389 = 375 + [100 x sin(0.1396)]; pair 7
    // (a = sin(0.976889) = 0.828761) is drawn last, at rows 458 and 529; 224 is the brightest (blue only).
    clear_framebuffer(0);
    draw_blue_bars();
    EXPECT_EQ(rows({388, 389, 458, 473, 529}), (colours{0, 2, 14, 224, 7}));
    // Phase 90 adds 3.14 to every sine's argument: the upper bars mirror around 375 ([375 - 82.79]).
    clear_framebuffer(0);
    intro_state.phase = 90.0;
    draw_blue_bars();
    EXPECT_EQ(rows({292}), colours{14});
}

TEST(IntroStars, StartInsideTheirBandMoveByLayerSpeedAndHideNearTheSideEdges) {
    fresh_intro();
    random_seed(7);
    init_stars();
    auto& stars = intro_state.stars;
    for (size_t i = 1; i < stars.size(); ++i)
        ASSERT_TRUE(stars[i].x >= 0.0 && stars[i].x < 800.0 && stars[i].y >= 22.0 && stars[i].y < 492.0);
    for (intro_star& s : stars) s = {-100.0, 300.0};  // out of sight
    stars[1] = {100.7, 200.2};                       // far, the first layer
    stars[300] = {500.5, 50.9};                      // near, the last star of the last layer
    intro_state.step = 10.0;
    draw_stars();
    EXPECT_EQ(std::pair(stars[1].x, stars[300].x), std::pair(106.7, 518.5));
    // Drawn where it was before moving: a 2 x 2 core, the edge colour around it, corners untouched;
    // then the near layer's core.
    EXPECT_EQ(pixels({{101, 201}, {99, 200}, {101, 202}, {99, 199}, {501, 51}}),
              (colours{0x222222, 0x111111, 0x111111, 0, 0x999999}));

    // Stars at columns 5..795 are drawn, the others hidden; past 800 they wrap.
    clear_framebuffer(0);
    stars[300] = {799.5, 110.0};  // near layer, hidden, continues at 1.3
    stars[299] = {795.9, 200.0};  // drawn, its edge reaching column 797
    stars[298] = {796.0, 300.0};
    stars[297] = {5.0, 400.0};    // drawn, its edge at column 4
    stars[296] = {4.9, 450.0};
    intro_state.step = 1.0;
    draw_stars();
    EXPECT_NEAR(stars[300].x, 1.3, 1e-9);
    EXPECT_EQ(pixels({{797, 200}, {4, 400}}), (colours{0x444444, 0x444444}));
    EXPECT_EQ(rows({110, 300, 450}), (colours{0, 0, 0}));  // the hidden ones
}

// How the bands look is left unchecked: a wrong look is only another noise.
TEST(IntroNoise, ScreensForHalfASecond) {
    fresh_intro();
    noise_burst_coarse();
    // A screen costs a refresh (1/60 s) and a 1 ms sleep of virtual time: 28.3 of them fit.
    EXPECT_EQ(headless_frame_count(), 29u);
    // On a machine slower than the burst the time is tested first, so one screen still shows.
    fresh_intro({.frame_seconds = 0.7});
    noise_burst_fine();
    EXPECT_EQ(headless_frame_count(), 1u);
}
