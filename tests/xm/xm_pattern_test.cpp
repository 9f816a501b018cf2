// The pattern player, effect by effect and as trackers play them, against hand-worked periods, volumes,
// pannings and song positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

using positions = std::vector<std::pair<int, int>>;
using values = std::vector<int>;

using xm_pattern_player = song_test;

int volume() { return channel(0).volume; }
int period() { return channel(0).period; }
int period_delta() { return channel(0).period_delta; }
int envelope() { return channel(0).volume_envelope.output; }

// A one-channel module of the given speed and rows; channel 0 holds `column` from row 0 on. The
// instrument is a looped flat 16-bit sample of volume 40.
xmw_module one_channel(uint16_t speed, int rows, std::vector<xmw_cell> column) {
    xmw_sample s = sample16(std::vector<int16_t>(2000, 1000), xmw_loop::forward, 0, 2000);
    s.volume = 40;
    xmw_module m = basic_module(1, {instrument_with(s)});
    m.tempo = speed;
    m.patterns[0].rows = static_cast<uint16_t>(rows);
    for (size_t r = 0; r < column.size(); ++r) set(m, 0, static_cast<int>(r), 0, column[r]);
    return m;
}

// An instrument of a flat sample whose volume envelope has the points and, when not -1, the sustain
// point and the loop.
xmw_instrument enveloped(std::vector<xmw_envelope_point> points, int sustain, int loop_start = -1,
                         int loop_end = -1) {
    xmw_instrument inst = instrument_with(flat_sample(100, 100));
    inst.volume_envelope = {std::move(points),  true, sustain >= 0, loop_start >= 0, uint8_t(sustain),
                            uint8_t(loop_start), uint8_t(loop_end)};
    return inst;
}

// (order, row) at every row tick of the next n rows.
positions walk(xm_song* song, int rows) {
    positions seen;
    while (static_cast<int>(seen.size()) < rows) {
        bool row_tick = song->tick_counter == 0;
        song->tick_function(song);
        if (row_tick) seen.emplace_back(song->order_position, song->row);
    }
    return seen;
}

TEST_F(xm_pattern_player, amiga_and_linear_periods) {
    // {note, finetune, period}: -128 is a whole semitone down; note 0 has no lower neighbour.
    for (auto [note, fine, want] : {std::tuple{48, 0, 1712}, {48, -128, 1813}, {48, 64, 1664}, {60, 0, 856},
                                    {0, 0, 27392}})
        EXPECT_EQ(xm_amiga_period(note, fine), want) << note << " " << fine;

    // C-4: 8363 Hz on the linear table, 14317056 / 1712 = 8362 Hz on the Amiga one; steps of 2^32 x Hz /
    // 44100.
    for (auto [linear, want_period, want_step] :
         {std::tuple{true, 4608, 814485521u}, {false, 1712, 814388129u}}) {
        xmw_module m = one_channel(6, 64, {{49, 1, 0, 0, 0}});
        m.linear = linear;
        ticks(load(m), 1);
        EXPECT_EQ(std::tuple(channel(0).period, channel(0).voice->step_int, channel(0).voice->step_frac),
                  std::tuple(want_period, 0u, want_step));
    }
}

TEST_F(xm_pattern_player, song_positions_with_break_jump_and_restart) {
    // Three orders of 4-row patterns; D on the last order goes to order 0, the row it names.
    xmw_module m = one_channel(1, 4, {});
    m.channels = 3;
    m.patterns.resize(3);
    for (auto& p : m.patterns) p.rows = 4;
    m.orders = {0, 1, 2};
    m.restart = 1;
    set(m, 2, 1, 0, {0, 0, 0, 0x0D, 0x02});
    EXPECT_EQ(walk(load(m), 11), (positions{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3},
                                            {2, 0}, {2, 1}, {0, 2}}));
    // Without D the end of the last pattern goes on at the restart position.
    m.patterns[2].cells.clear();
    EXPECT_EQ(walk(load(m), 14)[12], (std::pair{1, 0}));

    // B on channel 0 and D on channel 2: B's order, D's row. D first and B later: row 0 of B's order.
    for (bool b_first : {true, false}) {
        set(m, 0, 0, b_first ? 0 : 2, {0, 0, 0, 0x0B, 2});
        set(m, 0, 0, b_first ? 2 : 0, {0, 0, 0, 0x0D, 0x03});
        EXPECT_EQ(walk(load(m), 2), (positions{{0, 0}, {2, b_first ? 3 : 0}}));
    }

    // A D row past the pattern's end starts it at the top; B past the song length and D above 63 give 0.
    set(m, 0, 0, 0, {0, 0, 0, 0x0D, 0x12});
    set(m, 0, 0, 2, {});
    set(m, 1, 0, 0, {0, 0, 0, 0x0B, 9});
    set(m, 1, 0, 2, {0, 0, 0, 0x0D, 0x99});
    EXPECT_EQ(walk(load(m), 4), (positions{{0, 0}, {1, 0}, {0, 0}, {1, 0}}));
}

