// statsgen: writes the chart pages from their templates and the issue's one fictional chart data set.
//
// The data set (charts.data) holds the groups with their releases per month this season, their figures
// for earlier seasons, and every release that drew votes with its votes per month of this season and its
// total from earlier seasons. The chart season runs from July to June and is written "2008-09"; inside,
// a season is the year it opens in and its months are numbered 1 (July) to 12 (June). Groups beyond
// the named ones are made up from name syllables and a seeded generator so the release statistics list
// every group counted. From that one set come the monthly chart, the
// group rankings, the yearly and the all-time tables, so the figures on pages 1 to 9 agree.
//
// A template is page markup with two additions: a line '@table <name>' becomes that table's rows, and
// '{name}' anywhere in a text line becomes a figure or a name computed from the data. Every template
// 'pageNN_<what>.in' is written to the output folder as 'pageNN_<what>.txt'.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/toolkit/tool_io.h"

namespace {

constexpr int kMaxMonths = 12;

// The months of a chart season, in its order.
const char* const kMonthNames[12] = {"July",    "August",   "September", "October", "November", "December",
                                     "January", "February", "March",     "April",   "May",      "June"};
constexpr int kSeasonOpens = 7;  // the calendar month a season's first month is

struct past_year {
    int year = 0;  // the season, by the year it opens in
    int releases = 0;
    int dox = 0;
    int votes = 0;
};

struct group_row {
    std::string name;
    std::vector<int> months;  // releases per month, twelve entries (months after the counted one are 0)
    std::vector<int> dox;     // DOX releases among them (named groups only)
    std::vector<past_year> past;
    bool named = false;  // given in the data set rather than generated
    bool current = false;  // released something this year
    int total = 0;
};

struct release {
    std::string title, group, kind;
    int year = 0, month = 0;  // when it came out: the season and its month
    int calendar_year = 0;    // the year it came out, as a calendar gives it
    int earlier = 0;          // votes in the seasons before this one
    std::vector<int> votes;   // votes per month of this year, twelve entries
    int line = 0;
    int year_votes() const {
        int s = 0;
        for (int v : votes) s += v;
        return s;
    }
};

struct data_set {
    int issue = 0, year = 0, month = 0;  // the season this issue counts, and its months counted
    std::vector<int> past_years;         // earlier seasons
    uint32_t seed = 1;
    int groups = 0;
    std::vector<std::string> prefixes, suffixes;
    std::vector<group_row> named;  // in the order the data set gives them
    std::vector<release> releases;
};

bool fail(const std::string& where, int line, const std::string& what) {
    std::fprintf(stderr, "%s:%d: %s\n", where.c_str(), line, what.c_str());
    return false;
}

group_row* find_named(data_set& d, const std::string& name) {
    for (auto& g : d.named) {
        if (g.name == name) return &g;
    }
    return nullptr;
}

// "2008-09": the season that opens in July 2008.
bool parse_season(const std::string& text, int& year) {
    int first = 0, second = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d%c", &first, &second, &extra) != 2 || text.size() != 7) return false;
    year = first;
    return first > 0 && second == (first + 1) % 100;
}

std::string season_label(int year);

bool read_counts(std::istringstream& words, int n, int lo, int hi, std::vector<int>& out) {
    out.assign(kMaxMonths, 0);
    for (int m = 0; m < n; ++m) {
        if (!(words >> out[static_cast<size_t>(m)]) || out[static_cast<size_t>(m)] < lo || out[static_cast<size_t>(m)] > hi) return false;
    }
    std::string extra;
    return !(words >> extra);
}

bool parse_line(const std::string& key, std::istringstream& words, const std::string& rest, data_set& d,
                const std::string& name, int line_no) {
    auto bad = [&](const std::string& what) { return fail(name, line_no, what); };
    if (key == "season") {
        std::string s;
        if (!(words >> s) || !parse_season(s, d.year)) return bad("season needs its two years, as 2008-09");
        return true;
    }
    if (key == "issue" || key == "month" || key == "groups") {
        int v = 0;
        if (!(words >> v)) return bad(key + " needs a number");
        if (key == "issue") d.issue = v;
        if (key == "month") {
            if (v < 2 || v > kMaxMonths) return bad("month needs 2-12 (the month this issue counts)");
            d.month = v;
        }
        if (key == "groups") {
            if (v < 1 || v > 4900) return bad("groups needs a count 1-4900");
            d.groups = v;
        }
        return true;
    }
    if (key == "seed") {
        long long v = 0;
        if (!(words >> v) || v < 1 || v > 0xFFFFFFFFLL) return bad("seed needs a number 1-4294967295");
        d.seed = static_cast<uint32_t>(v);
        return true;
    }
    if (key == "past_seasons") {
        for (std::string s; words >> s;) {
            int y = 0;
            if (!parse_season(s, y)) return bad("past_seasons needs seasons, as 2007-08");
            d.past_years.push_back(y);
        }
        if (d.past_years.empty()) return bad("past_seasons needs at least one season");
        return true;
    }
    if (key == "prefixes" || key == "suffixes") {
        auto& list = key == "prefixes" ? d.prefixes : d.suffixes;
        for (std::string w; words >> w;) list.push_back(w);
        return true;
    }
    if (d.month == 0) return bad("month must come before groups, past figures and releases");
    if (key == "group" || key == "dox") {
        std::string g;
        if (!(words >> g)) return bad(key + " needs a group name");
        std::vector<int> counts;
        if (!read_counts(words, d.month, 0, 99, counts)) {
            return bad(key + " needs " + std::to_string(d.month) + " counts 0-99, one per month so far");
        }
        group_row* row = find_named(d, g);
        if (key == "group") {
            if (row != nullptr && !row->months.empty()) return bad("group '" + g + "' is given twice");
            if (row == nullptr) d.named.push_back(group_row{g, {}, {}, {}, true, false, 0}), row = &d.named.back();
            row->months = counts;
            row->current = true;
        } else {
            if (row == nullptr || row->months.empty()) return bad("dox before the group line of '" + g + "'");
            for (size_t m = 0; m < counts.size(); ++m) {
                if (counts[m] > row->months[m]) return bad("more DOX than releases for '" + g + "' in a month");
            }
            row->dox = counts;
        }
        return true;
    }
    if (key == "past") {
        std::string g, season;
        past_year p;
        std::string extra;
        if (!(words >> g >> season >> p.releases >> p.dox >> p.votes) || (words >> extra) || !parse_season(season, p.year)) {
            return bad("past needs a group, a season, its releases, the DOX among them and its votes");
        }
        if (std::find(d.past_years.begin(), d.past_years.end(), p.year) == d.past_years.end()) {
            return bad("past season " + season + " is not one of past_seasons");
        }
        if (p.releases < 0 || p.dox < 0 || p.dox > p.releases || p.votes < 0) return bad("past figures out of range");
        group_row* row = find_named(d, g);
        if (row == nullptr) d.named.push_back(group_row{g, {}, {}, {}, true, false, 0}), row = &d.named.back();
        for (const auto& q : row->past) {
            if (q.year == p.year) return bad("past " + season + " of '" + g + "' is given twice");
        }
        row->past.push_back(p);
        return true;
    }
    if (key == "release") {
        release r;
        std::string when;
        r.line = line_no;
        if (!(words >> r.group >> r.kind >> when >> r.earlier)) return bad("release needs a group, a kind, year-month and earlier votes");
        if (r.kind != "ISO" && r.kind != "DOX") return bad("a release is ISO or DOX");
        int calendar_month = 0;
        if (std::sscanf(when.c_str(), "%d-%d", &r.calendar_year, &calendar_month) != 2 || calendar_month < 1 || calendar_month > 12) {
            return bad("release date needs year-month");
        }
        // The calendar month as the season counts it: July 2008 is month 1 of 2008-09, May 2009 month 11.
        r.year = calendar_month >= kSeasonOpens ? r.calendar_year : r.calendar_year - 1;
        r.month = (calendar_month - kSeasonOpens + 12) % 12 + 1;
        r.votes.assign(kMaxMonths, 0);
        for (int m = 0; m < d.month; ++m) {
            if (!(words >> r.votes[static_cast<size_t>(m)]) || r.votes[static_cast<size_t>(m)] < 0) {
                return bad("release needs " + std::to_string(d.month) + " monthly vote counts");
            }
        }
        std::string colon;
        if (!(words >> colon) || colon != ":") return bad("release needs ': <title>' after its votes");
        size_t at = rest.find(" : ");
        r.title = rest.substr(at + 3);
        while (!r.title.empty() && (r.title.back() == ' ' || r.title.back() == '\r')) r.title.pop_back();
        if (r.title.empty() || r.title.size() > 30) return bad("release title needs 1-30 characters");
        if (r.year > d.year || (r.year == d.year && r.month > d.month)) return bad("release comes out after this issue");
        if (r.year == d.year && r.earlier != 0) return bad("a release of this season has no earlier votes");
        for (int m = 0; r.year == d.year && m < r.month - 1; ++m) {
            if (r.votes[static_cast<size_t>(m)] != 0) return bad("points before the release came out");
        }
        for (const auto& o : d.releases) {
            if (o.title == r.title) return bad("release '" + r.title + "' is given twice");
        }
        d.releases.push_back(r);
        return true;
    }
    return bad("unknown key '" + key + "' (issue, season, month, past_seasons, seed, groups, prefixes, suffixes, group, dox, past, release)");
}

// Checks that hold across lines: the data must describe one consistent world.
bool check_data(data_set& d, const std::string& name, int last_line) {
    if (d.prefixes.empty() || d.suffixes.empty()) return fail(name, last_line, "prefixes and suffixes are both needed");
    if (d.issue < 1 || d.year < 1) return fail(name, last_line, "issue and season are both needed");
    size_t current = 0;
    for (const auto& g : d.named) current += g.current ? 1 : 0;
    if (static_cast<size_t>(d.groups) < current) return fail(name, last_line, "groups is less than the named groups");
    size_t possible = d.prefixes.size() * d.suffixes.size() + current;
    if (static_cast<size_t>(d.groups) > possible) {
        return fail(name, last_line, "groups asks for more names than the syllables can make (" + std::to_string(possible) + ")");
    }
    for (auto& g : d.named) {
        if (g.current && g.dox.empty()) return fail(name, last_line, "group '" + g.name + "' has no dox line");
        if (!g.current) g.months.assign(kMaxMonths, 0), g.dox.assign(kMaxMonths, 0);
    }
    for (const auto& r : d.releases) {
        group_row* g = find_named(d, r.group);
        if (g == nullptr) return fail(name, r.line, "release of unknown group '" + r.group + "'");
        if (r.year == d.year) {
            // The charted releases are among the releases counted for that group and month.
            int iso = 0, dox = 0;
            for (const auto& o : d.releases) {
                if (o.group != r.group || o.year != r.year || o.month != r.month) continue;
                (o.kind == "DOX" ? dox : iso) += 1;
            }
            size_t m = static_cast<size_t>(r.month - 1);
            if (dox > g->dox[m] || iso > g->months[m] - g->dox[m]) {
                return fail(name, r.line, "'" + r.group + "' has more charted releases that month than it released");
            }
        } else {
            bool known = false;
            for (const auto& p : g->past) known |= p.year == r.year;
            if (!known) return fail(name, r.line, "release from a season without past figures for '" + r.group + "'");
        }
    }
    for (const auto& g : d.named) {
        int listed = 0, past = 0;
        for (const auto& r : d.releases) listed += r.group == g.name ? r.earlier : 0;
        for (const auto& p : g.past) past += p.votes;
        if (listed > past) return fail(name, last_line, "'" + g.name + "' has releases with more earlier points than the group");
    }
    return true;
}

// The pages name a runner-up, a third group, every month's number one and last month's chart:
// a data set too thin for that is refused rather than read past its end.
bool enough_data(const data_set& d, const std::string& name, int last_line) {
    for (int m = 1; m <= d.month; ++m) {
        std::set<std::string> groups;
        int scored = 0;
        for (const auto& r : d.releases) {
            if (r.votes[static_cast<size_t>(m - 1)] > 0) ++scored, groups.insert(r.group);
        }
        if (scored < 2 || (m == d.month && groups.size() < 3)) {
            return fail(name, last_line, std::string("too few releases with points in ") + kMonthNames[m - 1] +
                                             " (every month needs two, the last one three groups)");
        }
    }
    for (int y : d.past_years) {
        int groups = 0;
        for (const auto& g : d.named) {
            for (const auto& p : g.past) groups += p.year == y && p.votes > 0 ? 1 : 0;
        }
        if (groups == 0) return fail(name, last_line, "no group has points in " + season_label(y));
    }
    return true;
}

bool parse_data(const std::string& text, const std::string& name, data_set& d) {
    std::istringstream in(text);
    std::string line;
    int line_no = 0;
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string key;
        if (!(words >> key) || key[0] == '#') continue;
        if (!parse_line(key, words, line, d, name, line_no)) return false;
    }
    return check_data(d, name, line_no) && enough_data(d, name, line_no);
}

