// The XM loader on modules made by the module writer: cells in every packing form, empty and missing
// patterns, instruments and samples, delta decoding, loops and guard values, and what it rejects.
#include <gtest/gtest.h>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

const uint8_t* cell(const xm_song* song, int pattern, int row, int ch) { return xm_pattern_cell(*song, pattern, row, ch); }

struct xm_loader : ::testing::Test {
    void TearDown() override { xm_free(); }
};

TEST_F(xm_loader, header_fields) {
    xmw_module m = basic_module(6);
    m.tempo = 5;
    m.bpm = 140;
    m.linear = false;
    m.orders = {0, 0, 0};
    m.restart = 1;
    xm_song* song = load(m, false);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->channel_count, 6);
    EXPECT_EQ(song->default_tempo, 5);
    EXPECT_EQ(song->default_bpm, 140);
    EXPECT_EQ(song->flags & 1, 0);
    EXPECT_EQ(song->song_length, 3);
    EXPECT_EQ(song->restart_position, 1);
    EXPECT_EQ(song->initial_global_volume, 64);
    EXPECT_EQ(song->tick_function, &xm_tick);
    EXPECT_EQ(xm_channel_count(), 6);
}

TEST_F(xm_loader, every_packing_form_unpacks_to_the_same_cells) {
    for (xmw_packing packing : {xmw_packing::mixed, xmw_packing::packed, xmw_packing::unpacked}) {
        xmw_module m = basic_module(3);
        m.patterns[0].packing = packing;
        set(m, 0, 0, 0, {49, 1, 0x40, 0x0C, 0x20});  // a full cell
        set(m, 0, 0, 2, {0, 0, 0, 0x0F, 3});         // effect only
        set(m, 0, 5, 1, {97, 0, 0, 0, 0});            // key-off
        set(m, 0, 63, 2, {96, 128, 0x10, 0, 0});
        xm_song* song = load(m, false);
        ASSERT_NE(song, nullptr);
        const uint8_t* c = cell(song, 0, 0, 0);
        EXPECT_EQ(c[0], 49);
        EXPECT_EQ(c[1], 1);
        EXPECT_EQ(c[2], 0x40);
        EXPECT_EQ(c[3], 0x0C);
        EXPECT_EQ(c[4], 0x20);
        EXPECT_EQ(cell(song, 0, 0, 2)[3], 0x0F);
        EXPECT_EQ(cell(song, 0, 0, 2)[4], 3);
        EXPECT_EQ(cell(song, 0, 5, 1)[0], 255);  // 97 is stored as key-off
        EXPECT_EQ(cell(song, 0, 63, 2)[0], 96);
        EXPECT_EQ(cell(song, 0, 63, 2)[1], 128);
        EXPECT_EQ(cell(song, 0, 1, 0)[0], 0);
        xm_free();
    }
}

TEST_F(xm_loader, out_of_range_note_and_instrument_bytes_read_as_none) {
    xmw_module m = basic_module(2);
    m.patterns[0].packing = xmw_packing::packed;
    set(m, 0, 0, 0, {98, 129, 0, 0, 0});
    set(m, 0, 0, 1, {254, 255, 0, 0, 0});
    xm_song* song = load(m, false);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(cell(song, 0, 0, 0)[0], 0);
    EXPECT_EQ(cell(song, 0, 0, 0)[1], 0);
    EXPECT_EQ(cell(song, 0, 0, 1)[0], 0);
    EXPECT_EQ(cell(song, 0, 0, 1)[1], 0);
}

TEST_F(xm_loader, empty_and_missing_patterns) {
    xmw_module m = basic_module(2);
    m.patterns.resize(8);
    m.patterns[0].packing = xmw_packing::empty;  // packed size 0: no cell bytes follow
    m.patterns[0].rows = 32;
    m.patterns[1].rows = 16;
    set(m, 1, 0, 1, {60, 2, 0, 0, 0});
    m.orders = {0, 1, 10};
    xm_song* song = load(m, false);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->patterns[0].rows, 32u);
    EXPECT_EQ(cell(song, 0, 31, 1)[0], 0);
    EXPECT_EQ(song->patterns[1].rows, 16u);  // read from where pattern 0 ended
    EXPECT_EQ(cell(song, 1, 0, 1)[0], 60);
    EXPECT_EQ(song->highest_pattern_used, 11);
    EXPECT_EQ(song->pattern_table_size, 11);
    for (int p = 8; p <= 10; ++p) {
        EXPECT_EQ(song->patterns[static_cast<size_t>(p)].rows, 64u) << p;
        EXPECT_EQ(cell(song, p, 63, 1)[0], 0);
    }
    // Anything outside a pattern reads as an empty cell.
    EXPECT_EQ(cell(song, 99, 0, 0)[0], 0);
    EXPECT_EQ(cell(song, 1, 16, 0)[0], 0);
    EXPECT_EQ(cell(song, 1, 0, 2)[0], 0);
}

