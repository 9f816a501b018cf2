// A page as plain text: the lines the reader sees, without colour, style or rules, in UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The bytes of text (the font's Latin-1 characters) as UTF-8.
std::string latin1_to_utf8(std::string_view text);
// Page 1..20 from the filled page tables: every line before its "<END>" line (up to the last filled
// line on a page without one), columns 1 to 80, trailing spaces dropped, one '\n' after each line.
std::string page_plain_text(int32_t page);