// A small xorshift generator: the table must come out the same on every build.
struct rng {
    uint32_t s;
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
};

// Every group counted this year, ranked by releases: the named ones and the generated rest.
std::vector<group_row> make_groups(const data_set& d) {
    rng r{d.seed};
    std::set<std::string> used;
    std::vector<group_row> rows;
    for (const auto& g : d.named) {
        used.insert(g.name);
        if (g.current) rows.push_back(g);
    }
    while (rows.size() < static_cast<size_t>(d.groups)) {
        std::string name = d.prefixes[static_cast<size_t>(r.below(static_cast<int>(d.prefixes.size())))] + " " +
                           d.suffixes[static_cast<size_t>(r.below(static_cast<int>(d.suffixes.size())))];
        if (!used.insert(name).second) continue;
        group_row g{name, std::vector<int>(kMaxMonths, 0), {}, {}, false, true, 0};
        // Most groups release now and then; a few are busy all year.
        int busy = r.below(100) < 8 ? 4 : r.below(100) < 35 ? 2 : 1;
        for (int m = 0; m < d.month; ++m) {
            int v = r.below(10) < 3 + busy ? r.below(busy * 2 + 1) : 0;
            g.months[static_cast<size_t>(m)] = v;
        }
        // The page lists groups that released something this year.
        if (std::all_of(g.months.begin(), g.months.end(), [](int v) { return v == 0; })) {
            g.months[static_cast<size_t>(r.below(d.month))] = 1;
        }
        rows.push_back(g);
    }
    for (auto& g : rows) {
        g.total = 0;
        for (int v : g.months) g.total += v;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const group_row& a, const group_row& b) {
        return a.total != b.total ? a.total > b.total : a.name < b.name;
    });
    return rows;
}


