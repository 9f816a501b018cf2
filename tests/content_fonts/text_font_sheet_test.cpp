// The shipped text font keeps the cell layout every page relies on: ink in both faces of every
// printable code, an empty last row between lines and an empty last column between letters.
#include <gtest/gtest.h>

#include "content/fonts/text_font.h"

namespace {

int cell(int code, int style, int row, int k) {
    return text_font_data[static_cast<size_t>((style == 1 ? 0 : 14) + row) * text_font_sheet_width + static_cast<size_t>((code - 32) * 9 + 1 + k)];
}
int ink(int code, int style) {
    int n = 0;
    for (int r = 0; r < 12; ++r) {
        for (int k = 0; k < 9; ++k) n += cell(code, style, r, k) != 0;
    }
    return n;
}

TEST(TextFontSheet, EveryGlyphInkedAndSpacedFromItsNeighbours) {
    EXPECT_EQ(ink(' ', 1) + ink(' ', 2), 0);
    for (int c = 33; c <= 126; ++c) EXPECT_TRUE(ink(c, 1) > 0 && ink(c, 2) > 0) << "code " << c;
    // Row 11 never inked, so descenders never touch the next line; ASCII keeps row 0 empty too, and
    // column 8 of the reading face stays empty so neighbours never touch (the underscore joins).
    for (int c = 32; c <= 255; ++c) {
        for (int k = 0; k < 9; ++k) EXPECT_EQ(cell(c, 1, 11, k) + (c <= 126 ? cell(c, 1, 0, k) : 0), 0) << "code " << c;
        for (int r = 0; r < 12 && c <= 126 && c != '_'; ++r) EXPECT_EQ(cell(c, 1, r, 8), 0) << "code " << c;
    }
}

}  // namespace
