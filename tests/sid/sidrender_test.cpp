// The sidrender tool, run as a user runs it: a test tune in, a WAV file out that holds exactly what
// the frame routine renders; a bad file or a length no WAV file can hold gets one line and exit code 1.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

TEST(sidrender, renders_the_song_through_the_frame_routine_and_refuses_bad_input_with_one_line) {
    const fs::path dir = fs::temp_directory_path() / ("sidrender_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const auto path = [&](const char* name) { return (dir / name).string(); };
    const auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
        return path(name);
    };
    std::string err, wav;
    const auto run = [&](const std::string& args) {
        const int status = std::system((SIDRENDER_PATH " " + args + " >/dev/null 2>" + path("err")).c_str());
        tool_read_text(path("err").c_str(), err);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::vector<uint8_t> tune = sidtune_busy();
    ASSERT_EQ(run("--song 1 --seconds 2 " + write("busy.sid", tune) + " " + path("busy.wav")), 0);
    tool_read_text(path("busy.wav").c_str(), wav);
    const std::vector<int16_t> expected = reference_frames(tune, 1, 100);
    ASSERT_EQ(wav.size(), 44 + 2 * expected.size());
    // The samples behind the 44-byte header (its constant fields are not restated here; this host is
    // little-endian, as the file is).
    EXPECT_EQ(std::memcmp(wav.data() + 44, expected.data(), 2 * expected.size()), 0);

    // 48,696 s of 16-bit mono would need 4,294,987,200 data bytes, past the 32-bit sizes of the header:
    // such lengths are refused before the tune is read.
    std::vector<uint8_t> bad = tune;
    bad[1] = 'X';
    const std::string to = " " + path("bad.wav"), missing = path("missing.sid");
    for (const std::string& args :
         {write("bad.sid", bad) + to, missing + to, "--seconds x " + missing + to,
          "--seconds 48696 " + missing + to, "--seconds 99999999999 " + missing + to}) {
        EXPECT_EQ(run(args), 1) << args;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args;
    }
    EXPECT_FALSE(fs::exists(path("bad.wav")));
    fs::remove_all(dir);
}

}  // namespace
