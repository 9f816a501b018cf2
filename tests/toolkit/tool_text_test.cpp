// The tools' integer parser: the whole text or nothing, so a bad field in a source is reported.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <utility>

#include "tools/toolkit/tool_text.h"

namespace {

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
