// Rendering costs: a full-screen translucent box, a full page of band glyphs, and the present's row
// conversion for every surface format against a memcpy of the same 1.92 MB.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "render/draw.h"
#include "render/framebuffer.h"
#include "render/pixel_convert.h"
#include "render/text.h"

static void BM_BlendBoxFullScreen(benchmark::State& state) {
    clear_framebuffer(0x203040);
    for (auto _ : state) {
        blend_box(0, 0, 799, 599, 80, 100, 150, 250);
        benchmark::DoNotOptimize(framebuffer.data());
    }
}
BENCHMARK(BM_BlendBoxFullScreen);

static void BM_TextPage33x81(benchmark::State& state) {
    build_glyph_colours();
    const char* line = "The quick brown fox jumps over the lazy dog. 0123456789 (Charts) [Groups] {Yearly}  ";
    for (auto _ : state) {
        for (int row = 0; row < 33; ++row)
            for (int col = 0; col < 81; ++col)
                draw_glyph_band(std::string_view(line + (row + col) % 80, 1), 40 + col * 9, 190 + row * 12,
                                1 + (row & 1), 1 + (col % 30));
        benchmark::DoNotOptimize(framebuffer.data());
    }
}
BENCHMARK(BM_TextPage33x81)->Unit(benchmark::kMicrosecond);

static void BM_Memcpy1920000(benchmark::State& state) {
    std::vector<uint8_t> dst(800 * 600 * 4);
    for (auto _ : state) {
        std::memcpy(dst.data(), framebuffer.data(), dst.size());
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1920000);
}
BENCHMARK(BM_Memcpy1920000)->Unit(benchmark::kMicrosecond);

static void BM_PresentConversion(benchmark::State& state) {
    const auto layout = static_cast<surface_layout>(state.range(0));
    const row_converter convert = fast_row_converter(layout);
    const int pitch = 800 * surface_pixel_bytes(layout);
    std::vector<uint8_t> surface(static_cast<size_t>(pitch) * 600);
    for (size_t i = 0; i < framebuffer.size(); ++i) framebuffer[i] = static_cast<uint32_t>(i * 2654435761u);
    for (auto _ : state) {
        for (int y = 0; y < 600; ++y) convert(&framebuffer[static_cast<size_t>(y) * 800], &surface[y * pitch], 800);
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1920000);
    static const char* names[] = {"xrgb32", "xbgr32", "bgr24", "rgb24", "rgb565", "bgr565", "rgb555", "bgr555"};
    state.SetLabel(names[state.range(0)]);
}
BENCHMARK(BM_PresentConversion)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);
