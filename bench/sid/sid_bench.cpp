// Speed of the SID player: one 20 ms frame (play routine and 882 samples) of a busy three-voice tune
// with the filter on, and of the intro's heaviest tunes, reported as multiples of real time.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "content/tunes/intro_tune_data.h"
#include "sid/sid.h"
#include "tools/sidtunes/sidtunes.h"

namespace {

std::unique_ptr<sid_machine> busy_machine() {
    auto m = std::make_unique<sid_machine>();
    const std::vector<uint8_t> tune = sidtune_busy();
    machine_init(*m, 44100);
    psid_load(*m, tune.data(), static_cast<uint16_t>(tune.size()));
    psid_select_song(*m, 0);
    return m;
}

void report_real_time(benchmark::State& state) {
    state.counters["x_real_time"] =
        benchmark::Counter(0.02 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void psid_render_frame_busy(benchmark::State& state) {
    auto m = busy_machine();
    std::vector<int16_t> out(882);
    for (auto _ : state) {
        psid_render_frame(*m, out.data(), 882);
        benchmark::DoNotOptimize(out.data());
    }
    report_real_time(state);
}
BENCHMARK(psid_render_frame_busy);

// The synthesis alone, without the play routine.
void sid_render_busy(benchmark::State& state) {
    auto m = busy_machine();
    std::vector<int16_t> out(882);
    for (int i = 0; i < 50; ++i) psid_render_frame(*m, out.data(), 882);
    for (auto _ : state) {
        sid_render(*m, out.data(), 882);
        benchmark::DoNotOptimize(out.data());
    }
    report_real_time(state);
}
BENCHMARK(sid_render_busy);

// An intro tune from its tenth second on, played frame after frame as the stream does: file 7 (drums
// on the sample channel, hard sync, ring modulation) and file 4's twelfth song (the intro's tune 4).
void psid_render_frame_intro(benchmark::State& state) {
    const int file = static_cast<int>(state.range(0));
    const intro_tune_file& f = intro_tune_files[file];
    auto m = std::make_unique<sid_machine>();
    machine_init(*m, 44100);
    psid_load(*m, f.data, static_cast<uint16_t>(f.length));
    psid_select_song(*m, static_cast<uint8_t>(state.range(1)));
    std::vector<int16_t> out(882);
    for (int i = 0; i < 500; ++i) psid_render_frame(*m, out.data(), 882);
    for (auto _ : state) {
        psid_render_frame(*m, out.data(), 882);
        benchmark::DoNotOptimize(out.data());
    }
    report_real_time(state);
}
BENCHMARK(psid_render_frame_intro)->Args({7, 0})->Args({4, 11});

}  // namespace