TEST_F(xm_loader, sample_data_is_delta_decoded_to_16_bits) {
    xmw_sample s8;
    s8.data = {0, 127, -128, -1, 5};
    xmw_sample s16;
    s16.sixteen_bit = true;
    s16.data = {0, 32767, -32768, 1, -2};  // differences wrap at 16 bits
    xmw_instrument inst;
    inst.samples = {s8, s16};
    inst.sample_map[0] = 1;
    xm_song* song = load(basic_module(1, {inst}), false);
    ASSERT_NE(song, nullptr);
    const xm_instrument& loaded = song->instruments[0];
    ASSERT_EQ(loaded.sample_count, 2u);
    const xm_sample& a = *loaded.samples[0];
    const xm_sample& b = *loaded.samples[1];
    EXPECT_EQ(a.bits, 16);
    ASSERT_EQ(a.length, 5u);
    ASSERT_EQ(a.data.size(), 5u + 8u);
    EXPECT_EQ(a.data[1], 127 * 256);
    EXPECT_EQ(a.data[2], -128 * 256);
    EXPECT_EQ(a.data[3], -256);
    EXPECT_EQ(a.data[4], 5 * 256);
    ASSERT_EQ(b.length, 5u);
    EXPECT_EQ(b.data[1], 32767);
    EXPECT_EQ(b.data[2], -32768);
    EXPECT_EQ(b.data[3], 1);
    EXPECT_EQ(b.data[4], -2);
    EXPECT_EQ(b.data[5], 0);  // no loop: the guard stays 0
    EXPECT_EQ(loaded.sample_map[0], 1);
    for (size_t k = 2; k < 16; ++k) EXPECT_EQ(loaded.samples[k], &xm_null_sample);
}

TEST_F(xm_loader, loops_and_guard_values) {
    xmw_sample fwd;
    fwd.sixteen_bit = true;
    fwd.data = {10, 20, 30, 40, 50, 60};
    fwd.loop = xmw_loop::forward;
    fwd.loop_start = 2;
    fwd.loop_length = 3;
    xmw_sample pp = fwd;
    pp.loop = xmw_loop::pingpong;
    xmw_sample both = fwd;
    both.raw_type = 0x13;  // both loop bits: ping-pong
    xmw_sample empty_loop = fwd;
    empty_loop.loop_length = 0;  // a loop of nothing is no loop
    xmw_sample wild = fwd;
    wild.loop_start = 4;
    wild.loop_length = 100;  // past the end: clamped into the sample
    xmw_instrument inst;
    inst.samples = {fwd, pp, both, empty_loop, wild};
    xm_song* song = load(basic_module(1, {inst}), false);
    ASSERT_NE(song, nullptr);
    const auto& s = song->instruments[0].samples;
    EXPECT_EQ(s[0]->loop_kind, xm_loop_forward);
    EXPECT_EQ(s[0]->data[5], 30);  // guard at loop end = value at loop start
    EXPECT_EQ(s[1]->loop_kind, xm_loop_pingpong);
    EXPECT_EQ(s[1]->data[5], 50);  // guard = last value of the loop
    EXPECT_EQ(s[2]->loop_kind, xm_loop_pingpong);
    EXPECT_EQ(s[3]->loop_kind, xm_loop_none);
    EXPECT_EQ(s[3]->loop_start, 0u);
    EXPECT_EQ(s[3]->loop_length, 6u);
    EXPECT_EQ(s[4]->loop_start, 4u);
    EXPECT_EQ(s[4]->loop_length, 2u);
    EXPECT_EQ(s[4]->data[6], 50);
}

TEST_F(xm_loader, sixteen_bit_lengths_are_halved) {
    xmw_sample s = flat_sample(500, 1000, true);
    s.loop = xmw_loop::forward;
    s.loop_start = 100;
    s.loop_length = 200;
    xm_song* song = load(basic_module(1, {instrument_with(s)}), false);
    ASSERT_NE(song, nullptr);
    const xm_sample& loaded = *song->instruments[0].samples[0];
    EXPECT_EQ(loaded.length, 500u);  // 1000 bytes in the file
    EXPECT_EQ(loaded.loop_start, 100u);
    EXPECT_EQ(loaded.loop_length, 200u);
}

