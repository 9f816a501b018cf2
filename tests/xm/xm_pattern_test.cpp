// The pattern player, effect by effect, against hand-worked periods, volumes and song positions.
#include <gtest/gtest.h>

#include <utility>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

struct xm_pattern_player : ::testing::Test {
    void TearDown() override { xm_free(); }
};

// A one-channel module with one flat 16-bit sample of volume 40 and the given speed.
xmw_module one_channel(uint16_t speed, int rows = 64) {
    xmw_sample s = flat_sample(2000, 1000);
    s.volume = 40;
    s.loop = xmw_loop::forward;
    s.loop_start = 0;
    s.loop_length = 2000;
    xmw_module m = basic_module(1, {instrument_with(s)});
    m.tempo = speed;
    m.patterns[0].rows = static_cast<uint16_t>(rows);
    return m;
}

// (order, row) at every row tick of the next n rows.
std::vector<std::pair<int, int>> walk(xm_song* song, int rows) {
    std::vector<std::pair<int, int>> seen;
    while (static_cast<int>(seen.size()) < rows) {
        bool row_tick = song->tick_counter == 0;
        song->tick_function(song);
        if (row_tick) seen.emplace_back(song->order_position, song->row);
    }
    return seen;
}

using positions = std::vector<std::pair<int, int>>;

TEST_F(xm_pattern_player, amiga_and_linear_periods) {
    EXPECT_EQ(xm_amiga_period(48, 0), 1712);
    EXPECT_EQ(xm_amiga_period(48, -128), 1813);  // a whole semitone down
    EXPECT_EQ(xm_amiga_period(48, 64), 1664);
    EXPECT_EQ(xm_amiga_period(60, 0), 856);
    EXPECT_EQ(xm_amiga_period(0, -50), xm_amiga_period(0, -50));  // note 0 has no lower neighbour
    EXPECT_EQ(xm_amiga_period(0, 0), 27392);

    for (bool linear : {true, false}) {
        xmw_module m = one_channel(6);
        m.linear = linear;
        set(m, 0, 0, 0, {49, 1, 0, 0, 0});
        xm_song* song = load(m);
        ticks(song, 1);
        xm_voice& v = *channel(0).voice;
        if (linear) {
            EXPECT_EQ(channel(0).period, 4608);
            EXPECT_EQ(v.step_frac, static_cast<uint32_t>((uint64_t{8363} << 32) / 44100));  // 8363 Hz
        } else {
            EXPECT_EQ(channel(0).period, 1712);
            EXPECT_EQ(v.step_frac, static_cast<uint32_t>((uint64_t{14317056 / 1712} << 32) / 44100));
        }
        EXPECT_EQ(v.step_int, 0u);
        xm_free();
    }
}

TEST_F(xm_pattern_player, song_positions_with_break_jump_and_restart) {
    // Three orders of 4-row patterns; D on the last order goes to order 0, the row it names.
    xmw_module m = one_channel(1, 4);
    m.channels = 3;
    m.patterns.resize(3);
    for (auto& p : m.patterns) p.rows = 4;
    m.orders = {0, 1, 2};
    m.restart = 1;
    set(m, 2, 1, 0, {0, 0, 0, 0x0D, 0x02});
    xm_song* song = load(m);
    EXPECT_EQ(walk(song, 11), (positions{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3},
                                         {2, 0}, {2, 1}, {0, 2}}));
    xm_free();

    // Without D the end of the last pattern goes on at the restart position.
    m.patterns[2].cells.clear();
    song = load(m);
    positions p = walk(song, 14);
    EXPECT_EQ(p[12], (std::pair<int, int>{1, 0}));
    xm_free();

    // B on channel 0 and D on channel 2: B's order, D's row. D first and B later: row 0 of B's order.
    m.patterns[2].cells.clear();
    set(m, 0, 0, 0, {0, 0, 0, 0x0B, 2});
    set(m, 0, 0, 2, {0, 0, 0, 0x0D, 0x03});
    song = load(m);
    EXPECT_EQ(walk(song, 2), (positions{{0, 0}, {2, 3}}));
    xm_free();
    m.patterns[0].cells.clear();
    set(m, 0, 0, 0, {0, 0, 0, 0x0D, 0x03});
    set(m, 0, 0, 2, {0, 0, 0, 0x0B, 2});
    song = load(m);
    EXPECT_EQ(walk(song, 2), (positions{{0, 0}, {2, 0}}));
    xm_free();

    // A D row past the pattern's end starts it at the top; B past the song length and D above 63 give 0.
    m.patterns[0].cells.clear();
    set(m, 0, 0, 0, {0, 0, 0, 0x0D, 0x12});
    set(m, 1, 0, 0, {0, 0, 0, 0x0B, 9});
    set(m, 1, 0, 2, {0, 0, 0, 0x0D, 0x99});
    song = load(m);
    EXPECT_EQ(walk(song, 4), (positions{{0, 0}, {1, 0}, {0, 0}, {1, 0}}));
}

