// Intro costs: one whole scene frame (tables, bars, stars, title lines, scroller, background), its
// layers one by one, and the title glyphs drawn from the ink masks.
#include <benchmark/benchmark.h>

#include "intro/intro.h"
#include "platform/system.h"
#include "render/framebuffer.h"

namespace {

// A scene in motion: font and texts built, stars scattered, the scroller on a line of letters.
void set_scene() {
    build_big_font();
    build_intro_texts();
    random_seed(1);
    init_stars();
    intro_state.scroll_index = 160;
    intro_state.scroll_position = -10.0;
    intro_state.pause_deadline = -1.0;
    intro_state.step = 4.4;
    intro_state.phase = 10.0;
}

// The loop's drawing in its order, and the phase moving as at 57 frames a second.
void scene_frame() {
    draw_blue_bars();
    update_intro_tables();
    draw_stars();
    draw_intro_lines();
    draw_scroller();
    draw_intro_background();
    intro_state.phase += 0.88;
    if (intro_state.scroll_index > 400) intro_state.scroll_index = 160;
}

}  // namespace

static void BM_IntroFrame(benchmark::State& state) {
    set_scene();
    for (auto _ : state) {
        scene_frame();
        benchmark::DoNotOptimize(framebuffer.data());
    }
}
BENCHMARK(BM_IntroFrame)->Unit(benchmark::kMicrosecond);

static void BM_IntroLayers(benchmark::State& state) {
    set_scene();
    const auto layer = state.range(0);
    for (auto _ : state) {
        switch (layer) {
            case 0: draw_intro_background(); break;
            case 1: draw_blue_bars(); break;
            case 2: update_intro_tables(); break;
            case 3: draw_stars(); break;
            case 4: draw_intro_lines(); break;
            default: draw_scroller(); break;
        }
        benchmark::DoNotOptimize(framebuffer.data());
    }
    state.SetLabel(std::array{"background", "bars", "tables", "stars", "lines", "scroller"}[static_cast<size_t>(layer)]);
}
BENCHMARK(BM_IntroLayers)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

static void BM_TitleGlyphs(benchmark::State& state) {
    set_scene();
    update_intro_tables();
    for (auto _ : state) {
        for (int32_t i = 0; i < 23; ++i) draw_big_glyph(big_glyph_column(static_cast<char>('A' + i)), 32 + 32 * i, 200);
        benchmark::DoNotOptimize(framebuffer.data());
    }
}
BENCHMARK(BM_TitleGlyphs)->Unit(benchmark::kMicrosecond);
