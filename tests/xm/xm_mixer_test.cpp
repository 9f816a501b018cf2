// The mixer: tick placement within blocks, interpolation, loops, ramps and partner voices, voice
// updates.
#include <gtest/gtest.h>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

using xm_mixer = song_test;

// Makes the sample the only one of a ready song (every voice idle at position 0) and starts voice 0 on
// it with the given 32.32 step at a steady left level; the right stays silent.
xm_voice& start_voice(const xmw_sample& s, uint32_t step_int, uint32_t step_frac, int left) {
    xm_song* song = load(basic_module(1, {instrument_with(s)}));
    xm_voice& v = xm_player_state.voices[0];
    v.sample = song ? song->instruments[0].samples[0] : nullptr;
    v.step_int = step_int;
    v.step_frac = step_frac;
    v.left_target = v.last_left_target = left;
    v.left_level = left * 256;
    return v;
}

// Mixes n frames: interleaved stereo, or the left channel only.
std::vector<float> mix_stereo(int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2, 0.0f);
    xm_mix(out.data(), frames);
    return out;
}
std::vector<float> mix_left(int frames) {
    std::vector<float> out = mix_stereo(frames), left;
    for (size_t k = 0; k < out.size(); k += 2) left.push_back(out[k]);
    return left;
}

TEST_F(xm_mixer, ticks_fall_on_exact_frames_across_blocks) {
    static int tick_calls = 0;
    xmw_module m = basic_module(1);
    m.tempo = 1;  // a row per tick
    xm_song* song = load(m);
    ASSERT_NE(song, nullptr);
    song->tick_function = [](xm_song* s) {
        ++tick_calls;
        xm_tick(s);
    };
    tick_calls = 0;
    // After each block of 884 frames: {ticks so far, frames left in the tick, elapsed ms, row in the
    // block's info}. Ticks at frames 0 and 882, then 1764; the ms are truncated per piece (882 frames
    // -> 19 ms, 2 frames -> 0). The ring has two blocks.
    const std::tuple<int, int, uint32_t, int> want[2] = {{2, 880, 19, 1}, {3, 878, 38, 2}};
    for (int b = 0; b < 2; ++b) {
        xm_mix_block();
        EXPECT_EQ(std::tuple(tick_calls, song->samples_left_in_tick, song->elapsed_ms,
                             xm_player_state.block_info[static_cast<size_t>(b)].row.load()), want[b]) << b;
    }
    EXPECT_EQ(xm_player_state.write_block, 0);
    for (int b = 0; b < 100; ++b) xm_mix_block();
    EXPECT_EQ(tick_calls, 103);  // frames 0, 882, ... 102 x 882 = 89964 within 102 x 884 = 90168
}

TEST_F(xm_mixer, interpolation_forward_loop_and_sample_end) {
    start_voice(sample16({0, 1000, 3000, 3000}), 0, 0x80000000u, 255);  // half a value per frame
    EXPECT_EQ(mix_stereo(5), (std::vector<float>{0, 0, 500, 0, 1000, 0, 2000, 0, 3000, 0}));

    start_voice(sample16({0, 100, 200, 300}, xmw_loop::forward, 1, 3), 1, 0, 255);
    EXPECT_EQ(mix_left(10), (std::vector<float>{0, 100, 200, 300, 100, 200, 300, 100, 200, 300}));

    xm_voice& v = start_voice(sample16({0, 100, 200, 300}), 1, 0, 255);
    EXPECT_EQ(mix_left(6), (std::vector<float>{0, 100, 200, 300, 0, 0}));
    EXPECT_EQ(v.sample, nullptr);  // the voice stopped at the end
    start_voice(sample16({}), 1, 0, 255);  // a sample of length 0 stops at once, adding nothing
    EXPECT_EQ(mix_left(2), (std::vector<float>{0, 0}));
    EXPECT_EQ(v.sample, nullptr);
}

TEST_F(xm_mixer, pingpong_loops_stay_inside) {
    // A one-value loop at any step, landing exactly on the loop start included, never leaves it.
    for (uint32_t step : {1u, 3u, 1000u}) {
        xm_voice& v = start_voice(sample16({0, 10, 20, 30, 40, 1000, 60, 70}, xmw_loop::pingpong, 5, 1), step,
                                  0x3C000000u, 255);
        v.position_int = 5;
        for (int block = 0; block < 20; ++block) {
            for (float x : mix_left(37)) ASSERT_NEAR(x, 1000.0f, 0.01f) << step;
            ASSERT_EQ(v.position_int, 5u);
            ASSERT_NE(v.sample, nullptr);
        }
    }
    // A longer loop plays forward, then backward through the same values. Backward positions sit one
    // unit below whole values (3 - 2^-32, ...), so they read (almost) the value above; the guard behind
    // the loop repeats its last value.
    start_voice(sample16({0, 100, 200, 300, 400, 500}, xmw_loop::pingpong, 1, 3), 1, 0, 255);
    std::vector<float> left = mix_left(9);
    const float want[9] = {0, 100, 200, 300, 300, 300, 200, 100, 200};
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(left[static_cast<size_t>(k)], want[k], 0.01f) << k;
}

