// The intro's text layers: the wave and gradient tables, the title lines, the embossed glyph and the
// wave glyph (fast against plain).
#include <gtest/gtest.h>

#include "intro_test_support.h"

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

// Frame after drawing with draw(), starting from a black frame.
template <typename F>
std::vector<uint32_t> drawn(F draw) {
    clear_framebuffer(0);
    draw();
    return frame_copy();
}

}  // namespace

// Values worked out by hand: d is about pi / 360, so at phase 0 column 200 (k = 100) has
// A = sin(1.309583) = 0.966078 and B = sin(0.873056) = 0.766295.
TEST(IntroTables, WavesAtPhaseZeroAndTen) {
    fresh_intro();
    update_intro_tables();
    EXPECT_EQ(intro_state.wave_upright[0], 310);
    EXPECT_EQ(intro_state.wave_reflection[0], 592);
    EXPECT_EQ(intro_state.wave_upright[200], 463);     // 310 + 96.608 + 55.940 = 462.55
    EXPECT_EQ(intro_state.wave_reflection[200], 526);  // 592 - (28.982 + 36.782) = 526.24
    // k = (i + 1) / 2 pairs the columns: 1 with 2, 199 with 200.
    EXPECT_EQ(intro_state.wave_upright[1], intro_state.wave_upright[2]);
    EXPECT_EQ(intro_state.wave_upright[199], intro_state.wave_upright[200]);
    EXPECT_NE(intro_state.wave_upright[0], intro_state.wave_upright[1]);

    intro_state.phase = 10.0;  // A = sin(-0.327396) = -0.321578, B = sin(-0.349222) = -0.342167
    update_intro_tables();
    EXPECT_EQ(intro_state.wave_upright[0], 253);     // 310 - 32.158 - 24.978 = 252.86
    EXPECT_EQ(intro_state.wave_reflection[0], 618);  // 592 + 9.647 + 16.424 = 618.07
}

TEST(IntroTables, GradientsAtPhaseZeroAndTen) {
    fresh_intro();
    update_intro_tables();
    // g(20) = 0.500203, g(40) = 0.866260: 125 + 45.02, 125 + 77.96.
    EXPECT_EQ(intro_state.line_gradient[0], rgb(125, 170, 203));
    // g(50) = 0.966078, g(100) = 0.498984.
    EXPECT_EQ(intro_state.scroller_gradient[0], rgb(150, 247, 200));
    // g(-10) = -0.258932, g(-90) = -0.706361, g(-170) = 0.966442, rounded down.
    EXPECT_EQ(intro_state.reflection_gradient[0], rgb(87, 64, 148));
    const uint32_t scroller_10 = intro_state.scroller_gradient[10];
    const uint32_t reflection_10 = intro_state.reflection_gradient[10];

    intro_state.phase = 10.0;
    update_intro_tables();
    // g(10) = 0.258932, g(30) = 0.707356, g(50) = 0.966078.
    EXPECT_EQ(intro_state.line_gradient[0], rgb(148, 189, 212));
    // Only the title lines' gradient moves with the phase.
    EXPECT_EQ(intro_state.scroller_gradient[10], scroller_10);
    EXPECT_EQ(intro_state.reflection_gradient[10], reflection_10);
}

TEST(IntroTables, ReflectionFadesOutTowardsTheBottom) {
    fresh_intro();
    update_intro_tables();
    for (size_t i = 588; i <= 630; ++i) EXPECT_EQ(intro_state.reflection_gradient[i], 0u) << i;
    const auto sum = [](uint32_t c) { return (c >> 16) + (c >> 8 & 0xFF) + (c & 0xFF); };
    EXPECT_GE(sum(intro_state.reflection_gradient[521]), 150u);  // every channel at least 50
    EXPECT_LT(sum(intro_state.reflection_gradient[585]), sum(intro_state.reflection_gradient[521]) / 5);
    // Every channel stays a byte: the line gradient spans 35..215, the scroller's 50..250.
    for (size_t i = 0; i <= 630; ++i) EXPECT_LE(intro_state.scroller_gradient[i] >> 16, 250u);
}

TEST(IntroLines, CentredOnColumn400AndSkippingCharactersWithoutGlyphs) {
    fresh_intro();
    update_intro_tables();
    // Line 9 has 17 characters and starts at 400 - 272 = 128.
    const std::string line9 = "= TRY F1 TO F12 =";
    const auto centred = drawn([&] { draw_centred_line(line9, 357); });
    const auto by_hand = drawn([&] {
        for (size_t i = 0; i < line9.size(); ++i)
            draw_big_glyph(big_glyph_column(line9[i]), 128 + 32 * static_cast<int32_t>(i), 357);
    });
    EXPECT_EQ(centred, by_hand);
    EXPECT_EQ(intro_state.lines[9], line9);

    // "[" has no glyph: it counts for the centring but takes no room; lower case reads as upper case.
    const auto skipped = drawn([] { draw_centred_line("a[B", 200); });
    const auto glyphs = drawn([] {
        draw_big_glyph(big_glyph_column('A'), 352, 200);
        draw_big_glyph(big_glyph_column('B'), 384, 200);
    });
    EXPECT_EQ(skipped, glyphs);
    EXPECT_EQ(big_glyph_column('['), -1);
    EXPECT_EQ(big_glyph_column(' '), 0);
    EXPECT_EQ(big_glyph_column('Z'), 1856);
    EXPECT_EQ(big_glyph_column('z'), 1856);
    EXPECT_EQ(big_glyph_column('\x1F'), -1);
    EXPECT_EQ(big_glyph_column('\xC4'), -1);

    const auto empty = drawn([] { draw_centred_line("", 200); });
    EXPECT_EQ(empty, std::vector<uint32_t>(empty.size(), 0u));
}

