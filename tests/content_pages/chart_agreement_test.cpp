// The chart pages agree with their data set and with each other: every figure the pages print is
// recomputed here from charts.data (and page 4's generated table) and read back from the built pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "content/pages/page_data.h"
#include "tools/toolkit/tool_io.h"

namespace {

struct chart_release {
    std::string title, group, kind;
    int year = 0, month = 0;  // when it came out, by the calendar
    long long earlier = 0;
    std::vector<long long> points;  // per month of this season
    long long year_total() const {
        long long s = 0;
        for (long long v : points) s += v;
        return s;
    }
};

struct past_figures {
    int releases = 0, dox = 0;
    long long points = 0;
};

struct chart_data {
    int month = 0;                 // months of the season counted
    std::vector<int> past_years;   // earlier seasons, by the year each opens in
    std::map<std::string, std::vector<int>> releases, dox;       // named groups, per month
    std::map<std::string, std::map<int, past_figures>> past;     // group -> season -> figures
    std::vector<chart_release> list;
};

chart_data load_data() {
    chart_data d;
    std::string text;
    EXPECT_TRUE(tool_read_text(KV_CHART_DATA, text)) << KV_CHART_DATA;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream w(line);
        std::string key;
        if (!(w >> key) || key[0] == '#') continue;
        if (key == "month") w >> d.month;
        if (key == "past_seasons") {
            for (std::string s; w >> s;) d.past_years.push_back(std::atoi(s.c_str()));
        }
        if (key == "group" || key == "dox") {
            std::string g;
            w >> g;
            auto& v = (key == "group" ? d.releases : d.dox)[g];
            for (int n; w >> n;) v.push_back(n);
        }
        if (key == "past") {
            std::string g, season;
            past_figures p;
            w >> g >> season >> p.releases >> p.dox >> p.points;
            d.past[g][std::atoi(season.c_str())] = p;
        }
        if (key == "release") {
            chart_release r;
            std::string when;
            w >> r.group >> r.kind >> when >> r.earlier;
            r.year = std::atoi(when.c_str());
            r.month = std::atoi(when.c_str() + when.find('-') + 1);
            for (std::string v; w >> v && v != ":";) r.points.push_back(std::atoll(v.c_str()));
            r.title = line.substr(line.find(" : ") + 3);
            d.list.push_back(r);
        }
    }
    return d;
}

// The text lines of a page a reader can reach, and their rule codes.
struct page_view {
    std::vector<std::string> text;
    std::vector<char> rule;
};

page_view shown(int p) {
    page_view v;
    for (int n = 0; n < page_sources[p].line_count; ++n) {
        std::string t = page_sources[p].lines[n].text;
        if (t.rfind("<END>", 0) == 0) break;
        v.text.push_back(t);
        v.rule.push_back(page_sources[p].lines[n].rule_code[0]);
    }
    return v;
}

// A page's prose as one line: runs of spaces and line breaks become one space.
std::string all_text(int p) {
    std::string s;
    for (const auto& t : shown(p).text) {
        for (char c : t + " ") {
            if (c != ' ' || (!s.empty() && s.back() != ' ')) s += c;
        }
    }
    return s;
}

// A table row split into its columns (separated by two or more spaces).
std::vector<std::string> cells(const std::string& row) {
    std::vector<std::string> out;
    size_t i = row.find_first_not_of(' ');
    while (i != std::string::npos) {
        size_t end = row.find("  ", i);
        out.push_back(row.substr(i, end == std::string::npos ? std::string::npos : end - i));
        i = end == std::string::npos ? end : row.find_first_not_of(' ', end);
    }
    return out;
}

// The rows of the first table whose header (a line on a blue bar) follows the line containing anchor.
std::vector<std::vector<std::string>> table(int p, const std::string& anchor) {
    page_view v = shown(p);
    size_t i = 0;
    while (i < v.text.size() && v.text[i].find(anchor) == std::string::npos) ++i;
    while (i < v.text.size() && !(v.rule[i] == '4' && v.text[i].find_first_not_of(' ') != std::string::npos)) ++i;
    std::vector<std::vector<std::string>> rows;
    auto empty = [&](size_t k) { return v.text[k].find_first_not_of(' ') == std::string::npos; };
    for (++i; i < v.text.size() && empty(i) && v.rule[i] != '0';) ++i;  // a bar under the header
    for (; i < v.text.size() && v.text[i].find_first_not_of(' ') != std::string::npos; ++i) rows.push_back(cells(v.text[i]));
    EXPECT_FALSE(rows.empty()) << "page " << p << ": no table after '" << anchor << "'";
    return rows;
}

