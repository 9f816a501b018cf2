// Page compiler: the markup parser, the line checker and the C++ emitter of the page tables.
//
// Sections: line checks; the parser (directives and page lines); the page set; the emitter.
#include "tools/pagec/pagec.h"

#include <cstdio>

#include "tools/toolkit/tool_text.h"

// ---- line checks ----

bool pagec_is_colour(char c) { return (c >= '1' && c <= '9') || (c >= 'A' && c <= 'V'); }

std::string pagec_check_line(std::string_view text, std::string_view colour_map, std::string_view style_map,
                             std::string_view rule_code) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c > 126) {
            return "column " + std::to_string(i + 1) + ": character code " + std::to_string(c) +
                   " is not printable ASCII (tabs and non-ASCII letters cannot be shown)";
        }
    }
    size_t visible = text.find_last_not_of(' ');
    visible = visible == std::string_view::npos ? 0 : visible + 1;
    if (visible > static_cast<size_t>(pagec_columns)) {
        return "text runs to column " + std::to_string(visible) + "; only 80 columns are shown";
    }
    if (colour_map.size() != static_cast<size_t>(pagec_columns)) {
        return "colour map has " + std::to_string(colour_map.size()) + " characters, not 80";
    }
    for (size_t i = 0; i < colour_map.size(); ++i) {
        if (!pagec_is_colour(colour_map[i])) {
            return "colour '" + std::string(1, colour_map[i]) + "' at column " + std::to_string(i + 1) +
                   " is outside 1-9, A-V";
        }
    }
    if (style_map.size() != static_cast<size_t>(pagec_columns)) {
        return "style map has " + std::to_string(style_map.size()) + " characters, not 80";
    }
    for (size_t i = 0; i < style_map.size(); ++i) {
        if (style_map[i] != '1' && style_map[i] != '2') {
            return "style '" + std::string(1, style_map[i]) + "' at column " + std::to_string(i + 1) +
                   " is neither 1 nor 2";
        }
    }
    if (rule_code.size() != 1 || rule_code[0] < '0' || rule_code[0] > '8') {
        return "rule code '" + std::string(rule_code) + "' is not one of 0-8";
    }
    return {};
}

// ---- the parser ----

namespace {

struct parser {
    std::string_view name;
    pagec_page& page;
    std::string& error;
    int line_no = 0;
    std::string colours = std::string(pagec_columns, '1');
    std::string styles = std::string(pagec_columns, '1');
    char pending_rule = '0';  // set by @rule for the next page line only
    int pending_rule_line = 0;

    bool fail(const std::string& what) {
        error = std::string(name) + ":" + std::to_string(line_no) + ": " + what;
        return false;
    }

    bool add(std::string text, char rule) {
        // Pad to the full width, as the magazine's lines are laid out; a longer line is caught below.
        if (text.size() < static_cast<size_t>(pagec_columns)) text.resize(pagec_columns, ' ');
        std::string problem = pagec_check_line(text, colours, styles, std::string_view(&rule, 1));
        if (!problem.empty()) return fail(problem);
        if (page.lines.size() >= 5000) return fail("a page holds at most 5000 lines");
        page.lines.push_back({std::move(text), colours, styles, rule});
        return true;
    }

    bool page_line(std::string_view text) {
        char rule = pending_rule;
        pending_rule = '0';
        return add(std::string(text), rule);
    }

    bool need_page() {
        if (page.number == 0) return fail("the source must start with '@page N' before any line");
        return true;
    }

    bool one_colour(std::string_view word, char& out) {
        if (word.size() != 1 || !pagec_is_colour(word[0])) {
            return fail("colour '" + std::string(word) + "' is not one character of 1-9, A-V");
        }
        out = word[0];
        return true;
    }

    bool rule_digit(std::string_view word, char& out, bool allow_zero) {
        if (word.size() != 1 || word[0] < (allow_zero ? '0' : '1') || word[0] > '8') {
            return fail("rule code '" + std::string(word) + "' is not one of " + (allow_zero ? "0-8" : "1-8"));
        }
        out = word[0];
        return true;
    }

    // "a-b:C" or "a:C", columns counted from 1.
    bool column_run(std::string_view run) {
        size_t colon = run.find(':');
        if (colon == std::string_view::npos) return fail("column run '" + std::string(run) + "' needs the form FROM-TO:C");
        std::string_view range = run.substr(0, colon);
        char c = 0;
        if (!one_colour(run.substr(colon + 1), c)) return false;
        size_t dash = range.find('-');
        int from = 0, to = 0;
        bool ok = dash == std::string_view::npos
                      ? tool_parse_int(range, 10, from) && tool_parse_int(range, 10, to)
                      : tool_parse_int(range.substr(0, dash), 10, from) &&
                            tool_parse_int(range.substr(dash + 1), 10, to);
        if (!ok || from < 1 || to > pagec_columns || from > to) {
            return fail("column run '" + std::string(run) + "' must name columns within 1-80, first not after last");
        }
        for (int k = from; k <= to; ++k) colours[static_cast<size_t>(k - 1)] = c;
        return true;
    }

