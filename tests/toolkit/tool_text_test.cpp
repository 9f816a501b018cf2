// Tests of the tools' word helpers: trimming (CRLF lines), word splitting and strict integer parsing.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "tools/toolkit/tool_text.h"

namespace {

std::vector<std::string> lines_of(std::string_view text) {
    std::vector<std::string> out;
    size_t pos = 0;
    std::string_view line;
    while (tool_next_line(text, pos, line)) out.emplace_back(line);
    return out;
}

}  // namespace

TEST(ToolText, LinesAreCountedAsAnEditorNumbersThem) {
    EXPECT_TRUE(lines_of("").empty());
    EXPECT_EQ(lines_of("a"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(lines_of("a\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(lines_of("\n\nb\r\nc"), (std::vector<std::string>{"", "", "b\r", "c"}));
    EXPECT_EQ(lines_of("a\n\n"), (std::vector<std::string>{"a", ""}));
}

TEST(ToolText, TrimDropsBlanksAndTheCarriageReturnOfACrlfLine) {
    // Only the end of a line can carry a CR from a CRLF file; inner blanks are the caller's to split.
    for (auto [in, out] : {std::pair{" \t level x 5 \t", "level x 5"}, {"style 1 \r", "style 1"}, {" \t\r", ""},
                           {"", ""}, {"\rword", "\rword"}, {"a \t b", "a \t b"}})
        EXPECT_EQ(tool_trim(in), out) << in;
}

TEST(ToolText, NextWordSplitsOnSpacesAndTabsAndLeavesTheTrimmedRest) {
    std::string_view rest = "  level\t#  40 \r";
    EXPECT_EQ(tool_next_word(rest), "level");
    EXPECT_EQ(rest, "#  40");
    EXPECT_EQ(tool_next_word(rest), "#");
    EXPECT_EQ(tool_next_word(rest), "40");
    EXPECT_TRUE(rest.empty());
    std::string_view blank = " \t ";
    EXPECT_EQ(tool_next_word(blank), "");
    EXPECT_TRUE(blank.empty());
}

TEST(ToolText, ParseIntTakesTheWholeTextOrNothing) {
    int v = 0;
    for (auto [text, base, want] : {std::tuple{"-12", 10, -12}, {"00E9", 16, 0xE9}, {"2147483647", 10, INT_MAX}}) {
        EXPECT_TRUE(tool_parse_int(text, base, v));
        EXPECT_EQ(v, want);
    }
    // Failures leave the previous value alone, so a caller's default survives a bad field.
    v = 7;
    for (auto [text, base] : {std::pair{"", 10}, {"12x", 10}, {" 12", 10}, {"+5", 10}, {"E9", 10},
                              {"2147483648", 10}, {"1FFFFFFFF", 16}})
        EXPECT_FALSE(tool_parse_int(text, base, v)) << text;
    EXPECT_EQ(v, 7);
}

TEST(ToolText, NotationTokensSplitOnAnyBlankAndDropBarMarks) {
    EXPECT_EQ(tool_notation_tokens(" E5 . |\tA5~\n^  E5@40 | "),
              (std::vector<std::string>{"E5", ".", "A5~", "^", "E5@40"}));
    EXPECT_TRUE(tool_notation_tokens(" | \n").empty());
}
