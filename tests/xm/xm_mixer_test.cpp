// The mixer: tick placement within blocks, interpolation, loops, ramps and partner voices, voice
// updates, PCM conversion, and the fast mixing loop against the plain one.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

struct xm_mixer : ::testing::Test {
    void TearDown() override {
        xm_player_state.mix_plain_only = false;
        xm_free();
    }
};

// A song whose only sample is the given one; the mixer is ready and every voice is idle.
const xm_sample* ready(const xmw_sample& s) {
    xm_song* song = load(basic_module(1, {instrument_with(s)}));
    return song ? song->instruments[0].samples[0] : nullptr;
}

void start_voice(xm_voice& v, const xm_sample* s, uint32_t step_int, uint32_t step_frac, int left, int right) {
    v.sample = s;
    v.position_int = 0;
    v.position_frac = 0;
    v.direction = 1;
    v.step_int = step_int;
    v.step_frac = step_frac;
    v.left_target = v.last_left_target = left;
    v.right_target = v.last_right_target = right;
    v.left_level = left * 256;
    v.right_level = right * 256;
    v.ramp_frames_left = 0;
}

std::vector<float> mix(int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2, 0.0f);
    xm_mix(out.data(), frames);
    return out;
}

TEST_F(xm_mixer, pcm_conversion_rounds_and_clips) {
    const float in[8] = {40000.0f, -40000.0f, 1.5f, 2.5f, -0.5f, -1.5f, 32767.4f, -32768.6f};
    int16_t out[8];
    xm_to_pcm16(out, in, 4);
    const int16_t want[8] = {32767, -32768, 2, 2, 0, -2, 32767, -32768};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], want[i]) << i;
}

TEST_F(xm_mixer, ticks_fall_on_exact_frames_across_blocks) {
    static int tick_calls = 0;
    xm_song* song = load(basic_module(1));
    ASSERT_NE(song, nullptr);
    song->tick_function = [](xm_song*) { ++tick_calls; };
    tick_calls = 0;
    const auto& st = xm_player_state;
    EXPECT_EQ(st.block_frames, 884);
    EXPECT_EQ(st.ring_frames, 1768);
    EXPECT_EQ(st.blocks, 2);
    EXPECT_EQ(st.ramp_frames, 128);
    xm_mix_block();  // ticks at frames 0 and 882
    EXPECT_EQ(tick_calls, 2);
    EXPECT_EQ(song->samples_left_in_tick, 880);
    EXPECT_EQ(song->elapsed_ms, 19u);  // truncated per piece: 882 frames -> 19 ms, 2 frames -> 0
    EXPECT_EQ(st.write_block, 1);
    xm_mix_block();  // tick at frame 1764
    EXPECT_EQ(tick_calls, 3);
    EXPECT_EQ(song->samples_left_in_tick, 878);
    EXPECT_EQ(song->elapsed_ms, 38u);
    EXPECT_EQ(st.write_block, 0);
    for (int b = 0; b < 100; ++b) xm_mix_block();
    EXPECT_EQ(tick_calls, (102 * 884 - 1) / 882 + 1);
}

TEST_F(xm_mixer, block_info_records_position_after_the_last_tick) {
    xmw_module m = basic_module(1);
    m.tempo = 1;
    m.patterns[0].rows = 8;
    xm_song* song = load(m);
    xm_mix_block();
    xm_mix_block();
    EXPECT_EQ(xm_player_state.block_info[0].row.load(), 1);  // ticks at 0 and 882: rows 0, 1
    EXPECT_EQ(xm_player_state.block_info[1].row.load(), 2);
    EXPECT_EQ(xm_player_state.block_info[1].elapsed_ms.load(), song->elapsed_ms);
}

TEST_F(xm_mixer, interpolates_between_values) {
    xmw_sample s;
    s.sixteen_bit = true;
    s.data = {0, 1000, 3000, 3000, 3000, 3000, 3000, 3000};
    const xm_sample* smp = ready(s);
    start_voice(xm_player_state.voices[0], smp, 0, 0x80000000u, 255, 0);  // half a value per frame
    std::vector<float> out = mix(5);
    const float want[5] = {0.0f, 500.0f, 1000.0f, 2000.0f, 3000.0f};
    for (int k = 0; k < 5; ++k) {
        EXPECT_FLOAT_EQ(out[2 * k], want[k]) << k;
        EXPECT_EQ(out[2 * k + 1], 0.0f);
    }
}

TEST_F(xm_mixer, forward_loop_and_sample_end) {
    xmw_sample s;
    s.sixteen_bit = true;
    s.data = {0, 100, 200, 300};
    s.loop = xmw_loop::forward;
    s.loop_start = 1;
    s.loop_length = 3;
    const xm_sample* looped = ready(s);
    start_voice(xm_player_state.voices[0], looped, 1, 0, 255, 255);
    std::vector<float> out = mix(10);
    const float want[10] = {0, 100, 200, 300, 100, 200, 300, 100, 200, 300};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(out[2 * k], want[k]) << k;
    xm_free();

    s.loop = xmw_loop::none;
    const xm_sample* once = ready(s);
    start_voice(xm_player_state.voices[0], once, 1, 0, 255, 255);
    out = mix(6);
    EXPECT_EQ(out[6], 300.0f);
    EXPECT_EQ(out[8], 0.0f);
    EXPECT_EQ(xm_player_state.voices[0].sample, nullptr);  // the voice stopped at the end
}