long long number(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    return std::atoll(s.c_str());
}

std::string grouped(long long v) {
    std::string s = std::to_string(v);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<size_t>(i), ",");
    return s;
}

// Releases ranked by a score, highest first; ties go to the earlier release, then by title.
std::vector<const chart_release*> ranking(const chart_data& d, long long (*score)(const chart_release&, int), int arg) {
    std::vector<const chart_release*> out;
    for (const auto& r : d.list) {
        if (score(r, arg) > 0) out.push_back(&r);
    }
    std::sort(out.begin(), out.end(), [&](const chart_release* a, const chart_release* b) {
        if (score(*a, arg) != score(*b, arg)) return score(*a, arg) > score(*b, arg);
        if (a->year != b->year) return a->year < b->year;
        if (a->month != b->month) return a->month < b->month;
        return a->title < b->title;
    });
    return out;
}

long long in_month(const chart_release& r, int m) { return r.points[static_cast<size_t>(m - 1)]; }
long long in_year(const chart_release& r, int) { return r.year_total(); }
long long all_time(const chart_release& r, int) { return r.earlier + r.year_total(); }

std::map<std::string, long long> group_points(const chart_data& d, int month) {
    std::map<std::string, long long> out;
    for (const auto& r : d.list) out[r.group] += month > 0 ? in_month(r, month) : r.year_total();
    return out;
}

std::string leader(const std::map<std::string, long long>& points, int place = 0) {
    std::vector<std::pair<long long, std::string>> v;
    for (const auto& [g, p] : points) v.push_back({-p, g});
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(place)].second;
}

int sum(const std::vector<int>& v) {
    int s = 0;
    for (int x : v) s += x;
    return s;
}

class ChartAgreement : public testing::Test {
  protected:
    chart_data d = load_data();
};

TEST_F(ChartAgreement, MonthlyChartIsTheMonthsTopTwentyByPoints) {
    auto top = ranking(d, in_month, d.month);
    auto rows = table(1, "MONTHLY CHART");
    ASSERT_EQ(rows.size(), 20u);
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_GE(rows[i].size(), 5u);
        EXPECT_EQ(rows[i][0], std::to_string(i + 1) + ".");
        EXPECT_EQ(rows[i][1], top[i]->title) << "place " << i + 1;
        EXPECT_EQ(rows[i][2], top[i]->group);
        EXPECT_EQ(rows[i][3], top[i]->kind);
        EXPECT_EQ(number(rows[i][4]), in_month(*top[i], d.month)) << top[i]->title;
    }
    // The editorial says the top of the chart was decided by a single point.
    EXPECT_EQ(in_month(*top[0], d.month) - in_month(*top[1], d.month), 1);
}

TEST_F(ChartAgreement, GroupOfTheMonthHasTheMostPointsAndTheRunnerUpIsNamed) {
    auto points = group_points(d, d.month);
    std::string winner = leader(points), runner = leader(points, 1);
    std::string upper = winner;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string page = all_text(3);
    EXPECT_NE(page.find("THE WINNER: " + upper), std::string::npos) << winner;
    EXPECT_NE(page.find(runner + ", group of the month"), std::string::npos) << runner;
    EXPECT_NE(page.find("with " + grouped(points[runner])), std::string::npos) << "runner-up's points";
    for (const auto& row : table(3, "THE RUNNER-UP")) {
        ASSERT_GE(row.size(), 3u);
        EXPECT_EQ(number(row[2]), points[row[1]]) << row[1];
    }
    EXPECT_EQ(table(3, "THE RUNNER-UP")[0][1], winner);
}

TEST_F(ChartAgreement, MonthlyOverviewCountsTheMonthsReleasesAndPoints) {
    auto points = group_points(d, d.month);
    size_t m = static_cast<size_t>(d.month - 1);
    for (const auto& row : table(2, "MONTHLY OVERVIEW")) {
        ASSERT_EQ(row.size(), 8u);
        const std::string& g = row[0];
        EXPECT_EQ(number(row[1]), d.releases[g][m] - d.dox[g][m]) << g;
        EXPECT_EQ(number(row[2]), d.dox[g][m]) << g;
        EXPECT_EQ(number(row[3]), d.releases[g][m]) << g;
        EXPECT_EQ(number(row[5]), points[g]) << g;
    }
}

