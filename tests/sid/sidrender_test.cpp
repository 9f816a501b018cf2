// The sidrender tool, run as a user runs it: a test tune in, a WAV file out that holds exactly what
// the frame routine renders; a bad file gets one line of reason and exit code 1.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/sid/sid_test_support.h"
#include "tools/sidtunes/sidtunes.h"

namespace {

namespace fs = std::filesystem;

struct sidrender : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("sidrender_test_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    static std::vector<uint8_t> read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Runs the tool; returns its exit code, with stderr kept in dir/err.txt.
    int run(const std::string& args) {
        const std::string cmd = std::string(SIDRENDER_PATH) + " " + args + " >" + (dir / "out.txt").string() +
                                " 2>" + (dir / "err.txt").string();
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    }
};

TEST_F(sidrender, renders_the_song_through_the_frame_routine) {
    const std::vector<uint8_t> tune = sidtune_busy();
    const fs::path in = write("busy.sid", tune);
    const fs::path out = dir / "busy.wav";
    ASSERT_EQ(run("--song 1 --seconds 2 " + in.string() + " " + out.string()), 0);

    const std::vector<uint8_t> wav = read(out);
    const uint32_t data_bytes = 2 * 50 * 882 * 2;
    ASSERT_EQ(wav.size(), 44 + data_bytes);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(wav[20] | wav[21] << 8, 1);  // PCM
    EXPECT_EQ(wav[22] | wav[23] << 8, 1);  // mono
    EXPECT_EQ(le32(wav, 24), 44100u);
    EXPECT_EQ(wav[34] | wav[35] << 8, 16);
    EXPECT_EQ(le32(wav, 40), data_bytes);

    auto m = fresh_machine();
    psid_load(*m, tune.data(), static_cast<uint16_t>(tune.size()));
    psid_select_song(*m, 1);
    std::vector<int16_t> frame(882);
    size_t at = 44;
    for (int f = 0; f < 100; ++f) {
        psid_render_frame(*m, frame.data(), 882);
        for (int16_t s : frame) {
            ASSERT_EQ(static_cast<int16_t>(wav[at] | wav[at + 1] << 8), s) << "sample " << (at - 44) / 2;
            at += 2;
        }
    }
    const std::vector<uint8_t> printed = read(dir / "out.txt");
    const std::string text(printed.begin(), printed.end());
    EXPECT_NE(text.find("load     $1000"), std::string::npos) << text;
    EXPECT_NE(text.find("init     $1000"), std::string::npos) << text;
}

TEST_F(sidrender, bad_input_gets_one_line_and_exit_code_1) {
    std::vector<uint8_t> not_psid = sidtune_songs();
    not_psid[1] = 'X';
    const fs::path bad = write("bad.sid", not_psid);
    const fs::path out = dir / "bad.wav";
    EXPECT_EQ(run(bad.string() + " " + out.string()), 1);
    const std::vector<uint8_t> err = read(dir / "err.txt");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_FALSE(fs::exists(out));

    std::vector<uint8_t> truncated = sidtune_songs();
    truncated.resize(0x7D);
    EXPECT_EQ(run(write("short.sid", truncated).string() + " " + out.string()), 1);
    EXPECT_EQ(run((dir / "missing.sid").string() + " " + out.string()), 1);
    EXPECT_EQ(run("--seconds x " + bad.string() + " " + out.string()), 1);
    EXPECT_EQ(run(bad.string()), 1);
}

}  // namespace
