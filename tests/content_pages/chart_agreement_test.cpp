// The chart pages say what their data set says: every table statsgen writes into pages 1 to 9, the
// figures in their prose and the claims the prose makes by hand are recomputed here from charts.data.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tools/toolkit/tool_io.h"

namespace {

using cells = std::vector<std::string>;
using table = std::vector<cells>;

const char* const kMonth[] = {"July",    "August",   "September", "October", "November", "December",
                              "January", "February", "March",     "April",   "May",      "June"};

struct release {
    std::string title, group, kind;
    int year = 0, season = 0, month = 0;  // calendar year; the season it came out in and its month (1 = July)
    int earlier = 0;
    std::vector<int> points = std::vector<int>(12);  // per month of this season
};
struct past_season {
    int releases = 0, dox = 0, points = 0;
};
struct group {
    std::vector<int> releases = std::vector<int>(12), dox = std::vector<int>(12);
    std::map<int, past_season> past;
    bool current = false;
};
struct chart_data {
    int season = 0, month = 0;
    std::vector<int> seasons;  // the earlier ones, then this one
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
        char dash = 0;
        w >> key;
        if (key == "season") w >> d.season;  // "2008-09" is the season opening in 2008
        if (key == "month") w >> d.month;
        for (int y, y2; key == "past_seasons" && w >> y >> dash >> y2;) d.seasons.push_back(y);
        if (key == "group" || key == "dox") {
            w >> name;
            d.groups[name].current = true;
            for (int& n : key == "group" ? d.groups[name].releases : d.groups[name].dox) w >> n;
        }
        if (key == "past") {
            int y = 0, y2 = 0;
            w >> name >> y >> dash >> y2;
            past_season& p = d.groups[name].past[y];
            w >> p.releases >> p.dox >> p.points;
        }
        if (key == "release") {
            release r;
            int calendar = 0;
            w >> r.group >> r.kind >> r.year >> dash >> calendar >> r.earlier;
            for (int m = 0; m < d.month; ++m) w >> r.points[static_cast<size_t>(m)];
            r.season = calendar >= 7 ? r.year : r.year - 1;
            r.month = (calendar + 5) % 12 + 1;
            r.title = line.substr(line.find(" : ") + 3);
            d.list.push_back(r);
        }
    }
    d.seasons.push_back(d.season);
    return d;
}

// A table row split into its columns (separated by two or more spaces).
cells split(const std::string& row) {
    cells out;
    for (size_t i = row.find_first_not_of(' '), end; i != std::string::npos; i = row.find_first_not_of(' ', end)) {
        end = row.find("  ", i);
        out.push_back(row.substr(i, end == std::string::npos ? end : end - i));
    }
    return out;
}

// What the generated pages print: each template line is laid over its generated line, so every
// '@table <name>' yields that table's rows and every '{name}' the figure printed in its place.
struct printed {
    std::map<std::string, table> tables;
    std::map<std::string, std::string> fields;
};

// Lays a template line over its generated line: the text around the figures must match, the figures
// are taken as printed.
bool take_fields(std::string line, const std::string& got, std::map<std::string, std::string>& fields) {
    while (line.ends_with(' ')) line.pop_back();
    std::vector<std::string> text{""}, names;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '{') {
            text.back() += line[i];
            continue;
        }
        size_t close = line.find('}', i);
        names.push_back(line.substr(i + 1, close - i - 1));
        text.emplace_back();
        i = close;
    }
    if (names.empty()) return got == line;
    if (!got.starts_with(text[0]) || !got.ends_with(text.back())) return false;
    size_t pos = text[0].size();
    for (size_t k = 0; k < names.size(); ++k) {
        size_t end = k + 2 == text.size() ? got.size() - text.back().size() : got.find(text[k + 1], pos);
        if (end == std::string::npos || end < pos) return false;
        fields[names[k]] = got.substr(pos, end - pos);
        pos = end + text[k + 1].size();
    }
    return true;
}

