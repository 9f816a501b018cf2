// The sidrender tool, run as a user runs it: a test tune in, a WAV file out that holds exactly what
// the frame routine renders; a bad file or a length no WAV file can hold gets one line and exit code 1.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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
    std::string path(const std::string& name) { return (dir / name).string(); }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }
    std::string read(const std::string& name) {
        std::string text;
        tool_read_text(path(name).c_str(), text);
        return text;
    }
    // Runs the tool; returns its exit code, with its output kept in dir/out.txt and dir/err.txt.
    int run(const std::string& args) {
        const int status = std::system((SIDRENDER_PATH " " + args + " >" + path("out.txt") + " 2>" + path("err.txt")).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(sidrender, renders_the_song_through_the_frame_routine) {
    const std::vector<uint8_t> tune = sidtune_busy();
    ASSERT_EQ(run("--song 1 --seconds 2 " + write("busy.sid", tune) + " " + path("busy.wav")), 0);
    const std::string wav = read("busy.wav");
    const std::vector<int16_t> expected = reference_frames(tune, 1, 100);
    ASSERT_EQ(wav.size(), 44 + 2 * expected.size());
    // PCM, mono, 44100 Hz, 2-byte frames of 16 bits, the data size; then the samples.
    std::vector<uint32_t> fields(4);
    for (size_t i = 0; i < 4; ++i) std::memcpy(&fields[i], &wav[std::array{20, 24, 32, 40}[i]], 4);
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8), "RIFFWAVEfmt ");
    EXPECT_EQ(fields, (std::vector<uint32_t>{0x10001u, 44100u, 0x100002u, static_cast<uint32_t>(2 * expected.size())}));
    EXPECT_EQ(std::memcmp(wav.data() + 44, expected.data(), 2 * expected.size()), 0);
    EXPECT_NE(read("out.txt").find("load     $1000"), std::string::npos) << read("out.txt");
}

TEST_F(sidrender, bad_input_and_lengths_a_wav_file_cannot_hold_get_one_line_and_exit_code_1) {
    std::vector<uint8_t> tune = sidtune_songs();
    tune.resize(0x7D);
    const std::string out = " " + path("bad.wav"), shortened = write("short.sid", tune);
    tune = sidtune_songs();
    tune[1] = 'X';
    const std::string bad = write("bad.sid", tune), missing = path("missing.sid");
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