TEST(IntroLines, NineLinesOnTheirRows) {
    fresh_intro();
    update_intro_tables();
    const auto all = drawn([] { draw_intro_lines(); });
    const auto by_hand = drawn([] {
        for (int32_t n = 1; n <= 9; ++n) draw_centred_line(intro_state.lines[static_cast<size_t>(n)], 33 * n + 60);
    });
    EXPECT_EQ(all, by_hand);
    // Line 1 (23 stars from column 32) has ink on its rows 93..124, and nothing is drawn above its highlight.
    bool ink = false;
    for (int x = 0; x < 800; ++x) ink = ink || framebuffer[static_cast<size_t>(100 * 800 + x)] != 0;
    EXPECT_TRUE(ink);
    for (int y = 0; y < 92; ++y)
        for (int x = 0; x < 800; ++x) ASSERT_EQ(frame_pixel(x, y), 0u) << x << "," << y;
}

TEST(BigGlyph, EmbossedWithShadowHighlightAndGradient) {
    fresh_intro();
    update_intro_tables();
    clear_framebuffer(0);
    // 'H' has a full stroke in its first block column: cells (0..7, 0..27) are ink.
    draw_big_glyph(big_glyph_column('H'), 100, 200);
    EXPECT_EQ(frame_pixel(99, 199), 0xFFFFFFu);                        // highlight up and left
    EXPECT_EQ(frame_pixel(100, 210), intro_state.line_gradient[210]);  // ink tinted by its row
    EXPECT_EQ(frame_pixel(108, 228), 0x444444u);                       // shadow below the stroke's corner
    EXPECT_EQ(frame_pixel(100, 230), 0u);                              // below the letter
}

TEST(BigGlyph, ShadowStaysInsideItsRowAtTheRightEdge) {
    fresh_intro();
    update_intro_tables();
    clear_framebuffer(0);
    // 'H' has ink in glyph column 27: drawn at 772 that is frame column 799, whose shadow would fall
    // into column 800, the first pixel of the next row.
    draw_big_glyph(big_glyph_column('H'), 772, 300);
    EXPECT_EQ(frame_pixel(799, 310), intro_state.line_gradient[310]);
    for (int y = 0; y < 600; ++y) ASSERT_EQ(frame_pixel(0, y), 0u) << y;
    // Glyph columns left of frame column 1 are not drawn; column 0 only takes the highlight.
    clear_framebuffer(0);
    draw_big_glyph(big_glyph_column('H'), -4, 300);
    EXPECT_EQ(frame_pixel(1, 310), intro_state.line_gradient[310]);
    EXPECT_EQ(frame_pixel(0, 309), 0xFFFFFFu);
    EXPECT_EQ(frame_pixel(0, 300 + 31), 0u);
}

TEST(BigGlyph, FastAndPlainDrawTheSame) {
    fresh_intro();
    intro_state.phase = 37.5;
    update_intro_tables();
    for (char ch : std::string(" *0=AHMQW")) {
        for (int32_t x : {-31, -5, 1, 300, 772, 790}) {
            const int32_t g = big_glyph_column(ch);
            const auto fast = drawn([&] { draw_big_glyph(g, x, 150); });
            const auto plain = drawn([&] { draw_big_glyph_plain(g, x, 150); });
            ASSERT_EQ(fast, plain) << ch << " at " << x;
        }
    }
}

TEST(WaveGlyph, FastAndPlainDrawTheSameOnEveryPartOfTheWave) {
    fresh_intro();
    for (double phase : {0.0, 55.5}) {
        intro_state.phase = phase;
        update_intro_tables();
        for (char ch : std::string("AGMW*")) {
            for (int32_t x = -31; x < 800; x += 61) {
                const int32_t g = big_glyph_column(ch);
                const auto fast = drawn([&] { draw_wave_glyph(g, x); });
                const auto plain = drawn([&] { draw_wave_glyph_plain(g, x); });
                ASSERT_EQ(fast, plain) << ch << " at " << x << ", phase " << phase;
            }
        }
    }
}

TEST(WaveGlyph, BendsAlongTheWaveWithACutOffReflection) {
    fresh_intro();
    update_intro_tables();
    clear_framebuffer(0);
    // 'H' at column 200: its first stroke column follows the upright wave at every column.
    draw_wave_glyph(big_glyph_column('H'), 200);
    for (int32_t x = 201; x < 208; ++x) {
        const int32_t y = intro_state.wave_upright[static_cast<size_t>(x)];
        EXPECT_EQ(frame_pixel(x, y + 5), intro_state.scroller_gradient[static_cast<size_t>(y + 5)]) << x;
        // The reflection is upside down: sheet row 0 lands on output row 31, here the empty block row.
        const int32_t ry = intro_state.wave_reflection[static_cast<size_t>(x)];
        EXPECT_EQ(frame_pixel(x, ry + 10), intro_state.reflection_gradient[static_cast<size_t>(ry + 10)]) << x;
    }
    // Nothing at row 598 or below comes from the reflection's own pass; at most the shadow reaches 598.
    for (int y = 599; y < 600; ++y)
        for (int x = 0; x < 800; ++x) ASSERT_EQ(frame_pixel(x, y), 0u);
}
