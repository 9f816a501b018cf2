// fontc: glyph placement, heading-face shading and the rejection of bad sources with their line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/fontc/fontc.h"

namespace {

std::string blank_rows(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "|         |\n";
    return s;
}

// A complete small source: every code 32..126, each glyph one full pixel in the middle (space empty).
std::string valid_source() {
    std::string s =
        "# test font\nlevel . 60\nlevel # 200\nshade 100 100 100 100 100 50 100 100 100 100 100 100\n";
    for (int c = 32; c <= 126; ++c) {
        char head[32];
        std::snprintf(head, sizeof head, "char U+%04X\n", static_cast<unsigned>(c));
        s += head;
        for (int style = 1; style <= 2; ++style) {
            s += "style " + std::to_string(style) + "\n";
            s += blank_rows(5);
            s += c == 32 ? "|         |\n" : "|    #    |\n";
            s += blank_rows(6);
        }
    }
    return s;
}

// "font.txt:<line>:", the prefix of every error; built by appending (GCC 12 -O3 misreads "lit" + string).
std::string at_line(int line) {
    std::string s("font.txt:");
    s += std::to_string(line);
    s += ':';
    return s;
}

size_t at(int row, int column) {
    return static_cast<size_t>(row) * fontc_sheet_width + static_cast<size_t>(column);
}

int line_of(const std::string& source, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset; ++i) line += source[i] == '\n';
    return line;
}

// Replaces the first occurrence of what after the header of code (e.g. "char U+0041").
std::string replace_in_glyph(std::string s, const std::string& header, const std::string& what,
                             const std::string& with, int* line) {
    size_t h = s.find(header + "\n");
    size_t p = s.find(what, h);
    *line = line_of(s, p);
    return s.replace(p, what.size(), with);
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

} // namespace

TEST(FontcChecker, PlacesGlyphsAndShadesTheHeadingFace) {
    std::string src = valid_source();
    int line = 0;
    // Give 'A' a recognisable style 1 row and a heading row that the shade halves.
    src = replace_in_glyph(src, "char U+0041", "|         |\n|    #    |", "|         |\n|#.      #|", &line);
    compiled r = compile(src);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.data.size(), static_cast<size_t>(fontc_data_size));

    const int a = (65 - 32) * 9 + 1;
    EXPECT_EQ(r.data[at(5, a)], 200);
    EXPECT_EQ(r.data[at(5, a + 1)], 60);
    EXPECT_EQ(r.data[at(5, a + 4)], 0);
    EXPECT_EQ(r.data[at(5, a + 8)], 200);
    EXPECT_EQ(r.data[at(5, a + 9)], 0); // the next glyph's first column
    // Row 5 of the heading face is shaded to 50 %.
    EXPECT_EQ(r.data[at(14 + 5, a + 4)], 100);
    // The last code sits at the right place and nothing is written past it.
    const int tilde = (126 - 32) * 9 + 1;
    EXPECT_EQ(r.data[at(5, tilde + 4)], 200);
    for (int col = tilde + 9; col < fontc_sheet_width; ++col) EXPECT_EQ(r.data[at(5, col)], 0) << col;
    // The palette is a grey ramp starting at black.
    const size_t pal = static_cast<size_t>(fontc_sheet_width) * fontc_sheet_height;
    EXPECT_EQ(r.data[pal + 0], 0);
    EXPECT_EQ(r.data[pal + 3 * 200 + 0], 200);
    EXPECT_EQ(r.data[pal + 3 * 200 + 2], 200);
}

TEST(FontcChecker, AcceptsLatin1GlyphsAndCrlfLines) {
    std::string src = valid_source() + "char U+00E9 \xC3\xA9\nstyle 1\n" + blank_rows(11) +
                      "|#        |\nstyle 2\n" + blank_rows(12);
    std::string crlf;
    for (char c : src) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    compiled r = compile(crlf);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.data[at(11, (0xE9 - 32) * 9 + 1)], 200);
}

