// fontc: glyph placement, heading-face shading and the rejection of bad sources with their line.
#include <gtest/gtest.h>

#include <cstdio>
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

TEST(FontcChecker, RejectsBadBlocksNamingTheirLine) {
    struct bad_case {
        const char* what;
        const char* find;
        const char* with;
        const char* message;
    };
    const bad_case cases[] = {
        {"short row", "|    #    |", "|    #   |", "9 level characters"},
        {"long row", "|    #    |", "|    #     |", "9 level characters"},
        {"no closing bar", "|    #    |", "|    #    #", "9 level characters"},
        {"unknown level", "|    #    |", "|    x    |", "unknown level character 'x' in column 5"},
        {"non-ASCII level", "|    #    |", "|    \xC3\xA9   |", "non-ASCII"},
        {"row outside a block", "style 1\n", "|         |\nstyle 1\n", "outside a block"},
        {"bad style", "style 2\n", "style 3\n", "'style 1' or 'style 2'"},
        {"unknown directive", "style 1\n", "stlye 1\n", "unknown line 'stlye'"},
    };
    for (const bad_case& c : cases) {
        int line = 0;
        std::string src = replace_in_glyph(valid_source(), "char U+0041", c.find, c.with, &line);
        compiled r = compile(src);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_NE(r.error.find(at_line(line)), std::string::npos) << c.what << ": " << r.error;
        EXPECT_NE(r.error.find(c.message), std::string::npos) << c.what << ": " << r.error;
    }
}

TEST(FontcChecker, RejectsBlocksOfTheWrongHeight) {
    // Eleven rows: reported at the block's 'style' line.
    std::string src = valid_source();
    size_t h = src.find("char U+0042\n");
    size_t style = src.find("style 1\n", h);
    src.erase(src.find("|         |\n", style), 12);
    compiled r = compile(src);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(at_line(line_of(src, style)) + " U+0042 'B' style 1 block has 11 rows"),
              std::string::npos)
        << r.error;

    // Thirteen rows: reported at the extra row.
    src = valid_source();
    h = src.find("char U+0042\n");
    size_t extra = src.find("style 2\n", h);
    src.insert(extra, "|         |\n");
    r = compile(src);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(at_line(line_of(src, extra)) + " U+0042 'B' style 1 block has more than 12"),
              std::string::npos)
        << r.error;
}

TEST(FontcChecker, RejectsDuplicateMissingAndMislabelledCodes) {
    std::string src = valid_source();
    // 'B' relabelled as 'A': a duplicate (naming the first) and, at the end, 'B' missing.
    size_t b = src.find("char U+0042\n");
    src.replace(b, 11, "char U+0041");
    compiled r = compile(src);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(at_line(line_of(src, b)) + " U+0041 'A' defined twice (first on line " +
                           std::to_string(line_of(src, src.find("char U+0041\n")))),
              std::string::npos)
        << r.error;

    src = valid_source();
    size_t start = src.find("char U+0042\n");
    src.erase(start, src.find("char U+0043\n") - start);
    r = compile(src);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("no glyph for U+0042 'B'"), std::string::npos) << r.error;

    const std::pair<const char*, const char*> headers[] = {
        {"char U+0041 B", "must agree"},
        {"char U+0041 \xC3", "not one valid UTF-8"},
        {"char U+001F", "no cell"},
        {"char U+0100", "no cell"},
        {"char 65", "expected 'char U+XXXX'"},
    };
    for (const auto& [header, message] : headers) {
        src = valid_source();
        size_t p = src.find("char U+0041\n");
        src.replace(p, 11, header);
        r = compile(src);
        EXPECT_FALSE(r.ok) << header;
        EXPECT_NE(r.error.find(at_line(line_of(src, p)) + " "), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(message), std::string::npos) << header << ": " << r.error;
    }
}

TEST(FontcChecker, RejectsMissingStylesAndBadDeclarations) {
    std::string src = valid_source();
    size_t head = src.find("char U+0043\n");
    size_t s2 = src.find("style 2\n", head);
    src.erase(s2, 8 + 12 * 12);
    compiled r = compile(src);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(at_line(line_of(src, head)) + " U+0043 'C' has no style 2 block"),
              std::string::npos)
        << r.error;

    const std::pair<const char*, const char*> declarations[] = {
        {"level | 9\n", "other than space and '|'"},
        {"level . 70\n", "given twice"},
        {"level x 0\n", "1..255"},
        {"shade 100 100\n", "12 percentages"},
        {"shade 1 2 3 4 5 6 7 8 9 10 11 12 13\n", "found more"},
    };
    for (const auto& [declaration, message] : declarations) {
        src = valid_source();
        if (std::string(declaration).rfind("shade", 0) == 0) {
            size_t old = src.find("shade");
            src.erase(old, src.find('\n', old) + 1 - old);
        }
        size_t p = src.find("char U+0020");
        src.insert(p, declaration);
        r = compile(src);
        EXPECT_FALSE(r.ok) << declaration;
        EXPECT_NE(r.error.find(at_line(line_of(src, p)) + " "), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(message), std::string::npos) << declaration << ": " << r.error;
    }
    // Levels come first: a glyph compiled before a level would have been read with the wrong table.
    src = valid_source() + "level x 9\n";
    r = compile(src);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("before the first glyph"), std::string::npos) << r.error;
}