std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return s;
}

std::string short_month(int m) { return upper(std::string(kMonthNames[m - 1]).substr(0, 3)); }

std::string season_label(int year) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d-%02d", year, (year + 1) % 100);
    return buf;
}

// 12345 as "12,345": the prose writes figures the way the staff would.
std::string grouped(long long v) {
    std::string s = std::to_string(v < 0 ? -v : v);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<size_t>(i), ",");
    return v < 0 ? "-" + s : s;
}

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
    char buf[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

// Everything the pages show, computed once from the data set.
struct chart_world {
    const data_set* d = nullptr;
    std::vector<group_row> all_groups;  // page 4's table order
    std::vector<const group_row*> named;  // every named group, current and retired
    std::map<std::string, std::string> fields;
    std::map<std::string, std::vector<std::string>> tables;
};

using release_list = std::vector<const release*>;

// Releases with votes ranked by score: ties go to the earlier release, then by title.
release_list ranked(const data_set& d, const std::function<long long(const release&)>& score) {
    release_list out;
    for (const auto& r : d.releases) {
        if (score(r) > 0) out.push_back(&r);
    }
    std::stable_sort(out.begin(), out.end(), [&](const release* a, const release* b) {
        long long sa = score(*a), sb = score(*b);
        if (sa != sb) return sa > sb;
        if (a->year != b->year) return a->year < b->year;
        if (a->month != b->month) return a->month < b->month;
        return a->title < b->title;
    });
    return out;
}

int position_of(const release_list& list, const release* r) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == r) return static_cast<int>(i) + 1;
    }
    return 0;
}

struct group_score {
    const group_row* g;
    long long votes;
};

// Named groups ranked by a score; groups without a vote are left out. Ties go by name.
std::vector<group_score> ranked_groups(const chart_world& w, const std::function<long long(const group_row&)>& score) {
    std::vector<group_score> out;
    for (const group_row* g : w.named) {
        long long v = score(*g);
        if (v > 0) out.push_back({g, v});
    }
    std::stable_sort(out.begin(), out.end(), [](const group_score& a, const group_score& b) {
        return a.votes != b.votes ? a.votes > b.votes : a.g->name < b.g->name;
    });
    return out;
}

int group_position(const std::vector<group_score>& list, const group_row* g) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].g == g) return static_cast<int>(i) + 1;
    }
    return 0;
}

long long group_month_votes(const data_set& d, const group_row& g, int month) {
    long long s = 0;
    for (const auto& r : d.releases) s += r.group == g.name ? r.votes[static_cast<size_t>(month - 1)] : 0;
    return s;
}