    bool directive(std::string_view rest) {
        std::string_view word = tool_next_word(rest);
        if (word == "page") {
            int n = 0;
            if (page.number != 0) return fail("'@page' given twice");
            if (!tool_parse_int(rest, 10, n) || n < 1 || n > pagec_page_count) return fail("'@page' needs a number 1-20");
            page.number = n;
            return true;
        }
        if (!need_page()) return false;
        if (word == "colour") {
            char c = 0;
            if (!one_colour(rest, c)) return false;
            colours.assign(pagec_columns, c);
            return true;
        }
        if (word == "columns") {
            if (rest.empty()) return fail("'@columns' needs at least one run FROM-TO:C");
            while (!rest.empty()) {
                if (!column_run(tool_next_word(rest))) return false;
            }
            return true;
        }
        if (word == "style") {
            if (rest != "1" && rest != "2") return fail("style '" + std::string(rest) + "' is neither 1 nor 2");
            styles.assign(pagec_columns, rest[0]);
            return true;
        }
        if (word == "rule") {
            if (pending_rule != '0') return fail("'@rule' follows another '@rule' with no line between");
            if (!rule_digit(rest, pending_rule, false)) return false;
            pending_rule_line = line_no;
            return true;
        }
        if (word == "bar") {
            char r = 0;
            if (pending_rule != '0') return fail("'@bar' follows '@rule' with no line between");
            if (!rule_digit(rest, r, false)) return false;
            return add({}, r);
        }
        if (word == "blank") {
            int n = 0;
            if (!tool_parse_int(rest, 10, n) || n < 1 || n > 5000) return fail("'@blank' needs a count 1-5000");
            if (pending_rule != '0') return fail("'@blank' follows '@rule' with no line between");
            for (int i = 0; i < n; ++i) {
                if (!add({}, '0')) return false;
            }
            return true;
        }
        return fail("unknown directive '@" + std::string(word) +
                    "' (page, colour, columns, style, rule, bar, blank, '@#' comment, '@@' literal '@')");
    }

    bool line(std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (!text.empty() && text.front() == '@') {
            if (text.size() >= 2 && text[1] == '#') return true;
            if (text.size() >= 2 && text[1] == '@') {
                if (!need_page()) return false;
                return page_line(text.substr(1));
            }
            return directive(text.substr(1));
        }
        if (!need_page()) return false;
        size_t end = text.find_last_not_of(' ');
        return page_line(end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1));
    }
};

}  // namespace

bool pagec_compile(std::string_view source, std::string_view name, pagec_page& page, std::string& error) {
    pagec_page out;
    parser p{name, out, error};
    size_t pos = 0;
    std::string_view text;
    while (tool_next_line(source, pos, text)) {
        ++p.line_no;
        if (!p.line(text)) return false;
    }
    if (out.number == 0) return p.fail("no '@page N' line");
    if (p.pending_rule != '0') {
        p.line_no = p.pending_rule_line;
        return p.fail("'@rule' at the end of the source has no line to stand on");
    }
    page = std::move(out);
    error.clear();
    return true;
}

// ---- the page set ----

bool pagec_check_set(const std::vector<pagec_page>& pages, const std::vector<std::string>& names, std::string& error) {
    std::array<int, pagec_page_count + 1> seen{};
    seen.fill(-1);
    for (size_t i = 0; i < pages.size(); ++i) {
        size_t n = static_cast<size_t>(pages[i].number);
        std::string name = i < names.size() ? names[i] : "page source " + std::to_string(i + 1);
        if (n < 1 || n > static_cast<size_t>(pagec_page_count)) {
            error = name + ": page number " + std::to_string(n) + " is outside 1-20";
            return false;
        }
        if (seen[n] >= 0) {
            size_t first = static_cast<size_t>(seen[n]);
            error = name + ": page " + std::to_string(n) + " is already given by " +
                    (first < names.size() ? names[first] : "an earlier source");
            return false;
        }
        seen[n] = static_cast<int>(i);
    }
    for (int n = 1; n <= pagec_page_count; ++n) {
        if (seen[static_cast<size_t>(n)] < 0) {
            error = "no source gives page " + std::to_string(n);
            return false;
        }
    }
    error.clear();
    return true;
}

// ---- the emitter ----

namespace {

void literal(std::string& s, std::string_view text) {
    s += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') s += '\\';
        s += c;
    }
    s += '"';
}

}  // namespace

std::string pagec_emit_cpp(const std::vector<pagec_page>& pages) {
    std::string s;
    s += "// The magazine's page tables, generated by pagec from content/pages at build time: edit the sources.\n";
    s += "#include \"content/pages/page_data.h\"\n\nnamespace {\n";
    std::array<const pagec_page*, pagec_page_count + 1> by_number{};
    for (const pagec_page& p : pages) {
        if (p.number >= 1 && p.number <= pagec_page_count) by_number[static_cast<size_t>(p.number)] = &p;
    }
    for (int n = 1; n <= pagec_page_count; ++n) {
        const pagec_page* p = by_number[static_cast<size_t>(n)];
        if (p == nullptr || p->lines.empty()) continue;
        s += "\nconst page_source_line page_" + std::to_string(n) + "_lines[] = {\n";
        for (const pagec_line& l : p->lines) {
            s += "    {";
            literal(s, l.text);
            s += ", ";
            literal(s, l.colour_map);
            s += ", ";
            literal(s, l.style_map);
            s += ", \"";
            s += l.rule_code;
            s += "\"},\n";
        }
        s += "};\n";
    }
    s += "\n}  // namespace\n\nconst page_source page_sources[21] = {\n    {nullptr, 0},\n";
    for (int n = 1; n <= pagec_page_count; ++n) {
        const pagec_page* p = by_number[static_cast<size_t>(n)];
        if (p == nullptr || p->lines.empty()) {
            s += "    {nullptr, 0},\n";
        } else {
            s += "    {page_" + std::to_string(n) + "_lines, " + std::to_string(p->lines.size()) + "},\n";
        }
    }
    s += "};\n";
    return s;
}
