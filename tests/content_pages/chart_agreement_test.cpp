// The chart pages say what their data set says: the tables statsgen writes into pages 1 to 9, the main
// figures in their prose and the claims the prose makes by hand are recomputed here from charts.data.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tools/toolkit/tool_io.h"

namespace {

using cells = std::vector<std::string>;
using table = std::vector<cells>;
using ints = std::vector<int>;

const char* const kMonth[] = {"July",    "August",   "September", "October", "November", "December",
                              "January", "February", "March",     "April",   "May",      "June"};

// Per-month figures are indexed by the month of the season (1 = July); index 0 holds the season's sum.
struct release {
    std::string title, group, kind;
    int year = 0, season = 0, month = 0, earlier = 0;  // out in calendar year, season (the year it opens) and month
    ints points = ints(13);
};
struct group {
    ints releases = ints(13), dox = ints(13);
    std::map<int, ints> past;  // season -> releases, DOX, points, 1 (known)
    bool current = false;
};
struct chart_data {
    int season = 0, month = 0;
    ints seasons;  // the earlier ones, then this one
    std::map<std::string, group> groups;
    std::vector<release> list;
};

chart_data load_data() {
    chart_data d;
    std::string text;
    EXPECT_TRUE(tool_read_text(KV_CHART_DATA, text)) << KV_CHART_DATA;
    std::istringstream in(text);
    for (std::string line, key, name; std::getline(in, line);) {
        std::istringstream w(line);
        int y = 0, m = 0;
        char dash = 0;
        w >> key;
        if (key == "season") w >> d.season;
        if (key == "month") w >> d.month;
        while (key == "past_seasons" && w >> y >> dash >> m) d.seasons.push_back(y);
        if (key == "group" || key == "dox") {
            w >> name;
            ints& v = key == "group" ? d.groups[name].releases : d.groups[name].dox;
            for (int k = 1; k <= d.month && w >> v[k]; ++k) v[0] += v[k];
            d.groups[name].current = true;
        }
        if (key == "past" && w >> name >> y >> dash >> m) {
            ints& p = d.groups[name].past[y] = ints{0, 0, 0, 1};
            w >> p[0] >> p[1] >> p[2];
        }
        if (key == "release") {
            release r;
            w >> r.group >> r.kind >> r.year >> dash >> m >> r.earlier;
            for (int k = 1; k <= d.month && w >> r.points[k]; ++k) r.points[0] += r.points[k];
            r.season = m >= 7 ? r.year : r.year - 1, r.month = (m + 5) % 12 + 1;
            r.title = line.substr(line.find(" : ") + 3);
            d.list.push_back(r);
        }
    }
    d.seasons.push_back(d.season);
    return d;
}

// A table row split into its columns (two or more spaces apart), thousands separators dropped.
cells split(const std::string& row) {
    cells out;
    for (size_t i = row.find_first_not_of(' '), end; i != std::string::npos; i = row.find_first_not_of(' ', end)) {
        end = row.find("  ", i);
        out.push_back(row.substr(i, end == std::string::npos ? end : end - i));
        std::erase(out.back(), ',');
    }
    return out;
}

// What the generated pages print: the tables, found by laying each template over its page (an
// '@table <name>' line stands for that table's rows), and the prose as one line, spaces collapsed.
struct printed {
    std::map<std::string, table> tables;
    std::string prose;
};

printed read_pages() {
    printed p;
    auto lines = [](const std::string& path) {
        std::string text;
        EXPECT_TRUE(tool_read_text(path.c_str(), text)) << path;
        std::istringstream in(text);
        cells v;
        for (std::string l; std::getline(in, l);) v.push_back(l);
        return v;
    };
    for (const auto& entry : std::filesystem::directory_iterator(KV_PAGE_SOURCE_DIR)) {
        if (entry.path().extension() != ".in") continue;
        const cells out = lines(std::string(KV_PAGE_BUILD_DIR) + "/" + entry.path().stem().string() + ".txt");
        size_t j = 1;  // past the note on where the page comes from
        for (std::string line : lines(entry.path().string())) {
            if (line.starts_with("@table ")) {
                for (table& rows = p.tables[line.substr(7)]; j < out.size() && !out[j].starts_with("@"); ++j) rows.push_back(split(out[j]));
                continue;
            }
            for (char c : j < out.size() && !line.starts_with("@") ? out[j] + " " : "") {
                if (c != ' ' || !p.prose.ends_with(' ')) p.prose += c;
            }
            ++j;
        }
    }
    return p;
}

std::string s(long long v) { return std::to_string(v); }
std::string percent(int part, int whole) { return s((part * 100 + whole / 2) / whole) + "%"; }
std::string season_label(int y) { return s(y) + "-" + s(100 + (y + 1) % 100).substr(1); }
std::string upper(std::string t) {
    for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return t;
}
std::string short_month(int m) { return upper(std::string(kMonth[m - 1], 3)); }
// 12345 as "12,345", as the prose writes figures.
std::string grouped(int v) {
    std::string t = s(v), out;
    for (size_t i = 0; i < t.size(); ++i) out.append(i > 0 && (t.size() - i) % 3 == 0 ? "," : "").push_back(t[i]);
    return out;
}
template <class List, class Item>
int place(const List& list, const Item& item) {
    auto it = std::find(list.begin(), list.end(), item);
    return it == list.end() ? 0 : static_cast<int>(it - list.begin()) + 1;
}
// The items with a score, highest first, ties in the order of their key.
template <class T, class Score, class Key>
std::vector<T> rank(std::vector<T> items, Score score, Key key) {
    std::erase_if(items, [&](const T& x) { return score(x) <= 0; });
    std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) { return std::tuple(-score(a), key(a)) < std::tuple(-score(b), key(b)); });
    return items;
}

