// The tools' shared helpers: exact whole reads, the byte limit, writes that never leave a half file,
// and integers parsed whole or not at all, so a bad field in a source is reported.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tools/toolkit/tool_io.h"
#include "tools/toolkit/tool_text.h"

namespace {

namespace fs = std::filesystem;

TEST(ToolIo, ReadsAreExactAndBounded) {
    const std::string sample = std::string("a\0b\r\n\xff", 6) + std::string(70000, 'z'), in = testing::TempDir() + "tool_io_in.bin";
    std::ofstream(in, std::ios::binary) << sample;
    std::string text = "replaced", reason;
    std::vector<uint8_t> bytes = {1, 2, 3};
    EXPECT_TRUE(tool_read_text(in.c_str(), text) && text == sample);
    EXPECT_TRUE(tool_read_bytes(in.c_str(), bytes, reason, sample.size()) && bytes == std::vector<uint8_t>(sample.begin(), sample.end()));
    // One byte over the limit fails and keeps nothing; so does a limit inside the first chunk.
    EXPECT_FALSE(tool_read_bytes(in.c_str(), bytes, reason, sample.size() - 1));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(reason, in + ": larger than " + std::to_string(sample.size() - 1) + " bytes");
    EXPECT_FALSE(tool_read_bytes(in.c_str(), bytes, reason, 3));
    EXPECT_FALSE(tool_read_bytes((in + ".missing").c_str(), bytes, reason));
    EXPECT_EQ(reason.rfind("cannot open " + in + ".missing: ", 0), 0u) << reason;
}

TEST(ToolIo, WritesReplaceTheWholeTargetOrLeaveItAlone) {
    const fs::path dir = fs::path(testing::TempDir()) / "tool_io_writes";
    fs::remove_all(dir);
    fs::create_directories(dir / "blocked" / "inside");
    const std::string out = (dir / "out.cpp").string(), blocked = (dir / "blocked").string();
    std::ofstream(out) << "an older, longer build of the output";
    std::string text;
    ASSERT_TRUE(tool_write_output(out, "new", "pagec"));
    EXPECT_TRUE(tool_read_text(out.c_str(), text) && text == "new");
    EXPECT_FALSE(fs::exists(out + ".tmp"));
    // No folder for the temporary file; then a target that cannot be replaced, whose temporary goes.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(tool_write_output((dir / "none" / "out.cpp").string(), "text", "skingen"));
    EXPECT_FALSE(tool_write_output(blocked, "text", "fontc"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "skingen: cannot write " + (dir / "none" / "out.cpp.tmp").string() + "\nfontc: cannot rename " + blocked + ".tmp to " + blocked + "\n");
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_FALSE(fs::exists(blocked + ".tmp"));
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
