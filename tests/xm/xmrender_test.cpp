// xmrender as a content author runs it: a writer-made module becomes a WAV of the asked length; a
// file that is not a module gets a one-line reason and exit code 1.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/xm/xm_test_modules.h"
#include "tools/toolkit/tool_io.h"

using namespace xm_test;

namespace {

struct run_result {
    int exit_code;
    std::string output;
};

run_result run(const std::string& args) {
    std::string command = std::string(XMRENDER_PATH) + " " + args + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string temp_path(const std::string& name) {
    return ::testing::TempDir() + "xmrender_" + std::to_string(::getpid()) + "_" + name;
}

TEST(xm_render_tool, renders_a_module_to_wav) {
    xmw_module m = basic_module(2, {instrument_with(sine_sample(32, 12000))});
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    const std::vector<uint8_t> module = xmw_build(m);
    std::string in = temp_path("in.xm"), out = temp_path("out.wav");
    ASSERT_TRUE(xmw_write_file(in, module));
    run_result r = run("--seconds 2 " + in + " " + out);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("2 channels"), std::string::npos) << r.output;

    // 2 s rounded up to whole 884-frame blocks: exactly the block sequence the player mixes.
    std::vector<uint8_t> wav;
    std::string reason;
    ASSERT_TRUE(tool_read_bytes(out.c_str(), wav, reason)) << reason;
    const uint32_t frames = 100 * 884;
    ASSERT_EQ(wav.size(), 44u + frames * 4);
    // The header's tags, channels, sample rate, bits and data size.
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4) + std::string(wav.begin() + 8, wav.begin() + 16),
              "RIFFWAVEfmt ");
    EXPECT_EQ(std::tuple(wav[22], wav[24] | wav[25] << 8, wav[34], wav[40] | wav[41] << 8 | wav[42] << 16),
              std::tuple(2, 44100, 16, int(frames * 4)));
    std::vector<int16_t> pcm(frames * 2);
    std::memcpy(pcm.data(), wav.data() + 44, frames * 4);
    EXPECT_TRUE(pcm == render_blocks(module, 100));
    std::remove(in.c_str());
    std::remove(out.c_str());
}

TEST(xm_render_tool, bad_input_gives_one_line_and_exit_1) {
    std::string in = temp_path("bad.xm"), out = temp_path("bad.wav");
    // A module the player refuses (more channels than it pairs voices for) gets the player's reason.
    ASSERT_TRUE(xmw_write_file(in, xmw_build(basic_module(40))));
    const run_result r = run(in + " " + out);
    EXPECT_EQ(std::tuple(r.exit_code, std::count(r.output.begin(), r.output.end(), '\n'),
                         r.output.find("channels") != std::string::npos), std::tuple(1, 1, true)) << r.output;
    for (const std::string& args : {temp_path("missing.xm") + " " + out, "--seconds -3 " + in + " " + out,
                                    "--seconds 3601 " + in + " " + out, in})
        EXPECT_EQ(run(args).exit_code, 1) << args;
    std::remove(in.c_str());
    std::remove(out.c_str());
}

}  // namespace