long long group_year_votes(const data_set& d, const group_row& g) {
    long long s = 0;
    for (int m = 1; m <= d.month; ++m) s += group_month_votes(d, g, m);
    return s;
}

const past_year* past_of(const group_row& g, int year) {
    for (const auto& p : g.past) {
        if (p.year == year) return &p;
    }
    return nullptr;
}

int sum_months(const std::vector<int>& v) {
    int s = 0;
    for (int x : v) s += x;
    return s;
}

std::string percent(long long part, long long whole) {
    return whole == 0 ? "0" : std::to_string((part * 100 + whole / 2) / whole);
}

// The monthly chart and the pages about this month: pages 1, 2 and 3.
void build_month(chart_world& w) {
    const data_set& d = *w.d;
    auto& f = w.fields;
    const int month = d.month;
    auto votes_in = [](int m) { return [m](const release& r) -> long long { return r.votes[static_cast<size_t>(m - 1)]; }; };
    release_list now = ranked(d, votes_in(month));
    release_list before = ranked(d, votes_in(month - 1));
    auto& chart = w.tables["monthly_chart"];
    long long all_votes = 0;
    for (const release* r : now) all_votes += r->votes[static_cast<size_t>(month - 1)];
    int new_entries = 0;
    for (size_t i = 0; i < now.size() && i < 20; ++i) {
        const release* r = now[i];
        int last = position_of(before, r);
        bool fresh = r->year == d.year && r->month == month;
        new_entries += fresh ? 1 : 0;
        int months_on = 0;
        for (int m = 1; m <= month; ++m) months_on += r->votes[static_cast<size_t>(m - 1)] > 0 ? 1 : 0;
        std::string last_text = fresh ? "new" : last > 0 ? std::to_string(last) : "back";
        chart.push_back(format("%5d.  %-30s%-12s%-5s%6d%8s%9d", static_cast<int>(i) + 1, r->title.c_str(),
                               r->group.c_str(), r->kind.c_str(), r->votes[static_cast<size_t>(month - 1)],
                               last_text.c_str(), months_on));
    }
    f["month"] = kMonthNames[month - 1];
    f["month_upper"] = upper(kMonthNames[month - 1]);
    f["month_short"] = short_month(month);
    f["last_month_short"] = short_month(month - 1);
    f["last_month"] = kMonthNames[month - 2];
    f["issue"] = std::to_string(d.issue);
    f["season"] = season_label(d.year);
    f["first_month"] = kMonthNames[0];
    f["month_votes"] = grouped(all_votes);
    f["month_releases"] = std::to_string(now.size());
    f["month_new"] = std::to_string(new_entries);
    f["top1"] = now[0]->title;
    f["top1_group"] = now[0]->group;
    f["top1_votes"] = std::to_string(now[0]->votes[static_cast<size_t>(month - 1)]);
    f["top2"] = now[1]->title;
    f["top2_group"] = now[1]->group;
    f["top2_votes"] = std::to_string(now[1]->votes[static_cast<size_t>(month - 1)]);
    f["top_margin"] = std::to_string(now[0]->votes[static_cast<size_t>(month - 1)] - now[1]->votes[static_cast<size_t>(month - 1)]);
    f["last_top1"] = before[0]->title;
    f["last_top1_group"] = before[0]->group;
    f["last_top1_now"] = std::to_string(position_of(now, before[0]));
    f["chart_cut"] = std::to_string(now.size() >= 20 ? now[19]->votes[static_cast<size_t>(month - 1)] : 0);

    // The groups this month: votes, releases, entries and how they stood last month.
    auto now_groups = ranked_groups(w, [&](const group_row& g) { return group_month_votes(d, g, month); });
    auto before_groups = ranked_groups(w, [&](const group_row& g) { return group_month_votes(d, g, month - 1); });
    auto& overview = w.tables["month_groups"];
    auto& ranking = w.tables["month_group_ranking"];
    int iso_all = 0, dox_all = 0, climb = -100;
    const group_row* climber = nullptr;
    int climber_from = 0, climber_to = 0;
    for (size_t i = 0; i < now_groups.size(); ++i) {
        const group_row* g = now_groups[i].g;
        size_t m = static_cast<size_t>(month - 1);
        int entries = 0, best = 0, charted = 0;
        for (size_t k = 0; k < now.size(); ++k) {
            if (now[k]->group != g->name) continue;
            ++charted;
            if (k < 20) ++entries, best = best == 0 ? static_cast<int>(k) + 1 : best;
        }
        int last = group_position(before_groups, g);
        int pos = static_cast<int>(i) + 1;
        if (last > 0 && last - pos > climb) climb = last - pos, climber = g, climber_from = last, climber_to = pos;
        iso_all += g->months[m] - g->dox[m];
        dox_all += g->dox[m];
        overview.push_back(format("  %-16s%7d%7d%10d%9d%9lld%8s%10s", g->name.c_str(), g->months[m] - g->dox[m], g->dox[m],
                                  g->months[m], charted, now_groups[i].votes,
                                  (percent(now_groups[i].votes, all_votes) + "%").c_str(),
                                  last > 0 ? std::to_string(last).c_str() : "-"));
        std::string behind = i == 0 ? "-" : std::to_string(now_groups[0].votes - now_groups[i].votes);
        ranking.push_back(format("%5d.  %-16s%8lld%8s%9d%7s%10s%10s", pos, g->name.c_str(), now_groups[i].votes,
                                 (percent(now_groups[i].votes, all_votes) + "%").c_str(), entries,
                                 best > 0 ? std::to_string(best).c_str() : "-", behind.c_str(),
                                 last > 0 ? std::to_string(last).c_str() : "-"));
    }
    const group_row* winner = now_groups[0].g;
    const group_row* runner = now_groups[1].g;
    f["gotm"] = winner->name;
    f["gotm_upper"] = upper(winner->name);
    f["gotm_votes"] = grouped(now_groups[0].votes);
    f["gotm_share"] = percent(now_groups[0].votes, all_votes);
    f["gotm_last_pos"] = std::to_string(group_position(before_groups, winner));
    f["gotm_releases"] = std::to_string(winner->months[static_cast<size_t>(month - 1)]);
    f["runner_up"] = runner->name;
    f["runner_up_votes"] = grouped(now_groups[1].votes);
    f["gotm_margin"] = grouped(now_groups[0].votes - now_groups[1].votes);
    f["third"] = now_groups[2].g->name;
    f["third_votes"] = grouped(now_groups[2].votes);
    f["third_behind"] = grouped(now_groups[1].votes - now_groups[2].votes);
    f["last_gotm"] = before_groups[0].g->name;
    f["last_gotm_now"] = std::to_string(group_position(now_groups, before_groups[0].g));
    f["month_climber"] = climber != nullptr ? climber->name : "";
    f["month_climber_from"] = std::to_string(climber_from);
    f["month_climber_to"] = std::to_string(climber_to);
    f["month_groups_voted"] = std::to_string(now_groups.size());
    f["month_named_iso"] = std::to_string(iso_all);
    f["month_named_dox"] = std::to_string(dox_all);
    int charted_iso = 0, charted_dox = 0;
    long long dox_votes = 0;
    for (const release* r : now) {
        (r->kind == "DOX" ? charted_dox : charted_iso) += 1;
        dox_votes += r->kind == "DOX" ? r->votes[static_cast<size_t>(month - 1)] : 0;
    }
    f["month_charted_iso"] = std::to_string(charted_iso);
    f["month_charted_dox"] = std::to_string(charted_dox);
    f["month_dox_share"] = percent(dox_votes, all_votes);

    // The winner's releases that drew votes this month, as the chart placed them.
    auto& mine = w.tables["gotm_releases"];
    int winner_entries = 0;
    for (size_t k = 0; k < now.size(); ++k) {
        if (now[k]->group != winner->name) continue;
        ++winner_entries;
        const release* r = now[k];
        std::string out = r->year == d.year ? short_month(r->month) : season_label(r->year);
        mine.push_back(format("%5d.  %-30s%-5s%7s%10d%10d%10d", static_cast<int>(k) + 1, r->title.c_str(), r->kind.c_str(),
                              out.c_str(), r->votes[static_cast<size_t>(month - 2)], r->votes[static_cast<size_t>(month - 1)],
                              r->year_votes()));
    }
    f["gotm_entries"] = std::to_string(winner_entries);

    // Counts over every group of page 4: the busiest group and how many groups released this month.
    int active = 0, busiest_count = -1, active_max_other = 0, releases_all = 0;
    const group_row* busiest = nullptr;
    for (const auto& g : w.all_groups) {
        int v = g.months[static_cast<size_t>(month - 1)];
        active += v > 0 ? 1 : 0;
        releases_all += v;
        if (v > busiest_count || (v == busiest_count && g.name < busiest->name)) busiest_count = v, busiest = &g;
    }
    for (int m = 1; m < month; ++m) {
        int a = 0;
        for (const auto& g : w.all_groups) a += g.months[static_cast<size_t>(m - 1)] > 0 ? 1 : 0;
        active_max_other = std::max(active_max_other, a);
    }
    f["month_active_groups"] = grouped(active);
    f["month_active_record_before"] = grouped(active_max_other);
    f["month_all_releases"] = grouped(releases_all);
    f["month_busiest"] = busiest->name;
    f["month_busiest_count"] = std::to_string(busiest_count);
}

