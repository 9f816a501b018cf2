// The twelve intro tunes as the intro gets them: PSID headers, song counts, and the songs it plays.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/tunes/intro_tune_data.h"
#include "sid/sid.h"

namespace {

sid_machine machine;

uint32_t be16(const unsigned char* f, size_t at) { return static_cast<uint32_t>(f[at] << 8 | f[at + 1]); }

// Renders the first `seconds` of a song as the stream does (882 samples per play call); after each play
// call, gate_ons counts the voices whose gate has just opened.
std::vector<int16_t> render(int file, int song, int seconds, int* gate_ons = nullptr) {
    const intro_tune_file& f = intro_tune_files[file];
    machine_init(machine, 44100);
    psid_load(machine, f.data, static_cast<uint16_t>(f.length));
    psid_select_song(machine, static_cast<uint8_t>(song));
    std::vector<int16_t> out(static_cast<size_t>(seconds) * 50 * 882);
    int previous[3] = {0, 0, 0};
    for (size_t at = 0; at < out.size(); at += 882) {
        psid_render_frame(machine, out.data() + at, 882);
        for (size_t v = 0; v < 3 && gate_ons; ++v) {
            const int gate = machine.regs.voice[v].control & 1;
            gate_ons[v] += gate && !previous[v];
            previous[v] = gate;
        }
    }
    return out;
}

double rms(const std::vector<int16_t>& v, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(v[i]) * v[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

}  // namespace

TEST(IntroTunes, HeadersAndSongCountsAreWhatTheIntroNeeds) {
    EXPECT_EQ(intro_tune_files[0].data, nullptr);
    const uint32_t songs_needed[13] = {0, 1, 2, 1, 12, 1, 2, 1, 1, 1, 1, 1, 1};
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        const intro_tune_file& f = intro_tune_files[n];
        ASSERT_NE(f.data, nullptr);
        // The player takes a 16-bit length; the image must stay clear of the chip's registers.
        ASSERT_EQ(psid_problem(f.data, static_cast<uint32_t>(f.length)), nullptr);
        EXPECT_EQ(be16(f.data, 6), 0x7Cu);
        EXPECT_EQ(be16(f.data, 8), 0u);  // the load address comes with the data
        EXPECT_LE((f.data[0x7C] | f.data[0x7D] << 8) + f.length - 0x7E, 0xD000u);
        EXPECT_NE(be16(f.data, 12), 0u);  // a play address
        EXPECT_GE(be16(f.data, 14), songs_needed[n]);
    }
}

// Every song the intro plays (file, song) sounds from its first seconds on, never wraps, and each of
// its three voices (bass and drums, chords, tune) starts notes in the first ten seconds.
TEST(IntroTunes, EveryPlayedSongIsAudibleUnclippedAndUsesAllThreeVoices) {
    const int played[12][2] = {{1, 0}, {2, 1}, {3, 0}, {4, 11}, {5, 0}, {6, 0},
                               {7, 0}, {8, 0}, {9, 0}, {10, 0}, {11, 0}, {6, 1}};
    for (const auto& p : played) {
        SCOPED_TRACE(testing::Message() << "file " << p[0] << " song " << p[1]);
        int gate_ons[3] = {0, 0, 0};
        std::vector<int16_t> v = render(p[0], p[1], 10, gate_ons);
        for (int g : gate_ons) EXPECT_GE(g, 3);
        v.resize(6 * 44100);
        EXPECT_GT(rms(v, 0, v.size()), 2000.0);
        // Each two-second stretch has sound: the tune does not stall after its opening.
        for (size_t s = 0; s < 3; ++s) EXPECT_GT(rms(v, s * 88200, (s + 1) * 88200), 1000.0);
        int peak = 0;
        for (int16_t x : v) peak = std::max(peak, std::abs(static_cast<int>(x)));
        EXPECT_LT(peak, 30000);  // the chip model wraps rather than clips: keep well inside
    }
}

// File 4 holds twelve different variations; file 12 plays though the intro never chooses it.
TEST(IntroTunes, FileFourHasTwelveVariationsAndFileTwelvePlays) {
    std::vector<std::vector<int16_t>> songs;
    for (int s = 0; s < 12; ++s) songs.push_back(render(4, s, 3));
    songs.push_back(render(12, 0, 3));
    for (size_t a = 0; a < songs.size(); ++a) {
        EXPECT_GT(rms(songs[a], 0, songs[a].size()), 1500.0) << a;
        for (size_t b = a + 1; b < 12; ++b) EXPECT_NE(songs[a], songs[b]) << a << " " << b;
    }
}
