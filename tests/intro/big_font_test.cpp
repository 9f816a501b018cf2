// The big font: the glyphs as the intro reads them, and the bigfontc checker's errors.
#include <gtest/gtest.h>

#include <bit>
#include <utility>

#include "intro/intro.h"
#include "tools/bigfontc/bigfontc.h"

namespace {

const std::string square_row = "|\u2588\u2588      |\n";

// A complete, valid source: every glyph a bar two blocks wide, with header and extra text around it.
std::string square_font(const std::string& header = "", const std::string& extra = "") {
    std::string s = header;
    for (int c = 32; c <= 90; ++c) {
        char id[32];
        std::snprintf(id, sizeof id, "glyph U+%04X\n", static_cast<unsigned>(c));
        s += id;
        for (int r = 0; r < 8; ++r) s += square_row;
    }
    return s + extra;
}

// square_font with its first row replaced.
std::string first_row(const std::string& row) {
    std::string s = square_font();
    return s.replace(s.find(square_row), square_row.size(), row + "\n");
}

}  // namespace

// Read through the intro's per-column ink masks (bit r = row r).
TEST(BigFont, EveryGlyphButSpaceHasInkAndLeavesItsGap) {
    build_big_font();
    const auto ink = [](int code) { return &intro_state.big_font_ink[static_cast<size_t>(32 * code - 1024)]; };
    for (int c = 32; c <= 90; ++c) {
        int cells = 0;
        for (int x = 0; x < 28; ++x) cells += std::popcount(ink(c)[x]);
        EXPECT_TRUE(c == 32 ? cells == 0 : cells > 40) << "code " << c;
        // The last four columns separate the letters.
        EXPECT_EQ(ink(c)[28] | ink(c)[29] | ink(c)[30] | ink(c)[31], 0u) << "code " << c;
    }
    // Half blocks cut along their diagonal: 'A' starts with a lower-right half.
    const uint32_t* a = ink('A');
    EXPECT_TRUE((a[0] & 1) == 0 && (a[1] & 2) == 0 && (a[2] & 2) != 0 && (a[0] & 8) != 0);
}

TEST(BigFont, CompilerRejectsBrokenSourcesWithTheirLine) {
    const std::pair<std::string, std::string> cases[] = {
        {first_row("|\u2588\u2588     |"), "f.txt:2: glyph U+0020 row 0: 7 blocks, expected 8"},
        {first_row("|\xE2\x96      |"), "f.txt:2: malformed UTF-8 in a glyph row"},
        {square_font("", "glyph U+0041 A\n"), "f.txt:532: glyph U+0041 given twice (first on line 298)"},
        // A black shade would make its row of ink transparent.
        {square_font("top 0 0 0\nbottom 0 0 0\n"), "f.txt:2: the shade of pixel row 0 is black: its ink would not show"},
        {"", "f.txt:0: glyph U+0020 is missing"},
    };
    for (const auto& [source, expected] : cases) {
        std::vector<unsigned char> data;
        std::string error;
        EXPECT_FALSE(bigfontc_compile(source, "f.txt", data, error)) << expected;
        EXPECT_TRUE(error.starts_with(expected)) << error;
    }
}
