// Small modules built with the module writer for the module player's tests.
#pragma once
#include <cmath>
#include <numbers>
#include <cstdint>
#include <vector>

#include "tools/xmwriter/xmwriter.h"
#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"
#include "xm/xm_pattern_player.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

namespace xm_test {

// A constant-value sample: makes mixed output easy to predict.
inline xmw_sample flat_sample(size_t length, int16_t value, bool sixteen = true) {
    xmw_sample s;
    s.sixteen_bit = sixteen;
    s.data.assign(length, value);
    return s;
}

// One period of a sine wave of the given length, looped forward: a pitched tone.
inline xmw_sample sine_sample(size_t length, double amplitude) {
    xmw_sample s;
    s.sixteen_bit = true;
    for (size_t i = 0; i < length; ++i)
        s.data.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * double(i) / double(length)))));
    s.loop = xmw_loop::forward;
    s.loop_start = 0;
    s.loop_length = static_cast<uint32_t>(length);
    return s;
}

inline xmw_instrument instrument_with(const xmw_sample& s) {
    xmw_instrument inst;
    inst.samples.push_back(s);
    return inst;
}

// A module of the given channels with one 64-row pattern (all cells empty) and the instruments.
inline xmw_module basic_module(uint16_t channels, std::vector<xmw_instrument> instruments = {}) {
    xmw_module m;
    m.channels = channels;
    m.patterns.resize(1);
    m.patterns[0].rows = 64;
    m.instruments = std::move(instruments);
    return m;
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

// Runs n ticks of the song directly (no mixing).
inline void ticks(xm_song* song, int n) {
    for (int i = 0; i < n; ++i) song->tick_function(song);
}

}  // namespace xm_test
