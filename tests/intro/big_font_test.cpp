// The big font: the glyphs as the intro reads them, and the bigfontc checker's errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "intro/intro.h"
#include "tools/bigfontc/bigfontc.h"

// Read through the intro's per-column ink masks (bit r = row r); the glyphs' full blocks are pinned by
// the title-line tests' pixels, and the real-window run sees the letters.
TEST(BigFont, HalfBlocksAreCutAlongTheirDiagonal) {
    build_big_font();
    // 'A' starts with a lower-right half.
    const uint32_t* a = &intro_state.big_font_ink[static_cast<size_t>(32 * 'A' - 1024)];
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
