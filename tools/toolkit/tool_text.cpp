// Line and word helpers for the build-time tools' source parsers.
#include "tools/toolkit/tool_text.h"

#include <charconv>

bool tool_next_line(std::string_view text, size_t& pos, std::string_view& line) {
    if (pos >= text.size()) return false;
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    line = text.substr(pos, end - pos);
    pos = end + 1;
    return true;
}

std::string_view tool_trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view tool_next_word(std::string_view& s) {
    s = tool_trim(s);
    const size_t end = s.find_first_of(" \t");
    const std::string_view word = s.substr(0, end);
    s = end == std::string_view::npos ? std::string_view{} : tool_trim(s.substr(end));
    return word;
}

bool tool_parse_int(std::string_view s, int base, int& out) {
    if (s.empty()) return false;
    int value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc{} || ptr != s.data() + s.size()) return false;
    out = value;
    return true;
}

std::vector<std::string> tool_notation_tokens(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    std::vector<std::string> out;
    for (size_t at = text.find_first_not_of(blanks); at != std::string_view::npos;) {
        const size_t end = text.find_first_of(blanks, at);
        const std::string_view word = text.substr(at, end == std::string_view::npos ? end : end - at);
        if (word != "|") out.emplace_back(word);
        at = end == std::string_view::npos ? end : text.find_first_not_of(blanks, end);
    }
    return out;
}