// Every bad source is refused with "font.txt:<line>:" and the reason. Each case edits the valid source
// and says at which offset of the edited text the error's line is.
TEST(FontcChecker, RejectsBadSourcesNamingTheirLine) {
    struct bad_case {
        std::string (*edit)(std::string, size_t& at);
        const char* message;
    };
    // Replaces the first `what` after glyph `header` by `with`; the line is the replacement's.
    static constexpr auto in_a = [](std::string s, size_t& at, const char* what, const char* with) {
        at = s.find(what, s.find("char U+0041\n"));
        return s.replace(at, std::strlen(what), with);
    };
    const bad_case cases[] = {
        {[](std::string s, size_t& at) { return in_a(s, at, "|    #    |", "|    #   |"); }, "9 level characters"},
        {[](std::string s, size_t& at) { return in_a(s, at, "|    #    |", "|    #    #"); }, "9 level characters"},
        {[](std::string s, size_t& at) { return in_a(s, at, "|    #    |", "|    x    |"); },
         "unknown level character 'x' in column 5"},
        {[](std::string s, size_t& at) { return in_a(s, at, "|    #    |", "|    \xC3\xA9   |"); }, "non-ASCII"},
        {[](std::string s, size_t& at) { return in_a(s, at, "style 1\n", "|         |\nstyle 1\n"); }, "outside a block"},
        {[](std::string s, size_t& at) { return in_a(s, at, "style 2\n", "style 3\n"); }, "'style 1' or 'style 2'"},
        {[](std::string s, size_t& at) { return in_a(s, at, "style 1\n", "stlye 1\n"); }, "unknown line 'stlye'"},
        {[](std::string s, size_t& at) { return in_a(s, at, "char U+0041\n", "char U+0041 B\n"); }, "must agree"},
        {[](std::string s, size_t& at) { return in_a(s, at, "char U+0041\n", "char U+0041 \xC3\n"); }, "not one valid UTF-8"},
        {[](std::string s, size_t& at) { return in_a(s, at, "char U+0041\n", "char U+0100\n"); }, "no cell"},
        {[](std::string s, size_t& at) { return in_a(s, at, "char U+0041\n", "char 65\n"); }, "expected 'char U+XXXX'"},
        // Eleven rows are reported at the block's 'style' line, thirteen at the extra row.
        {[](std::string s, size_t& at) {
             at = s.find("style 1\n", s.find("char U+0042\n"));
             return s.erase(s.find("|         |\n", at), 12);
         }, "U+0042 'B' style 1 block has 11 rows"},
        {[](std::string s, size_t& at) {
             at = s.find("style 2\n", s.find("char U+0042\n"));
             return s.insert(at, "|         |\n");
         }, "U+0042 'B' style 1 block has more than 12"},
        // 'B' relabelled as 'A' is a duplicate naming the first (line 896).
        {[](std::string s, size_t& at) {
             at = s.find("char U+0042\n");
             return s.replace(at, 11, "char U+0041");
         }, "U+0041 'A' defined twice (first on line 896)"},
        {[](std::string s, size_t& at) {
             at = s.find("char U+0043\n");
             return s.erase(s.find("style 2\n", at), 8 + 12 * 12);
         }, "U+0043 'C' has no style 2 block"},
        {[](std::string s, size_t& at) { return s.insert(at = s.find("char U+0020"), "level | 9\n"); }, "other than space and '|'"},
        {[](std::string s, size_t& at) { return s.insert(at = s.find("char U+0020"), "level . 70\n"); }, "given twice"},
        {[](std::string s, size_t& at) { return s.insert(at = s.find("char U+0020"), "level x 0\n"); }, "1..255"},
        {[](std::string s, size_t& at) {
             at = s.find("shade");
             return s.replace(at, s.find('\n', at) - at, "shade 100 100");
         }, "12 percentages"},
        {[](std::string s, size_t& at) { return s.replace(at = s.find("shade"), 5, "shade 13"); }, "found more"},
    };
    for (const bad_case& c : cases) {
        size_t at = 0;
        const std::string src = c.edit(valid_source(), at);
        const compiled r = compile(src);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_TRUE(r.error.starts_with(at_line(line_of(src, at)) + " ")) << c.message << ": " << r.error;
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
    }
    // Without a glyph for a code, or with a level declared after the glyphs.
    std::string src = valid_source();
    const size_t b = src.find("char U+0042\n");
    EXPECT_NE(compile(src.substr(0, b) + src.substr(src.find("char U+0043\n"))).error.find("no glyph for U+0042 'B'"),
              std::string::npos);
    EXPECT_NE(compile(src + "level x 9\n").error.find("before the first glyph"), std::string::npos);
}
