// Speed of the SID player: one 20 ms frame (play routine and 882 samples) of a busy three-voice tune
// with the filter on, reported as multiples of real time.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

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

}  // namespace
