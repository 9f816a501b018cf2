// The big font: the bigfontc checker's errors, and the sheet the build made from the source design.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "content/fonts/big_font.h"
#include "tools/bigfontc/bigfontc.h"

namespace {

std::string read_source() {
    std::ifstream in(KV_BIG_FONT_SOURCE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A complete, valid source: every glyph a filled square except the listed overrides.
std::string square_font(const std::string& header = "", const std::string& extra = "") {
    std::string s = header;
    for (int c = 32; c <= 90; ++c) {
        char id[32];
        std::snprintf(id, sizeof id, "glyph U+%04X\n", static_cast<unsigned>(c));
        s += id;
        for (int r = 0; r < 8; ++r) s += "|\u2588\u2588      |\n";
    }
    return s + extra;
}

std::string compile_error(const std::string& source) {
    std::vector<unsigned char> data;
    std::string error;
    EXPECT_FALSE(bigfontc_compile(source, "f.txt", data, error));
    return error;
}

bool ink(const unsigned char* data, int x, int y) {
    const unsigned char index = data[y * big_font_sheet_width + x];
    const unsigned char* p = data + big_font_sheet_width * big_font_sheet_height + index * 3;
    return p[0] != 0 || p[1] != 0 || p[2] != 0;
}

}  // namespace

TEST(BigFontSource, CompilesToTheSheetTheProgramCarries) {
    const std::string source = read_source();
    ASSERT_FALSE(source.empty());
    std::vector<unsigned char> data;
    std::string error;
    ASSERT_TRUE(bigfontc_compile(source, "big_font.txt", data, error)) << error;
    ASSERT_EQ(data.size(), sizeof big_font_data);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), big_font_data));
}

TEST(BigFontSheet, EveryGlyphButSpaceHasInkAndLeavesItsGap) {
    for (int c = 32; c <= 90; ++c) {
        const int x0 = 32 * c - 1024;
        int cells = 0, gap = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                if (!ink(big_font_data, x0 + x, y)) continue;
                ++cells;
                if (x >= 28) ++gap;
            }
        if (c == 32) {
            EXPECT_EQ(cells, 0);
        } else {
            EXPECT_GT(cells, 40) << "code " << c;
        }
        EXPECT_EQ(gap, 0) << "code " << c;  // the last four columns separate the letters
    }
    // Palette entry 0 is transparent black; the entries the ink uses are not.
    const unsigned char* palette = big_font_data + big_font_sheet_width * big_font_sheet_height;
    EXPECT_EQ(palette[0] + palette[1] + palette[2], 0);
    for (int e = 1; e <= 32; ++e) EXPECT_GT(palette[e * 3] + palette[e * 3 + 1] + palette[e * 3 + 2], 0);
}

TEST(BigFontSheet, HalfBlocksCutAlongTheirDiagonal) {
    // 'A' starts with a lower-right half block: its top-left pixel is empty, its bottom-right one ink.
    const int a = 32 * 'A' - 1024;
    EXPECT_FALSE(ink(big_font_data, a, 0));
    EXPECT_TRUE(ink(big_font_data, a + 3, 0));
    EXPECT_TRUE(ink(big_font_data, a, 3));
    EXPECT_TRUE(ink(big_font_data, a + 3, 3));
    EXPECT_FALSE(ink(big_font_data, a + 1, 1));
    EXPECT_TRUE(ink(big_font_data, a + 2, 1));
}

TEST(BigFontCompiler, ValidSourceAndShadedPalette) {
    std::vector<unsigned char> data;
    std::string error;
    ASSERT_TRUE(bigfontc_compile(square_font("top 200 0 0\nbottom 10 0 0\n"), "f.txt", data, error)) << error;
    ASSERT_EQ(data.size(), static_cast<size_t>(bigfontc_data_size));
    // Row r of the ink uses entry r + 1, shaded from top to bottom.
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[31 * bigfontc_sheet_width + 7], 32);
    EXPECT_EQ(data[8], 0);
    const size_t pal = static_cast<size_t>(bigfontc_sheet_width) * bigfontc_sheet_height;
    EXPECT_EQ(data[pal + 3], 200);
    EXPECT_EQ(data[pal + 32 * 3], 10);
}

TEST(BigFontCompiler, RejectsBrokenSourcesWithTheirLine) {
    // Row with seven blocks in the first glyph (line 2 is its first row).
    std::string s = square_font();
    s.replace(s.find("|\u2588\u2588      |"), std::string("|\u2588\u2588      |").size(), "|\u2588\u2588     |");
    EXPECT_EQ(compile_error(s), "f.txt:2: glyph U+0020 row 0: 7 blocks, expected 8");
    // Nine blocks.
    s = square_font();
    s.replace(s.find("|\u2588\u2588      |"), std::string("|\u2588\u2588      |").size(), "|\u2588\u2588       |");
    EXPECT_EQ(compile_error(s), "f.txt:2: glyph U+0020 row 0: more than 8 blocks");
    // Unknown block character, missing bar.
    s = square_font();
    s.replace(s.find("|\u2588\u2588      |"), std::string("|\u2588\u2588      |").size(), "|##      |");
    EXPECT_NE(compile_error(s).find("f.txt:2: unknown block U+0023"), std::string::npos);
    s = square_font();
    s.replace(s.find("|\u2588\u2588      |"), std::string("|\u2588\u2588      |").size(), "|\u2588\u2588      ");
    EXPECT_NE(compile_error(s).find("f.txt:2: glyph U+0020 row 0: expected a row"), std::string::npos);
    // Truncated UTF-8.
    s = square_font();
    s.replace(s.find("|\u2588\u2588      |"), std::string("|\u2588\u2588      |").size(), "|\xE2\x96      |");
    EXPECT_EQ(compile_error(s), "f.txt:2: malformed UTF-8 in a glyph row");
    // Duplicate, out-of-range and missing glyphs, a source ending inside a glyph.
    EXPECT_EQ(compile_error(square_font("", "glyph U+0041 A\n")), "f.txt:532: glyph U+0041 given twice (first on line 298)");
    EXPECT_EQ(compile_error(square_font("glyph U+005B\n")), "f.txt:1: glyph U+005B outside the font's codes U+0020 to U+005A");
    EXPECT_EQ(compile_error(square_font("glyph U+0041 B\n")), "f.txt:1: the character after U+0041 is not that character");
    s = square_font();
    s.erase(s.find("glyph U+005A"));
    EXPECT_EQ(compile_error(s), "f.txt:522: glyph U+005A is missing");
    s = square_font();
    s.erase(s.size() - std::string("|\u2588\u2588      |\n").size());
    EXPECT_EQ(compile_error(s), "f.txt:530: the source ends inside glyph U+005A");
    // Colours: out of range, twice, black shades that would hide the ink.
    EXPECT_EQ(compile_error(square_font("top 256 0 0\n")), "f.txt:1: a colour is three numbers 0 to 255 (red green blue)");
    EXPECT_EQ(compile_error(square_font("top 1 2 3\ntop 1 2 3\n")), "f.txt:2: 'top' given twice");
    EXPECT_EQ(compile_error(square_font("top 0 0 0\nbottom 0 0 0\n")),
              "f.txt:2: the shade of pixel row 0 is black: its ink would not show");
    EXPECT_EQ(compile_error(square_font("colour 1\n")), "f.txt:1: unknown line 'colour' (expected top, bottom or glyph)");
    EXPECT_EQ(compile_error(""), "f.txt:0: glyph U+0020 is missing");
}