// The year so far: pages 5, 6 and 7.
void build_year(chart_world& w) {
    const data_set& d = *w.d;
    auto& f = w.fields;
    const int month = d.month;
    release_list year = ranked(d, [](const release& r) -> long long { return r.year_votes(); });
    std::vector<release_list> monthly;
    for (int m = 1; m <= month; ++m) {
        monthly.push_back(ranked(d, [m](const release& r) -> long long { return r.votes[static_cast<size_t>(m - 1)]; }));
    }
    long long year_votes = 0;
    for (const release* r : year) year_votes += r->year_votes();
    auto& chart = w.tables["yearly_chart"];
    for (size_t i = 0; i < year.size() && i < 25; ++i) {
        const release* r = year[i];
        int best = 0;
        for (const auto& list : monthly) {
            int p = position_of(list, r);
            if (p > 0 && (best == 0 || p < best)) best = p;
        }
        std::string out = r->year == d.year ? short_month(r->month) : season_label(r->year);
        chart.push_back(format("%5d.  %-30s%-12s%-5s%7s%6d%10d", static_cast<int>(i) + 1, r->title.c_str(), r->group.c_str(),
                               r->kind.c_str(), out.c_str(), best, r->year_votes()));
    }
    f["year_votes"] = grouped(year_votes);
    f["year_releases"] = std::to_string(year.size());
    f["year_top1"] = year[0]->title;
    f["year_top1_group"] = year[0]->group;
    f["year_top1_votes"] = grouped(year[0]->year_votes());
    f["year_top1_kind"] = year[0]->kind;
    f["year_top2"] = year[1]->title;
    f["year_top2_group"] = year[1]->group;
    for (size_t i = 0; i < year.size(); ++i) {
        if (year[i]->kind != "DOX") continue;
        f["year_best_dox"] = year[i]->title;
        f["year_best_dox_pos"] = std::to_string(i + 1);
        break;
    }

    // Month by month: the number one, the group of the month and every vote cast.
    auto& months = w.tables["month_by_month"];
    std::map<std::string, int> titles, number_ones;
    for (int m = 1; m <= month; ++m) {
        const release_list& list = monthly[static_cast<size_t>(m - 1)];
        long long all = 0;
        for (const release* r : list) all += r->votes[static_cast<size_t>(m - 1)];
        auto groups = ranked_groups(w, [&](const group_row& g) { return group_month_votes(d, g, m); });
        ++titles[groups[0].g->name];
        ++number_ones[list[0]->group];
        months.push_back(format("  %-11s%-28s%-12s%6d%8s  %-11s", kMonthNames[m - 1], list[0]->title.c_str(),
                                list[0]->group.c_str(), list[0]->votes[static_cast<size_t>(m - 1)], grouped(all).c_str(),
                                groups[0].g->name.c_str()));
    }

    // The groups over the year, with this year's releases as page 4 counts them.
    auto year_groups = ranked_groups(w, [&](const group_row& g) { return group_year_votes(d, g); });
    const int last_year = d.past_years.back();
    auto last_groups = ranked_groups(w, [&](const group_row& g) -> long long {
        const past_year* p = past_of(g, last_year);
        return p != nullptr ? p->votes : 0;
    });
    auto& overview = w.tables["year_groups"];
    auto& race = w.tables["group_of_the_year"];
    int iso_all = 0, dox_all = 0, climb = -100, busiest_count = -1;
    const group_row* climber = nullptr;
    const group_row* busiest = nullptr;
    int climber_from = 0, climber_to = 0;
    for (size_t i = 0; i < year_groups.size(); ++i) {
        const group_row* g = year_groups[i].g;
        int releases = sum_months(g->months), dox = sum_months(g->dox);
        int charted = 0;
        for (const release* r : year) charted += r->group == g->name && r->year == d.year ? 1 : 0;
        int pos = static_cast<int>(i) + 1;
        int last = group_position(last_groups, g);
        if (last > 0 && last - pos > climb) climb = last - pos, climber = g, climber_from = last, climber_to = pos;
        if (releases > busiest_count) busiest_count = releases, busiest = g;
        iso_all += releases - dox;
        dox_all += dox;
        overview.push_back(format("  %-16s%7d%7d%10d%9d%9lld%8s%10s", g->name.c_str(), releases - dox, dox, releases, charted,
                                  year_groups[i].votes, (percent(year_groups[i].votes, year_votes) + "%").c_str(),
                                  last > 0 ? std::to_string(last).c_str() : "new"));
        if (i < 8) {
            std::string behind = i == 0 ? "-" : grouped(year_groups[0].votes - year_groups[i].votes);
            race.push_back(format("%5d.  %-16s%8d%11d%11d%12s%12s", pos, g->name.c_str(), titles[g->name], number_ones[g->name],
                                  releases, grouped(year_groups[i].votes).c_str(), behind.c_str()));
        }
    }
    f["goty"] = year_groups[0].g->name;
    f["goty_votes"] = grouped(year_groups[0].votes);
    f["goty_titles"] = std::to_string(titles[year_groups[0].g->name]);
    f["goty_second"] = year_groups[1].g->name;
    f["goty_second_votes"] = grouped(year_groups[1].votes);
    f["goty_second_titles"] = std::to_string(titles[year_groups[1].g->name]);
    f["goty_lead"] = grouped(year_groups[0].votes - year_groups[1].votes);
    f["goty_need"] = grouped(year_groups[0].votes - year_groups[1].votes + 1);
    long long best_month = 0;
    for (int m = 1; m <= month; ++m) best_month = std::max(best_month, group_month_votes(d, *year_groups[0].g, m));
    f["goty_best_month_votes"] = grouped(best_month);
    f["goty_third"] = year_groups[2].g->name;
    f["goty_third_behind"] = grouped(year_groups[0].votes - year_groups[2].votes);
    f["months_counted"] = std::to_string(month);
    f["months_left"] = std::to_string(12 - month);
    f["next_month"] = kMonthNames[month % 12];
    f["year_climber"] = climber != nullptr ? climber->name : "";
    f["year_climber_from"] = std::to_string(climber_from);
    f["year_climber_to"] = std::to_string(climber_to);
    f["year_busiest_named"] = busiest->name;
    f["year_busiest_named_count"] = std::to_string(busiest_count);
    f["year_named_iso"] = std::to_string(iso_all);
    f["year_named_dox"] = std::to_string(dox_all);
    f["year_named_dox_share"] = percent(dox_all, iso_all + dox_all);
    f["last_season"] = season_label(last_year);
    int charted_iso = 0, charted_dox = 0;
    long long dox_votes = 0;
    for (const release* r : year) {
        if (r->year != d.year) continue;
        (r->kind == "DOX" ? charted_dox : charted_iso) += 1;
        dox_votes += r->kind == "DOX" ? r->year_votes() : 0;
    }
    f["year_charted_iso"] = std::to_string(charted_iso);
    f["year_charted_dox"] = std::to_string(charted_dox);
    f["year_dox_vote_share"] = percent(dox_votes, year_votes);
    int carried = 0;
    for (const release* r : year) carried += r->year != d.year ? 1 : 0;
    f["year_carried_over"] = std::to_string(carried);

    // Over every group of page 4.
    int releases_all = 0;
    const group_row* top = &w.all_groups[0];
    for (const auto& g : w.all_groups) releases_all += g.total;
    f["year_all_releases"] = grouped(releases_all);
    f["year_all_groups"] = grouped(static_cast<long long>(w.all_groups.size()));
    f["year_busiest"] = top->name;
    f["year_busiest_count"] = std::to_string(top->total);
}

