// Bitmap text: the tint table, transparent clipped glyphs, opaque band glyphs and string placement.
// Uses a synthetic sheet and palette, so the tests do not depend on the shipped font's design.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "render/framebuffer.h"
#include "render/text.h"

namespace {

constexpr uint32_t background = 0x00ABCDEF;
constexpr int column_of(int code) { return (code - 32) * 9 + 1; }

class Text : public ::testing::Test {
protected:
    std::vector<uint8_t> sheet = std::vector<uint8_t>(font_sheet_width * font_sheet_height, 0);
    std::vector<uint8_t> palette = std::vector<uint8_t>(768, 0);

    void SetUp() override {
        // 'A' style 1: every cell inked, level 1 + column (1..9). 'B' style 1: only the first and last
        // columns inked. 'A' style 2: level 200 everywhere. Space: a level-0 cell.
        for (int r = 0; r < 12; ++r) {
            for (int k = 0; k < 9; ++k) {
                sheet[r * font_sheet_width + column_of('A') + k] = static_cast<uint8_t>(1 + k);
                sheet[(14 + r) * font_sheet_width + column_of('A') + k] = 200;
                sheet[r * font_sheet_width + column_of('B') + k] = (k == 0 || k == 8) ? 5 : 0;
            }
        }
        for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i / 3);  // grey levels
        palette[21] = 255, palette[22] = 101, palette[23] = 7;  // level 7
        palette[27] = 15, palette[28] = 15, palette[29] = 5;    // level 9
        build_glyph_colours_from(sheet.data(), palette.data());
        clear_framebuffer(background);
    }
    static uint32_t colour(uint32_t level, uint32_t tint) { return text_state.colours[level * 31 + tint]; }
    static constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }
    static int changed_in(int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) n += frame_pixel(x, y) != background;
        return n;
    }
};

}  // namespace

TEST_F(Text, ColourTableGroupsDivisorsAndRounding) {
    // Level 7 is (255, 101, 7): floors of x / 1.5 and x / 2 for the second and third tint of a group,
    // 67 x 0.7 = 46.9, 4 x 0.3 = 1.2, 127 x 0.7 = 88.9. Level 9 is (15, 15, 5): 15 x 0.7 = 10.5 -> 10,
    // 5 x 0.3 = 1.5 -> 2, 15 x 0.3 = 4.5 -> 4, 5 x 0.7 = 3.5 -> 4 (halves to even). Tint 31 stays black.
    const std::tuple<uint32_t, uint32_t, uint32_t> entries[] = {
        {7, 1, rgb(255, 101, 7)}, {7, 2, rgb(170, 67, 4)},  {7, 3, rgb(127, 50, 3)},  {7, 5, rgb(170, 0, 0)},
        {7, 8, rgb(0, 67, 0)},    {7, 12, rgb(0, 0, 3)},    {7, 14, rgb(170, 67, 0)}, {7, 17, rgb(0, 67, 4)},
        {7, 20, rgb(170, 0, 4)},  {7, 23, rgb(170, 47, 1)}, {7, 26, rgb(51, 47, 4)},  {7, 30, rgb(89, 50, 2)},
        {9, 22, rgb(15, 10, 2)},  {9, 25, rgb(4, 10, 5)},   {9, 28, rgb(10, 15, 4)},  {7, 31, 0},
        {255, 31, 0},             {0, 0, 0}};
    for (const auto& [level, tint, value] : entries)
        EXPECT_EQ(colour(level, tint), value) << level << " " << tint;
}