TEST_F(xm_pattern_player, odd_song_shapes_have_a_defined_walk) {
    // A restart position beyond the song restarts at 0; a pattern of 0 rows plays as one empty row.
    xmw_module m = one_channel(1, 2);
    m.patterns.resize(2);
    m.patterns[1].rows = 0;
    m.orders = {0, 1};
    m.restart = 7;
    xm_song* song = load(m);
    EXPECT_EQ(walk(song, 5), (positions{{0, 0}, {0, 1}, {1, 0}, {0, 0}, {0, 1}}));
    xm_free();
    // No orders at all: order 0 names a pattern that is not there, which plays 64 empty rows.
    m.orders.clear();
    m.patterns.clear();
    song = load(m);
    positions p = walk(song, 66);
    EXPECT_EQ(p[63], (std::pair<int, int>{0, 63}));
    EXPECT_EQ(p[64], (std::pair<int, int>{0, 0}));
}

TEST_F(xm_pattern_player, pattern_loop_and_delay) {
    xmw_module m = one_channel(1, 8);
    set(m, 0, 2, 0, {0, 0, 0, 0x0E, 0x60});
    set(m, 0, 4, 0, {0, 0, 0, 0x0E, 0x61});
    xm_song* song = load(m);
    positions p = walk(song, 9);
    std::vector<int> rows;
    for (auto& [o, r] : p) rows.push_back(r);
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 4, 2, 3, 4, 5}));
    xm_free();

    // EE2 at speed 3: the row lasts 3 + 2 x 3 ticks.
    xmw_module d = one_channel(3, 8);
    set(d, 0, 1, 0, {0, 0, 0, 0x0E, 0xE2});
    song = load(d);
    ticks(song, 3);
    EXPECT_EQ(song->row, 0);
    ticks(song, 1);
    EXPECT_EQ(song->row, 1);
    ticks(song, 8);
    EXPECT_EQ(song->row, 1);
    ticks(song, 1);
    EXPECT_EQ(song->row, 2);
}

TEST_F(xm_pattern_player, speed_and_tempo) {
    xmw_module m = one_channel(6, 4);
    set(m, 0, 0, 0, {0, 0, 0, 0x0F, 0x1F});
    set(m, 0, 1, 0, {0, 0, 0, 0x0F, 0x20});
    set(m, 0, 2, 0, {0, 0, 0, 0x0F, 0x00});
    xm_song* song = load(m);
    EXPECT_EQ(song->samples_per_tick, 882);  // 125 BPM
    ticks(song, 1);
    EXPECT_EQ(song->speed, 31);
    ticks(song, 31);
    EXPECT_EQ(song->bpm, 32);
    EXPECT_EQ(song->samples_per_tick, 3445);
    ticks(song, 31);
    EXPECT_EQ(song->speed, 0);  // every tick is a row tick now
    ticks(song, 1);
    EXPECT_EQ(song->row, 3);
    xm_set_bpm(song, 255);
    EXPECT_EQ(song->samples_per_tick, 432);
    xm_set_bpm(song, 0);  // bounded, no division by zero
    EXPECT_EQ(song->bpm, 32);
}

