// pagec: what each directive puts into the maps, and bad sources rejected with their file and line.
#include <gtest/gtest.h>

#include <string>

#include "tools/pagec/pagec.h"

namespace {

struct compiled {
    bool ok;
    pagec_page page;
    std::string error;
};

compiled compile(const std::string& source) {
    compiled r;
    r.ok = pagec_compile(source, "page.txt", r.page, r.error);
    return r;
}

std::string repeat(char c, int n) { return std::string(static_cast<size_t>(n), c); }

TEST(PagecDirectives, LinesCarryTheCurrentColourStyleAndRule) {
    compiled r = compile(
        "@page 7\n"
        "@# a comment line adds nothing\n"
        "plain text   \n"
        "@colour T\n"
        "@style 2\n"
        "HEADING\n"
        "@style 1\n"
        "@bar 8\n"
        "@rule 4\n"
        "text over a bar\n"
        "@@ starts with an at sign\n"
        "@blank 2\n"
        "<END>\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.page.number, 7);
    ASSERT_EQ(r.page.lines.size(), 8u);
    const auto& l = r.page.lines;
    EXPECT_EQ(l[0].text, "plain text" + repeat(' ', 70));  // trailing spaces dropped, then padded to 80
    EXPECT_EQ(l[0].colour_map, repeat('1', 80));
    EXPECT_EQ(l[0].rule_code, '0');
    EXPECT_EQ(l[1].colour_map, repeat('T', 80));
    EXPECT_EQ(l[1].style_map, repeat('2', 80));
    EXPECT_EQ(l[2].text, repeat(' ', 80));
    EXPECT_EQ(l[2].rule_code, '8');
    EXPECT_EQ(l[2].style_map, repeat('1', 80));
    EXPECT_EQ(l[3].rule_code, '4');  // @rule holds for the next line only
    EXPECT_EQ(l[4].rule_code, '0');
    EXPECT_EQ(l[4].text.substr(0, 25), "@ starts with an at sign ");
    EXPECT_EQ(l[5].text, repeat(' ', 80));
    EXPECT_EQ(l[7].text.substr(0, 5), "<END>");
}

TEST(PagecDirectives, ColumnRunsColourTheirColumnsOverTheBase) {
    compiled r = compile("@page 1\n@colour 3\n@columns 1-5:M 8:1 74-80:D\nrow\n@colour 7\nafter\n");
    ASSERT_TRUE(r.ok) << r.error;
    std::string expect = repeat('M', 5) + "33" + "1" + repeat('3', 65) + repeat('D', 7);
    EXPECT_EQ(r.page.lines[0].colour_map, expect);
    EXPECT_EQ(r.page.lines[1].colour_map, repeat('7', 80));  // @colour ends the runs
}

TEST(PagecDirectives, EightyColumnsAreFineAndTheEightyFirstIsNot) {
    EXPECT_TRUE(compile("@page 1\n" + repeat('x', 80) + "\n").ok);
    EXPECT_TRUE(compile("@page 1\n" + repeat('x', 80) + "    \n").ok);  // trailing spaces are not shown text
    compiled r = compile("@page 1\nfine\n" + repeat('x', 81) + "\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.rfind("page.txt:3: ", 0), 0u) << r.error;
    EXPECT_NE(r.error.find("column 81"), std::string::npos) << r.error;
}

TEST(PagecRejects, BadSourcesWithFileAndLine) {
    struct bad_case {
        const char* source;
        int line;
        const char* says;
    };
    const bad_case cases[] = {
        {"@page 2\nok\n@colour W\n", 3, "colour 'W'"},
        {"@page 2\n@colour a\n", 2, "colour 'a'"},
        {"@page 2\n@colour 11\n", 2, "colour '11'"},
        {"@page 2\n@columns 3-9:0\n", 2, "colour '0'"},
        {"@page 2\n@columns 0-9:1\n", 2, "within 1-80"},
        {"@page 2\n@columns 70-81:1\n", 2, "within 1-80"},
        {"@page 2\n@columns 9-3:1\n", 2, "within 1-80"},
        {"@page 2\n@columns 3-9\n", 2, "FROM-TO:C"},
        {"@page 2\n@style 3\n", 2, "neither 1 nor 2"},
        {"@page 2\n@style\n", 2, "neither 1 nor 2"},
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
        compiled r = compile(c.source);
        EXPECT_FALSE(r.ok) << c.source;
        // Built by appending: GCC 12 at -O3 misreads "literal" + short string (-Wrestrict).
        std::string where = "page.txt:";
        where += std::to_string(c.line);
        where += ": ";
        EXPECT_EQ(r.error.rfind(where, 0), 0u) << c.source << " -> " << r.error;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << c.source << " -> " << r.error;
    }
}

TEST(PagecRejects, RawCellsOutsideTheirAlphabets) {
    std::string ones = repeat('1', 80);
    EXPECT_EQ(pagec_check_line("text", ones, ones, "0"), "");
    EXPECT_EQ(pagec_check_line("text", repeat('V', 80), repeat('2', 80), "8"), "");
    EXPECT_NE(pagec_check_line("text", repeat('1', 79), ones, "0"), "");
    EXPECT_NE(pagec_check_line("text", ones + "1", ones, "0"), "");
    EXPECT_NE(pagec_check_line("text", repeat('1', 40) + " " + repeat('1', 39), ones, "0"), "");
    EXPECT_NE(pagec_check_line("text", repeat('1', 79) + "a", ones, "0"), "");
    EXPECT_NE(pagec_check_line("text", ones, repeat('1', 79) + "0", "0"), "");
    EXPECT_NE(pagec_check_line("text", ones, ones, "9"), "");
    EXPECT_NE(pagec_check_line("text", ones, ones, ""), "");
    EXPECT_NE(pagec_check_line("text", ones, ones, "00"), "");
    EXPECT_NE(pagec_check_line(repeat('x', 81), ones, ones, "0"), "");
    EXPECT_EQ(pagec_check_line(repeat('x', 80) + " ", ones, ones, "0"), "");
}

TEST(PagecPageSet, EveryPageOnceAndNoneMissing) {
    std::vector<pagec_page> pages(20);
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        pages[static_cast<size_t>(i)].number = i + 1;
        std::string name = "p";
        name += std::to_string(i + 1);
        name += ".txt";
        names.push_back(name);
    }
    std::string error;
    EXPECT_TRUE(pagec_check_set(pages, names, error)) << error;
    pages[19].number = 4;
    EXPECT_FALSE(pagec_check_set(pages, names, error));
    EXPECT_EQ(error, "p20.txt: page 4 is already given by p4.txt");
    pages.pop_back();
    names.pop_back();
    EXPECT_FALSE(pagec_check_set(pages, names, error));
    EXPECT_EQ(error, "no source gives page 20");
}

TEST(PagecEmit, LiteralsAreEscapedAndPagesIndexedByNumber) {
    compiled r = compile("@page 2\nsay \"hi\" \\ there\n");
    ASSERT_TRUE(r.ok) << r.error;
    std::string cpp = pagec_emit_cpp({r.page});
    EXPECT_NE(cpp.find("say \\\"hi\\\" \\\\ there"), std::string::npos);
    EXPECT_NE(cpp.find("{nullptr, 0},\n    {page_2_lines, 1},\n    {nullptr, 0},"), std::string::npos);
}

}  // namespace