TEST_F(Text, ClippedGlyphIsTransparentPlacedByItsCellAndClippedInclusively) {
    draw_glyph_clipped("B", 100, 50, 0, 799, 0, 599, 1, 1);
    EXPECT_EQ(frame_pixel(100, 50), colour(5, 1));
    EXPECT_EQ(frame_pixel(108, 61), colour(5, 1));
    EXPECT_EQ(frame_pixel(104, 55), background);  // level 0 is not drawn
    EXPECT_EQ(changed_in(90, 40, 120, 70), 24);
    draw_glyph_clipped("A", 200, 50, 0, 799, 0, 599, 2, 3);
    EXPECT_EQ(frame_pixel(200, 50), colour(200, 3));
    EXPECT_EQ(changed_in(190, 40, 220, 70), 108);
    // Bounds are inclusive.
    clear_framebuffer(background);
    draw_glyph_clipped("A", 100, 50, 100, 100, 0, 599, 1, 1);  // only the first column
    EXPECT_EQ(changed_in(90, 40, 120, 70), 12);
    EXPECT_EQ(frame_pixel(100, 50), colour(1, 1));
    clear_framebuffer(background);
    draw_glyph_clipped("A", 100, 50, 0, 799, 52, 53, 1, 1);  // rows 2 and 3 of the cell
    EXPECT_EQ(changed_in(90, 40, 120, 70), 18);
    EXPECT_NE(frame_pixel(104, 52), background);
    EXPECT_EQ(frame_pixel(104, 54), background);
}

TEST_F(Text, NothingIsDrawnForBadArguments) {
    for (int tint : {0, 32, -1}) draw_glyph_clipped("A", 100, 50, 0, 799, 0, 599, 1, tint);
    for (int style : {0, 3}) draw_glyph_clipped("A", 100, 50, 0, 799, 0, 599, style, 1);
    draw_glyph_clipped("", 100, 50, 0, 799, 0, 599, 1, 1);
    draw_glyph_clipped("\x1F", 100, 50, 0, 799, 0, 599, 1, 1);
    for (int tint : {0, 32}) draw_glyph_band("A", 100, 300, 1, tint);
    draw_glyph_band("A", 100, 300, 4, 1);
    draw_glyph_band("", 100, 300, 1, 1);
    EXPECT_EQ(changed_in(0, 0, 799, 599), 0);
    // Tint 31 is accepted and draws the visible cells black.
    draw_glyph_clipped("B", 100, 50, 0, 799, 0, 599, 1, 31);
    EXPECT_EQ(frame_pixel(100, 50), 0u);
    EXPECT_EQ(changed_in(90, 40, 120, 70), 24);
}

TEST_F(Text, TextPlacementAndControlCharacters) {
    draw_text_clipped("A\x01" "A", 100, 50, 0, 799, 0, 599, 1, 1);
    EXPECT_EQ(frame_pixel(100, 50), colour(1, 1));
    EXPECT_EQ(changed_in(109, 50, 117, 61), 0);  // the control character leaves its slot untouched
    EXPECT_EQ(frame_pixel(118, 50), colour(1, 1));
    EXPECT_EQ(frame_pixel(126, 50), colour(9, 1));
    EXPECT_EQ(changed_in(90, 40, 140, 70), 216);
}

TEST_F(Text, BandGlyphIsOpaqueAndLimitedToTheBand) {
    draw_glyph_band("B", 100, 300, 1, 1);
    EXPECT_EQ(changed_in(100, 300, 108, 311), 108);  // level 0 cells painted too
    EXPECT_EQ(frame_pixel(104, 305), colour(0, 1));
    EXPECT_EQ(changed_in(90, 290, 120, 320), 108);

    clear_framebuffer(background);
    draw_glyph_band("A", 100, 190, 1, 1);  // rows 193.. only: cell rows 3 to 11
    EXPECT_EQ(changed_in(100, 180, 108, 205), 9 * 9);
    EXPECT_EQ(frame_pixel(100, 192), background);
    EXPECT_NE(frame_pixel(100, 193), background);

    clear_framebuffer(background);
    draw_glyph_band("A", 100, 560, 2, 1);  // ..569 only: cell rows 0 to 9
    EXPECT_EQ(changed_in(100, 555, 108, 575), 9 * 10);
    EXPECT_EQ(frame_pixel(100, 570), background);

    clear_framebuffer(background);
    draw_glyph_band(" ", 100, 300, 1, 1);  // the space draws nothing, not even its background
    EXPECT_EQ(changed_in(90, 290, 120, 320), 0);
}