// Since issue 1: pages 8 and 9.
void build_alltime(chart_world& w) {
    const data_set& d = *w.d;
    auto& f = w.fields;
    auto all_votes = [](const release& r) -> long long { return r.earlier + r.year_votes(); };
    release_list all = ranked(d, all_votes);
    auto& chart = w.tables["alltime_chart"];
    for (size_t i = 0; i < all.size() && i < 90; ++i) {
        const release* r = all[i];
        chart.push_back(format("%5d.  %-30s%-12s%-5s%6d%9lld%10lld", static_cast<int>(i) + 1, r->title.c_str(), r->group.c_str(),
                               r->kind.c_str(), r->calendar_year, static_cast<long long>(r->year_votes()), all_votes(*r)));
    }
    // The best of each year's releases by their votes so far.
    std::vector<int> release_years = d.past_years;
    release_years.push_back(d.year);
    for (int y : release_years) {
        auto& table = w.tables["released_" + season_label(y)];
        int shown = 0;
        for (size_t i = 0; i < all.size() && shown < 10; ++i) {
            const release* r = all[i];
            if (r->year != y) continue;
            ++shown;
            table.push_back(format("%5d.  %-30s%-12s%-5s%6s%9d%10lld", shown, r->title.c_str(), r->group.c_str(), r->kind.c_str(),
                                   short_month(r->month).c_str(), static_cast<int>(i) + 1, all_votes(*r)));
        }
    }
    f["alltime_top1"] = all[0]->title;
    f["alltime_top1_group"] = all[0]->group;
    f["alltime_top1_year"] = std::to_string(all[0]->calendar_year);
    f["alltime_top1_votes"] = grouped(all_votes(*all[0]));
    f["alltime_listed"] = std::to_string(std::min<size_t>(all.size(), 90));
    f["alltime_cut"] = std::to_string(all[std::min<size_t>(all.size(), 90) - 1]->earlier + all[std::min<size_t>(all.size(), 90) - 1]->year_votes());
    f["first_season"] = season_label(d.past_years.front());
    int best_this_year = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i]->year == d.year) {
            best_this_year = static_cast<int>(i) + 1;
            f["alltime_best_new"] = all[i]->title;
            f["alltime_best_new_group"] = all[i]->group;
            break;
        }
    }
    f["alltime_best_new_pos"] = std::to_string(best_this_year);
    // This year's records: the most votes one release drew in one month, and the longest run.
    long long record = 0;
    int longest = 0;
    for (const auto& r : d.releases) {
        int run = 0;
        for (int m = 1; m <= d.month; ++m) {
            long long v = r.votes[static_cast<size_t>(m - 1)];
            run += v > 0 ? 1 : 0;
            if (v > record) {
                record = v;
                f["record_title"] = r.title;
                f["record_group"] = r.group;
                f["record_month"] = kMonthNames[m - 1];
            }
        }
        if (r.year == d.year && run > longest) {
            longest = run;
            f["longest_title"] = r.title;
            f["longest_group"] = r.group;
        }
    }
    f["record_votes"] = grouped(record);
    f["longest_months"] = std::to_string(longest);

    // Groups year by year, and their releases and votes since the first issue.
    auto alltime = ranked_groups(w, [&](const group_row& g) -> long long {
        long long s = group_year_votes(d, g);
        for (const auto& p : g.past) s += p.votes;
        return s;
    });
    auto& by_year = w.tables["alltime_groups_by_year"];
    auto& totals = w.tables["alltime_groups"];
    std::map<int, std::pair<int, int>> kinds;  // year -> ISO, DOX over the named groups
    std::map<int, long long> year_votes;
    long long grand = 0;
    int releases_grand = 0;
    for (size_t i = 0; i < alltime.size(); ++i) {
        const group_row* g = alltime[i].g;
        std::string row = format("%5d.  %-16s", static_cast<int>(i) + 1, g->name.c_str());
        int releases = sum_months(g->months), dox = sum_months(g->dox);
        kinds[d.year].first += releases - dox;
        kinds[d.year].second += dox;
        int first = g->current ? d.year : 0;
        for (int y : d.past_years) {
            const past_year* p = past_of(*g, y);
            row += p != nullptr ? format("%12s", grouped(p->votes).c_str()) : format("%12s", "-");
            if (p != nullptr) {
                releases += p->releases, dox += p->dox;
                kinds[y].first += p->releases - p->dox;
                kinds[y].second += p->dox;
                year_votes[y] += p->votes;
                if (first == 0 || y < first) first = y;
            }
        }
        long long this_year = group_year_votes(d, *g);
        year_votes[d.year] += this_year;
        row += g->current ? format("%12s", grouped(this_year).c_str()) : format("%12s", "-");
        row += format("%12s", grouped(alltime[i].votes).c_str());
        by_year.push_back(row);
        int charted = 0;
        for (const auto& r : d.releases) charted += r.group == g->name ? 1 : 0;
        totals.push_back(format("  %-16s%7s%8d%7d%10d%9d%11s%10s", g->name.c_str(), season_label(first).c_str(), releases - dox, dox, releases, charted,
                                grouped(alltime[i].votes).c_str(), g->current ? "yes" : "no"));
        grand += alltime[i].votes;
        releases_grand += releases;
    }
    for (size_t i = 0; i < by_year.size(); ++i) by_year[i] += format("%8s", (percent(alltime[i].votes, grand) + "%").c_str());
    auto& kinds_table = w.tables["alltime_kinds"];
    std::vector<int> years = d.past_years;
    years.push_back(d.year);
    for (int y : years) {
        int iso = kinds[y].first, dox = kinds[y].second;
        int charted_iso = 0, charted_dox = 0;
        for (const auto& r : d.releases) {
            if (r.year != y) continue;
            (r.kind == "DOX" ? charted_dox : charted_iso) += 1;
        }
        kinds_table.push_back(format("  %-10s%9d%9d%9s%13d%12d%13s", season_label(y).c_str(), iso, dox, (percent(dox, iso + dox) + "%").c_str(), charted_iso,
                                     charted_dox, grouped(year_votes[y]).c_str()));
    }
    const group_row* busiest = alltime[0].g;
    int busiest_count = -1;
    for (const auto& s : alltime) {
        int n = sum_months(s.g->months);
        for (const auto& p : s.g->past) n += p.releases;
        if (n > busiest_count) busiest_count = n, busiest = s.g;
    }
    f["alltime_busiest"] = busiest->name;
    f["alltime_busiest_count"] = std::to_string(busiest_count);
    for (const auto& s : alltime) {
        if (s.g->past.empty()) f["newcomer"] = s.g->name, f["newcomer_votes"] = grouped(s.votes);
    }
    f["alltime_votes"] = grouped(grand);
    f["alltime_releases"] = grouped(releases_grand);
    f["alltime_leader"] = alltime[0].g->name;
    f["alltime_leader_votes"] = grouped(alltime[0].votes);
    f["alltime_second"] = alltime[1].g->name;
    f["alltime_second_behind"] = grouped(alltime[0].votes - alltime[1].votes);
    f["alltime_groups"] = std::to_string(alltime.size());
    f["alltime_charted"] = std::to_string(d.releases.size());
    f["this_year_share"] = percent(year_votes[d.year], grand);
    f["first_year_leader"] = "";
    // The group that climbed furthest since the first year.
    auto first_groups = ranked_groups(w, [&](const group_row& g) -> long long {
        const past_year* p = past_of(g, d.past_years.front());
        return p != nullptr ? p->votes : 0;
    });
    auto this_groups = ranked_groups(w, [&](const group_row& g) { return group_year_votes(d, g); });
    f["first_year_leader"] = first_groups[0].g->name;
    f["first_year_leader_votes"] = grouped(first_groups[0].votes);
    int climb = -100;
    for (const auto& s : this_groups) {
        int a = group_position(first_groups, s.g), b = group_position(this_groups, s.g);
        if (a > 0 && a - b > climb) {
            climb = a - b;
            f["alltime_climber"] = s.g->name;
            f["alltime_climber_from"] = std::to_string(a);
            f["alltime_climber_to"] = std::to_string(b);
        }
    }
    for (const group_row* g : w.named) {
        if (!g->current) {
            std::string& list = f["retired"];
            list += list.empty() ? g->name : " and " + g->name;
        }
    }
}

