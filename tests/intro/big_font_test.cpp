// The big font: the glyphs as the intro reads them, and the bigfontc checker's errors.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "intro/intro.h"
#include "tools/bigfontc/bigfontc.h"

// Read through the intro's per-column ink masks (bit r = row r).
TEST(BigFont, EveryGlyphButSpaceHasInkAndLeavesItsGap) {
    build_big_font();
    const auto ink = [](int code) {
        return &intro_state.big_font_ink[static_cast<size_t>(32 * code - 1024)];
    };
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

TEST(BigFont, CompilerNamesTheLineAndTheGlyphOfAnError) {
    std::vector<unsigned char> data;
    std::string error;
    const std::string row = "glyph U+0020\n|\u2588\u2588     |\n";  // 7 blocks
    EXPECT_FALSE(bigfontc_compile(row, "f.txt", data, error));
    EXPECT_TRUE(error.starts_with("f.txt:2: glyph U+0020 row 0: 7 blocks, expected 8")) << error;
    EXPECT_FALSE(bigfontc_compile("", "f.txt", data, error));
    EXPECT_TRUE(error.starts_with("f.txt:0: glyph U+0020 is missing")) << error;
}