TEST_F(xm_loader, instrument_headers_are_skipped_by_their_size) {
    xmw_instrument none;
    none.header_padding = 37;
    xmw_instrument padded = instrument_with(flat_sample(4, 7));
    padded.header_padding = 11;
    padded.fadeout = 300;
    padded.vibrato_depth = 9;
    xm_song* song = load(basic_module(1, {none, padded}), false);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->instruments[0].sample_count, 0u);
    EXPECT_EQ(song->instruments[0].samples[0], &xm_null_sample);
    EXPECT_EQ(song->instruments[1].sample_count, 1u);
    EXPECT_EQ(song->instruments[1].fadeout, 600);
    EXPECT_EQ(song->instruments[1].vibrato_depth, 9);
    EXPECT_EQ(song->instruments[1].samples[0]->data[3], 7);
}

TEST_F(xm_loader, envelopes_are_bounded_for_any_bytes) {
    xmw_instrument inst = instrument_with(flat_sample(4, 1));
    inst.volume_envelope.on = true;
    inst.volume_envelope.loop = true;
    inst.volume_envelope.points = {{0, 64}, {10, 200}, {5, 0}};  // y above 64, x falling back
    inst.volume_envelope.loop_start = 7;                       // beyond the points
    inst.volume_envelope.loop_end = 1;
    inst.panning_envelope.on = true;
    inst.panning_envelope.points = {{0, 32}};  // one point: no envelope
    xm_song* song = load(basic_module(1, {inst}), false);
    ASSERT_NE(song, nullptr);
    const xm_instrument& i = song->instruments[0];
    EXPECT_EQ(i.volume_envelope[1].y, 64);
    EXPECT_EQ(i.volume_envelope[2].x, 10);
    EXPECT_EQ(i.volume_type, xm_env_on);  // the loop that would jump past the points is dropped
    EXPECT_EQ(i.panning_type, 0);
}

TEST_F(xm_loader, header_bpm_is_clamped) {
    xmw_module slow = basic_module(1);
    slow.bpm = 0;
    ASSERT_NE(load(slow, false), nullptr);
    EXPECT_EQ(xm_player_state.current_song->default_bpm, 32);
    xmw_module fast = basic_module(1);
    fast.bpm = 9000;
    ASSERT_NE(load(fast, false), nullptr);
    EXPECT_EQ(xm_player_state.current_song->default_bpm, 255);
}

TEST_F(xm_loader, rejected_modules_leave_no_song) {
    xmw_instrument crowded;
    crowded.samples.assign(17, flat_sample(2, 1));
    EXPECT_EQ(load(basic_module(1, {instrument_with(flat_sample(2, 1)), crowded}), false), nullptr);
    EXPECT_EQ(xm_player_state.current_song, nullptr);
    EXPECT_NE(load(basic_module(32), false), nullptr);
    EXPECT_EQ(load(basic_module(33), false), nullptr);  // the voice pairing allows 32 channels
    EXPECT_EQ(xm_player_state.current_song, nullptr);

    std::vector<uint8_t> bytes = xmw_build(basic_module(1));
    bytes[16] = '!';
    EXPECT_EQ(xm_load_from_memory(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(xm_load_from_memory(bytes.data(), 10), 0);
    EXPECT_EQ(xm_load_from_memory(nullptr, 100), 0);
}

TEST_F(xm_loader, truncated_modules_load_with_what_is_there) {
    xmw_sample s = flat_sample(1000, 300, true);
    s.loop = xmw_loop::forward;
    s.loop_start = 900;
    s.loop_length = 100;
    xmw_module m = basic_module(4, {instrument_with(s)});
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    std::vector<uint8_t> full = xmw_build(m);
    // Cut inside the sample data: the sample keeps the values that are there and its loop moves inside.
    std::vector<uint8_t> cut(full.begin(), full.end() - 1200);
    ASSERT_EQ(xm_load_from_memory(cut.data(), cut.size()), 1);
    const xm_sample& loaded = *xm_player_state.current_song->instruments[0].samples[0];
    EXPECT_EQ(loaded.length, 400u);
    EXPECT_EQ(loaded.loop_kind, xm_loop_none);
    EXPECT_EQ(loaded.data.size(), 408u);
    // Every prefix loads or is rejected without reading or allocating past the data.
    for (size_t n = 0; n < full.size(); n += 7) {
        std::vector<uint8_t> prefix(full.begin(), full.begin() + static_cast<long>(n));
        xm_load_from_memory(prefix.data(), prefix.size());
        xm_free();
    }
}

}  // namespace