TEST_F(xm_pattern_player, odd_song_shapes_have_a_defined_walk) {
    // A restart position beyond the song restarts at 0; a pattern of 0 rows plays as one empty row.
    xmw_module m = one_channel(1, 2, {});
    m.patterns.resize(2);
    m.patterns[1].rows = 0;
    m.orders = {0, 1};
    m.restart = 7;
    EXPECT_EQ(walk(load(m), 5), (positions{{0, 0}, {0, 1}, {1, 0}, {0, 0}, {0, 1}}));
    // No orders at all: order 0 names a pattern that is not there, which plays 64 empty rows.
    m.orders.clear();
    m.patterns.clear();
    positions p = walk(load(m), 66);
    EXPECT_EQ(std::tuple(p[63], p[64]), std::tuple(std::pair{0, 63}, std::pair{0, 0}));
}

TEST_F(xm_pattern_player, speed_and_tempo) {
    // F1F sets speed 31, F20 32 BPM (3445 frames per tick), F00 speed 0: every tick is a row tick.
    xm_song* song =
        load(one_channel(6, 4, {{0, 0, 0, 0x0F, 0x1F}, {0, 0, 0, 0x0F, 0x20}, {0, 0, 0, 0x0F, 0x00}}));
    ticks(song, 32);
    EXPECT_EQ(std::tuple(song->speed, song->bpm, song->samples_per_tick), std::tuple(31, 32, 3445));
    ticks(song, 31);
    EXPECT_EQ(song->speed, 0);
    ticks(song, 1);
    EXPECT_EQ(song->row, 3);
    xm_set_bpm(song, 0);  // bounded, no division by zero
    EXPECT_EQ(song->bpm, 32);
}

// An instrument of a flat sample with an autovibrato of depth 8 and the type, sweep and rate.
xmw_instrument autovibrato(uint8_t type, uint8_t sweep = 3, uint8_t rate = 32) {
    xmw_instrument inst = instrument_with(flat_sample(100, 100));
    std::tie(inst.vibrato_type, inst.vibrato_sweep, inst.vibrato_depth, inst.vibrato_rate) =
        std::tuple(type, sweep, uint8_t{8}, rate);
    return inst;
}

int heard_volume() { return channel(0).volume + channel(0).volume_delta; }
int global_volume() { return xm_player_state.current_song->global_volume; }
int panning() { return channel(0).panning; }
int voice_panning() { return channel(0).voice->panning; }
int trigger() { return channel(0).update_flags & xm_flag_trigger; }
int fadeout() { return channel(0).fadeout; }
int row() { return xm_player_state.current_song->row; }
int voice_sample_volume() { return channel(0).voice->sample ? channel(0).voice->sample->volume : -1; }
int position() { return static_cast<int>(channel(0).voice->position_int); }
int voice_slot() { return static_cast<int>(channel(0).voice - xm_player_state.voices.data()); }

// An instrument of a flat sample of the volume.
xmw_instrument at_volume(uint8_t v) {
    xmw_instrument inst = instrument_with(flat_sample(100, 100));
    inst.samples[0].volume = v;
    return inst;
}

TEST_F(xm_pattern_player, autovibrato_waveforms) {
    // Positions 0, 32, ... 224 with the sweep counter 0, 1, 2, 3, 3 ... at depth 8. Sine: 64 x sin is 0 45
    // 63 45 0 -45 -63 -45; type 2: 0 -16 -32 -48 64 48 32 16; type 3: 0 16 32 48 64 -48 -32 -16.
    const std::pair<uint8_t, values> waves[] = {
        {0, {0, 1, 5, 5, 0, -6, -8, -6}}, {2, {0, -1, -3, -6, 8, 6, 4, 2}}, {3, {0, 0, 2, 6, 8, -6, -4, -2}}};
    for (const auto& [type, want] : waves) {
        xmw_module m = one_channel(8, 64, {{49, 1, 0, 0, 0}});
        m.instruments = {autovibrato(type)};
        EXPECT_EQ(trace(load(m), 8, period_delta), want) << int{type};
    }
}