TEST_F(xm_pattern_player, volume_column_row_and_tick_forms) {
    xmw_module m = one_channel(3, 4);
    set(m, 0, 0, 0, {49, 1, 0x64, 0, 0});  // slide down by 4 on every tick, the first included
    set(m, 0, 1, 0, {0, 0, 0x84, 0, 0});   // fine slide: once
    set(m, 0, 2, 0, {0, 0, 0xC8, 0, 0});   // panning 8 x 16
    set(m, 0, 3, 0, {0, 0, 0x55, 0, 0});   // above 0x50: nothing
    xm_song* song = load(m);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume, 36);
    ticks(song, 2);
    EXPECT_EQ(channel(0).volume, 28);
    ticks(song, 3);
    EXPECT_EQ(channel(0).volume, 24);
    ticks(song, 1);
    EXPECT_EQ(channel(0).panning, 128);
    ticks(song, 3);
    EXPECT_EQ(channel(0).volume, 24);
}

TEST_F(xm_pattern_player, set_volume_and_global_volume_are_limited) {
    xmw_module m = one_channel(2, 4);
    set(m, 0, 0, 0, {49, 1, 0, 0x0C, 0x50});
    set(m, 0, 1, 0, {0, 0, 0, 0x11, 0x0F});  // global slide down by 15 per later tick
    set(m, 0, 2, 0, {0, 0, 0, 0x10, 0x50});
    xm_song* song = load(m);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume, 64);  // C50 limited to 64
    ticks(song, 2);
    EXPECT_EQ(song->global_volume, 64);
    ticks(song, 1);
    EXPECT_EQ(song->global_volume, 49);
    ticks(song, 1);
    EXPECT_EQ(song->global_volume, 64);  // G50 limited to 64
}

TEST_F(xm_pattern_player, tremolo_offset_stays_after_the_effect_ends) {
    xmw_module m = one_channel(3, 4);
    set(m, 0, 0, 0, {49, 1, 0, 0x07, 0x4F});  // speed 4, depth 15
    xm_song* song = load(m);
    ticks(song, 2);
    EXPECT_EQ(channel(0).volume_delta, 0);  // position 0: sine 0
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume_delta, 15 * 97 / 64);  // position 4
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume, 40 + 22);
    EXPECT_EQ(channel(0).volume_delta, 0);
}

TEST_F(xm_pattern_player, tone_portamento_keeps_sample_and_period) {
    xmw_module m = one_channel(3, 4);
    set(m, 0, 0, 0, {49, 1, 0, 0x0C, 0x10});
    set(m, 0, 1, 0, {61, 1, 0, 0x03, 0x10});
    xm_song* song = load(m);
    ticks(song, 3);
    EXPECT_EQ(channel(0).volume, 16);
    xm_voice* voice = channel(0).voice;
    ticks(song, 1);
    EXPECT_EQ(channel(0).period, 4608);
    EXPECT_EQ(channel(0).tone_portamento_target, 7680 - 64 * 60);
    EXPECT_EQ(channel(0).volume, 40);        // the instrument byte still resets the volume
    EXPECT_EQ(channel(0).voice, voice);      // no new note: the voice plays on
    EXPECT_EQ(channel(0).update_flags & xm_flag_trigger, 0);
    ticks(song, 1);
    EXPECT_EQ(channel(0).period, 4608 - 64);
    ticks(song, 1);
    EXPECT_EQ(channel(0).period, 4608 - 128);

    // The volume column's portamento glides as well.
    xm_free();
    m.patterns[0].cells.clear();
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    set(m, 0, 1, 0, {61, 0, 0xF1, 0, 0});
    song = load(m);
    ticks(song, 4);
    EXPECT_EQ(channel(0).period, 4608);
    ticks(song, 1);
    EXPECT_EQ(channel(0).period, 4608 - 64);
}

TEST_F(xm_pattern_player, arpeggio_vibrato_and_portamento) {
    xmw_module m = one_channel(4, 4);
    set(m, 0, 0, 0, {49, 1, 0, 0x00, 0x47});
    set(m, 0, 1, 0, {49, 1, 0, 0x04, 0x43});
    set(m, 0, 2, 0, {0, 0, 0, 0x01, 0x02});
    set(m, 0, 3, 0, {0, 0, 0, 0x02, 0x00});  // uses its own memory: empty
    xm_song* song = load(m);
    ticks(song, 2);
    EXPECT_EQ(channel(0).period_delta, 4 * 64);
    ticks(song, 1);
    EXPECT_EQ(channel(0).period_delta, 7 * 64);
    ticks(song, 1);
    EXPECT_EQ(channel(0).period_delta, 0);
    ticks(song, 2);  // vibrato row and first later tick at position 0
    EXPECT_EQ(channel(0).period_delta, 0);
    ticks(song, 1);  // position 4: (3 x 97) >> 5 = 9, low bits cleared: 8
    EXPECT_EQ(channel(0).period_delta, -8);
    ticks(song, 2);
    EXPECT_EQ(channel(0).period, 4608);
    ticks(song, 3);
    EXPECT_EQ(channel(0).period, 4608 - 24);
    ticks(song, 4);
    EXPECT_EQ(channel(0).period, 4608 - 24);
}