printed read_pages() {
    printed p;
    for (const auto& entry : std::filesystem::directory_iterator(KV_PAGE_SOURCE_DIR)) {
        if (entry.path().extension() != ".in") continue;
        std::string in, out;
        std::string built = std::string(KV_PAGE_BUILD_DIR) + "/" + entry.path().stem().string() + ".txt";
        EXPECT_TRUE(tool_read_text(entry.path().c_str(), in) && tool_read_text(built.c_str(), out)) << built;
        auto lines = [](const std::string& text) {
            std::vector<std::string> v;
            std::istringstream i(text);
            for (std::string l; std::getline(i, l);) v.push_back(l);
            return v;
        };
        std::vector<std::string> o = lines(out);
        size_t j = 1;  // the generated page opens with a note on where it comes from
        for (const std::string& line : lines(in)) {
            if (line.starts_with("@table ")) {
                for (table& rows = p.tables[line.substr(7)]; j < o.size() && !o[j].starts_with("@"); ++j) rows.push_back(split(o[j]));
                continue;
            }
            const std::string got = j < o.size() ? o[j++] : "(end of page)";
            if (!line.starts_with("@") && !take_fields(line, got, p.fields)) ADD_FAILURE() << "'" << got << "' is not '" << line << "'";
        }
    }
    return p;
}

std::string s(long long v) { return std::to_string(v); }
std::string percent(int part, int whole) { return s((part * 100 + whole / 2) / whole) + "%"; }
std::string season_label(int y) {
    char b[16];
    std::snprintf(b, sizeof b, "%d-%02d", y, (y + 1) % 100);
    return b;
}
std::string short_month(int m) {
    std::string t(kMonth[m - 1], 3);
    for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return t;
}
int sum(const std::vector<int>& v) {
    int t = 0;
    for (int x : v) t += x;
    return t;
}
template <class List, class Item>
int place(const List& list, const Item& item) {
    auto it = std::find(list.begin(), list.end(), item);
    return it == list.end() ? 0 : static_cast<int>(it - list.begin()) + 1;
}
std::string plain(std::string v) {
    v.erase(std::remove(v.begin(), v.end(), ','), v.end());
    return v;
}

class ChartAgreement : public testing::Test {
  protected:
    chart_data d = load_data();
    printed page = read_pages();
    std::map<std::string, table> want;
    std::map<std::string, std::string> fields;

    // Month m's points (0: the season's).
    int in(const release& r, int m) const { return m == 0 ? sum(r.points) : r.points[static_cast<size_t>(m - 1)]; }
    int group_points(const std::string& g, int m) const {
        int t = 0;
        for (const release& r : d.list) t += r.group == g ? in(r, m) : 0;
        return t;
    }
    // Releases with points, most first; ties go to the earlier release, then by title.
    std::vector<const release*> ranked(const std::function<int(const release&)>& score) const {
        std::vector<const release*> out;
        for (const release& r : d.list) {
            if (score(r) > 0) out.push_back(&r);
        }
        std::stable_sort(out.begin(), out.end(), [&](const release* a, const release* b) {
            return std::tuple(-score(*a), a->season, a->month, a->title) < std::tuple(-score(*b), b->season, b->month, b->title);
        });
        return out;
    }
    // The data set's groups with points, most first; ties by name.
    std::vector<std::string> ranked_groups(const std::function<int(const std::string&)>& score) const {
        std::vector<std::string> out;
        for (const auto& [g, row] : d.groups) {
            if (score(g) > 0) out.push_back(g);
        }
        std::stable_sort(out.begin(), out.end(), [&](const auto& a, const auto& b) { return score(a) > score(b); });
        return out;
    }
};