TEST_F(xm_mixer, pingpong_loops_stay_inside) {
    xmw_sample s;
    s.sixteen_bit = true;
    s.data = {0, 10, 20, 30, 40, 1000, 60, 70};
    s.loop = xmw_loop::pingpong;
    s.loop_start = 5;
    s.loop_length = 1;
    const xm_sample* smp = ready(s);
    for (uint32_t step : {1u, 3u, 1000u}) {
        xm_voice& v = xm_player_state.voices[0];
        start_voice(v, smp, step, 0x3C000000u, 255, 0);
        v.position_int = 5;
        for (int block = 0; block < 20; ++block) {
            std::vector<float> out = mix(37);
            for (int k = 0; k < 37; ++k) ASSERT_NEAR(out[2 * k], 1000.0f, 0.01f) << step << " " << k;
            ASSERT_EQ(v.position_int, 5u);
            ASSERT_NE(v.sample, nullptr);
        }
    }

    // A longer loop plays forward, then backward through the same values.
    xm_free();
    s.data = {0, 100, 200, 300, 400, 500};
    s.loop_start = 1;
    s.loop_length = 3;
    smp = ready(s);
    start_voice(xm_player_state.voices[0], smp, 1, 0, 255, 0);
    std::vector<float> out = mix(12);
    std::vector<float> left;
    for (int k = 0; k < 12; ++k) left.push_back(out[2 * k]);
    // Backward positions sit one unit below whole values (3 - 2^-32, 2 - 2^-32, ...), so they read
    // (almost) the value above; the guard behind the loop repeats its last value.
    const float want[9] = {0, 100, 200, 300, 300, 300, 200, 100, 200};
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(left[static_cast<size_t>(k)], want[k], 0.01f) << k;
}

TEST_F(xm_mixer, slow_steps_on_long_samples_do_not_end_early) {
    const xm_sample* smp = ready(flat_sample(100000, 500));
    xm_voice& v = xm_player_state.voices[0];
    start_voice(v, smp, 0, 1, 255, 255);  // frames to the end far beyond 32 bits
    mix(884);
    EXPECT_NE(v.sample, nullptr);
    EXPECT_EQ(v.position_int, 0u);
    EXPECT_EQ(v.position_frac, 884u);
    // And a fast voice stops at the sample's end even when its distance is long.
    start_voice(v, smp, 40000, 0, 255, 255);
    v.position_int = 100000 - 30000;
    mix(10);
    EXPECT_EQ(v.sample, nullptr);
}

TEST_F(xm_mixer, new_note_ramps_old_voice_out_and_partner_in) {
    xmw_module m = basic_module(1, {instrument_with(flat_sample(4000, 8000))});
    m.tempo = 1;
    m.patterns[0].rows = 4;
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    set(m, 0, 1, 0, {49, 1, 0, 0, 0});
    set(m, 0, 2, 0, {49, 1, 0, 0, 0});
    xm_song* song = load(m);
    auto& voices = xm_player_state.voices;
    song->tick_function(song);
    EXPECT_EQ(channel(0).voice, &voices[0]);
    std::vector<float> out = mix(882);
    // Fades in from 0 over 128 frames, then holds volume 64 (targets 63 at the centre panning 128).
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_NEAR(out[2 * 64], 8000.0f * 63 / 255 / 2, 20.0f);
    EXPECT_FLOAT_EQ(out[2 * 200], 8000.0f * 63 / 255);
    EXPECT_EQ(voices[0].left_level, 63 * 256);

    song->tick_function(song);
    EXPECT_EQ(channel(0).voice, &voices[32]);
    EXPECT_EQ(voices[0].left_target, 0);
    EXPECT_NE(voices[0].sample, nullptr);
    EXPECT_EQ(voices[32].left_level, 0);
    out = mix(200);
    // Old down and new up over the same 128 frames: the sum stays near the steady level.
    for (int k = 0; k < 200; k += 16) EXPECT_NEAR(out[2 * k], 8000.0f * 63 / 255, 40.0f) << k;
    EXPECT_EQ(voices[0].left_level, 0);
    EXPECT_EQ(voices[32].left_level, 63 * 256);

    // A third note goes back to voice 0, which is taken over.
    song->tick_function(song);
    EXPECT_EQ(channel(0).voice, &voices[0]);
}

