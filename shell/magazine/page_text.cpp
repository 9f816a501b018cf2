// Plain-text pages for readers outside the program: search, quoting, printing, screen readers.
#include "shell/magazine/page_text.h"

#include <algorithm>

#include "shell/magazine/content_store.h"

std::string latin1_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

std::string page_plain_text(int32_t page) {
    if (page < 1 || page > content_last_page || static_cast<size_t>(page) >= content_store.pages.size()) return {};
    const auto& lines = content_store.pages[static_cast<size_t>(page)];
    size_t end = lines.size();
    for (size_t n = 0; n < lines.size(); ++n) {
        if (lines[n].text.substr(0, 5) == "<END>") {
            end = n;
            break;
        }
    }
    std::string out;
    for (size_t n = 0; n < end; ++n) {
        std::string_view text = lines[n].text.substr(0, page_columns);
        // Control bytes never reach the screen as characters; a terminal should not see them either.
        std::string shown(text);
        std::replace_if(shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
        const size_t last = shown.find_last_not_of(' ');
        shown.resize(last == std::string::npos ? 0 : last + 1);
        out += latin1_to_utf8(shown);
        out += '\n';
    }
    // A page without an end marker: its empty tail is not part of what it says.
    while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
    if (out == "\n") out.clear();
    return out;
}