TEST_F(xm_pattern_player, sustain_key_off_and_fadeout) {
    xmw_instrument inst = instrument_with(flat_sample(100, 100));
    inst.volume_envelope.on = true;
    inst.volume_envelope.sustain = true;
    inst.volume_envelope.sustain_point = 1;
    inst.volume_envelope.points = {{0, 64}, {4, 32}, {8, 0}};
    inst.fadeout = 100;
    xmw_module m = basic_module(1, {inst});
    m.tempo = 2;
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    set(m, 0, 4, 0, {97, 0, 0, 0, 0});
    xm_song* song = load(m);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume_envelope.output, 64);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume_envelope.output, 56);
    ticks(song, 3);
    EXPECT_EQ(channel(0).volume_envelope.output, 32);  // reached the sustain point
    ticks(song, 3);
    EXPECT_EQ(channel(0).volume_envelope.output, 32);  // and holds there
    EXPECT_EQ(channel(0).fadeout, 65536);
    ticks(song, 1);  // key-off
    EXPECT_EQ(channel(0).fadeout, 65536 - 200);
    EXPECT_EQ(channel(0).volume_envelope.output, 32);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume_envelope.output, 24);
    ticks(song, 3);
    EXPECT_EQ(channel(0).volume_envelope.output, 0);
    EXPECT_EQ(channel(0).volume_envelope.finished, 1);
    EXPECT_EQ(channel(0).fadeout, 65536 - 5 * 200);
    xm_free();

    // Without a volume envelope the key-off silences the channel at once.
    inst.volume_envelope = {};
    m.instruments = {inst};
    song = load(m);
    ticks(song, 8);
    EXPECT_EQ(channel(0).volume_envelope.output, 64);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume_envelope.output, 0);
    EXPECT_EQ(channel(0).voice->volume, 0);
    EXPECT_EQ(channel(0).fadeout, 65536 - 200);
}

TEST_F(xm_pattern_player, envelope_loop_and_position_effect) {
    xmw_instrument inst = instrument_with(flat_sample(100, 100));
    inst.volume_envelope.on = true;
    inst.volume_envelope.loop = true;
    inst.volume_envelope.loop_start = 1;
    inst.volume_envelope.loop_end = 2;
    inst.volume_envelope.points = {{0, 0}, {2, 64}, {4, 32}, {10, 0}};
    xmw_module m = basic_module(1, {inst});
    m.tempo = 1;
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    set(m, 0, 9, 0, {0, 0, 0, 0x15, 7});  // L07: between the points at 4 and 10
    xm_song* song = load(m);
    std::vector<int> out;
    for (int i = 0; i < 9; ++i) {
        ticks(song, 1);
        out.push_back(channel(0).volume_envelope.output);
    }
    EXPECT_EQ(out, (std::vector<int>{0, 32, 64, 48, 64, 48, 64, 48, 64}));
    ticks(song, 1);
    // L07 after the envelope's own step: (7 - 4) x (-32 / 6) + 32
    EXPECT_EQ(channel(0).volume_envelope.point, 3);
    EXPECT_EQ(channel(0).volume_envelope.output, 16);
}

TEST_F(xm_pattern_player, note_delay) {
    xmw_module m = one_channel(6, 4);
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    set(m, 0, 1, 0, {61, 1, 0x30, 0x0E, 0xD3});
    xm_song* song = load(m);
    ticks(song, 6);
    xm_voice* voice = channel(0).voice;
    ticks(song, 1);
    EXPECT_EQ(channel(0).update_flags, xm_flag_frequency);  // only the autovibrato marks the frequency
    EXPECT_EQ(channel(0).volume, 40);
    EXPECT_EQ(channel(0).period, 4608);
    EXPECT_EQ(channel(0).voice, voice);
    ticks(song, 2);
    EXPECT_EQ(channel(0).update_flags, xm_flag_frequency);
    ticks(song, 1);  // tick 3: the note, its instrument reset and its volume byte
    EXPECT_EQ(channel(0).volume, 0x20);
    EXPECT_EQ(channel(0).period, 3840);
    EXPECT_NE(channel(0).voice, voice);  // a new note: the partner voice takes it
    ticks(song, 1);
    EXPECT_EQ(channel(0).update_flags, xm_flag_frequency);
}

