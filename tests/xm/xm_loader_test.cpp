// The XM loader on modules made by the module writer: cells in every packing form, empty and missing
// patterns, instruments and samples, delta and ADPCM decoding, crowded instruments, loops and guard
// values, and what it rejects.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

using cell_bytes = std::vector<int>;

using xm_loader = song_test;

TEST_F(xm_loader, header_bpm_is_clamped) {
    xmw_module m = basic_module(6);
    for (auto [bpm, want] : {std::pair{0, 32}, {9000, 255}}) {
        m.bpm = static_cast<uint16_t>(bpm);
        ASSERT_NE(load(m, false), nullptr);
        EXPECT_EQ(xm_player_state.current_song->default_bpm, want);
    }
}

TEST_F(xm_loader, every_packing_form_unpacks_to_the_same_cells) {
    // {row, channel, cell written, cell stored}: a full cell, effect only, key-off (97 is stored as 255),
    // the last row, and note and instrument bytes out of range, which read as none. Row 1 stays empty.
    const std::tuple<int, int, xmw_cell, cell_bytes> cells[] = {
        {0, 0, {49, 1, 0x40, 0x0C, 0x20}, {49, 1, 0x40, 0x0C, 0x20}}, {0, 2, {0, 0, 0, 0x0F, 3}, {0, 0, 0, 0x0F, 3}},
        {5, 1, {97, 0, 0, 0, 0}, {255, 0, 0, 0, 0}},       {63, 2, {96, 128, 0x10, 0, 0}, {96, 128, 0x10, 0, 0}},
        {7, 0, {98, 129, 0, 0, 0}, {0, 0, 0, 0, 0}},       {7, 1, {254, 255, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {1, 0, {}, {0, 0, 0, 0, 0}}};
    for (xmw_packing packing : {xmw_packing::mixed, xmw_packing::packed, xmw_packing::unpacked}) {
        xmw_module m = basic_module(3);
        m.patterns[0].packing = packing;
        for (const auto& [row, ch, written, stored] : cells) set(m, 0, row, ch, written);
        xm_song* song = load(m, false);
        ASSERT_NE(song, nullptr);
        for (const auto& [row, ch, written, stored] : cells)
            EXPECT_EQ(cell5(song, 0, row, ch), stored) << row << " " << ch;
    }
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
    // Pattern 1 is read from where pattern 0 ended; the orders name pattern 10, so 11 are kept.
    EXPECT_EQ(std::tuple(song->patterns[0].rows, song->patterns[1].rows, song->patterns[10].rows),
              std::tuple(32, 16, 64));
    EXPECT_EQ(std::tuple(song->highest_pattern_used, song->pattern_table_size), std::tuple(11, 11));
    EXPECT_EQ(cell5(song, 1, 0, 1)[0], 60);
    // Anything outside a pattern, or in one the file lacks, reads as an empty cell.
    for (auto [p, r, c] : {std::tuple{0, 31, 1}, {10, 63, 1}, {99, 0, 0}, {1, 16, 0}, {1, 0, 2}})
        EXPECT_EQ(cell5(song, p, r, c), (cell_bytes{0, 0, 0, 0, 0})) << p << " " << r << " " << c;
}

TEST_F(xm_loader, sample_data_is_delta_decoded_to_16_bits) {
    xmw_sample s8 = sample16({0, 127, -128, -1, 5});
    s8.sixteen_bit = false;
    xmw_instrument inst;
    inst.samples = {s8, sample16({0, 32767, -32768, 1, -2})};  // 16-bit differences wrap
    inst.sample_map[0] = 1;
    xm_song* song = load(basic_module(1, {inst}), false);
    ASSERT_NE(song, nullptr);
    const xm_instrument& loaded = song->instruments[0];
    ASSERT_EQ(loaded.sample_count, 2u);
    const xm_sample& a = *loaded.samples[0];
    const xm_sample& b = *loaded.samples[1];
    ASSERT_EQ(std::tuple(a.bits, a.length, a.data.size()), std::tuple(16, 5u, 5u + 8u));
    EXPECT_EQ(std::vector<int16_t>(a.data.begin(), a.data.begin() + 5),
              (std::vector<int16_t>{0, 127 * 256, -128 * 256, -256, 5 * 256}));
    ASSERT_EQ(b.length, 5u);  // a 16-bit length counts values, not bytes
    EXPECT_EQ(std::vector<int16_t>(b.data.begin(), b.data.begin() + 6),
              (std::vector<int16_t>{0, 32767, -32768, 1, -2, 0}));  // no loop: the guard stays 0
    EXPECT_EQ(loaded.sample_map[0], 1);
    for (size_t k = 2; k < 16; ++k) EXPECT_EQ(loaded.samples[k], &xm_null_sample);
}

TEST_F(xm_loader, loops_and_guard_values) {
    const xmw_sample fwd = sample16({10, 20, 30, 40, 50, 60}, xmw_loop::forward, 2, 3);
    xmw_sample both = fwd;
    both.raw_type = 0x13;  // both loop bits: ping-pong
    xmw_instrument inst;
    inst.samples = {fwd, sample16(fwd.data, xmw_loop::pingpong, 2, 3), both,
                    sample16(fwd.data, xmw_loop::forward, 2, 0),     // a loop of nothing is no loop
                    sample16(fwd.data, xmw_loop::forward, 4, 100)};  // past the end: clamped into the sample
    // The padding grows the instrument header; the reader skips it by the header's size.
    inst.header_padding = 11;
    xmw_instrument empty;
    empty.header_padding = 37;
    xm_song* song = load(basic_module(1, {empty, inst}), false);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->instruments[0].sample_count, 0u);
    EXPECT_EQ(song->instruments[0].samples[0], &xm_null_sample);
    // {kind, start, length, guard}: the guard behind a forward loop is the value at its start, behind a
    // ping-pong loop its last value, behind no loop 0. 16-bit loop bounds count values, not bytes.
    const std::tuple<int, uint32_t, uint32_t, int> want[5] = {{xm_loop_forward, 2, 3, 30},
                                                              {xm_loop_pingpong, 2, 3, 50},
                                                              {xm_loop_pingpong, 2, 3, 50},
                                                              {xm_loop_none, 0, 6, 0},
                                                              {xm_loop_forward, 4, 2, 50}};
    for (size_t k = 0; k < 5; ++k) {
        const xm_sample& smp = *song->instruments[1].samples[k];
        EXPECT_EQ(std::tuple(int{smp.loop_kind}, smp.loop_start, smp.loop_length,
                             int{smp.data[smp.loop_start + smp.loop_length]}), want[k]) << k;
    }
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
    // y limited to 64, x kept from falling, the loop that would jump past the points dropped.
    const xm_instrument& i = song->instruments[0];
    EXPECT_EQ(std::tuple(i.volume_envelope[1].y, i.volume_envelope[2].x, i.volume_type, i.panning_type),
              std::tuple(64, 10, xm_env_on, 0));
}

// An 8-bit sample of the values (-128..127), packed as 4-bit ADPCM when asked.
xmw_sample sample8(std::vector<int16_t> values, bool adpcm = false) {
    xmw_sample s = sample16(std::move(values));
    s.sixteen_bit = false;
    s.adpcm = adpcm;
    return s;
}

std::vector<int16_t> first_values(const xm_sample& s, size_t n) {
    return std::vector<int16_t>(s.data.begin(), s.data.begin() + static_cast<long>(std::min(n, s.data.size())));
}

TEST_F(xm_loader, adpcm_samples_decode_to_8_bit_values) {
    // A triangle stepping by +-8 from 0 (two deltas), odd in length so the last byte holds one index;
    // the 8-bit sample behind it must be read from where the packed data really ends.
    std::vector<int16_t> triangle;
    for (int k = 0; k < 61; ++k) triangle.push_back(static_cast<int16_t>(k <= 15 ? 8 * k : k <= 45 ? 8 * (30 - k) : 8 * (k - 60)));
    xmw_sample packed = sample8(triangle, true);
    packed.loop = xmw_loop::forward;
    packed.loop_start = 10;
    packed.loop_length = 51;
    xmw_instrument inst;
    inst.samples = {packed, sample8({3, -3, 7}), sample8({}, true)};
    xmw_module m = basic_module(1, {inst});
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    xm_song* song = load(m, false);
    ASSERT_NE(song, nullptr);
    const xm_instrument& loaded = song->instruments[0];
    const xm_sample& a = *loaded.samples[0];
    std::vector<int16_t> scaled;
    for (int16_t v : triangle) scaled.push_back(static_cast<int16_t>(v * 256));
    ASSERT_EQ(std::tuple(a.length, a.loop_start, a.loop_length, int{a.bits}), std::tuple(61u, 10u, 51u, 16));
    EXPECT_EQ(first_values(a, 61), scaled);
    EXPECT_EQ(a.data[61], a.data[10]);  // the guard behind the loop
    EXPECT_EQ(first_values(*loaded.samples[1], 4), (std::vector<int16_t>{3 * 256, -3 * 256, 7 * 256, 0}));
    EXPECT_EQ(std::tuple(loaded.sample_count, loaded.samples[2]->length), std::tuple(3u, 0u));

    // And it plays.
    EXPECT_NE(render_blocks(xmw_build(m), 4), std::vector<int16_t>(4 * 884 * 2, 0));
}

TEST_F(xm_loader, instruments_of_more_than_16_samples_keep_the_first_16) {
    // 23 samples of every storage kind and length; each is flat at its own value. The second
    // instrument's sample must be read from behind all 23.
    xmw_instrument crowded;
    for (int k = 0; k < 23; ++k) {
        const auto n = static_cast<size_t>(5 + k);
        const auto v = static_cast<int16_t>(k + 1);
        crowded.samples.push_back(k % 3 == 0 ? flat_sample(n, static_cast<int16_t>(v * 100))
                                             : sample8(std::vector<int16_t>(n, v), k % 3 == 2));
    }
    crowded.sample_map.fill(15);
    xmw_module m = basic_module(2, {crowded, instrument_with(sample16({11, 22, 33}))});
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    set(m, 0, 0, 1, {49, 2, 0, 0, 0});
    xm_song* song = load(m, false);
    ASSERT_NE(song, nullptr);
    const xm_instrument& first = song->instruments[0];
    ASSERT_EQ(first.sample_count, 16u);
    for (size_t k = 0; k < 16; ++k) {
        const int16_t v = static_cast<int16_t>(k + 1);
        EXPECT_EQ(std::tuple(first.samples[k]->length, first.samples[k]->data[0]),
                  std::tuple(static_cast<uint32_t>(5 + k), static_cast<int16_t>(k % 3 == 0 ? v * 100 : v * 256)))
            << k;
    }
    EXPECT_EQ(first_values(*song->instruments[1].samples[0], 3), (std::vector<int16_t>{11, 22, 33}));
    EXPECT_EQ(song->instruments[1].samples[1], &xm_null_sample);

    // It plays: the note on instrument 1 takes slot 15 through the sample map.
    EXPECT_NE(render_blocks(xmw_build(m), 2), std::vector<int16_t>(2 * 884 * 2, 0));
}

TEST_F(xm_loader, rejected_modules_leave_no_song) {
    // The layout of format versions up to 1.02 (instruments before patterns) is refused, not misread.
    xmw_module old = basic_module(1, {instrument_with(flat_sample(2, 1))});
    old.version = 0x0102;
    EXPECT_EQ(load(old, false), nullptr);
    ASSERT_NE(xm_player_state.load_problem, nullptr);
    EXPECT_NE(std::string(xm_player_state.load_problem).find("1.02"), std::string::npos);
    EXPECT_EQ(xm_player_state.current_song, nullptr);
    old.version = 0x0103;
    EXPECT_NE(load(old, false), nullptr);
    EXPECT_EQ(xm_player_state.load_problem, nullptr);

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
    const xmw_sample s = sample16(std::vector<int16_t>(1000, 300), xmw_loop::forward, 900, 100);
    xmw_module m = basic_module(4, {instrument_with(s)});
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    std::vector<uint8_t> full = xmw_build(m);
    // Cut inside the sample data: the sample keeps the values that are there and its loop moves inside.
    std::vector<uint8_t> cut(full.begin(), full.end() - 1200);
    ASSERT_EQ(xm_load_from_memory(cut.data(), cut.size()), 1);
    const xm_sample& loaded = *xm_player_state.current_song->instruments[0].samples[0];
    EXPECT_EQ(std::tuple(loaded.length, loaded.loop_kind, loaded.data.size()), std::tuple(400u, xm_loop_none, 408u));
    // Every prefix loads or is rejected without reading or allocating past the data.
    for (size_t n = 0; n < full.size(); n += 7) {
        std::vector<uint8_t> prefix(full.begin(), full.begin() + static_cast<long>(n));
        xm_load_from_memory(prefix.data(), prefix.size());
    }
}

}  // namespace