TEST_F(ChartAgreement, ReleaseStatsRowsAddUpAndKeepTheNamedGroupsFigures) {
    std::map<std::string, int> totals;
    std::vector<int> active(12, 0);
    for (const auto& row : table(4, "GROUP RELEASE STATS")) {
        ASSERT_EQ(row.size(), 15u) << row[1];
        int s = 0;
        for (size_t k = 2; k < 14; ++k) {
            int v = row[k] == "." ? 0 : std::atoi(row[k].c_str());
            s += v;
            active[k - 2] += v > 0;
            if (static_cast<int>(k) - 1 > d.month) {
                EXPECT_EQ(row[k], ".") << row[1] << ": a month not yet counted";
            } else if (d.releases.count(row[1]) != 0) {
                EXPECT_EQ(v, d.releases[row[1]][k - 2]) << row[1];
            }
        }
        EXPECT_EQ(number(row[14]), s) << row[1];
        totals[row[1]] = s;
    }
    for (const auto& [g, months] : d.releases) EXPECT_EQ(totals[g], sum(months)) << g;
    // The monthly overview's busiest month claim: this month has more active groups than any before it.
    std::string page = all_text(2);
    EXPECT_NE(page.find("among " + grouped(active[static_cast<size_t>(d.month - 1)]) + " groups"), std::string::npos);
    for (int m = 0; m < d.month - 1; ++m) EXPECT_LT(active[static_cast<size_t>(m)], active[static_cast<size_t>(d.month - 1)]);
    // The yearly overview counts the same releases.
    for (const auto& row : table(6, "YEARLY OVERVIEW")) EXPECT_EQ(number(row[3]), totals[row[0]]) << row[0];
}

TEST_F(ChartAgreement, YearlyTablesAreTheSumOfTheMonths) {
    auto top = ranking(d, in_year, 0);
    auto rows = table(5, "YEARLY STATS");
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][1], top[i]->title);
        EXPECT_EQ(number(rows[i].back()), top[i]->year_total()) << top[i]->title;
    }
    long long year = 0;
    auto months = table(5, "MONTH BY MONTH");
    ASSERT_EQ(static_cast<int>(months.size()), d.month);
    // The chart season opens in July: issue 31, out in June, counts July to May.
    const char* const season[] = {"July", "August", "September", "October", "November", "December",
                                  "January", "February", "March", "April", "May", "June"};
    for (int m = 1; m <= d.month; ++m) {
        long long all = 0;
        for (const auto& r : d.list) all += in_month(r, m);
        year += all;
        const auto& row = months[static_cast<size_t>(m - 1)];
        EXPECT_EQ(row[0], season[m - 1]);
        EXPECT_EQ(row[1], ranking(d, in_month, m)[0]->title) << "number one of month " << m;
        EXPECT_EQ(number(row[4]), all) << "month " << m;
        EXPECT_EQ(row[5], leader(group_points(d, m))) << "group of month " << m;
    }
    EXPECT_NE(all_text(5).find(grouped(year) + " this season"), std::string::npos);

    auto points = group_points(d, 0);
    for (const auto& row : table(6, "YEARLY OVERVIEW")) {
        const std::string& g = row[0];
        EXPECT_EQ(number(row[1]), sum(d.releases[g]) - sum(d.dox[g])) << g;
        EXPECT_EQ(number(row[2]), sum(d.dox[g])) << g;
        EXPECT_EQ(number(row[5]), points[g]) << g;
    }
    // Group of the year: the points of the year, and the months each group won.
    std::map<std::string, int> titles;
    for (int m = 1; m <= d.month; ++m) ++titles[leader(group_points(d, m))];
    auto race = table(7, "GROUP OF THE YEAR");
    EXPECT_EQ(race[0][1], leader(points));
    for (const auto& row : race) {
        EXPECT_EQ(number(row[2]), titles[row[1]]) << row[1];
        EXPECT_EQ(number(row[5]), points[row[1]]) << row[1];
    }
}