TEST(ChartAgreement, TablesFiguresAndClaimsFollowTheData) {
    const chart_data d = load_data();
    printed page = read_pages();
    const int M = d.month;
    std::vector<const release*> releases;
    cells names;
    for (const release& r : d.list) releases.push_back(&r);
    for (const auto& [g, row] : d.groups) names.push_back(g);
    auto points = [&](const std::string& g, int m) {
        int t = 0;
        for (const release& r : d.list) t += r.group == g ? r.points[m] : 0;
        return t;
    };
    // A group's releases, DOX and points in a season, and 1 when it has figures for it.
    auto figures = [&](const std::string& g, int season) {
        const group& row = d.groups.at(g);
        if (season == d.season) return ints{row.releases[0], row.dox[0], points(g, 0), row.current};
        return row.past.count(season) != 0 ? row.past.at(season) : ints(4);
    };
    // Ties go to the earlier release, then by title; between groups, by name.
    auto by_month = [&](int m) { return rank(releases, [m](auto r) { return r->points[m]; }, [](auto r) { return std::tuple(r->season, r->month, r->title); }); };
    auto groups_by = [&](auto score) { return rank(names, score, [](const std::string& g) { return g; }); };
    auto groups_by_month = [&](int m) { return groups_by([&, m](const std::string& g) { return points(g, m); }); };
    auto out_month = [&](const release& r) { return r.season == d.season ? short_month(r.month) : season_label(r.season); };
    std::map<std::string, table> want;

    // This month: pages 1 to 3.
    const auto now = by_month(M), before = by_month(M - 1);
    const auto gnow = groups_by_month(M), gbefore = groups_by_month(M - 1);
    int month_all = 0;
    for (const release* r : now) month_all += r->points[M];
    for (size_t i = 0; i < now.size() && i < 20; ++i) {
        const release& r = *now[i];
        const int last = place(before, &r), months = static_cast<int>(std::count_if(r.points.begin() + 1, r.points.end(), [](int v) { return v > 0; }));
        want["monthly_chart"].push_back({s(i + 1) + ".", r.title, r.group, r.kind, s(r.points[M]),
                                         r.season == d.season && r.month == M ? "new" : last > 0 ? s(last) : "back", s(months)});
    }
    for (size_t i = 0; i < gnow.size(); ++i) {
        const std::string& g = gnow[i];
        const group& row = d.groups.at(g);
        const int p = points(g, M), last = place(gbefore, g);
        const auto scored = std::count_if(now.begin(), now.end(), [&](const release* r) { return r->group == g; });
        want["month_groups"].push_back({g, s(row.releases[M] - row.dox[M]), s(row.dox[M]), s(row.releases[M]), s(scored), s(p), percent(p, month_all), last > 0 ? s(last) : "-"});
    }

    // Page 4 also lists the groups statsgen makes up: their months are taken as printed, all the rest
    // must follow (the named groups' months, the months not yet counted left empty, totals, order).
    table stats = page.tables["release_stats"];
    std::array<int, 13> active{};
    for (cells& row : stats) {
        row.resize(15);
        int total = 0;
        for (int m = 1; m <= 12; ++m) {
            std::string& cell = row[static_cast<size_t>(m + 1)];
            if (d.groups.count(row[1]) != 0) cell = s(d.groups.at(row[1]).releases[m]);
            cell = m > M || cell == "0" ? "." : cell;
            total += std::atoi(cell.c_str()), active[m] += cell != ".";
        }
        row[14] = s(total);
    }
    std::stable_sort(stats.begin(), stats.end(), [](const cells& a, const cells& b) {
        return std::tuple(-std::atoi(a[14].c_str()), a[1]) < std::tuple(-std::atoi(b[14].c_str()), b[1]);
    });
    for (size_t i = 0; i < stats.size(); ++i) stats[i][0] = s(i + 1);
    want["release_stats"] = stats;
    for (const auto& [g, row] : d.groups) {
        EXPECT_TRUE(!row.current || std::any_of(stats.begin(), stats.end(), [&](const cells& c) { return c[1] == g; })) << g << " is not in the release stats";
    }

    // The season: pages 5 to 7.
    const auto year = by_month(0);
    const int last_season = d.seasons[d.seasons.size() - 2];
    const auto gyear = groups_by_month(0), glast = groups_by([&](const std::string& g) { return figures(g, last_season)[2]; });
    std::map<std::string, int> titles, number_ones;
    int year_all = 0;
    for (int m = 1; m <= M; ++m) {
        const auto list = by_month(m);
        const std::string top = groups_by_month(m)[0];
        int all = 0;
        for (const release* r : list) all += r->points[m];
        ++titles[top], ++number_ones[list[0]->group], year_all += all;
        want["month_by_month"].push_back({kMonth[m - 1], list[0]->title, list[0]->group, s(list[0]->points[m]), s(all), top});
    }
    for (size_t i = 0; i < year.size() && i < 25; ++i) {
        int best = 99;  // the highest monthly place
        for (int m = 1; m <= M; ++m) best = place(by_month(m), year[i]) > 0 ? std::min(best, place(by_month(m), year[i])) : best;
        want["yearly_chart"].push_back({s(i + 1) + ".", year[i]->title, year[i]->group, year[i]->kind, out_month(*year[i]), s(best), s(year[i]->points[0])});
    }
    for (size_t i = 0; i < gyear.size(); ++i) {
        const std::string& g = gyear[i];
        const int r = d.groups.at(g).releases[0], dox = d.groups.at(g).dox[0], p = points(g, 0), last = place(glast, g);
        const auto scored = std::count_if(year.begin(), year.end(), [&](const release* x) { return x->group == g && x->season == d.season; });
        want["year_groups"].push_back({g, s(r - dox), s(dox), s(r), s(scored), s(p), percent(p, year_all), last > 0 ? s(last) : "new"});
        if (i < 8) want["group_of_the_year"].push_back({s(i + 1) + ".", g, s(titles[g]), s(number_ones[g]), s(r), s(p), i > 0 ? s(points(gyear[0], 0) - p) : "-"});
    }

    // Since issue 1: pages 8 and 9.
    auto all_time = [](const release* r) { return r->earlier + r->points[0]; };
    auto group_all_time = [&](const std::string& g) {
        int t = 0;
        for (int y : d.seasons) t += figures(g, y)[2];
        return t;
    };
    const auto all = rank(releases, all_time, [](auto r) { return std::tuple(r->season, r->month, r->title); });
    const auto gall = groups_by(group_all_time);
    for (size_t i = 0; i < all.size() && i < 90; ++i) {
        want["alltime_chart"].push_back({s(i + 1) + ".", all[i]->title, all[i]->group, all[i]->kind, s(all[i]->year), s(all[i]->points[0]), s(all_time(all[i]))});
    }
    int grand = 0;
    for (const std::string& g : gall) grand += group_all_time(g);
    for (size_t i = 0; i < gall.size(); ++i) {
        const std::string& g = gall[i];
        cells by_season{s(i + 1) + ".", g};
        int r = 0, dox = 0, first = 0;
        for (int y : d.seasons) {
            const ints f = figures(g, y);
            by_season.push_back(f[3] ? s(f[2]) : "-");
            if (!f[3]) continue;
            r += f[0], dox += f[1], first = first > 0 ? first : y;
        }
        const auto charted = std::count_if(d.list.begin(), d.list.end(), [&](const release& x) { return x.group == g; });
        by_season.insert(by_season.end(), {s(group_all_time(g)), percent(group_all_time(g), grand)});
        want["alltime_groups_by_year"].push_back(by_season);
        want["alltime_groups"].push_back({g, season_label(first), s(r - dox), s(dox), s(r), s(charted), s(group_all_time(g)), d.groups.at(g).current ? "yes" : "no"});
    }
    // One pass over the tables, cell by cell. Not modelled: page 3's two tables and each season's ten
    // best (cuts of rankings checked here), and the ISO and DOX counts by season.
    EXPECT_EQ(page.tables.size(), want.size() + 6);
    for (const auto& [name, rows] : want) {
        const table& got = page.tables[name];
        EXPECT_EQ(got.size(), rows.size()) << name;
        for (size_t i = 0; i < got.size() && i < rows.size(); ++i) EXPECT_EQ(got[i], rows[i]) << name << " row " << i + 1;
    }

    // Figures in the prose, and what it says in so many words: a record busy month, a one-point finish
    // between two releases of the group of the month, the runner-up last month's winner, Okkulon fourth.
    const int record_before = *std::max_element(active.begin() + 1, active.begin() + M);
    EXPECT_GT(active[M], record_before);
    EXPECT_TRUE(now[0]->group == gnow[0] && now[1]->group == gnow[0]) << "the group of the month has the chart's top two";
    EXPECT_EQ(gnow[3], "Okkulon") << "who came fourth";
    for (const std::string& says : {"among " + grouped(active[M]) + " groups", "the busiest month before it this season had " + grouped(record_before),
                                    now[0]->title + " beat " + now[1]->title + " by 1 point, and both are by " + now[1]->group, "THE WINNER: " + upper(gnow[0]),
                                    gbefore[0] + ", group of the month in " + kMonth[M - 2] + ", finished " + grouped(points(gnow[0], M) - points(gnow[1], M)) +
                                        " points behind with " + grouped(points(gnow[1], M)) + ", and " + gnow[2] + " were",
                                    grouped(year_all) + " this season", "of all " + grouped(grand) + " points", gall[0] + " lead the all-time table"}) {
        EXPECT_NE(page.prose.find(says), std::string::npos) << says;
    }
}

