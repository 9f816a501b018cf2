// Small modules built with the module writer for the module player's tests.
#pragma once
#include <cmath>
#include <numbers>
#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tools/xmwriter/xmwriter.h"
#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"
#include "xm/xm_pattern_player.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

namespace xm_test {

// A 16-bit sample of the given values with the given loop.
inline xmw_sample sample16(std::vector<int16_t> data, xmw_loop loop = xmw_loop::none, uint32_t loop_start = 0,
                           uint32_t loop_length = 0) {
    xmw_sample s;
    s.data = std::move(data);
    s.sixteen_bit = true;
    s.loop = loop;
    s.loop_start = loop_start;
    s.loop_length = loop_length;
    return s;
}

// A constant-value 16-bit sample: makes mixed output easy to predict.
inline xmw_sample flat_sample(size_t length, int16_t value) {
    return sample16(std::vector<int16_t>(length, value));
}

// One period of a sine wave of the given length, looped forward: a pitched tone.
inline xmw_sample sine_sample(size_t length, double amplitude) {
    std::vector<int16_t> data;
    for (size_t i = 0; i < length; ++i)
        data.push_back(static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * std::numbers::pi * double(i) / double(length)))));
    return sample16(std::move(data), xmw_loop::forward, 0, static_cast<uint32_t>(length));
}

inline xmw_instrument instrument_with(const xmw_sample& s) {
    xmw_instrument inst;
    inst.samples = {s};
    return inst;
}

// A module of the given channels with one 64-row pattern (all cells empty) and the instruments.
inline xmw_module basic_module(uint16_t channels, std::vector<xmw_instrument> instruments = {}) {
    return {
        .channels = channels, .patterns = std::vector<xmw_pattern>(1), .instruments = std::move(instruments)};
}

inline void set(xmw_module& m, int pattern, int row, int channel, xmw_cell cell) {
    xmw_set(m.patterns[static_cast<size_t>(pattern)], m.channels, row, channel, cell);
}

// Loads the module as the current song and readies the mixer for direct xm_tick / xm_mix_block calls.
// The bytes must outlive the song only during loading; the song keeps its own copies.
inline xm_song* load(const xmw_module& m, bool prepare = true) {
    std::vector<uint8_t> bytes = xmw_build(m);
    if (!xm_load_from_memory(bytes.data(), bytes.size())) return nullptr;
    xm_song* song = xm_player_state.current_song;
    if (prepare) xm_prepare_song(song);
    return song;
}

inline xm_channel& channel(int c) { return xm_player_state.channels[static_cast<size_t>(c)]; }

// Fixture for tests that load songs: frees the song after each test.
struct song_test : ::testing::Test {
    void TearDown() override { xm_free(); }
};

// Runs n ticks of the song directly (no mixing).
inline void ticks(xm_song* song, int n) { for (int i = 0; i < n; ++i) song->tick_function(song); }

// Runs n ticks and records what `probe` reads after each: a tick-by-tick trace to compare at once.
template <class F>
std::vector<int> trace(xm_song* song, int n, F probe) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) {
        song->tick_function(song);
        out.push_back(static_cast<int>(probe()));
    }
    return out;
}

// The five bytes of a stored cell (note, instrument, volume, effect, parameter).
inline std::vector<int> cell5(const xm_song* song, int pattern, int row, int ch) {
    const uint8_t* c = xm_pattern_cell(*song, pattern, row, ch);
    return {c[0], c[1], c[2], c[3], c[4]};
}

// Loads the module bytes and returns the PCM of the first n xm_mix_block calls, read from the ring;
// the song is freed again. Empty if the module does not load.
inline std::vector<int16_t> render_blocks(const std::vector<uint8_t>& bytes, int n) {
    std::vector<int16_t> pcm;
    if (!xm_load_from_memory(bytes.data(), bytes.size())) return pcm;
    xm_prepare_song(xm_player_state.current_song);
    for (int b = 0; b < n; ++b) {
        const int16_t* block = xm_player_state.ring.data() + xm_player_state.write_block * 884 * 2;
        xm_mix_block();
        pcm.insert(pcm.end(), block, block + 884 * 2);
    }
    xm_free();
    return pcm;
}

}  // namespace xm_test