TEST_F(ChartAgreement, AllTimeTablesAddEarlierYearsToThisOne) {
    auto top = ranking(d, all_time, 0);
    auto rows = table(8, "THE NINETY BIGGEST");
    ASSERT_EQ(rows.size(), 90u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][1], top[i]->title);
        EXPECT_EQ(number(rows[i][5]), top[i]->year_total()) << top[i]->title;
        EXPECT_EQ(number(rows[i][6]), top[i]->earlier + top[i]->year_total()) << top[i]->title;
    }
    auto points = group_points(d, 0);
    long long grand = 0;
    for (const auto& row : table(8, "THE GROUPS, SEASON BY SEASON")) {
        ASSERT_EQ(row.size(), 7u);
        const std::string& g = row[1];
        long long total = 0;
        for (size_t k = 0; k < d.past_years.size(); ++k) {
            auto it = d.past[g].find(d.past_years[k]);
            long long p = it == d.past[g].end() ? 0 : it->second.points;
            EXPECT_EQ(number(row[2 + k]), p) << g << " " << d.past_years[k];
            total += p;
        }
        EXPECT_EQ(number(row[4]), points[g]) << g;
        EXPECT_EQ(number(row[5]), total + points[g]) << g;
        grand += total + points[g];
    }
    EXPECT_NE(all_text(8).find(grouped(grand) + " points"), std::string::npos);

    std::map<std::string, int> this_year;
    for (const auto& row : table(4, "GROUP RELEASE STATS")) this_year[row[1]] = static_cast<int>(number(row[14]));
    for (const auto& row : table(9, "ALLTIME OVERVIEW")) {
        const std::string& g = row[0];
        int releases = this_year[g], dox = d.dox.count(g) != 0 ? sum(d.dox[g]) : 0;
        long long all = points[g];
        for (const auto& [y, p] : d.past[g]) releases += p.releases, dox += p.dox, all += p.points;
        EXPECT_EQ(number(row[2]), releases - dox) << g;
        EXPECT_EQ(number(row[3]), dox) << g;
        EXPECT_EQ(number(row[4]), releases) << g;
        EXPECT_EQ(number(row[6]), all) << g;
        EXPECT_EQ(row[7], d.releases.count(g) != 0 ? "yes" : "no") << g;
    }
}

// statsgen refuses a data set that contradicts itself, naming the file and line.
TEST(ChartDataChecks, ContradictionsStopTheBuild) {
    const std::string head = "issue 31\nseason 2008-09\nmonth 2\npast_seasons 2007-08\nseed 1\ngroups 2\n"
                             "prefixes Amber\nsuffixes Arc Bay\ngroup Velvetine 1 1\ndox Velvetine 0 1\n";
    struct bad_case {
        std::string lines;
        std::string message;
    };
    const bad_case cases[] = {
        {"release Velvetine DOX 2008-07 0 10 5 : Kiln And Crown\n", "11: 'Velvetine' has more charted releases"},
        {"release Velvetine ISO 2008-08 0 10 5 : Kiln And Crown\n", "11: points before the release came out"},
        {"release Velvetine ISO 2008-07 40 10 5 : Kiln And Crown\n", "11: a release of this season has no earlier"},
        {"past Velvetine 2007-08 3 1 100\nrelease Velvetine ISO 2007-11 400 0 0 : Heron Shift\n", "more earlier points than the group"},
        {"release Orbitrax ISO 2008-07 0 10 5 : Heron Shift\n", "11: release of unknown group 'Orbitrax'"},
        {"release Velvetine ISO 2008-07 0 10 5 : Heron Shift\n", "too few releases with points in July"},
        // June closes the season that opened the July before: June 2009 is month 12 of 2008-09, after
        // this second month, and June 2008 belongs to 2007-08, which has no Velvetine figures.
        {"release Velvetine ISO 2009-06 0 0 5 : Heron Shift\n", "11: release comes out after this issue"},
        {"release Velvetine ISO 2008-06 0 10 5 : Heron Shift\n", "11: release from a season without past figures"},
    };
    std::string dir = testing::TempDir();
    std::string page = dir + "page01_check.in";
    ASSERT_TRUE(tool_write_output(page, "@page 1\n{top1}\n", "test"));
    for (const bad_case& c : cases) {
        std::string data = dir + "bad_charts.data";
        ASSERT_TRUE(tool_write_output(data, head + c.lines, "test"));
        std::string command = std::string(KV_STATSGEN) + " " + data + " " + dir + " " + page + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        char buffer[512];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
        EXPECT_NE(pclose(pipe), 0) << c.lines;
        EXPECT_NE(output.find("bad_charts.data:"), std::string::npos) << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
    }
}

}  // namespace
