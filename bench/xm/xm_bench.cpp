// Module player speed: block mixing of busy 32-channel modules and of the magazine's four tunes
// (reported as x real time), and the cost of one tick of the pattern player.
#include <benchmark/benchmark.h>

#include "bench/xm/xm_busy_modules.h"
#include "content/modules/tune_data.h"
#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

namespace {

// Mixes block after block of the loaded module, counting how many times faster than real time
// (a block is 884 frames), then frees the module.
void mix_blocks(benchmark::State& state) {
    for (auto _ : state) {
        xm_mix_block();
        benchmark::DoNotOptimize(xm_player_state.ring.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 884.0 / 44100.0, benchmark::Counter::kIsRate);
    xm_free();
}

void BM_mix_block_32_channels(benchmark::State& state) {
    std::vector<uint8_t> bytes = busy_module();
    xm_load_from_memory(bytes.data(), bytes.size());
    xm_prepare_song(xm_player_state.current_song);
    for (int i = 0; i < 10; ++i) xm_mix_block();  // every channel sounding
    mix_blocks(state);
}
BENCHMARK(BM_mix_block_32_channels);

// The same with the fast loops' baseline build (what processors without AVX2 and Windows builds run).
void BM_mix_block_32_channels_baseline_build(benchmark::State& state) {
    xm_player_state.mix_baseline_only = true;
    BM_mix_block_32_channels(state);
    xm_player_state.mix_baseline_only = false;
}
BENCHMARK(BM_mix_block_32_channels_baseline_build);

// The busiest module the writer makes: 32 channels of 8- and 16-bit, forward and ping-pong loops, with
// ramps running most of the time.
void BM_mix_block_busiest(benchmark::State& state) {
    std::vector<uint8_t> bytes = busiest_module();
    xm_load_from_memory(bytes.data(), bytes.size());
    xm_prepare_song(xm_player_state.current_song);
    for (int i = 0; i < 10; ++i) xm_mix_block();
    mix_blocks(state);
}
BENCHMARK(BM_mix_block_busiest);

// Tune n of the magazine, played through its whole pass and on around: the real content's cost.
void BM_mix_block_magazine_tune(benchmark::State& state) {
    const magazine_tune& tune = magazine_tunes[state.range(0)];
    xm_load_from_memory(tune.data, tune.length);
    xm_prepare_song(xm_player_state.current_song);
    mix_blocks(state);
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
