// The twelve intro tunes as built: the headers and songs the intro needs, how long every song plays
// before it repeats, the tune heard on the sample channel, the
// twelve hours of file 4 being twelve pieces, and peaks below full scale.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "content/tunes/intro_tune_data.h"
#include "sid/sid.h"

namespace {

constexpr int sample_tune = 7;     // kick and snare on the sample channel
constexpr int own_vector_tune = 9; // play address 0
constexpr int frames_a_minute = 60 * 50;

const std::unique_ptr<sid_machine> machine = std::make_unique<sid_machine>();

uint32_t be16(const unsigned char* f, size_t at) {
    return static_cast<uint32_t>(f[at] << 8 | f[at + 1]);
}

int song_count(int file) {
    return static_cast<int>(be16(intro_tune_files[file].data, 14));
}

void start(int file, int song) {
    const intro_tune_file& f = intro_tune_files[file];
    machine_init(*machine, 44100);
    psid_load(*machine, f.data, static_cast<uint16_t>(f.length));
    psid_select_song(*machine, static_cast<uint8_t>(song));
}

void play() {
    cpu_call(*machine, machine->play_address, 0);
}

// Everything the next frames depend on: the chip's registers, the sample channel's latches and the
// player's memory (zero page, pages 2 and 3: its place in every order list and pattern, its tick
// counter, each note's age, pulse and arpeggio state, the filter sweep). Page 1 holds only the stack's
// leftovers and the rest of memory is the tune's unchanging code and data.
std::string state() {
    std::string s;
    for (const sid_voice_registers& v : machine->regs.voice) {
        for (uint32_t x : {uint32_t{v.frequency}, uint32_t{v.pulse_width}}) s += {char(x), char(x >> 8)};
        s += {char(v.control), char(v.attack_decay), char(v.sustain_release)};
    }
    const sid_register_shadow& r = machine->regs;
    s += {char(r.cutoff_low), char(r.cutoff_high), char(r.resonance_routing), char(r.mode_volume)};
    const sample_channel& c = machine->sample;
    for (uint32_t x :
         {c.latch_start, c.latch_end, c.latch_period, c.latch_repeat_count, c.latch_nibble_order})
        s += {char(x), char(x >> 8)};
    s.append(reinterpret_cast<const char*>(machine->memory.data()), 0x100);
    s.append(reinterpret_cast<const char*>(machine->memory.data() + 0x200), 0x200);
    return s;
}

// What of the chip a song uses, counted in frames (or distinct values) up to its first repeat.
struct chip_use {
    int sync_or_ring = 0; // frames with a gated voice hard-synced or ring-modulated
    int noise = 0;        // frames with a gated noise voice (drums)
    int pulse_widths = 0; // distinct pulse widths of gated pulse voices (sweeps)
    int cutoffs = 0;      // distinct cutoffs with resonance on (filter sweeps)
    int arpeggio = 0;     // frames in which voice 2's held note jumps by a semitone or more
    int vibrato = 0;      // frames in which voice 3's held note bends by under a semitone
};

struct repeat {
    int period; // frames; 0 when nothing repeated
    int frame;  // the frame that first repeats an earlier one
    chip_use use;
};

// When a song repeats: its play routine runs frame by frame, without synthesis, until the state above
// comes back to one already seen; from then on everything repeats with the distance between the two.
repeat first_repeat(int file, int song, int max_frames) {
    start(file, song);
    std::unordered_map<std::string, int> seen;
    chip_use use;
    std::vector<bool> widths(4096), cutoffs(256);
    int previous_frequency[3] = {0, 0, 0};
    for (int frame = 0; frame < max_frames; ++frame) {
        int was_gated[3];
        for (size_t v = 0; v < 3; ++v) was_gated[v] = machine->regs.voice[v].control & 1;
        play();
        for (size_t v = 0; v < 3; ++v) {
            const sid_voice_registers& r = machine->regs.voice[v];
            const int f = r.frequency, before = previous_frequency[v];
            previous_frequency[v] = f;
            if (!(r.control & 1)) continue;
            use.sync_or_ring += (r.control & 0x06) != 0;
            use.noise += (r.control & 0x80) != 0;
            if ((r.control & 0x40) && !widths[r.pulse_width & 0xFFF]) {
                widths[r.pulse_width & 0xFFF] = true;
                ++use.pulse_widths;
            }
            if (!was_gated[v] || before == 0 || f == before) continue;
            const double ratio = std::abs(std::log2(double(f) / before)) * 12.0;
            if (v == 1 && ratio > 0.9) ++use.arpeggio;
            if (v == 2 && ratio < 0.9) ++use.vibrato;
        }
        if ((machine->regs.resonance_routing >> 4) > 0 && !cutoffs[machine->regs.cutoff_high]) {
            cutoffs[machine->regs.cutoff_high] = true;
            ++use.cutoffs;
        }
        const auto [at, fresh] = seen.try_emplace(state(), frame);
        if (!fresh) return {frame - at->second, frame, use};
    }
    return {0, max_frames, use};
}

// Semitone steps between the first notes the melody voice (3) starts after the opening bars, with
// the frames between them: equal for two songs only if one is the other transposed.
std::vector<int> melody_shape(int file, int song, int notes) {
    start(file, song);
    std::vector<int> shape;
    int previous_gate = 0, previous_frequency = 0, since = 0;
    for (int frame = 0; frame < 200 * 50 && static_cast<int>(shape.size()) < 2 * notes; ++frame, ++since) {
        play();
        const sid_voice_registers& v = machine->regs.voice[2];
        const int gate = v.control & 1;
        if (gate && !previous_gate && v.frequency > 0) {
            if (previous_frequency > 0) {
                shape.push_back(static_cast<int>(
                    std::lround(12.0 * std::log2(double(v.frequency) / previous_frequency))));
                shape.push_back(since);
            }
            previous_frequency = v.frequency;
            since = 0;
        }
        previous_gate = gate;
    }
    return shape;
}

} // namespace

