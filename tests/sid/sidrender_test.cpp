// The sidrender tool, run as a user runs it: a test tune in, a WAV file out that holds exactly what
// the frame routine renders; a bad file gets one line of reason and exit code 1.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/sid/sid_test_support.h"
#include "tools/sidtunes/sidtunes.h"
#include "tools/toolkit/tool_io.h"

namespace {

namespace fs = std::filesystem;

struct sidrender : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("sidrender_test_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (dir / name).string();
    }
    std::string read(const std::string& name) {
        std::string text;
        tool_read_text((dir / name).string().c_str(), text);
        return text;
    }
    // Runs the tool; returns its exit code, with its output kept in dir/out.txt and dir/err.txt.
    int run(const std::string& args) {
        const std::string cmd = std::string(SIDRENDER_PATH) + " " + args + " >" + (dir / "out.txt").string() +
                                " 2>" + (dir / "err.txt").string();
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// The little-endian number of n bytes at b[at].
uint32_t le(const std::string& b, size_t at, size_t n = 4) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (8 * i);
    return v;
}

TEST_F(sidrender, renders_the_song_through_the_frame_routine) {
    const std::vector<uint8_t> tune = sidtune_busy();
    ASSERT_EQ(run("--song 1 --seconds 2 " + write("busy.sid", tune) + " " + (dir / "busy.wav").string()), 0);
    const std::string wav = read("busy.wav");
    const std::vector<int16_t> expected = reference_frames(tune, 1, 100);
    ASSERT_EQ(wav.size(), 44 + 2 * expected.size());
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8), "RIFFWAVEfmt ");
    // PCM, mono, 44100 Hz, 2-byte frames of 16 bits, the data size.
    EXPECT_EQ((std::vector<uint32_t>{le(wav, 20), le(wav, 24), le(wav, 32), le(wav, 40)}),
              (std::vector<uint32_t>{0x10001u, 44100u, 0x100002u, static_cast<uint32_t>(2 * expected.size())}));
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(static_cast<int16_t>(le(wav, 44 + 2 * i, 2)), expected[i]) << "sample " << i;
    }
    EXPECT_NE(read("out.txt").find("load     $1000"), std::string::npos) << read("out.txt");
}

TEST_F(sidrender, bad_input_and_lengths_a_wav_file_cannot_hold_get_one_line_and_exit_code_1) {
    std::vector<uint8_t> tune = sidtune_songs();
    tune.resize(0x7D);
    const std::string out = " " + (dir / "bad.wav").string(), shortened = write("short.sid", tune);
    tune = sidtune_songs();
    tune[1] = 'X';
    const std::string bad = write("bad.sid", tune), missing = (dir / "missing.sid").string();
    // 48,696 s of 16-bit mono would need 4,294,987,200 data bytes: past the 32-bit sizes of the header.
    // Lengths are refused before the tune is read.
    for (const std::string& args : {bad + out, shortened + out, missing + out, "--seconds x " + bad + out, bad,
                                    "--seconds 48696 " + missing + out, "--seconds 99999999999 " + missing + out}) {
        EXPECT_EQ(run(args), 1) << args;
        const std::string err = read("err.txt");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args;
        EXPECT_TRUE(!args.starts_with("--seconds ") || err.find("--seconds") != std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(dir / "bad.wav"));
}

}  // namespace
