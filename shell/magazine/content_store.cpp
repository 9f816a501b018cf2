// The content store: page tables filled from the compiled pages, and load_page.
#include "shell/magazine/content_store.h"

#include <algorithm>

content_store_t content_store;

namespace {
constexpr size_t view_cells = static_cast<size_t>(content_last_line + 1) * (page_columns + 1);
const page_table_line empty_line{};

std::string_view view_of(const char* s) { return s ? std::string_view(s) : std::string_view(); }
}  // namespace

void create_content_tables() {
    content_store.pages.assign(content_last_page + 1, {});
    content_store.view_char.assign(view_cells, 0);
    content_store.view_tint.assign(view_cells, 1);
    content_store.view_style.assign(view_cells, 0);
    content_store.view_rule.assign(content_last_line + 1, 0);
}

void fill_page_tables(const page_source* pages) {
    if (content_store.pages.size() != content_last_page + 1) create_content_tables();
    for (int p = 1; p <= content_last_page; ++p) {
        auto& table = content_store.pages[static_cast<size_t>(p)];
        table.clear();
        const page_source& source = pages[p];
        if (source.lines == nullptr || source.line_count <= 0) continue;
        const int kept = std::min(source.line_count, content_last_line + 1);
        table.reserve(static_cast<size_t>(kept));
        for (int n = 0; n < kept; ++n) {
            const page_source_line& line = source.lines[n];
            table.push_back({view_of(line.text), view_of(line.colour_map), view_of(line.style_map),
                             view_of(line.rule_code)});
        }
    }
}

const page_table_line& page_table_cell(int32_t n, int32_t page) {
    if (page < 0 || page > content_last_page || n < 0 || static_cast<size_t>(page) >= content_store.pages.size())
        return empty_line;
    const auto& table = content_store.pages[static_cast<size_t>(page)];
    return static_cast<size_t>(n) < table.size() ? table[static_cast<size_t>(n)] : empty_line;
}

int32_t tint_of_colour_char(char c) {
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'V') return c - 'A' + 10;
    return 1;
}

int32_t view_rule_style(int32_t n) {
    const char c = view_rule(n);
    return (c >= '0' && c <= '9') ? c - '0' : 0;
}

void load_page(int32_t page) {
    if (content_store.view_char.size() != view_cells) create_content_tables();
    auto& s = shell_state;
    s.end_line = content_last_line - 1;
    // Every line up to 4999 is unpacked, also past the marker, so nothing of the previous page survives
    // except the marker line's own cells; a later marker overrides an earlier one.
    for (int32_t n = 0; n < content_last_line; ++n) {
        const page_table_line& line = page_table_cell(n, page);
        if (line.text.substr(0, 5) == "<END>") {
            s.end_line = n;
            continue;
        }
        const size_t row = static_cast<size_t>(n) * (page_columns + 1);
        char* chars = &content_store.view_char[row];
        uint8_t* tints = &content_store.view_tint[row];
        uint8_t* styles = &content_store.view_style[row];
        chars[0] = 0;
        tints[0] = 1;
        styles[0] = 0;
        for (size_t k = 1; k <= page_columns; ++k) {
            chars[k] = k <= line.text.size() ? line.text[k - 1] : 0;
            tints[k] = static_cast<uint8_t>(k <= line.colour_map.size() ? tint_of_colour_char(line.colour_map[k - 1]) : 1);
            const char st = k <= line.style_map.size() ? line.style_map[k - 1] : 0;
            styles[k] = static_cast<uint8_t>(st >= '0' && st <= '9' ? st - '0' : 0);
        }
        content_store.view_rule[static_cast<size_t>(n)] = line.rule_code.empty() ? 0 : line.rule_code[0];
    }
    s.fine_offset = 0;
    s.top_line = 0;
}
