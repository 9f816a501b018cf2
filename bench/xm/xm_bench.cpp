// Module player speed: block mixing of a 32-channel module with every channel sounding and of the
// magazine's four tunes (reported as x real time), and the cost of one tick of the pattern player.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "content/modules/tune_data.h"
#include "tools/xmwriter/xmwriter.h"
#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

namespace {

// 32 channels, each a looped tone at its own pitch and panning, with vibrato and an envelope, and a
// new note every 8 rows so ramps and partner voices are part of the load.
std::vector<uint8_t> busy_module() {
    xmw_module m;
    m.channels = 32;
    m.tempo = 6;
    m.bpm = 125;
    m.patterns.resize(1);
    m.patterns[0].rows = 64;
    xmw_sample s;
    s.sixteen_bit = true;
    for (int i = 0; i < 2000; ++i)
        s.data.push_back(static_cast<int16_t>(6000 * std::sin(2 * std::numbers::pi * i / 100.0)));
    s.loop = xmw_loop::forward;
    s.loop_start = 0;
    s.loop_length = 2000;
    xmw_instrument inst;
    inst.samples.push_back(s);
    inst.volume_envelope.on = true;
    inst.volume_envelope.sustain = true;
    inst.volume_envelope.points = {{0, 64}, {10, 48}, {40, 40}};
    inst.vibrato_depth = 4;
    inst.vibrato_rate = 20;
    m.instruments.push_back(inst);
    for (int r = 0; r < 64; ++r) {
        for (int c = 0; c < 32; ++c) {
            xmw_cell cell;
            if (r % 8 == 0) {
                cell.note = static_cast<uint8_t>(25 + c + r / 8);
                cell.instrument = 1;
                cell.volume = static_cast<uint8_t>(0xC0 + c % 16);
            }
            cell.effect = c % 2 ? 0x04 : 0x0A;
            cell.param = c % 2 ? 0x34 : 0x01;
            xmw_set(m.patterns[0], 32, r, c, cell);
        }
    }
    return xmw_build(m);
}

void BM_mix_block_32_channels(benchmark::State& state) {
    std::vector<uint8_t> bytes = busy_module();
    xm_load_from_memory(bytes.data(), bytes.size());
    xm_prepare_song(xm_player_state.current_song);
    for (int i = 0; i < 10; ++i) xm_mix_block();  // every channel sounding
    for (auto _ : state) {
        xm_mix_block();
        benchmark::DoNotOptimize(xm_player_state.ring.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 884.0 / 44100.0, benchmark::Counter::kIsRate);
    xm_free();
}
BENCHMARK(BM_mix_block_32_channels);

// Tune n of the magazine, played through its whole pass and on around: the real content's cost.
void BM_mix_block_magazine_tune(benchmark::State& state) {
    const magazine_tune& tune = magazine_tunes[state.range(0)];
    xm_load_from_memory(tune.data, tune.length);
    xm_prepare_song(xm_player_state.current_song);
    for (auto _ : state) {
        xm_mix_block();
        benchmark::DoNotOptimize(xm_player_state.ring.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 884.0 / 44100.0, benchmark::Counter::kIsRate);
    xm_free();
}
BENCHMARK(BM_mix_block_magazine_tune)->DenseRange(1, 4);

void BM_tick_32_channels(benchmark::State& state) {
    std::vector<uint8_t> bytes = busy_module();
    xm_load_from_memory(bytes.data(), bytes.size());
    xm_song* song = xm_player_state.current_song;
    xm_prepare_song(song);
    for (auto _ : state) {
        song->tick_function(song);
        benchmark::DoNotOptimize(xm_player_state.voices.data());
    }
    xm_free();
}
BENCHMARK(BM_tick_32_channels);

}  // namespace
