// The fast mixing loops (baseline and AVX2 builds) and the fast PCM conversion held equal, sample for
// sample, to the plain per-frame loop and conversion, on a module that runs every kind of voice; the
// conversion's rounding and clipping by hand.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/xm/xm_test_modules.h"
#include "xm/xm_mix_kernels.h"

using namespace xm_test;

namespace {

enum class mixer { plain, baseline, best };

struct xm_mix_fast : ::testing::Test {
    void TearDown() override {
        xm_player_state.mix_plain_only = false;
        xm_player_state.mix_baseline_only = false;
        xm_free();
    }
};

std::vector<int16_t> render(const std::vector<uint8_t>& bytes, int blocks, mixer m) {
    xm_player_state.mix_plain_only = m == mixer::plain;
    xm_player_state.mix_baseline_only = m == mixer::baseline;
    return render_blocks(bytes, blocks);  // the fixture turns the switches off again
}

// Where two renderings part (the length of the first when they agree), for a readable failure.
size_t first_difference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    return static_cast<size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}

// Every kind of voice on 32 channels: 16- and 8-bit samples looped forward, ping-pong (with loops of 1
// and 2 values) and not at all, an empty sample; pitches from far below a value per frame (interpolation)
// to several values per frame, glides, vibrato, offsets, volume slides (ramps), cuts and silent notes,
// key-offs with fadeout, and partner voices taking over on every new note.
xmw_module every_case_module() {
    std::vector<xmw_instrument> instruments;
    auto add = [&](xmw_sample s, bool sixteen) {
        if (!sixteen) {
            s.sixteen_bit = false;
            for (int16_t& v : s.data) v = static_cast<int16_t>(v / 256);
        }
        xmw_instrument inst = instrument_with(s);
        inst.fadeout = 2000;
        instruments.push_back(inst);
    };
    const std::vector<int16_t> wave = sine_sample(173, 20000).data;
    for (bool sixteen : {true, false}) {
        add(sample16(wave, xmw_loop::forward, 20, 150), sixteen);
        add(sample16(wave, xmw_loop::pingpong, 31, 97), sixteen);
        add(sample16(wave, xmw_loop::none), sixteen);
    }
    add(sample16(wave, xmw_loop::pingpong, 60, 1), true);
    add(sample16(wave, xmw_loop::pingpong, 60, 2), false);
    add(sample16({}), true);
    xmw_module m = basic_module(32, instruments);
    m.tempo = 3;
    m.bpm = 133;  // ticks fall at changing places in the blocks
    m.patterns.resize(2);
    m.orders = {0, 1};
    const uint8_t effects[][2] = {{0x00, 0x00}, {0x0A, 0x0F}, {0x0A, 0xF0}, {0x01, 0x08}, {0x02, 0x06},
                                  {0x04, 0x8F}, {0x03, 0x10}, {0x09, 0x02}, {0x0E, 0xC1}, {0x07, 0x4C}};
    for (int p = 0; p < 2; ++p) {
        for (int r = 0; r < 64; ++r) {
            for (int c = 0; c < 32; ++c) {
                if (c == 31) continue;  // one channel never plays
                xmw_cell cell;
                const int every = 2 + c % 5;
                if (r % every == 0) {
                    cell.note = static_cast<uint8_t>(10 + (c * 7 + r * 5 + p * 11) % 86);  // up to note 95
                    cell.instrument = static_cast<uint8_t>(1 + (c + r / every + p) % 9);
                    cell.volume = static_cast<uint8_t>((c + r) % 11 == 0 ? 0x10 : 0x18 + (c * 3 + r) % 40);
                } else if (r % every == every - 1 && c % 4 == 3) {
                    cell.note = 97;  // key-off: fades out
                }
                const auto& e = effects[(c + r / 8 + p) % std::size(effects)];
                cell.effect = e[0];
                cell.param = e[1];
                set(m, p, r, c, cell);
            }
        }
    }
    return m;
}

TEST_F(xm_mix_fast, every_kind_of_voice_mixes_the_same_in_every_build) {
    const std::vector<uint8_t> bytes = xmw_build(every_case_module());
    const int blocks = 2 * 64 * 3 * 829 / 884 + 40;  // both patterns (829-frame ticks) and into the repeat
    const std::vector<int16_t> plain = render(bytes, blocks, mixer::plain);
    ASSERT_EQ(plain.size(), static_cast<size_t>(blocks) * 884 * 2);
    size_t loud = 0, clipped = 0;
    for (int16_t v : plain) {
        loud += v > 2000 || v < -2000;
        clipped += v == 32767 || v == -32768;
    }
    EXPECT_GT(loud, plain.size() / 4);  // it really sounds
    EXPECT_GT(clipped, 0u);             // and drives the conversion into its clipping
    const std::vector<int16_t> baseline = render(bytes, blocks, mixer::baseline);
    EXPECT_EQ(first_difference(plain, baseline), plain.size()) << "baseline build";
    if (xm_avx2_kernels_available()) {
        const std::vector<int16_t> best = render(bytes, blocks, mixer::best);
        EXPECT_EQ(first_difference(plain, best), plain.size()) << "AVX2 build";
    }
}

TEST_F(xm_mix_fast, pcm_conversion_rounds_clips_and_matches_the_plain_one) {
    // Halves to even, the clipping edges, far out of range, and a length that leaves a tail.
    std::vector<float> in = {40000.0f, -40000.0f, 1.5f,  2.5f,  -0.5f,    -1.5f,     32767.4f, -32768.6f,
                             32767.5f, -32768.5f, 1e9f,  -1e9f, 0.49999f, -2.5f,     -0.0f,    12345.5f,
                             3e38f,    -3e38f,    7.5f,  -32767.5f, 32766.5f, 100.25f};
    for (int i = 0; i < 200; ++i) in.push_back(static_cast<float>(i * i) * 1.37f - 20000.0f);
    const auto frames = static_cast<int32_t>(in.size() / 2);
    std::vector<int16_t> plain(in.size()), fast(in.size(), 0x5555);
    xm_to_pcm16(plain.data(), in.data(), frames);
    xm_to_pcm16_fast(fast.data(), in.data(), frames);
    EXPECT_EQ(std::vector<int16_t>(plain.begin(), plain.begin() + 8),
              (std::vector<int16_t>{32767, -32768, 2, 2, 0, -2, 32767, -32768}));
    EXPECT_EQ(plain, fast);
}

}  // namespace