// statsgen refuses a data set that contradicts itself, naming the file and line.
TEST(ChartDataChecks, ContradictionsStopTheBuild) {
    const std::string head = "issue 31\nseason 2008-09\nmonth 2\npast_seasons 2007-08\nseed 1\ngroups 2\n"
                             "prefixes Amber\nsuffixes Arc Bay\ngroup Velvetine 1 1\ndox Velvetine 0 1\n";
    const std::pair<const char*, const char*> cases[] = {
        {"release Velvetine DOX 2008-07 0 10 5 : Kiln And Crown\n", "11: 'Velvetine' has more charted releases"},
        {"release Velvetine ISO 2008-08 0 10 5 : Kiln And Crown\n", "11: points before the release came out"},
        {"release Velvetine ISO 2008-07 40 10 5 : Kiln And Crown\n", "11: a release of this season has no earlier"},
        {"past Velvetine 2007-08 3 1 100\nrelease Velvetine ISO 2007-11 400 0 0 : Heron Shift\n", "more earlier points than the group"},
        {"release Orbitrax ISO 2008-07 0 10 5 : Heron Shift\n", "11: release of unknown group 'Orbitrax'"},
        {"release Velvetine ISO 2008-07 0 10 5 : Heron Shift\n", "too few releases with points in July"},
        // June closes the season that opened the July before: June 2009 is month 12 of 2008-09, after
        // this issue's second month, and June 2008 belongs to 2007-08, which has no Velvetine figures.
        {"release Velvetine ISO 2009-06 0 0 5 : Heron Shift\n", "11: release comes out after this issue"},
        {"release Velvetine ISO 2008-06 0 10 5 : Heron Shift\n", "11: release from a season without past figures"},
    };
    const std::string dir = testing::TempDir(), page = dir + "page01_check.in", data = dir + "bad_charts.data";
    ASSERT_TRUE(tool_write_output(page, "@page 1\n{top1}\n", "test"));
    for (const auto& [lines, message] : cases) {
        ASSERT_TRUE(tool_write_output(data, head + lines, "test"));
        FILE* pipe = popen((std::string(KV_STATSGEN) + " " + data + " " + dir + " " + page + " 2>&1").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output(4096, '\0');
        output.resize(fread(output.data(), 1, output.size(), pipe));
        EXPECT_NE(pclose(pipe), 0) << lines;
        EXPECT_NE(output.find(data + ":"), std::string::npos) << output;
        EXPECT_NE(output.find(message), std::string::npos) << output;
    }
}

}  // namespace