TEST(IntroTunes, HeadersAndSongCountsAreWhatTheIntroNeeds) {
    EXPECT_EQ(intro_tune_files[0].data, nullptr);
    const int songs_needed[13] = {0, 1, 2, 1, 12, 1, 2, 1, 1, 1, 1, 1, 1};
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        const intro_tune_file& f = intro_tune_files[n];
        ASSERT_NE(f.data, nullptr);
        // The player takes a 16-bit length; the image must stay clear of the chip's registers.
        ASSERT_EQ(psid_problem(f.data, static_cast<uint32_t>(f.length)), nullptr);
        EXPECT_EQ(be16(f.data, 6), 0x7Cu);
        EXPECT_EQ(be16(f.data, 8), 0u); // the load address comes with the data
        EXPECT_LE((f.data[0x7C] | f.data[0x7D] << 8) + f.length - 0x7E, 0xD000u);
        // One tune leaves its play address to its init routine, which installs it at $0314.
        if (n == own_vector_tune)
            EXPECT_EQ(be16(f.data, 12), 0u);
        else
            EXPECT_NE(be16(f.data, 12), 0u);
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

// Every song the intro plays sounds from its first seconds on and each of its three voices (bass and
// drums, accompaniment, melody) starts notes in the first twenty seconds.
TEST(IntroTunes, EveryPlayedSongIsAudibleOnAllThreeVoices) {
    const int played[12][2] = {{1, 0}, {2, 1}, {3, 0}, {4, 11}, {5, 0},  {6, 0},
                               {7, 0}, {8, 0}, {9, 0}, {10, 0}, {11, 0}, {6, 1}};
    std::vector<int16_t> out(6 * 44100);
    for (const auto& p : played) {
        SCOPED_TRACE(testing::Message() << "file " << p[0] << " song " << p[1]);
        start(p[0], p[1]);
        double sum = 0.0;
        for (size_t at = 0; at < out.size(); at += 882) psid_render_frame(*machine, out.data() + at, 882);
        for (int16_t x : out) sum += double(x) * x;
        EXPECT_GT(std::sqrt(sum / static_cast<double>(out.size())), 1500.0);
        int gate_ons[3] = {0, 0, 0}, previous[3] = {0, 0, 0};
        for (int f = 0; f < 20 * 50; ++f) {
            play();
            for (size_t v = 0; v < 3; ++v) {
                const int gate = machine->regs.voice[v].control & 1;
                gate_ons[v] += gate && !previous[v];
                previous[v] = gate;
            }
        }
        for (int g : gate_ons) EXPECT_GE(g, 4);
    }
}

// The twelve songs of file 4 are twelve pieces: no melody is another's transposed or played at
// another pace (the same steps at the same distances), and their first notes are not all alike.
TEST(IntroTunes, FileFourHoldsTwelveDifferentPieces) {
    std::vector<std::vector<int>> shapes;
    for (int s = 0; s < 12; ++s) {
        shapes.push_back(melody_shape(4, s, 24));
        ASSERT_EQ(shapes.back().size(), 48u) << "song " << s << " has too few melody notes";
    }
    for (size_t a = 0; a < shapes.size(); ++a) {
        for (size_t b = a + 1; b < shapes.size(); ++b) {
            int same_steps = 0;
            for (size_t i = 0; i < shapes[a].size(); i += 2) same_steps += shapes[a][i] == shapes[b][i];
            EXPECT_LT(same_steps, 16) << "songs " << a << " and " << b;
        }
    }
}

// Every song of every file plays a minute or more before it repeats, uses the chip's tricks (a synced
// or ring-modulated lead, noise drums, pulse-width and resonant filter sweeps, arpeggios, vibrato),
// and its loudest moment up to the repeat stays below -3 dB of full scale. One case per song, so
// that each stays short.
struct file_song {
    int file;
    int song;
};

std::vector<file_song> every_song() {
    std::vector<file_song> out;
    for (int file = 1; file <= 12; ++file)
        for (int song = 0; song < song_count(file); ++song) out.push_back({file, song});
    return out;
}

class IntroTuneSong : public testing::TestWithParam<file_song> {};

TEST_P(IntroTuneSong, RepeatsAfterAMinuteOrMoreUsesTheChipAndPeaksBelowFullScale) {
    const auto [file, song] = GetParam();
    const repeat r = first_repeat(file, song, 5 * frames_a_minute);
    EXPECT_GE(r.period, frames_a_minute) << r.period / 50.0 << " s";
    EXPECT_GE(r.use.sync_or_ring, 200);
    EXPECT_GE(r.use.noise, 50);
    EXPECT_GE(r.use.pulse_widths, 64);
    EXPECT_GE(r.use.cutoffs, 16);
    EXPECT_GE(r.use.arpeggio, 200);
    EXPECT_GE(r.use.vibrato, 200);
    start(file, song);
    std::vector<int16_t> out(882);
    int peak = 0;
    for (int f = 0; f <= r.frame; ++f) { // up to the first repeat: everything the song ever plays
        psid_render_frame(*machine, out.data(), 882);
        for (int16_t x : out) peak = std::max(peak, std::abs(int{x}));
    }
    EXPECT_LT(peak, 23197); // -3 dB
}

INSTANTIATE_TEST_SUITE_P(Files, IntroTuneSong, testing::ValuesIn(every_song()),
                         [](const testing::TestParamInfo<file_song>& i) {
                             return "file" + std::to_string(i.param.file) + "_song" +
                                    std::to_string(i.param.song);
                         });