std::string ordinal_of(const std::string& number) {
    int n = std::atoi(number.c_str());
    const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    return number + suffix;
}

bool expand(const chart_world& w, const std::string& name, const std::string& text, std::string& out) {
    std::istringstream in(text);
    std::string line;
    int line_no = 0;
    bool ok = true;  // every over-long line is reported before giving up
    out = "@# Generated by statsgen from " + tool_base_name(name) + " and the chart data set: edit those.\n";
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("@table", 0) == 0) {
            std::string table = line.size() > 7 ? line.substr(7) : "";
            auto it = w.tables.find(table);
            if (it == w.tables.end()) return fail(name, line_no, "unknown table '" + table + "'");
            for (std::string row : it->second) {
                while (!row.empty() && row.back() == ' ') row.pop_back();
                if (row.size() > 80) return fail(name, line_no, "table row is wider than 80 columns");
                out += row + "\n";
            }
            continue;
        }
        std::string expanded;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '{' || line[0] == '@') {
                expanded += line[i];
                continue;
            }
            size_t close = line.find('}', i);
            if (close == std::string::npos) return fail(name, line_no, "'{' without '}'");
            // '{name:th}' writes a place as 1st, 2nd, 3rd, 4th ...
            std::string key = line.substr(i + 1, close - i - 1);
            bool ordinal = key.size() > 3 && key.substr(key.size() - 3) == ":th";
            if (ordinal) key.resize(key.size() - 3);
            auto it = w.fields.find(key);
            if (it == w.fields.end()) return fail(name, line_no, "unknown field '" + key + "'");
            expanded += ordinal ? ordinal_of(it->second) : it->second;
            i = close;
        }
        while (!expanded.empty() && expanded.back() == ' ') expanded.pop_back();
        if (!line.empty() && line[0] != '@' && expanded.size() > 80) {
            ok = fail(name, line_no, "line is " + std::to_string(expanded.size()) + " columns with its figures (80 at most): " + expanded);
        }
        out += expanded + "\n";
    }
    return ok;
}