TEST_F(xm_mixer, volume_change_during_a_ramp_restarts_from_the_level_reached) {
    const xm_sample* smp = ready(flat_sample(8000, 10000));
    xm_voice& v = xm_player_state.voices[0];
    start_voice(v, smp, 1, 0, 0, 0);
    v.left_target = 255;
    mix(64);  // halfway up
    EXPECT_NEAR(v.left_level, 128 * 256, 300);
    v.left_target = 0;
    std::vector<float> out = mix(128);
    EXPECT_NEAR(out[0], 10000.0f * 0.5f, 100.0f);  // no jump: goes on from the level reached
    EXPECT_NEAR(out[2 * 64], 10000.0f * 0.25f, 100.0f);
    EXPECT_EQ(v.left_level, 0);
    EXPECT_EQ(v.ramp_frames_left, 0);
}

TEST_F(xm_mixer, voice_update_volume_panning_and_frequency) {
    xm_song* song = load(basic_module(1, {instrument_with(flat_sample(10, 1))}));
    xm_channel& ch = channel(0);
    xm_voice& v = *ch.voice;
    ch.volume = 64;
    ch.volume_envelope.output = 64;
    ch.fadeout = 65536;
    ch.panning = 255;
    ch.panning_envelope.output = 32;
    ch.period = 4608;
    ch.update_flags = xm_flag_volume | xm_flag_panning | xm_flag_frequency;
    xm_update_voice(ch, &xm_null_sample, song);
    EXPECT_EQ(v.volume, 127);
    EXPECT_EQ(v.left_target, 127);  // panning 255: wholly left
    EXPECT_EQ(v.right_target, 0);

    ch.panning = 128;
    ch.panning_envelope.output = 64;  // 128 + 4 x 32: clamped to 255
    ch.update_flags = xm_flag_panning;
    xm_update_voice(ch, &xm_null_sample, song);
    EXPECT_EQ(v.panning, 255);

    ch.fadeout = 32768;
    song->global_volume = 32;
    ch.update_flags = xm_flag_volume;
    xm_update_voice(ch, &xm_null_sample, song);
    EXPECT_EQ(v.volume, 31);  // 127.5 / 4, truncated

    // Below 100 Hz the step is the 100 Hz step; a zero period leaves the frequency as it was.
    song->flags = 0;
    ch.period = 1000000;
    ch.update_flags = xm_flag_frequency;
    xm_update_voice(ch, &xm_null_sample, song);
    EXPECT_EQ(v.step_frac, static_cast<uint32_t>((uint64_t{100} << 32) / 44100));
    ch.period = 0;
    ch.update_flags = xm_flag_frequency;
    xm_update_voice(ch, &xm_null_sample, song);
    EXPECT_EQ(v.step_frac, static_cast<uint32_t>((uint64_t{100} << 32) / 44100));
    // Far below the table the frequency is bounded instead of overflowing.
    song->flags = 1;
    ch.period = -(1 << 24);
    ch.update_flags = xm_flag_frequency;
    xm_update_voice(ch, &xm_null_sample, song);
    EXPECT_EQ(v.step_int, 2147483647u / 44100);
}

TEST_F(xm_mixer, fast_loop_matches_plain_loop) {
    // Eight channels of loops of every kind, notes every few rows, portamento and vibrato.
    xmw_sample fwd = sine_sample(37, 12000);
    xmw_sample pp = sine_sample(50, 9000);
    pp.loop = xmw_loop::pingpong;
    pp.loop_start = 10;
    pp.loop_length = 29;
    xmw_sample once = flat_sample(3000, -7000, false);
    std::vector<xmw_instrument> insts = {instrument_with(fwd), instrument_with(pp), instrument_with(once)};
    xmw_module m = basic_module(8, insts);
    m.tempo = 3;
    for (int r = 0; r < 64; r += 3)
        for (int c = 0; c < 8; ++c)
            set(m, 0, r, c, {static_cast<uint8_t>(30 + (r + 7 * c) % 50), static_cast<uint8_t>(1 + (r + c) % 3),
                             static_cast<uint8_t>(0x20 + c * 4), static_cast<uint8_t>(c % 2 ? 4 : 1),
                             static_cast<uint8_t>(c % 2 ? 0x46 : 0x03)});
    std::vector<uint8_t> bytes = xmw_build(m);
    std::vector<std::vector<int16_t>> renders;
    for (bool plain : {true, false}) {
        xm_player_state.mix_plain_only = plain;
        ASSERT_EQ(xm_load_from_memory(bytes.data(), bytes.size()), 1);
        xm_prepare_song(xm_player_state.current_song);
        std::vector<int16_t> pcm;
        for (int b = 0; b < 200; ++b) {
            const int16_t* block = xm_player_state.ring.data() + xm_player_state.write_block * 884 * 2;
            xm_mix_block();
            pcm.insert(pcm.end(), block, block + 884 * 2);
        }
        renders.push_back(pcm);
        xm_free();
    }
    ASSERT_EQ(renders[0].size(), renders[1].size());
    EXPECT_TRUE(renders[0] == renders[1]);
    size_t loud = 0;
    for (int16_t v : renders[1]) loud += (v > 1000 || v < -1000);
    EXPECT_GT(loud, renders[1].size() / 4);  // it really made sound
}

}  // namespace