TEST_F(xm_mixer, long_distances_to_the_sample_end) {
    xm_voice& v = start_voice(flat_sample(100000, 500), 0, 1, 255);  // frames to the end beyond 32 bits
    mix_left(884);
    EXPECT_EQ(std::tuple(v.sample != nullptr, v.position_int, v.position_frac), std::tuple(true, 0u, 884u));
    // And a fast voice stops at the sample's end even when its distance is long.
    v.step_int = 40000;
    v.position_int = 100000 - 30000;
    mix_left(10);
    EXPECT_EQ(v.sample, nullptr);
}

TEST_F(xm_mixer, new_note_ramps_old_voice_out_and_partner_in) {
    xmw_module m = basic_module(1, {instrument_with(flat_sample(4000, 8000))});
    m.tempo = 1;
    for (int r = 0; r < 3; ++r) set(m, 0, r, 0, {49, 1, 0, 0, 0});
    xm_song* song = load(m);
    auto& voices = xm_player_state.voices;
    const float steady = 8000.0f * 63 / 255;  // volume 64 targets 63 at the centre panning 128
    song->tick_function(song);
    EXPECT_EQ(channel(0).voice, &voices[0]);
    std::vector<float> left = mix_left(882);
    // Fades in from 0 over 128 frames, then holds.
    EXPECT_EQ(left[0], 0.0f);
    EXPECT_NEAR(left[64], steady / 2, 20.0f);
    EXPECT_FLOAT_EQ(left[200], steady);

    song->tick_function(song);
    EXPECT_EQ(std::tuple(channel(0).voice, voices[0].left_target, voices[32].left_level),
              std::tuple(&voices[32], 0, 0));
    left = mix_left(200);
    // Old down and new up over the same 128 frames: the sum stays near the steady level.
    for (int k = 0; k < 200; k += 16) EXPECT_NEAR(left[static_cast<size_t>(k)], steady, 40.0f) << k;
    EXPECT_EQ(std::tuple(voices[0].left_level, voices[32].left_level), std::tuple(0, 63 * 256));
    song->tick_function(song);  // a third note goes back to voice 0, which is taken over
    EXPECT_EQ(channel(0).voice, &voices[0]);
}

TEST_F(xm_mixer, volume_change_during_a_ramp_restarts_from_the_level_reached) {
    xm_voice& v = start_voice(flat_sample(8000, 10000), 1, 0, 0);
    v.left_target = 255;
    mix_left(64);  // halfway up
    EXPECT_NEAR(v.left_level, 128 * 256, 300);
    v.left_target = 0;
    std::vector<float> left = mix_left(128);
    EXPECT_NEAR(left[0], 10000.0f * 0.5f, 100.0f);  // no jump: goes on from the level reached
    EXPECT_NEAR(left[64], 10000.0f * 0.25f, 100.0f);
    EXPECT_EQ(std::tuple(v.left_level, v.ramp_frames_left), std::tuple(0, 0));
}

TEST_F(xm_mixer, voice_update_volume_panning_and_frequency) {
    xm_song* song = load(basic_module(1, {instrument_with(flat_sample(10, 1))}));
    xm_channel& ch = channel(0);
    xm_voice& v = *ch.voice;
    auto update = [&](uint8_t flags) {
        ch.update_flags = flags;
        xm_update_voice(ch, &xm_null_sample, song);
    };
    ch.volume = ch.volume_envelope.output = 64;
    ch.fadeout = 65536;
    ch.panning = 255;
    ch.panning_envelope.output = 32;
    update(xm_flag_volume | xm_flag_panning);
    EXPECT_EQ(std::tuple(v.volume, v.left_target, v.right_target), std::tuple(127, 127, 0));  // wholly left
    ch.fadeout = 32768;
    song->global_volume = 32;
    update(xm_flag_volume);
    EXPECT_EQ(v.volume, 31);  // 127.5 / 4, truncated

    // Below 100 Hz the step is the 100 Hz step (2^32 x 100 / 44100 = 9739154 a frame); a zero period leaves
    // the frequency as it was. Far below the table the frequency is bounded instead of overflowing.
    song->flags = 0;
    for (int32_t period : {1000000, 0}) {
        ch.period = period;
        update(xm_flag_frequency);
        EXPECT_EQ(std::tuple(v.step_int, v.step_frac), std::tuple(0u, 9739154u)) << period;
    }
    song->flags = 1;
    ch.period = -(1 << 24);
    update(xm_flag_frequency);
    EXPECT_GT(v.step_int, 40000u);
}

}  // namespace
