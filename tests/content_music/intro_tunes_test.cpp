// The twelve intro tunes as built: the headers and songs the intro needs, the tune heard on the sample
// channel, and every song audible, long and unclipped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "content/tunes/intro_tune_data.h"
#include "sid/sid.h"

namespace {

constexpr int sample_tune = 7;     // kick and snare on the sample channel
constexpr int own_vector_tune = 9; // play address 0
constexpr int frames_a_minute = 60 * 50;

const std::unique_ptr<sid_machine> machine = std::make_unique<sid_machine>();

uint32_t be16(const unsigned char* f, size_t at) { return static_cast<uint32_t>(f[at] << 8 | f[at + 1]); }

int song_count(int file) { return static_cast<int>(be16(intro_tune_files[file].data, 14)); }

void start(int file, int song) {
    const intro_tune_file& f = intro_tune_files[file];
    machine_init(*machine, 44100);
    psid_load(*machine, f.data, static_cast<uint16_t>(f.length));
    psid_select_song(*machine, static_cast<uint8_t>(song));
}

void play() { cpu_call(*machine, machine->play_address, 0); }

// Everything the next frames depend on: the chip's registers, the sample channel's latches and the
// player's memory (zero page, pages 2 and 3: its place in every order list and pattern, its tick
// counter, each note's age, pulse and arpeggio state, the filter sweep). Page 1 holds only the stack's
// leftovers and the rest of memory is the tune's unchanging code and data.
std::string state() {
    std::string s(reinterpret_cast<const char*>(&machine->regs), sizeof machine->regs);
    s.append(reinterpret_cast<const char*>(&machine->sample),
             offsetof(sample_channel, active)); // the latches
    s.append(reinterpret_cast<const char*>(machine->memory.data()), 0x100);
    s.append(reinterpret_cast<const char*>(machine->memory.data() + 0x200), 0x200);
    return s;
}

// The frame at which a song first comes back to a state it was in, and the distance between the two
// (0 when nothing repeated): its play routine runs frame by frame, without synthesis.
std::pair<int, int> first_repeat(int file, int song, int max_frames) {
    start(file, song);
    std::unordered_map<std::string, int> seen;
    for (int frame = 0; frame < max_frames; ++frame) {
        play();
        const auto [at, fresh] = seen.try_emplace(state(), frame);
        if (!fresh) return {frame, frame - at->second};
    }
    return {max_frames, 0};
}

} // namespace

TEST(IntroTunes, HeadersAndSongCountsAreWhatTheIntroNeeds) {
    const int songs_needed[13] = {0, 1, 2, 1, 12, 1, 2, 1, 1, 1, 1, 1, 1};
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        const intro_tune_file& f = intro_tune_files[n];
        // Present and loadable (the player takes a 16-bit length); the image must stay clear of the chip's
        // registers.
        ASSERT_EQ(psid_problem(f.data, static_cast<uint32_t>(f.length)), nullptr);
        // Data at $7C with its load address in front; one tune leaves its play address to its init
        // routine, which installs it at $0314.
        EXPECT_EQ(std::tuple(be16(f.data, 6), be16(f.data, 8), be16(f.data, 12) == 0),
                  std::tuple(0x7Cu, 0u, n == own_vector_tune));
        EXPECT_LE((f.data[0x7C] | f.data[0x7D] << 8) + f.length - 0x7E, 0xD000u);
        EXPECT_GE(song_count(n), songs_needed[n]);
    }
}

// The sample tune's drums are heard on the sample channel ($D41D): the output differs from the chip's
// alone. (That a sample instrument triggers the channel is the player's own test.)
TEST(IntroTunes, TheSampleTuneIsHeardOnTheSampleChannel) {
    // Five seconds with and without the channel's nibbles.
    std::vector<int16_t> with(5 * 44100), without(5 * 44100);
    start(sample_tune, 0);
    for (size_t at = 0; at < with.size(); at += 882) psid_render_frame(*machine, with.data() + at, 882);
    start(sample_tune, 0);
    for (size_t at = 0; at < without.size(); at += 882) {
        play();
        machine->sample.active = 0;
        sid_render(*machine, without.data() + at, 882);
    }
    double difference = 0.0;
    for (size_t i = 0; i < with.size(); ++i) difference += std::abs(double(with[i]) - without[i]);
    EXPECT_GT(difference / static_cast<double>(with.size()), 300.0);
}

// Every song of every file sounds from its first seconds on, each of its three voices (bass and drums,
// accompaniment, melody) starts notes in the first twenty seconds, it plays a minute or more before it
// repeats, and its loudest moment up to the repeat stays below -3 dB of full scale.
struct file_song { int file, song; };

std::vector<file_song> every_song() {
    std::vector<file_song> out;
    for (int file = 1; file <= 12; ++file)
        for (int song = 0; song < song_count(file); ++song) out.push_back({file, song});
    return out;
}

class IntroTuneSong : public testing::TestWithParam<file_song> {};

TEST_P(IntroTuneSong, AudibleOnAllVoicesRepeatsAfterAMinuteAndPeaksBelowFullScale) {
    const auto [file, song] = GetParam();
    const auto [last, period] = first_repeat(file, song, 5 * frames_a_minute);
    EXPECT_GE(period, frames_a_minute) << period / 50.0 << " s";
    start(file, song);
    std::vector<int16_t> out(882);
    int peak = 0, gate_ons[3] = {0, 0, 0}, previous[3] = {0, 0, 0};
    double sum = 0.0;
    for (int f = 0; f <= last; ++f) {  // up to the first repeat: everything the song ever plays
        psid_render_frame(*machine, out.data(), 882);
        for (size_t v = 0; v < 3; ++v) {
            const int gate = machine->regs.voice[v].control & 1;
            gate_ons[v] += f < 20 * 50 && gate && !previous[v];
            previous[v] = gate;
        }
        for (int16_t x : out) {
            peak = std::max(peak, std::abs(int{x}));
            if (f < 6 * 50) sum += double(x) * x;
        }
    }
    for (int g : gate_ons) EXPECT_GE(g, 4);
    EXPECT_GT(std::sqrt(sum / (6 * 44100.0)), 1500.0);
    EXPECT_LT(peak, 23197);  // -3 dB
}

INSTANTIATE_TEST_SUITE_P(Files, IntroTuneSong, testing::ValuesIn(every_song()),
                         [](const testing::TestParamInfo<file_song>& i) {
                             return "file" + std::to_string(i.param.file) + "_song" +
                                    std::to_string(i.param.song);
                         });
