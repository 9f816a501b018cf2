// The shipped text font: the sheet the build generated matches its source and keeps the cell layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "content/fonts/text_font.h"
#include "tools/fontc/fontc.h"
#include "tools/toolkit/tool_io.h"

namespace {

int level(int row, int column) {
    return text_font_data[static_cast<size_t>(row) * text_font_sheet_width + static_cast<size_t>(column)];
}

int cell(int code, int style, int row, int k) {
    return level((style == 1 ? 0 : 14) + row, (code - 32) * 9 + 1 + k);
}

// Pixels of a glyph at or above a level.
int ink(int code, int style, int at_least = 1) {
    int n = 0;
    for (int r = 0; r < 12; ++r)
        for (int k = 0; k < 9; ++k) n += cell(code, style, r, k) >= at_least;
    return n;
}

} // namespace

TEST(TextFontSheet, IsTheCompiledShippedSource) {
    std::string source;
    ASSERT_TRUE(tool_read_text(KV_TEXT_FONT_SOURCE, source)) << KV_TEXT_FONT_SOURCE;
    std::vector<unsigned char> data;
    std::string error;
    ASSERT_TRUE(fontc_compile(source, "text_font.txt", data, error)) << error;
    ASSERT_EQ(data.size(), sizeof text_font_data);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), text_font_data));
}

TEST(TextFontSheet, ColumnZeroAndGapRowsBelongToNoGlyph) {
    for (int row = 0; row < text_font_sheet_height; ++row) EXPECT_EQ(level(row, 0), 0) << row;
    for (int row : {12, 13, 26, 27}) {
        for (int col = 0; col < text_font_sheet_width; ++col)
            ASSERT_EQ(level(row, col), 0) << row << "," << col;
    }
    // Past the last cell (code 255) the sheet is empty.
    for (int row = 0; row < text_font_sheet_height; ++row) {
        for (int col = (256 - 32) * 9 + 1; col < text_font_sheet_width; ++col) ASSERT_EQ(level(row, col), 0);
    }
}

TEST(TextFontSheet, EveryPrintableCodeHasInkInBothFacesExceptSpace) {
    EXPECT_EQ(ink(32, 1), 0);
    EXPECT_EQ(ink(32, 2), 0);
    for (int c = 33; c <= 126; ++c) {
        EXPECT_GT(ink(c, 1), 0) << "code " << c;
        EXPECT_GT(ink(c, 2), 0) << "code " << c;
    }
    for (unsigned char c : std::string(
             "\xE0\xE1\xE2\xE4\xE3\xE5\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF1\xF2\xF3\xF4\xF6"
             "\xF5\xF8\xF9\xFA\xFB\xFC\xFD\xFF\xDF\xA3\xA9\xB0\xB1\xB2\xB3\xB5\xB7\xBF\xA1\xAB\xBB\xD7")) {
        EXPECT_GT(ink(c, 1), 0) << "code " << int{c};
        EXPECT_GT(ink(c - (c >= 0xE0 && c != 0xF7 && c != 0xFF ? 32 : 0), 1), 0) << "capital of " << int{c};
    }
}

TEST(TextFontSheet, ReadingFaceLeavesRoomBetweenLinesAndLetters) {
    // Row 11 is never inked, so descenders never touch the next line; ASCII keeps row 0 empty too.
    // Column 8 stays empty so neighbours never touch (the underscore joins on purpose).
    for (int c = 32; c <= 255; ++c) {
        for (int k = 0; k < 9; ++k) EXPECT_EQ(cell(c, 1, 11, k), 0) << "code " << c;
        if (c > 126) continue;
        for (int k = 0; k < 9; ++k) EXPECT_EQ(cell(c, 1, 0, k), 0) << "code " << c;
        if (c == '_') continue;
        for (int r = 0; r < 12; ++r) EXPECT_EQ(cell(c, 1, r, 8), 0) << "code " << c;
    }
}

TEST(TextFontSheet, HeadingFaceIsBolderAndDarkensDownward) {
    // Compared on solid pixels: the reading face's soft edge pixels are not weight.
    for (int c = 'A'; c <= 'Z'; ++c) EXPECT_GT(ink(c, 2, 100), ink(c, 1, 255)) << static_cast<char>(c);
    // The brightest level of a stem falls from the top of 'I' to its bottom.
    int top = 0, bottom = 0;
    for (int k = 0; k < 9; ++k) {
        top = std::max(top, cell('I', 2, 1, k));
        bottom = std::max(bottom, cell('I', 2, 8, k));
    }
    EXPECT_GT(top, bottom);
}