// One page 4 row in the column layout the template's @columns line colours.
std::string format_stats_row(int rank, const group_row& g) {
    std::string s = format("%5d  %-18.18s", rank, g.name.c_str());
    for (int v : g.months) s += v == 0 ? "   ." : format("%4d", v);
    return s + format("  %5d", g.total);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: statsgen <chart data set> <output folder> <page template>...\n");
        return 2;
    }
    std::string data_text;
    if (!tool_read_source(argv[1], data_text, "statsgen")) return 1;
    data_set d;
    if (!parse_data(data_text, argv[1], d)) return 1;
    chart_world w;
    w.d = &d;
    w.all_groups = make_groups(d);
    for (const auto& g : d.named) w.named.push_back(&g);
    for (size_t i = 0; i < w.all_groups.size(); ++i) {
        w.tables["release_stats"].push_back(format_stats_row(static_cast<int>(i) + 1, w.all_groups[i]));
    }
    build_month(w);
    build_year(w);
    build_alltime(w);
    bool ok = true;  // every template is checked before giving up
    for (int i = 3; i < argc; ++i) {
        std::string name = argv[i], text, out;
        if (!tool_read_source(argv[i], text, "statsgen")) return 1;
        std::string base = tool_base_name(name);
        if (base.size() < 4 || base.substr(base.size() - 3) != ".in") {
            return std::fprintf(stderr, "%s: a template's name ends in '.in'\n", argv[i]), 1;
        }
        if (!expand(w, name, text, out)) {
            ok = false;
            continue;
        }
        if (!tool_write_output(std::string(argv[2]) + "/" + base.substr(0, base.size() - 3) + ".txt", out, "statsgen")) return 1;
    }
    return ok ? 0 : 1;
}
