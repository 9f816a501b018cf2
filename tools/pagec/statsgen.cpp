// statsgen: expands the release-statistics page template with a table drawn from its fictional data set.
//
// The data set names the seed, the number of groups, syllables for the generated group names and the
// groups whose figures are fixed; every other group gets twelve monthly counts from the seeded generator.
// The template is page markup with one '@table' line, which becomes the table rows.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/toolkit/tool_io.h"

namespace {

struct group_row {
    std::string name;
    std::vector<int> months;  // twelve counts
    int total = 0;
};

struct data_set {
    uint32_t seed = 1;
    int groups = 0;
    std::vector<std::string> prefixes, suffixes;
    std::vector<group_row> fixed;
};

bool fail(const std::string& where, int line, const std::string& what) {
    std::fprintf(stderr, "%s:%d: %s\n", where.c_str(), line, what.c_str());
    return false;
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
        if (key == "seed") {
            long long v = 0;
            if (!(words >> v) || v < 1 || v > 0xFFFFFFFFLL) return fail(name, line_no, "seed needs a number 1-4294967295");
            d.seed = static_cast<uint32_t>(v);
        } else if (key == "groups") {
            if (!(words >> d.groups) || d.groups < 1 || d.groups > 4900) return fail(name, line_no, "groups needs a count 1-4900");
        } else if (key == "prefixes" || key == "suffixes") {
            std::string w;
            auto& list = key == "prefixes" ? d.prefixes : d.suffixes;
            while (words >> w) list.push_back(w);
        } else if (key == "group") {
            group_row g;
            if (!(words >> g.name)) return fail(name, line_no, "group needs a name and twelve counts");
            for (std::replace(g.name.begin(), g.name.end(), '_', ' '); g.months.size() < 12;) {
                int v = -1;
                if (!(words >> v) || v < 0 || v > 99) return fail(name, line_no, "group needs twelve counts 0-99");
                g.months.push_back(v);
            }
            d.fixed.push_back(g);
        } else {
            return fail(name, line_no, "unknown key '" + key + "' (seed, groups, prefixes, suffixes, group)");
        }
    }
    if (d.prefixes.empty() || d.suffixes.empty()) return fail(name, line_no, "prefixes and suffixes are both needed");
    if (static_cast<size_t>(d.groups) < d.fixed.size()) return fail(name, line_no, "groups is less than the fixed groups");
    size_t possible = d.prefixes.size() * d.suffixes.size() + d.fixed.size();
    if (static_cast<size_t>(d.groups) > possible) {
        return fail(name, line_no, "groups asks for more names than the syllables can make (" + std::to_string(possible) + ")");
    }
    return true;
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

std::vector<group_row> make_groups(const data_set& d) {
    rng r{d.seed};
    std::set<std::string> used;
    std::vector<group_row> rows = d.fixed;
    for (const auto& g : rows) used.insert(g.name);
    while (rows.size() < static_cast<size_t>(d.groups)) {
        std::string name = d.prefixes[static_cast<size_t>(r.below(static_cast<int>(d.prefixes.size())))] +
                           d.suffixes[static_cast<size_t>(r.below(static_cast<int>(d.suffixes.size())))];
        if (!used.insert(name).second) continue;
        group_row g{name, {}, 0};
        // Most groups release now and then; a few are busy all year.
        int busy = r.below(100) < 8 ? 4 : r.below(100) < 35 ? 2 : 1;
        for (int m = 0; m < 12; ++m) {
            int v = r.below(10) < 3 + busy ? r.below(busy * 2 + 1) : 0;
            g.months.push_back(v);
        }
        // The page lists groups that released something this year.
        if (std::all_of(g.months.begin(), g.months.end(), [](int v) { return v == 0; })) {
            g.months[static_cast<size_t>(r.below(12))] = 1;
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

// One table row in the column layout the template's @columns line colours.
std::string format_row(int rank, const group_row& g) {
    char buf[128];
    std::string s;
    std::snprintf(buf, sizeof buf, "%5d  %-18.18s", rank, g.name.c_str());
    s += buf;
    for (int v : g.months) {
        if (v == 0) {
            s += "   .";
        } else {
            std::snprintf(buf, sizeof buf, "%4d", v);
            s += buf;
        }
    }
    std::snprintf(buf, sizeof buf, "  %5d", g.total);
    s += buf;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: statsgen <page template> <data set> <output page source>\n");
        return 2;
    }
    std::string page_template, data_text;
    if (!tool_read_source(argv[1], page_template, "statsgen")) return 1;
    if (!tool_read_source(argv[2], data_text, "statsgen")) return 1;
    data_set d;
    if (!parse_data(data_text, argv[2], d)) return 1;
    std::vector<group_row> rows = make_groups(d);

    std::string out = "@# Generated by statsgen from ";
    out += tool_base_name(argv[1]);
    out += " and ";
    out += tool_base_name(argv[2]);
    out += ": edit those.\n";
    std::istringstream in(page_template);
    std::string line;
    int tables = 0;
    while (std::getline(in, line)) {
        if (line == "@table" || line == "@table\r") {
            ++tables;
            for (size_t i = 0; i < rows.size(); ++i) out += format_row(static_cast<int>(i) + 1, rows[i]) + "\n";
        } else {
            out += line + "\n";
        }
    }
    if (tables != 1) return std::fprintf(stderr, "%s: needs exactly one '@table' line\n", argv[1]), 1;
    return tool_write_output(argv[3], out, "statsgen") ? 0 : 1;
}
