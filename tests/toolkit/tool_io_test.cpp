// Tests of the tools' file helpers: whole reads (text and bounded bytes) and the temp-and-rename write.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/toolkit/tool_io.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
struct ToolIo : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) /
              (std::string("toolkit_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
    void put(const char* name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const char* name) const {
        std::string text;
        EXPECT_TRUE(tool_read_text(path(name).c_str(), text)) << name;
        return text;
    }
};

const std::string binary_sample = std::string("a\0b\r\n\xff", 6) + std::string(70000, 'z');

}  // namespace

TEST_F(ToolIo, ReadsWholeFilesExactly) {
    put("in.bin", binary_sample);
    std::string text = "old contents are replaced";
    ASSERT_TRUE(tool_read_text(path("in.bin").c_str(), text));
    EXPECT_EQ(text, binary_sample);

    std::vector<uint8_t> bytes = {1, 2, 3};
    std::string reason;
    ASSERT_TRUE(tool_read_bytes(path("in.bin").c_str(), bytes, reason));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), binary_sample);

    put("empty", "");
    ASSERT_TRUE(tool_read_bytes(path("empty").c_str(), bytes, reason));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(ToolIo, ReadFailuresSayWhy) {
    const std::string missing = path("missing");
    std::string text;
    EXPECT_FALSE(tool_read_text(missing.c_str(), text));

    std::vector<uint8_t> bytes;
    std::string reason;
    EXPECT_FALSE(tool_read_bytes(missing.c_str(), bytes, reason));
    EXPECT_EQ(reason.rfind("cannot open " + missing + ": ", 0), 0u) << reason;

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(tool_read_source(missing.c_str(), text, "fontc"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "fontc: cannot read " + missing + "\n");
}

TEST_F(ToolIo, ByteReadsStopAtTheLimit) {
    put("in.bin", binary_sample);
    const size_t size = binary_sample.size();
    std::vector<uint8_t> bytes;
    std::string reason;
    EXPECT_TRUE(tool_read_bytes(path("in.bin").c_str(), bytes, reason, size));
    EXPECT_EQ(bytes.size(), size);

    EXPECT_FALSE(tool_read_bytes(path("in.bin").c_str(), bytes, reason, size - 1));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(reason, path("in.bin") + ": larger than " + std::to_string(size - 1) + " bytes");

    // A limit inside the first chunk is honoured too.
    EXPECT_FALSE(tool_read_bytes(path("in.bin").c_str(), bytes, reason, 3));
}

TEST_F(ToolIo, WriteOutputReplacesTheTargetAndLeavesNoTemporary) {
    const std::string target = path("out.cpp");
    put("out.cpp", "an older, longer build of the output");
    ASSERT_TRUE(tool_write_output(target, binary_sample, "pagec"));
    EXPECT_EQ(get("out.cpp"), binary_sample);
    EXPECT_FALSE(fs::exists(target + ".tmp"));

    ASSERT_TRUE(tool_write_output(target, "", "pagec"));
    EXPECT_EQ(get("out.cpp"), "");
}

TEST_F(ToolIo, FailedWriteNamesTheToolAndLeavesTheOldOutput) {
    // The folder does not exist: the temporary file cannot even be opened.
    const std::string nowhere = path("no_such_folder/out.cpp");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(tool_write_output(nowhere, "text", "skingen"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "skingen: cannot write " + nowhere + ".tmp\n");

    // The target is a folder that cannot be replaced: the rename fails and the temporary goes.
    const std::string blocked = path("blocked");
    fs::create_directories(dir / "blocked" / "inside");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(tool_write_output(blocked, "text", "fontc"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "fontc: cannot rename " + blocked + ".tmp to " + blocked + "\n");
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_FALSE(fs::exists(blocked + ".tmp"));
}

TEST(ToolBaseName, KeepsTheLastPathPart) {
    EXPECT_EQ(tool_base_name("content/fonts/text_font.txt"), "text_font.txt");
    EXPECT_EQ(tool_base_name("/abs/x"), "x");
    EXPECT_EQ(tool_base_name("plain"), "plain");
    EXPECT_EQ(tool_base_name("folder/"), "");
}
