// Line and word helpers for the build-time tools' source parsers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Takes the next line of text starting at pos (without its '\n') into line and moves pos past it;
// false once pos has reached the end, so "a\n" is one line and "" none. Drives every source parser.
bool tool_next_line(std::string_view text, size_t& pos, std::string_view& line);

// s without leading spaces and tabs, and without trailing spaces, tabs and carriage returns (so a
// line from a CRLF file reads the same as from an LF one).
std::string_view tool_trim(std::string_view s);

// Splits the first space- or tab-separated word off s and returns it; s keeps the trimmed rest
// (empty when there is none).
std::string_view tool_next_word(std::string_view& s);

// Parses all of s as an integer in base (no sign other than '-', no spaces, no trailing text) into
// out; false when s is empty, malformed or out of int range.
bool tool_parse_int(std::string_view s, int base, int& out);

// The whitespace-separated tokens of a line of music notation, without the bar marks "|" that are
// only there for reading.
std::vector<std::string> tool_notation_tokens(std::string_view text);