TEST_F(xm_pattern_player, retrigger_cut_offset_and_multi_retrigger) {
    xmw_module m = one_channel(6, 4);
    set(m, 0, 0, 0, {49, 1, 0, 0x09, 0x02});  // start at 512
    set(m, 0, 1, 0, {49, 1, 0, 0x09, 0x10});  // 4096: beyond the loop end, restart without a new note
    set(m, 0, 2, 0, {0, 0, 0, 0x0E, 0xC2});
    set(m, 0, 3, 0, {0, 0, 0, 0x1B, 0x52});   // every 2 ticks: volume - 16
    xm_song* song = load(m);
    ticks(song, 1);
    EXPECT_EQ(channel(0).voice->position_int, 512u);
    ticks(song, 5);
    channel(0).voice->position_int = 1234;
    xm_voice* voice = channel(0).voice;
    ticks(song, 1);
    EXPECT_EQ(channel(0).voice, voice);
    EXPECT_EQ(voice->position_int, 0u);
    ticks(song, 7);
    EXPECT_EQ(channel(0).volume, 40);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume, 0);  // EC2 on tick 2
    channel(0).volume = 40;
    ticks(song, 4);  // row 3: Rxy acts on later ticks only
    EXPECT_EQ(channel(0).volume, 40);
    ticks(song, 1);
    EXPECT_EQ(channel(0).volume, 40);
    ticks(song, 1);  // tick 2: retrigger with volume - 16
    EXPECT_EQ(channel(0).volume, 24);
}

TEST_F(xm_pattern_player, missing_instruments_and_samples_are_silent) {
    xmw_instrument inst = instrument_with(flat_sample(100, 100));
    inst.sample_map[48] = 20;  // a slot of 16 or more
    inst.sample_map[50] = 3;   // a slot with no sample
    xmw_module m = basic_module(3, {inst});
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    set(m, 0, 0, 1, {51, 1, 0, 0, 0});
    set(m, 0, 0, 2, {49, 9, 0, 0, 0});  // no instrument 9
    xm_song* song = load(m);
    ticks(song, 1);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(channel(c).voice->sample, &xm_null_sample) << c;
    std::vector<float> out(2 * 64, 0.0f);
    xm_mix(out.data(), 64);
    for (float v : out) EXPECT_EQ(v, 0.0f);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(channel(c).voice->sample, nullptr) << c;
}

TEST_F(xm_pattern_player, vibrato_waveforms_and_autovibrato) {
    xmw_instrument inst = instrument_with(flat_sample(100, 100));
    inst.vibrato_type = 1;  // square
    inst.vibrato_depth = 8;
    inst.vibrato_rate = 64;
    xmw_module m = basic_module(1, {inst});
    m.tempo = 4;
    set(m, 0, 0, 0, {49, 1, 0, 0x0E, 0x41});  // ramp-down vibrato waveform
    set(m, 0, 1, 0, {0, 0, 0, 0x04, 0x8F});
    xm_song* song = load(m);
    ticks(song, 1);
    EXPECT_EQ(channel(0).period_delta, 8);  // square autovibrato at position 0: 8 x 64 >> 6
    ticks(song, 1);
    EXPECT_EQ(channel(0).period_delta, 8);
    ticks(song, 2);
    EXPECT_EQ(channel(0).period_delta, -8);  // positions 128 and above: the low half
    ticks(song, 1);                          // vibrato row at position 0: 0; autovibrato back at 0
    EXPECT_EQ(channel(0).period_delta, 8);
    ticks(song, 1);
    EXPECT_EQ(channel(0).period_delta, 8);
    ticks(song, 1);  // vibrato position 8: ramp value 64, (15 x 64) >> 5 = 30, low bits cleared: 28
    EXPECT_EQ(channel(0).period_delta, -28 - 8);
}

}  // namespace
