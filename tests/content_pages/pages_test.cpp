// The pages: what each pagec directive puts into the lines that follow, bad sources refused with file,
// line and reason, the page set checked whole; and in the built tables each page's length and end marker
// as the page table has them, the help page naming every control, the interviews their groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content/issue/issue_names.h"
#include "content/pages/page_data.h"
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
    const std::vector<pagec_line>& l = page.lines;
    ASSERT_EQ(l.size(), 10u);
    EXPECT_EQ(page.number, 7);
    EXPECT_EQ(l[0].text + l[0].colour_map, "plain text" + repeat(' ', 70) + repeat('1', 80));  // trailing spaces dropped, padded to 80
    EXPECT_EQ(l[1].colour_map + l[1].style_map, repeat('T', 80) + repeat('2', 80));
    EXPECT_EQ(l[2].text + l[2].style_map + l[6].text, repeat(' ', 80) + repeat('1', 80) + repeat(' ', 80));  // @bar, @blank
    EXPECT_EQ(std::string() + l[0].rule_code + l[2].rule_code + l[3].rule_code + l[4].rule_code, "0840");  // @rule: one line
    EXPECT_EQ(l[4].text.substr(0, 25), "@ starts with an at sign ");
    EXPECT_EQ(l[7].colour_map, repeat('M', 5) + "331" + repeat('3', 65) + repeat('D', 7));
    EXPECT_EQ(l[8].colour_map + l[8].text, repeat('7', 80) + repeat('x', 80));  // @colour ends the runs; spaces past 80 are no text
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
    for (int i = 0; i < 20; ++i) pages[static_cast<size_t>(i)].number = i + 1, names.push_back(std::string("p").append(std::to_string(i + 1)).append(".txt"));
    std::string error;
    EXPECT_TRUE(pagec_check_set(pages, names, error)) << error;
    pages[19].number = 4;
    EXPECT_FALSE(pagec_check_set(pages, names, error));
    EXPECT_EQ(error, "p20.txt: page 4 is already given by p4.txt");
    pages.pop_back();
    EXPECT_FALSE(pagec_check_set(pages, names, error));
    EXPECT_EQ(error, "no source gives page 20");
}

// Lines before the "<END>" line of each page (page 19 has no marker: its filled line count).
constexpr int lines_before_end[21] = {0, 38, 32, 51, 1391, 58, 32, 22, 178, 70, 117, 74, 391, 87, 88, 95, 69, 205, 276, 293, 210};

// The text of a page's first lines.
std::string page_text(int p, int lines = 5000) {
    std::string s;
    for (int n = 0; n < std::min(lines, page_sources[p].line_count); ++n) s += std::string(page_sources[p].lines[n].text) + "\n";
    return s;
}

TEST(PageTables, LengthsAndEndMarkersFollowThePageTable) {
    for (int p = 1; p <= 20; ++p) {
        const page_source& page = page_sources[p];
        std::vector<int> ends;
        for (int n = 0; n < page.line_count; ++n) {
            if (std::string_view(page.lines[n].text).starts_with("<END>")) ends.push_back(n);
        }
        // Page 19 scrolls on to the end of its table; page 18 keeps two unseen empty lines after its marker.
        EXPECT_EQ(ends, p == 19 ? std::vector<int>{} : std::vector<int>{lines_before_end[p]}) << "page " << p;
        EXPECT_EQ(page.line_count, lines_before_end[p] + (p == 19 ? 0 : p == 18 ? 3 : 1)) << "page " << p;
        for (int n = ends.empty() ? page.line_count : ends[0] + 1; n < page.line_count; ++n) {
            EXPECT_EQ(std::string_view(page.lines[n].text).find_first_not_of(' '), std::string_view::npos) << "page " << p;
        }
    }
}

TEST(PageTables, HelpNamesEveryControlAndInterviewsTheirGroups) {
    const std::string help = page_text(10);
    for (const char* word : {"EXIT", "CHARTS", "ARTICLES", "RULES", "HELP", "MUSIC", "1  2  3  4", "F1", "F2", "'Grunge'", "'Carbon'",
                             "Escape", "Page Down", "Page Up", "Home", "End", "wheel", "Down arrow", "Up arrow", "Scroll bar", "F12",
                             "> Articles Menu", "> Charts Menu"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    // The articles menu and the intro take the names from issue_names.h; the pages' titles must agree.
    for (auto [p, group] : {std::pair{17, interviewed_group_1}, std::pair{18, interviewed_group_2}}) {
        std::string title = std::string("INTERVIEW WITH ") + group;
        std::transform(title.begin(), title.end(), title.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        EXPECT_NE(page_text(p, 4).find(title), std::string::npos) << "page " << p << " is titled with " << group;
    }
}

}  // namespace
