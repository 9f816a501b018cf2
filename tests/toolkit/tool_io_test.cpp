// The tools' file helpers: exact whole reads, the byte limit, and writes that never leave a half file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/toolkit/tool_io.h"

namespace {

namespace fs = std::filesystem;

const std::string sample = std::string("a\0b\r\n\xff", 6) + std::string(70000, 'z');

// A fresh folder for one test.
std::string folder(const char* name) {
    fs::path dir = fs::path(testing::TempDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string() + "/";
}

TEST(ToolIo, ReadsAreExactAndBoundedAndSayWhyTheyFail) {
    const std::string dir = folder("tool_io_reads"), in = dir + "in.bin", missing = dir + "missing";
    std::ofstream(in, std::ios::binary) << sample;
    std::string text = "replaced", reason;
    std::vector<uint8_t> bytes = {1, 2, 3};
    ASSERT_TRUE(tool_read_text(in.c_str(), text));
    EXPECT_EQ(text, sample);
    ASSERT_TRUE(tool_read_bytes(in.c_str(), bytes, reason, sample.size()));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), sample);
    // One byte over the limit fails and keeps nothing; so does a limit inside the first chunk.
    EXPECT_FALSE(tool_read_bytes(in.c_str(), bytes, reason, sample.size() - 1));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(reason, in + ": larger than " + std::to_string(sample.size() - 1) + " bytes");
    EXPECT_FALSE(tool_read_bytes(in.c_str(), bytes, reason, 3));

    EXPECT_FALSE(tool_read_text(missing.c_str(), text));
    EXPECT_FALSE(tool_read_bytes(missing.c_str(), bytes, reason));
    EXPECT_EQ(reason.rfind("cannot open " + missing + ": ", 0), 0u) << reason;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(tool_read_source(missing.c_str(), text, "fontc"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "fontc: cannot read " + missing + "\n");
}

TEST(ToolIo, WritesReplaceTheWholeTargetOrLeaveItAlone) {
    const std::string dir = folder("tool_io_writes"), out = dir + "out.cpp";
    std::ofstream(out) << "an older, longer build of the output";
    std::string text;
    ASSERT_TRUE(tool_write_output(out, sample, "pagec"));
    EXPECT_TRUE(tool_read_text(out.c_str(), text) && text == sample);
    EXPECT_FALSE(fs::exists(out + ".tmp"));

    // No folder for the temporary file; then a target that cannot be replaced, whose temporary goes.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(tool_write_output(dir + "none/out.cpp", "text", "skingen"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "skingen: cannot write " + dir + "none/out.cpp.tmp\n");
    const std::string blocked = dir + "blocked";
    fs::create_directories(blocked + "/inside");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(tool_write_output(blocked, "text", "fontc"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "fontc: cannot rename " + blocked + ".tmp to " + blocked + "\n");
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_FALSE(fs::exists(blocked + ".tmp"));
}

}  // namespace
