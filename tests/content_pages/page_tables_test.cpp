// The built page tables: each page's length and end marker as the page table has them, the
// help page naming every control, the interview pages titled with the interviewed groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content/issue/issue_names.h"
#include "content/pages/page_data.h"

namespace {

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
