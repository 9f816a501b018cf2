// The intro's text layers: the wave and gradient tables, the title lines, the embossed glyph and the
// wave glyph.
#include <gtest/gtest.h>

#include "intro_test_support.h"

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

}  // namespace

// Worked out by hand (d is about pi / 360): at phase 0, column 200 has k = 100, A = sin(1.309583) =
// 0.966078 and B = sin(0.873056) = 0.766295; at phase 10, column 0 has A = -0.321578, B = -0.342167.
TEST(IntroTables, AtPhaseZeroAndTen) {
    fresh_intro();
    const auto& s = intro_state;
    // Column 0 at 310 and 592; column 200 at 310 + 96.608 + 55.940 and 592 - (28.982 + 36.782); column
    // 199 shares k = (i + 1) / 2 with it.
    EXPECT_EQ((std::vector<int32_t>{s.wave_upright[0], s.wave_reflection[0], s.wave_upright[200],
                                    s.wave_reflection[200], s.wave_upright[199]}),
              (std::vector<int32_t>{310, 592, 463, 526, 463}));
    // Lines: g(20) = 0.500203, g(40) = 0.866260; scroller: g(50) = 0.966078, g(100) = 0.498984;
    // reflection: g(-10), g(-90), g(-170), rounded down.
    EXPECT_EQ((colours{s.line_gradient[0], s.scroller_gradient[0], s.reflection_gradient[0]}),
              (colours{rgb(125, 170, 203), rgb(150, 247, 200), rgb(87, 64, 148)}));

    intro_state.phase = 10.0;
    update_intro_tables();
    EXPECT_EQ(s.wave_upright[0], 253);     // 310 - 32.158 - 24.978
    EXPECT_EQ(s.wave_reflection[0], 618);  // 592 + 9.647 + 16.424
    EXPECT_EQ(s.line_gradient[0], rgb(148, 189, 212));  // g(10), g(30), g(50)
    // The reflection fades out over the last rows, black from entry 588 on.
    EXPECT_TRUE(std::all_of(&s.reflection_gradient[588], &s.reflection_gradient[631],
                            [](uint32_t c) { return c == 0; }));
}

TEST(TitleLines, CentredEmbossedAndKeptInsideTheirRowAtTheRightEdge) {
    fresh_intro();
    // "[" has no glyph: it counts for the centring (3 characters start at 352) but takes no room; lower
    // case reads as upper case, also beyond ASCII.
    EXPECT_EQ(drawn([] { draw_centred_line("a[B", 200); }), drawn([] {
                  draw_big_glyph(big_glyph_column('A'), 352, 200);
                  draw_big_glyph(big_glyph_column('B'), 384, 200);
              }));
    EXPECT_TRUE(big_glyph_column('z') == 1856 && big_glyph_column('\xC4') == -1);
    // The nine lines sit on rows 33n + 60; nothing above line 1's highlight, ink inside its first star.
    const auto lines = drawn([] { draw_intro_lines(); });
    EXPECT_TRUE(std::all_of(lines.begin(), lines.begin() + 92 * 800, [](uint32_t p) { return p == 0; }));
    EXPECT_NE(frame_pixel(400 - 16 * 23 + 12, 93 + 8), 0u);
    // Drawn at 772, glyph column 27 is frame column 799; its shadow would land in column 800, the
    // next row's first pixel.
    clear_framebuffer(0);
    draw_big_glyph(big_glyph_column('H'), 772, 300);
    EXPECT_EQ(frame_pixel(799, 310), intro_state.line_gradient[310]);
    for (int y = 0; y < 600; ++y) ASSERT_EQ(frame_pixel(0, y), 0u) << y;
    // 'H' is ink on glyph columns 0..7 and 20..27, rows 0..27: highlight up and left, ink tinted by its
    // row, shadow down and right. At the left edge ink starts in column 1 with its highlight in column
    // 0; nothing lands at the end of the row above.
    clear_framebuffer(0);
    draw_big_glyph(big_glyph_column('H'), -3, 300);
    EXPECT_EQ(pixels({{0, 309}, {1, 310}, {5, 328}, {799, 309}}),
              (colours{0xFFFFFF, intro_state.line_gradient[310], 0x444444, 0}));
}

TEST(WaveGlyph, BendsAlongTheWaveWithAnUpsideDownReflection) {
    fresh_intro();
    draw_wave_glyph(big_glyph_column('H'), 200);
    for (int32_t x = 201; x < 208; ++x) {  // the first stroke, column by column on its own row
        const int32_t y = intro_state.wave_upright[static_cast<size_t>(x)];
        const int32_t ry = intro_state.wave_reflection[static_cast<size_t>(x)];
        // Output row 10 of the reflection is sheet row 21; output rows 0..3 are the empty sheet rows 28..31.
        EXPECT_EQ(pixels({{x, y + 5}, {x, ry + 10}, {x, ry + 1}}),
                  (colours{intro_state.scroller_gradient[static_cast<size_t>(y + 5)],
                           intro_state.reflection_gradient[static_cast<size_t>(ry + 10)], 0}))
            << x;
    }
    for (int x = 0; x < 800; ++x) ASSERT_EQ(frame_pixel(x, 599), 0u);  // the reflection stops at 598
}
