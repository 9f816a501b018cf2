// Magazine speed with the content: one frame, load_page of the longest page, start-up to the
// first presented frame (headless backend).
#include <benchmark/benchmark.h>

#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "render/display.h"
#include "render/framebuffer.h"
#include "shell/magazine/content_store.h"
#include "shell/frame_loop.h"
#include "shell/main_sequence.h"
#include "shell/magazine/pointer.h"
#include "shell/magazine/shell_state.h"
#include "viewer/frame_body.h"
#include "viewer/skins_music.h"
#include "xm/xm_player.h"

namespace {

void prepare_magazine() {
    headless_reset();
    headless_audio_reset();
    magazine_start_up();
    render_skin_backgrounds(0, 0, 799, 599, 0, 0);
}

// A busy frame: page 4 in the middle of a scroll, with the pointer over the menu.
void BM_MagazineFrame(benchmark::State& state) {
    prepare_magazine();
    load_page(4);
    shell_state.top_line = 400;
    shell_state.fine_offset = 6;
    shell_state.mouse_x = 300;
    shell_state.mouse_y = 80;
    for (auto _ : state) {
        draw_frame_body();
        draw_pointer(shell_state.mouse_x, shell_state.mouse_y);
        benchmark::DoNotOptimize(framebuffer.data());
    }
}
BENCHMARK(BM_MagazineFrame)->Unit(benchmark::kMicrosecond);

void BM_LoadPage4(benchmark::State& state) {
    prepare_magazine();
    for (auto _ : state) {
        load_page(4);
        benchmark::DoNotOptimize(content_store.view_char.data());
    }
}
BENCHMARK(BM_LoadPage4)->Unit(benchmark::kMicrosecond);

// From nothing to the first presented magazine frame: every table, the display, tune 1, one pass.
void BM_StartUpToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        display_state = display_state_t{};
        headless_reset();
        headless_audio_reset();
        magazine_start_up();
        display_set_close_on_escape(0);
        display_open("bench", 800, 600);
        magazine_enter();
        magazine_pass();
        state.PauseTiming();
        xm_stop();
        xm_free();
        display_close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond);

}  // namespace