TEST_F(ChartAgreement, TablesFiguresAndClaimsFollowTheData) {
    const int M = d.month;
    auto by_month = [&](int m) { return ranked([this, m](const release& r) { return in(r, m); }); };
    auto groups_by_month = [&](int m) { return ranked_groups([this, m](const std::string& g) { return group_points(g, m); }); };
    auto out_month = [&](const release& r) { return r.season == d.season ? short_month(r.month) : season_label(r.season); };

    // This month: pages 1 to 3.
    auto now = by_month(M), before = by_month(M - 1);
    auto gnow = groups_by_month(M), gbefore = groups_by_month(M - 1);
    int month_all = 0;
    for (const release* r : now) month_all += in(*r, M);
    for (size_t i = 0; i < now.size() && i < 20; ++i) {
        const release& r = *now[i];
        int months = 0, last = place(before, now[i]);
        for (int m = 1; m <= M; ++m) months += in(r, m) > 0;
        want["monthly_chart"].push_back({s(i + 1) + ".", r.title, r.group, r.kind, s(in(r, M)),
                                         r.season == d.season && r.month == M ? "new" : last > 0 ? s(last) : "back", s(months)});
    }
    for (size_t k = 0; k < now.size(); ++k) {
        const release& r = *now[k];
        if (r.group == gnow[0]) want["gotm_releases"].push_back({s(k + 1) + ".", r.title, r.kind, out_month(r), s(in(r, M - 1)), s(in(r, M)), s(in(r, 0))});
    }
    for (size_t i = 0; i < gnow.size(); ++i) {
        const std::string& g = gnow[i];
        const group& row = d.groups.at(g);
        const size_t m = static_cast<size_t>(M - 1);
        int points = group_points(g, M), last = place(gbefore, g), scored = 0, top = 0, best = 0;
        for (size_t k = 0; k < now.size(); ++k) {
            if (now[k]->group != g) continue;
            ++scored;
            if (k < 20) ++top, best = best > 0 ? best : static_cast<int>(k) + 1;
        }
        std::string was = last > 0 ? s(last) : "-";
        want["month_groups"].push_back({g, s(row.releases[m] - row.dox[m]), s(row.dox[m]), s(row.releases[m]), s(scored), s(points), percent(points, month_all), was});
        want["month_group_ranking"].push_back({s(i + 1) + ".", g, s(points), percent(points, month_all), s(top), best > 0 ? s(best) : "-",
                                               i > 0 ? s(group_points(gnow[0], M) - points) : "-", was});
    }

    // Page 4 also lists the groups statsgen makes up: their months are taken as printed, everything
    // else must follow (the named groups' months, empty months not yet counted, totals, the order).
    table stats = page.tables["release_stats"];
    std::array<int, 13> active{};
    for (cells& row : stats) {
        row.resize(15);
        auto named = d.groups.find(row[1]);
        int total = 0;
        for (int m = 1; m <= 12; ++m) {
            std::string& cell = row[static_cast<size_t>(m + 1)];
            if (named != d.groups.end()) cell = s(named->second.releases[static_cast<size_t>(m - 1)]);
            if (m > M || cell == "0") cell = ".";
            total += std::atoi(cell.c_str());
            active[static_cast<size_t>(m)] += cell != ".";
        }
        row[14] = s(total);
    }
    std::stable_sort(stats.begin(), stats.end(), [](const cells& a, const cells& b) {
        return std::atoi(a[14].c_str()) != std::atoi(b[14].c_str()) ? std::atoi(a[14].c_str()) > std::atoi(b[14].c_str()) : a[1] < b[1];
    });
    for (size_t i = 0; i < stats.size(); ++i) stats[i][0] = s(i + 1);
    want["release_stats"] = stats;
    for (const auto& [g, row] : d.groups) {
        bool listed = std::any_of(stats.begin(), stats.end(), [&](const cells& c) { return c[1] == g; });
        EXPECT_TRUE(listed || !row.current) << g << " is missing from the release stats";
    }

    // The season: pages 5 to 7.
    auto year = by_month(0);
    auto gyear = groups_by_month(0);
    auto glast = ranked_groups([&](const std::string& g) {
        auto it = d.groups.at(g).past.find(d.seasons[d.seasons.size() - 2]);
        return it == d.groups.at(g).past.end() ? 0 : it->second.points;
    });
    std::map<std::string, int> titles, number_ones;
    int year_all = 0;
    for (int m = 1; m <= M; ++m) {
        auto list = by_month(m);
        int all = 0;
        for (const release* r : list) all += in(*r, m), year_all += in(*r, m);
        std::string top = groups_by_month(m)[0];
        ++titles[top], ++number_ones[list[0]->group];
        want["month_by_month"].push_back({kMonth[m - 1], list[0]->title, list[0]->group, s(in(*list[0], m)), s(all), top});
    }
    for (size_t i = 0; i < year.size() && i < 25; ++i) {
        int best = 0;
        for (int m = 1; m <= M; ++m) {
            int p = place(by_month(m), year[i]);
            best = p > 0 && (best == 0 || p < best) ? p : best;
        }
        want["yearly_chart"].push_back({s(i + 1) + ".", year[i]->title, year[i]->group, year[i]->kind, out_month(*year[i]), s(best), s(in(*year[i], 0))});
    }
    for (size_t i = 0; i < gyear.size(); ++i) {
        const std::string& g = gyear[i];
        int releases = sum(d.groups.at(g).releases), dox = sum(d.groups.at(g).dox), points = group_points(g, 0), scored = 0;
        for (const release* r : year) scored += r->group == g && r->season == d.season;
        int last = place(glast, g);
        want["year_groups"].push_back({g, s(releases - dox), s(dox), s(releases), s(scored), s(points), percent(points, year_all), last > 0 ? s(last) : "new"});
        if (i < 8) {
            want["group_of_the_year"].push_back({s(i + 1) + ".", g, s(titles[g]), s(number_ones[g]), s(releases), s(points),
                                                 i > 0 ? s(group_points(gyear[0], 0) - points) : "-"});
        }
    }

    // Since issue 1: pages 8 and 9.
    auto all_time = [this](const release& r) { return r.earlier + in(r, 0); };
    auto group_all_time = [this](const std::string& g) {
        int t = group_points(g, 0);
        for (const auto& [y, p] : d.groups.at(g).past) t += p.points;
        return t;
    };
    auto all = ranked(all_time);
    auto gall = ranked_groups(group_all_time);
    for (size_t i = 0; i < all.size() && i < 90; ++i) {
        const release& r = *all[i];
        want["alltime_chart"].push_back({s(i + 1) + ".", r.title, r.group, r.kind, s(r.year), s(in(r, 0)), s(all_time(r))});
    }
    for (int y : d.seasons) {
        table& t = want["released_" + season_label(y)];
        for (size_t i = 0; i < all.size() && t.size() < 10; ++i) {
            const release& r = *all[i];
            if (r.season == y) t.push_back({s(t.size() + 1) + ".", r.title, r.group, r.kind, short_month(r.month), s(i + 1), s(all_time(r))});
        }
    }
    int grand = 0;
    for (const std::string& g : gall) grand += group_all_time(g);
    std::map<int, std::array<int, 3>> kinds;  // season -> ISO, DOX, points
    for (size_t i = 0; i < gall.size(); ++i) {
        const std::string& g = gall[i];
        const group& row = d.groups.at(g);
        int releases = sum(row.releases), dox = sum(row.dox), charted = 0, first = row.current ? d.season : 9999;
        kinds[d.season][0] += releases - dox, kinds[d.season][1] += dox, kinds[d.season][2] += group_points(g, 0);
        cells by_season{s(i + 1) + ".", g};
        for (size_t k = 0; k + 1 < d.seasons.size(); ++k) {
            auto it = row.past.find(d.seasons[k]);
            by_season.push_back(it == row.past.end() ? "-" : s(it->second.points));
            if (it == row.past.end()) continue;
            const past_season& p = it->second;
            releases += p.releases, dox += p.dox, first = std::min(first, d.seasons[k]);
            kinds[d.seasons[k]][0] += p.releases - p.dox, kinds[d.seasons[k]][1] += p.dox, kinds[d.seasons[k]][2] += p.points;
        }
        for (const release& r : d.list) charted += r.group == g;
        by_season.insert(by_season.end(), {row.current ? s(group_points(g, 0)) : "-", s(group_all_time(g)), percent(group_all_time(g), grand)});
        want["alltime_groups_by_year"].push_back(by_season);
        want["alltime_groups"].push_back({g, season_label(first), s(releases - dox), s(dox), s(releases), s(charted), s(group_all_time(g)), row.current ? "yes" : "no"});
    }
    for (int y : d.seasons) {
        int iso = 0, dox = 0;
        for (const release& r : d.list) {
            if (r.season == y) ++(r.kind == "DOX" ? dox : iso);
        }
        auto [named_iso, named_dox, points] = kinds[y];
        want["alltime_kinds"].push_back({season_label(y), s(named_iso), s(named_dox), percent(named_dox, named_iso + named_dox), s(iso), s(dox), s(points)});
    }

    // One pass over every table: each printed cell against the data.
    EXPECT_EQ(page.tables.size(), want.size());
    for (const auto& [name, rows] : want) {
        const table& got = page.tables[name];
        EXPECT_EQ(got.size(), rows.size()) << name;
        for (size_t i = 0; i < got.size() && i < rows.size(); ++i) {
            std::vector<std::string> a, b;
            for (const auto& c : got[i]) a.push_back(plain(c));
            for (const auto& c : rows[i]) b.push_back(plain(c));
            EXPECT_EQ(a, b) << name << " row " << i + 1;
        }
    }

    // Figures the prose prints, and what the prose says in so many words.
    int record_before = *std::max_element(active.begin() + 1, active.begin() + M);
    const std::map<std::string, std::string> figures = {
        {"top1", now[0]->title}, {"top2", now[1]->title}, {"top_margin", s(in(*now[0], M) - in(*now[1], M))},
        {"month_votes", s(month_all)}, {"month_releases", s(now.size())}, {"gotm", gnow[0]}, {"runner_up", gnow[1]},
        {"runner_up_votes", s(group_points(gnow[1], M))}, {"third", gnow[2]}, {"month_active_groups", s(active[static_cast<size_t>(M)])},
        {"month_active_record_before", s(record_before)}, {"year_votes", s(year_all)}, {"year_top1", year[0]->title},
        {"goty", gyear[0]}, {"goty_lead", s(group_points(gyear[0], 0) - group_points(gyear[1], 0))},
        {"alltime_top1", all[0]->title}, {"alltime_leader", gall[0]}, {"alltime_votes", s(grand)}, {"alltime_charted", s(d.list.size())}};
    for (const auto& [name, value] : figures) EXPECT_EQ(plain(page.fields[name]), value) << "{" << name << "}";
    const std::pair<const char*, bool> claims[] = {
        {"page 1: the top two are one point apart, both by one group", in(*now[0], M) - in(*now[1], M) == 1 && now[0]->group == now[1]->group},
        {"page 2: this month is the season's busiest so far", active[static_cast<size_t>(M)] > record_before},
        {"page 3: the winner has the chart's top two", now[0]->group == gnow[0] && now[1]->group == gnow[0]},
        {"page 3: its second title this season, the first in October", titles[gnow[0]] == 2 && groups_by_month(4)[0] == gnow[0]},
        {"page 3: the runner-up was last month's group of the month", gnow[1] == gbefore[0]},
        {"page 3: Okkulon came fourth", gnow[3] == "Okkulon"},
        {"page 9: Kettleburn topped the first season", ranked_groups([&](const std::string& g) {
             auto it = d.groups.at(g).past.find(d.seasons[0]);
             return it == d.groups.at(g).past.end() ? 0 : it->second.points;
         })[0] == "Kettleburn"},
        {"page 9: Starling Yard Almanac is the second biggest release", all[1]->title == "Starling Yard Almanac"},
    };
    for (const auto& [claim, holds] : claims) EXPECT_TRUE(holds) << claim;
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
        std::string output;
        char buffer[512];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
        EXPECT_NE(pclose(pipe), 0) << lines;
        EXPECT_NE(output.find(data + ":"), std::string::npos) << output;
        EXPECT_NE(output.find(message), std::string::npos) << output;
    }
}

}  // namespace