// What a probe reads after each tick of a fresh song, and the values it must read.
struct probe_trace {
    int (*probe)();
    values want;
};

TEST_F(xm_pattern_player, effects_tick_by_tick) {
    // Sine vibrato values at positions 4, 8, 12: 97, 181, 236; depth 8: (8 x v) >> 5 with the low bits
    // cleared gives 24, 44, 56. Amiga periods: C-4 1712, E-4 1358, G-4 1142.
    const xmw_instrument square = autovibrato(1, 0, 64); // 8 x 64 >> 6 below position 128, -8 from there
    xmw_instrument pan_env = instrument_with(flat_sample(100, 100));
    pan_env.panning_envelope = {{{0, 32}, {4, 64}, {8, 0}}, true, false, false, 0, 0, 0};
    // Instrument 3 maps every note to slot 20, past the 16 an instrument has; instrument 9 is not there.
    std::vector<xmw_instrument> three = {at_volume(48), at_volume(20), at_volume(48)};
    three[2].sample_map.fill(20);
    xmw_instrument falling = at_volume(40);
    falling.volume_envelope = {{{0, 64}, {10, 0}}, true, false, false, 0, 0, 0};
    xmw_instrument two = at_volume(48); // notes from E-4 up on a sample of volume 24
    two.samples.push_back(flat_sample(100, 100));
    two.samples[1].volume = 24;
    std::fill(two.sample_map.begin() + 52, two.sample_map.end(), 1);
    xmw_instrument sustained = enveloped({{0, 64}, {4, 32}, {8, 0}}, 1), plain = at_volume(40);
    sustained.fadeout = plain.fadeout = 100;
    const std::vector<xmw_cell> key_off = {{49, 1, 0, 0, 0}, {}, {}, {}, {97, 0, 0, 0, 0}};
    const auto retrigger = [](uint8_t x) {
        return std::vector<xmw_cell>{{49, 1, 0x2E, 0x1B, uint8_t(x << 4 | 2)}};
    };
    const struct {
        const char* what;
        uint16_t speed;
        std::vector<xmw_cell> cells;
        std::vector<probe_trace> checks;
        std::vector<xmw_instrument> instruments = {};
        bool linear = true;
    } cases[] = {
        {"0x62 on later ticks; K02 silences on tick 2 (no envelope); 0x30 brings the note back",
         4,
         {{49, 1, 0x62, 0, 0}, {0, 0, 0, 0x14, 0x02}, {0, 0, 0x30, 0, 0}},
         {{volume, {40, 38, 36, 34, 34, 34, 0, 0, 32}}}},
        {"E90 retriggers on the row tick only (no memory: once)",
         4,
         {{49, 1, 0, 0, 0}, {0, 0, 0, 0x0E, 0x90}},
         {{trigger, {8, 0, 0, 0, 8, 0, 0, 0}}}},
        // 340 reaches E-4; 220 slides past it; 300 lands on the target at once, as the fastest glide does.
        {"tone portamento past its target snaps back",
         4,
         {{49, 1, 0, 0, 0}, {53, 0, 0, 0x03, 0x40}, {0, 0, 0, 0x02, 0x20}, {0, 0, 0, 0x03, 0x00}},
         {{period,
           {4608, 4608, 4608, 4608, 4608, 4352, 4352, 4352, 4352, 4480, 4608, 4736, 4736, 4352, 4352,
            4352}}}},
        // A lone instrument number brings back the playing sample's volume and is kept for the next note,
        // which does not reset the volume; a note without a sample is silence that 9xx does not restart.
        {"lone instrument numbers: the volume and the sample the voice plays",
         1,
         {{49, 1, 0, 0, 0},
          {0, 0, 0x20, 0, 0},
          {0, 2, 0, 0, 0},
          {56, 0, 0, 0, 0},
          {0, 3, 0, 0, 0},
          {51, 0, 0, 9, 2},
          {49, 1, 0, 0, 0},
          {49, 9, 0, 9, 1}},
         {{volume, {48, 16, 48, 48, 20, 20, 48, 0}}, {voice_sample_volume, {48, 48, 48, 20, 20, 0, 48, 0}}},
         three},
        {"a lone instrument restarts the playing envelope (64 to 0 over 10 ticks) and restores the volume",
         4,
         {{49, 1, 0x10, 0, 0}, {0, 2, 0, 0, 0}},
         {{envelope, {64, 57, 51, 44, 64, 57, 51, 44}}, {volume, {0, 0, 0, 0, 40, 40, 40, 40}}},
         {falling, at_volume(20)}},
        // Without a volume envelope a key-off silences once through the volume (a fadeout does not
        // matter), except beside an instrument number (its sample's volume) or a volume. K00 ignores
        // its note.
        {"K00 and note 97 without an envelope",
         1,
         {{49, 1, 0, 0, 0},
          {61, 0, 0, 0x14, 0},
          {0, 0, 0x30, 0, 0},
          {97, 1, 0, 0, 0},
          {97, 0, 0x20, 0, 0},
          {97, 0, 0, 0, 0},
          {0, 0, 0x50, 0, 0}},
         {{volume, {40, 0, 32, 40, 16, 0, 64}}, {period, {4608, 4608}}},
         {plain}},
        // ED2 without an instrument keeps the volume; ED1 with one takes its volume byte on tick 1. Until
        // then neither triggers nor changes the volume.
        {"ED2 and ED1 play their notes late",
         3,
         {{49, 1, 0, 0, 0}, {0, 0, 0x20, 0, 0}, {53, 0, 0, 0x0E, 0xD2}, {61, 1, 0x30, 0x0E, 0xD1}},
         {{volume, {40, 40, 40, 16, 16, 16, 16, 16, 16, 16, 32, 32}},
          {period, {4608, 4608, 4608, 4608, 4608, 4608, 4608, 4608, 4352, 4352, 3840, 3840}},
          {trigger, {8, 0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0}}}},
        {"volume column F0 beside ED2 is a new note: its sample's volume and its note",
         3,
         {{49, 1, 0, 0, 0}, {53, 0, 0xF0, 0x0E, 0xD2}},
         {{volume, {48, 48, 48, 48, 48, 24}}, {period, {4608, 4608, 4608, 4608, 4608, 4352}}},
         {two}},
        // 902 starts at 512; 910 (4096) is beyond the loop end: a restart on the same voice, no new note.
        {"sample offset",
         1,
         {{49, 1, 0, 0x09, 0x02}, {49, 1, 0, 0x09, 0x10}},
         {{position, {512, 0}}, {voice_slot, {0, 0}}}},
        {"E60 / E61: rows 2-4 twice",
         1,
         {{}, {}, {0, 0, 0, 0x0E, 0x60}, {}, {0, 0, 0, 0x0E, 0x61}},
         {{row, {0, 1, 2, 3, 4, 2, 3, 4, 5}}}},
        {"EE2 at speed 3: the row lasts 3 + 2 x 3 ticks",
         3,
         {{}, {0, 0, 0, 0x0E, 0xE2}},
         {{row, {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2}}}},
        // 3xx with a note keeps the old period and glides by 16 x 4 to C-5 (3840); the
        // instrument byte still resets the volume.
        {"3xx glides and takes the instrument's volume",
         3,
         {{49, 1, 0, 0x0C, 0x10}, {61, 1, 0, 0x03, 0x10}},
         {{period, {4608, 4608, 4608, 4608, 4544, 4480}}, {volume, {16, 16, 16, 40, 40, 40}}}},
        // The envelope holds at its sustain point until the key-off, then runs on; the fadeout counts
        // down by twice the instrument's 100 a tick from the key-off.
        {"sustain point, key-off and fadeout",
         2,
         key_off,
         {{envelope, {64, 56, 48, 40, 32, 32, 32, 32, 32, 24, 16, 8, 0}},
          {fadeout,
           {65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65336, 65136, 64936, 64736, 64536}}},
         {sustained}},
        // Loop from point 2 back to 1; L07 then lands between the points at 4 and 10: (7 - 4) x (-32 / 6)
        // + 32.
        {"envelope loop and L07",
         1,
         {{49, 1, 0, 0, 0}, {}, {}, {}, {}, {}, {}, {}, {}, {0, 0, 0, 0x15, 7}},
         {{envelope, {0, 32, 64, 48, 64, 48, 64, 48, 64, 16}}},
         {enveloped({{0, 0}, {2, 64}, {4, 32}, {10, 0}}, -1, 1, 2)}},
        {"EC2 cuts on tick 2", 6, {{49, 1, 0, 0x0E, 0xC2}}, {{volume, {40, 40, 0, 0, 0, 0}}}},
        // Until its first point (x = 2) a new note's envelope holds the level the channel had (none at
        // first).
        {"a new note restarts the envelope from the level it had",
         1,
         {{49, 1, 0, 0, 0}, {}, {}, {}, {49, 1, 0, 0, 0}},
         {{envelope, {0, 0, 64, 56, 56, 56, 64}}},
         {enveloped({{2, 64}, {6, 32}}, -1)}},
        {"volume column 6x on later ticks, 8x once, Cx, nothing above 0x50",
         3,
         {{49, 1, 0x64, 0, 0}, {0, 0, 0x84, 0, 0}, {0, 0, 0xC8, 0, 0}, {0, 0, 0x55, 0, 0}},
         {{volume, {40, 36, 32, 28, 28, 28, 28, 28, 28, 28, 28, 28}}}},
        {"A0C down to 0, A00 from memory, AF0 up to 64",
         3,
         {{49, 1, 0, 0x0A, 0x0C},
          {0, 0, 0, 0x0A, 0},
          {0, 0, 0, 0x0A, 0xF0},
          {0, 0, 0, 0x0A, 0},
          {0, 0, 0, 0x0A, 0}},
         {{volume, {40, 28, 16, 16, 4, 0, 0, 15, 30, 30, 45, 60, 60, 64, 64}}}},
        {"C50 limited to 64", 2, {{49, 1, 0, 0x0C, 0x50}}, {{volume, {64, 64}}}},
        {"H0F slides the global volume on later ticks, G50 limited to 64",
         2,
         {{49, 1, 0, 0, 0}, {0, 0, 0, 0x11, 0x0F}, {0, 0, 0, 0x10, 0x50}},
         {{global_volume, {64, 64, 64, 49, 64}}}},
        {"7xy: speed 4, depth 15 (position 4: 22), the offset kept by the next row",
         3,
         {{49, 1, 0, 0x07, 0x4F}, {}},
         {{heard_volume, {40, 40, 62, 62, 62, 62}}}},
        {"047 arpeggio, 443 vibrato ((3 x 97) >> 5, low bits cleared: 8)",
         4,
         {{49, 1, 0, 0x00, 0x47}, {49, 1, 0, 0x04, 0x43}},
         {{period_delta, {0, 256, 448, 0, 0, 0, -8}}}},
        {"102 by 8 on later ticks; 200 has its own memory, empty",
         4,
         {{49, 1, 0, 0, 0}, {0, 0, 0, 0x01, 0x02}, {0, 0, 0, 0x02, 0x00}},
         {{period, {4608, 4608, 4608, 4608, 4608, 4600, 4592, 4584, 4584, 4584, 4584, 4584}}}},
        {"volume column F1 glides to its note",
         3,
         {{49, 1, 0, 0, 0}, {61, 0, 0xF1, 0, 0}},
         {{period, {4608, 4608, 4608, 4608, 4544}}}},
        {"E41 ramp-down vibrato (position 8: 64 x 15 >> 5 = 28) on a square autovibrato",
         4,
         {{49, 1, 0, 0x0E, 0x41}, {0, 0, 0, 0x04, 0x8F}},
         {{period_delta, {8, 8, -8, -8, 8, 8, -28 - 8}}},
         {square}},
        {"T12: 2 ticks on, 3 off, counting on across rows",
         6,
         {{49, 1, 0, 0x1D, 0x12}, {0, 0, 0, 0x1D, 0}},
         {{heard_volume, {40, 40, 0, 0, 0, 40, 40, 0, 0, 0, 40, 40}}}},
        {"R02: retrigger every 2 ticks, keeping the volume",
         5,
         retrigger(0),
         {{trigger, {8, 0, 8, 0, 8}}, {volume, {30, 30, 30, 30, 30}}}},
        {"R62: x 2/3", 5, retrigger(6), {{volume, {30, 30, 20, 20, 13}}}},
        {"R72: / 2", 5, retrigger(7), {{volume, {30, 30, 15, 15, 7}}}},
        {"RE2: x 3/2, up to 64", 5, retrigger(14), {{volume, {30, 30, 45, 45, 64}}}},
        {"RF2: x 2, up to 64", 5, retrigger(15), {{volume, {30, 30, 60, 60, 64}}}},
        {"E1y/E2y by 4, X1y/X2y by 1, once a row, with their own memories",
         2,
         {{49, 1, 0, 0x0E, 0x12},
          {0, 0, 0, 0x0E, 0x23},
          {0, 0, 0, 0x0E, 0x10},
          {0, 0, 0, 0x0E, 0x20},
          {0, 0, 0, 0x21, 0x13},
          {0, 0, 0, 0x21, 0x25},
          {0, 0, 0, 0x21, 0x10},
          {0, 0, 0, 0x21, 0x20}},
         {{period,
           {4600, 4600, 4612, 4612, 4604, 4604, 4616, 4616, 4613, 4613, 4618, 4618, 4615, 4615, 4620,
            4620}}}},
        {"volume column 7x on later ticks, 9x once; EAy/EBy with their memories",
         2,
         {{49, 1, 0x2E, 0, 0},
          {0, 0, 0x73, 0, 0},
          {0, 0, 0x92, 0, 0},
          {0, 0, 0, 0x0E, 0xA5},
          {0, 0, 0, 0x0E, 0xB7},
          {0, 0, 0, 0x0E, 0xA0},
          {0, 0, 0, 0x0E, 0xB0}},
         {{volume, {30, 30, 30, 33, 35, 35, 40, 40, 33, 33, 38, 38, 31, 31}}}},
        {"8xx, E8y, Pxy with its memory and limit, volume column Dx/Ex/Cx",
         3,
         {{49, 1, 0, 0x08, 0x40},
          {0, 0, 0, 0x0E, 0x8A},
          {0, 0, 0, 0x19, 0x30},
          {0, 0, 0, 0x19, 0},
          {0, 0, 0, 0x19, 0x05},
          {0, 0, 0xD4, 0, 0},
          {0, 0, 0xE8, 0, 0},
          {0, 0, 0xCF, 0x19, 0x90}},
         {{panning, {64,  64,  64,  160, 160, 160, 160, 163, 166, 166, 169, 172,
                     172, 167, 162, 162, 158, 154, 154, 162, 170, 240, 249, 255}}}},
        {"5xy glides at the 3xx speed and slides the volume, 500 from memory",
         3,
         {{49, 1, 0, 0, 0}, {0, 0, 0, 3, 0x08}, {53, 0, 0, 5, 0x02}, {0, 0, 0, 5, 0}},
         {{period, {4608, 4608, 4608, 4608, 4608, 4608, 4608, 4576, 4544, 4544, 4512, 4480}},
          {volume, {40, 40, 40, 40, 40, 40, 40, 38, 36, 36, 34, 32}}}},
        {"6xy goes on with the vibrato and slides the volume",
         3,
         {{49, 1, 0, 4, 0x48}, {0, 0, 0, 6, 0x20}},
         {{period_delta, {0, 0, -24, -44, -44, -56}}, {volume, {40, 40, 40, 40, 42, 44}}}},
        {"E58 tunes the next note", 1, {{49, 1, 0, 0x0E, 0x58}, {49, 1, 0, 0, 0}}, {{period, {4608, 4604}}}},
        {"E93 retriggers on ticks 0 and 3", 6, {{49, 1, 0, 0x0E, 0x93}}, {{trigger, {8, 0, 0, 8, 0, 0}}}},
        {"volume column Ax speed, Bx depth and vibrato on later ticks",
         3,
         {{49, 1, 0xA4, 0, 0}, {0, 0, 0xB8, 0, 0}, {0, 0, 0xB8, 0, 0}},
         {{period_delta, {0, 0, 0, 0, 0, -24, 0, -44, -56}}}},
        {"arpeggio on the Amiga table",
         6,
         {{49, 1, 0, 0, 0x47}},
         {{period_delta, {0, -354, -570, 0, -354, -570}}},
         {},
         false},
        // Panning 192 swings by 2 x (envelope - 32).
        {"panning envelope 32 up to 64 down to 0",
         9,
         {{49, 1, 0, 0x08, 0xC0}},
         {{voice_panning, {192, 208, 224, 240, 255, 224, 192, 160, 128}}},
         {pan_env}},
    };
    for (const auto& c : cases) {
        xmw_module m = one_channel(c.speed, 64, c.cells);
        if (!c.instruments.empty()) m.instruments = c.instruments;
        m.linear = c.linear;
        for (const auto& [probe, want] : c.checks)
            EXPECT_EQ(trace(load(m), static_cast<int>(want.size()), probe), want) << c.what;
    }
}

} // namespace
