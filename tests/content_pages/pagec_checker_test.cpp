// pagec: what each directive puts into the lines that follow, bad sources refused with file, line and
// reason, and the page set checked whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pagec/pagec.h"

namespace {

std::string repeat(char c, int n) { return std::string(static_cast<size_t>(n), c); }

TEST(Pagec, DirectivesSetTheMapsOfTheLinesThatFollow) {
    pagec_page page;
    std::string error;
    ASSERT_TRUE(pagec_compile("@page 7\n@# a comment adds nothing\nplain text   \n@colour T\n@style 2\nHEADING\n@style 1\n@bar 8\n"
                              "@rule 4\ntext over a bar\n@@ starts with an at sign\n@blank 2\n@colour 3\n@columns 1-5:M 8:1 74-80:D\n"
                              "row\n@colour 7\n" + repeat('x', 80) + "    \n<END>\n",
                              "page.txt", page, error))
        << error;
    EXPECT_EQ(page.number, 7);
    const std::vector<pagec_line>& l = page.lines;
    ASSERT_EQ(l.size(), 10u);
    EXPECT_EQ(l[0].text, "plain text" + repeat(' ', 70));  // trailing spaces dropped, then padded to 80
    EXPECT_EQ(l[0].colour_map, repeat('1', 80));
    EXPECT_EQ(l[1].colour_map + l[1].style_map, repeat('T', 80) + repeat('2', 80));
    EXPECT_EQ(l[2].text, repeat(' ', 80));
    EXPECT_EQ(l[2].style_map, repeat('1', 80));
    EXPECT_EQ(std::string() + l[0].rule_code + l[2].rule_code + l[3].rule_code + l[4].rule_code, "0840");  // @rule: one line
    EXPECT_EQ(l[4].text.substr(0, 25), "@ starts with an at sign ");
    EXPECT_EQ(l[6].text, repeat(' ', 80));
    EXPECT_EQ(l[7].colour_map, repeat('M', 5) + "331" + repeat('3', 65) + repeat('D', 7));
    EXPECT_EQ(l[8].colour_map, repeat('7', 80));  // @colour ends the runs
    EXPECT_EQ(l[8].text, repeat('x', 80));        // spaces past column 80 are not shown text
    EXPECT_EQ(l[9].text.substr(0, 5), "<END>");
}

TEST(Pagec, BadSourcesAreRefusedWithFileAndLine) {
    struct bad_case {
        std::string source;
        int line;
        const char* says;
    };
    const bad_case cases[] = {
        {"@page 2\nfine\n" + repeat('x', 81) + "\n", 3, "column 81"},
        {"@page 2\nok\n@colour W\n", 3, "colour 'W'"},
        {"@page 2\n@colour 11\n", 2, "colour '11'"},
        {"@page 2\n@columns 3-9:0\n", 2, "colour '0'"},
        {"@page 2\n@columns 0-9:1\n", 2, "within 1-80"},
        {"@page 2\n@columns 70-81:1\n", 2, "within 1-80"},
        {"@page 2\n@columns 9-3:1\n", 2, "within 1-80"},
        {"@page 2\n@columns 3-9\n", 2, "FROM-TO:C"},
        {"@page 2\n@style 3\n", 2, "neither 1 nor 2"},
        {"@page 2\n@bar 9\n", 2, "rule code '9'"},
        {"@page 2\n@bar 0\n", 2, "rule code '0'"},
        {"@page 2\n@rule x\n", 2, "rule code 'x'"},
        {"@page 2\n@rule 4\n@rule 2\ntext\n", 3, "another '@rule'"},
        {"@page 2\n\n\n@rule 4\n", 4, "no line to stand on"},
        {"@page 2\n@blank 0\n", 2, "count"},
        {"@page 2\n@underline 3\n", 2, "unknown directive '@underline'"},
        {"text before the page number\n", 1, "@page N"},
        {"@page 21\n", 1, "number 1-20"},
        {"@page 3\n@page 4\n", 2, "twice"},
        {"@page 3\nhere\ta tab\n", 2, "not printable ASCII"},
        {"@page 3\ncaf\xc3\xa9\n", 2, "not printable ASCII"},
        {"@# only a comment\n", 1, "no '@page N'"},
    };
    for (const bad_case& c : cases) {
        pagec_page page;
        std::string error;
        EXPECT_FALSE(pagec_compile(c.source, "page.txt", page, error)) << c.source;
        EXPECT_EQ(error.substr(0, error.find(' ')), "page.txt:" + std::to_string(c.line) + ":") << c.source << " -> " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.source << " -> " << error;
    }
}

TEST(Pagec, EveryPageOnce) {
    std::vector<pagec_page> pages(20);
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) pages[static_cast<size_t>(i)].number = i + 1, names.push_back("p" + std::to_string(i + 1) + ".txt");
    std::string error;
    EXPECT_TRUE(pagec_check_set(pages, names, error)) << error;
    pages[19].number = 4;
    EXPECT_FALSE(pagec_check_set(pages, names, error));
    EXPECT_EQ(error, "p20.txt: page 4 is already given by p4.txt");
    pages.pop_back();
    EXPECT_FALSE(pagec_check_set(pages, names, error));
    EXPECT_EQ(error, "no source gives page 20");
}

}  // namespace
