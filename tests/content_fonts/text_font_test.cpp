// The text font: fontc places glyphs, shades the heading face and refuses bad sources with their line
// and reason; the shipped sheet gives every printable code ink in both faces and keeps the cell layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "content/fonts/text_font.h"
#include "tools/fontc/fontc.h"

namespace {

// A face block with one full pixel in its middle row 5 (none for the space).
std::string face(int style, bool ink = true) {
    std::string s = "style " + std::to_string(style) + "\n";
    for (int row = 0; row < 12; ++row) s += row == 5 && ink ? "|    #    |\n" : "|         |\n";
    return s;
}
// A complete source: 4 header lines, then 27 lines per code 32..126, so code c opens on line 5 + 27 * (c - 32).
std::string valid_source() {
    std::string s = "# test font\nlevel . 60\nlevel # 200\nshade 100 100 100 100 100 50 100 100 100 100 100 100\n";
    for (int c = 32; c <= 126; ++c) {
        char head[32];
        std::snprintf(head, sizeof head, "char U+%04X\n", static_cast<unsigned>(c));
        s += head + face(1, c != 32) + face(2, c != 32);
    }
    return s;
}

struct compiled {
    bool ok;
    std::vector<unsigned char> data;
    std::string error;
};
compiled compile(const std::string& source) {
    compiled r;
    r.ok = fontc_compile(source, "font.txt", r.data, r.error);
    return r;
}
int level(const compiled& r, int row, int column) { return r.data[static_cast<size_t>(row * fontc_sheet_width + column)]; }

TEST(FontcChecker, PlacesGlyphsAndShadesTheHeadingFace) {
    std::string src = valid_source();
    const size_t a = src.find("|    #    |", src.find("char U+0041"));
    src.replace(a, 11, "|#.      #|");  // 'A' style 1, row 5
    compiled r = compile(src);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.data.size(), static_cast<size_t>(fontc_data_size));
    const int col = (65 - 32) * 9 + 1, tilde = (126 - 32) * 9 + 1;
    EXPECT_EQ(std::vector<int>({level(r, 5, col), level(r, 5, col + 1), level(r, 5, col + 8), level(r, 5, col + 9)}),
              std::vector<int>({200, 60, 200, 0}));    // '#', '.', '#', then the next glyph's first column
    EXPECT_EQ(level(r, 14 + 5, col + 4), 100);        // row 5 of the heading face shaded to 50 %
    EXPECT_EQ(level(r, 5, tilde + 4), 200);           // the last code in its cell, nothing past it
    for (int c = tilde + 9; c < fontc_sheet_width; ++c) ASSERT_EQ(level(r, 5, c), 0) << c;
    EXPECT_EQ(r.data[static_cast<size_t>(fontc_sheet_width * fontc_sheet_height + 3 * 200 + 2)], 200);  // level n is grey n
    // Latin-1 glyphs after the required ones, from a CRLF file.
    std::string crlf;
    for (char c : valid_source() + "char U+00E9 \xC3\xA9\n" + face(1) + face(2)) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    r = compile(crlf);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(level(r, 5, (0xE9 - 32) * 9 + 5), 200);
}

TEST(FontcChecker, RejectsBadSourcesNamingTheirLine) {
    // Each case replaces the first `what` after `after` in the valid source ('A' opens on line 896).
    struct bad_case {
        const char* after;
        std::string what, with;
        int line;
        const char* message;
    };
    const std::string ink = "|    #    |";
    const bad_case cases[] = {
        {"char U+0041", ink, "|    #   |", 903, "9 level characters"},
        {"char U+0041", ink, "|    #    #", 903, "9 level characters"},
        {"char U+0041", ink, "|    x    |", 903, "unknown level character 'x' in column 5"},
        {"char U+0041", ink, "|    \xC3\xA9   |", 903, "non-ASCII"},
        {"char U+0041", "style 1\n", "|         |\nstyle 1\n", 897, "outside a block"},
        {"char U+0041", "style 2\n", "style 3\n", 910, "'style 1' or 'style 2'"},
        {"char U+0041", "style 1\n", "stlye 1\n", 897, "unknown line 'stlye'"},
        {"", "char U+0041\n", "char U+0041 B\n", 896, "must agree"},
        {"", "char U+0041\n", "char U+0041 \xC3\n", 896, "not one valid UTF-8"},
        {"", "char U+0041\n", "char U+0100\n", 896, "no cell"},
        {"", "char U+0041\n", "char 65\n", 896, "expected 'char U+XXXX'"},
        {"char U+0042", "style 1\n|         |\n", "style 1\n", 924, "U+0042 'B' style 1 block has 11 rows"},
        {"char U+0042", "style 2\n", "|         |\nstyle 2\n", 937, "U+0042 'B' style 1 block has more than 12"},
        {"", "char U+0042", "char U+0041", 923, "U+0041 'A' defined twice (first on line 896)"},
        {"char U+0043", face(2), "", 950, "U+0043 'C' has no style 2 block"},
        {"", "char U+0042\n" + face(1) + face(2), "", 2542, "end of source: no glyph for U+0042 'B'"},
        {"", "char U+0020", "level | 9\nchar U+0020", 5, "other than space and '|'"},
        {"", "char U+0020", "level . 70\nchar U+0020", 5, "given twice"},
        {"", "char U+0020", "level x 0\nchar U+0020", 5, "1..255"},
        {"char U+007E", face(2), face(2) + "level x 9\n", 2570, "before the first glyph"},
        {"", "50 100 100 100 100 100 100\n", "50\n", 4, "12 percentages"},
        {"", "shade", "shade 13", 4, "found more"},
    };
    for (const bad_case& c : cases) {
        std::string src = valid_source();
        src.replace(src.find(c.what, src.find(c.after)), c.what.size(), c.with);
        const compiled r = compile(src);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.error.substr(0, r.error.find(' ')), "font.txt:" + std::to_string(c.line) + ":") << r.error;
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
    }
}

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
