// The built page tables: every line readable by the magazine, each page's length and end marker as
// the menus and the viewer expect, and the help page naming every control.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <string>
#include <string_view>
#include <utility>

#include "content/issue/issue_names.h"
#include "content/pages/page_data.h"
#include "tools/pagec/pagec.h"

namespace {

bool is_end(const page_source_line& l) { return std::string_view(l.text).substr(0, 5) == "<END>"; }

// Lines before the "<END>" line of each page (page 19 has no marker: its filled line count).
constexpr std::array<int, 21> lines_before_end{0,   38, 32, 51, 1391, 58, 32,  22,  178, 70, 117,
                                               74,  391, 87, 88, 95,  69, 205, 276, 293, 210};

TEST(PageTables, EveryLinePassesTheChecker) {
    EXPECT_EQ(page_sources[0].line_count, 0);
    for (int p = 1; p <= 20; ++p) {
        const page_source& page = page_sources[p];
        ASSERT_NE(page.lines, nullptr) << "page " << p;
        for (int n = 0; n < page.line_count; ++n) {
            const page_source_line& l = page.lines[n];
            EXPECT_EQ(pagec_check_line(l.text, l.colour_map, l.style_map, l.rule_code), "")
                << "page " << p << " line " << n;
        }
    }
}

TEST(PageTables, LineCountsAndEndMarkers) {
    int total = 0;
    for (int p = 1; p <= 20; ++p) {
        const page_source& page = page_sources[p];
        total += page.line_count;
        int first_end = -1, ends = 0;
        for (int n = 0; n < page.line_count; ++n) {
            if (is_end(page.lines[n])) {
                ++ends;
                if (first_end < 0) first_end = n;
            }
        }
        if (p == 19) {
            EXPECT_EQ(ends, 0);
            EXPECT_EQ(page.line_count, 293);
            continue;
        }
        EXPECT_EQ(ends, 1) << "page " << p;
        EXPECT_EQ(first_end, lines_before_end[static_cast<size_t>(p)]) << "page " << p;
        // Only page 18 carries lines after its marker, and those are empty.
        int after = p == 18 ? 2 : 0;
        EXPECT_EQ(page.line_count, first_end + 1 + after) << "page " << p;
        for (int n = first_end + 1; n < page.line_count; ++n) {
            EXPECT_EQ(std::string_view(page.lines[n].text).find_first_not_of(' '), std::string_view::npos);
        }
    }
    EXPECT_EQ(total, 3798);
}

TEST(PageTables, HeadingFaceOnlyOnUpperCaseLines) {
    for (int p = 1; p <= 20; ++p) {
        for (int n = 0; n < page_sources[p].line_count; ++n) {
            const page_source_line& l = page_sources[p].lines[n];
            if (std::string_view(l.style_map).find('2') == std::string_view::npos) continue;
            for (char c : std::string_view(l.text)) {
                EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << "page " << p << " line " << n;
            }
        }
    }
}

TEST(PageTables, HelpPageNamesEveryControl) {
    std::string help;
    for (int n = 0; n < page_sources[10].line_count; ++n) help += std::string(page_sources[10].lines[n].text) + "\n";
    for (const char* word : {"EXIT", "CHARTS", "ARTICLES", "RULES", "HELP", "MUSIC", "1  2  3  4", "F1", "F2",
                             "'Grunge'", "'Carbon'", "Escape", "Page Down", "Page Up", "Home", "End", "wheel",
                             "Down arrow", "Up arrow", "Scroll bar", "F12", "> Articles Menu", "> Charts Menu"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

TEST(PageTables, InterviewPagesCarryTheInterviewedGroupsNames) {
    // The articles menu and the intro take the names from issue_names.h; the pages must agree.
    for (auto [page, group] : {std::pair{17, interviewed_group_1}, std::pair{18, interviewed_group_2}}) {
        std::string title = "INTERVIEW WITH ";
        for (const char* c = group; *c != 0; ++c) title += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
        bool titled = false;
        for (int n = 0; n < 4 && n < page_sources[page].line_count; ++n) {
            titled |= std::string_view(page_sources[page].lines[n].text).find(title) != std::string_view::npos;
        }
        EXPECT_TRUE(titled) << "page " << page << " is titled with " << group;
    }
}

}  // namespace
