// The tools' word helpers: lines numbered as an editor numbers them, CRLF trimming, strict integers.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "tools/toolkit/tool_text.h"

namespace {

using words = std::vector<std::string>;

words lines_of(std::string_view text) {
    words out;
    size_t pos = 0;
    for (std::string_view line; tool_next_line(text, pos, line);) out.emplace_back(line);
    return out;
}

TEST(ToolText, LinesWordsAndTrimming) {
    EXPECT_EQ(lines_of(""), words{});
    EXPECT_EQ(lines_of("a\n"), words{"a"});
    EXPECT_EQ(lines_of("\n\nb\r\nc"), (words{"", "", "b\r", "c"}));
    EXPECT_EQ(tool_trim(" \t level x 5 \t\r"), "level x 5");
    EXPECT_EQ(tool_trim("\rword"), "\rword");  // only a line's end carries a CRLF's CR
    std::string_view rest = "  level\t#  40 \r";
    EXPECT_EQ(tool_next_word(rest), "level");
    EXPECT_EQ(rest, "#  40");
    EXPECT_EQ(tool_next_word(rest), "#");
    EXPECT_EQ(tool_next_word(rest), "40");
    EXPECT_TRUE(rest.empty());
    EXPECT_EQ(tool_notation_tokens(" E5 . |\tA5~\n^  E5@40 | "), (words{"E5", ".", "A5~", "^", "E5@40"}));
}

TEST(ToolText, ParseIntTakesTheWholeTextOrNothing) {
    int v = 0;
    for (auto [text, base, want] : {std::tuple{"-12", 10, -12}, {"00E9", 16, 0xE9}, {"2147483647", 10, INT_MAX}}) {
        EXPECT_TRUE(tool_parse_int(text, base, v) && v == want) << text;
    }
    v = 7;  // a failure leaves the caller's default alone
    for (auto [text, base] : {std::pair{"", 10}, {"12x", 10}, {" 12", 10}, {"+5", 10}, {"E9", 10}, {"2147483648", 10}, {"1FFFFFFFF", 16}}) {
        EXPECT_FALSE(tool_parse_int(text, base, v)) << text;
    }
    EXPECT_EQ(v, 7);
}

}  // namespace
