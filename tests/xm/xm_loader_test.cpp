// The XM loader: a module laid out by hand (header, packed cells, empty and missing patterns,
// instruments, delta-coded samples, loops and guard values), then writer-made ones for bounded
// envelopes, ADPCM, crowded instruments, truncation and what it rejects.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

using cell_bytes = std::vector<int>;

using xm_loader = song_test;

std::vector<int16_t> first_values(const xm_sample& s, size_t n) {
    return std::vector<int16_t>(s.data.begin(),
                                s.data.begin() + static_cast<long>(std::min(n, s.data.size())));
}

// Little-endian fields appended in the file's order.
struct file_bytes {
    std::vector<uint8_t> f;
    file_bytes& u8(std::initializer_list<int> v) {
        for (int b : v) f.push_back(static_cast<uint8_t>(b));
        return *this;
    }
    file_bytes& u16(std::initializer_list<int> v) {
        for (int w : v) u8({w & 255, (w >> 8) & 255});
        return *this;
    }
    file_bytes& u32(uint32_t v) { return u16({int(v & 0xFFFF), int(v >> 16)}); }
    // A text field of n bytes, padded with spaces.
    file_bytes& text(std::string t, size_t n) {
        t.resize(n, ' ');
        f.insert(f.end(), t.begin(), t.end());
        return *this;
    }
    file_bytes& pad(size_t n, uint8_t fill) {
        f.resize(f.size() + n, fill);
        return *this;
    }
};

// A module written byte by byte from the format's published layout, not by the module writer, so that a
// misreading the writer and the loader share shows here.
TEST_F(xm_loader, reads_the_published_layout) {
    file_bytes w;
    w.text("Extended Module: ", 17).text("byte by byte", 20).u8({0x1A}).text("hand tracker", 20);
    w.u16({0x0104});
    // Header size 280 (4 bytes past the order table); length 3, restart 1, 2 channels, 2 patterns,
    // 2 instruments, linear, tempo 5, 140 BPM; orders 1 0 3 (pattern 3 is not in the file).
    w.u32(280).u16({3, 1, 2, 2, 2, 1, 5, 140}).u8({1, 0, 3});
    w.pad(253 + 4, 0xEE);
    // Pattern 0, 3 rows: an unpacked cell; effect and parameter; key-off; note, instrument, volume and
    // parameter; instrument 200; an empty cell.
    const std::vector<int> cells = {49, 1, 0x40, 0x0C, 0x20, 0x98, 0x0F, 0x03, 0x81, 97,
                                    0x97, 60, 2, 0x22, 0x44, 0x82, 200, 0x80};
    w.u32(9).u8({0}).u16({3, static_cast<int>(cells.size())});
    for (int b : cells) w.u8({b});
    w.u32(9).u8({0}).u16({5, 0});  // pattern 1: 5 rows, packed size 0
    // Instrument 1: no samples, a header of 36 bytes.
    w.u32(36).text("empty", 22).u8({0}).u16({0}).pad(7, 0xEE);
    // Instrument 2: 3 samples; notes 1-48 on sample 0, 49-60 on 1, the rest on 2; volume envelope
    // (0,64) (10,32) (20,0), sustain 1, loop 0-2; panning envelope (0,32) (5,0); autovibrato type 2,
    // sweep 3, depth 4, rate 5; fadeout 300.
    const size_t start = w.f.size();
    w.u32(263).text("lead", 22).u8({0}).u16({3}).u32(40);
    for (int n = 0; n < 96; ++n) w.u8({n < 48 ? 0 : n < 60 ? 1 : 2});
    w.u16({0, 64, 10, 32, 20, 0}).pad(36, 0);
    w.u16({0, 32, 5, 0}).pad(40, 0);
    w.u8({3, 2, 1, 0, 2, 0, 0, 0, 7, 1, 2, 3, 4, 5}).u16({300});
    w.pad(start + 263 - w.f.size(), 0);
    // Sample headers: length, loop start, loop length (bytes), volume, finetune, type, panning,
    // relative note, reserved, name. 8-bit forward; 16-bit with both loop bits (ping-pong); 8-bit
    // forward with a loop of length 0 (no loop).
    for (const auto& [length, loop_start, loop_length, type] :
         {std::tuple{6u, 2u, 4u, 0x01}, {8u, 2u, 6u, 0x13}, {3u, 1u, 0u, 0x01}})
        w.u32(length).u32(loop_start).u32(loop_length).u8({48, -16, type, 200, -12, 0}).text("", 22);
    // Deltas of 10 20 -5 100 127 -128; of 1000 -1000 32767 -32768; of 1 2 3.
    w.u8({10, 10, 231, 105, 27, 1}).u16({1000, 63536, 33767, 1}).u8({1, 1, 1});
    const std::vector<uint8_t>& f = w.f;
    ASSERT_EQ(xm_load_from_memory(f.data(), f.size()), 1);
    const xm_song& s = *xm_player_state.current_song;

    EXPECT_EQ(std::tuple(s.song_length, s.restart_position, s.channel_count, s.instrument_count, s.flags,
                         s.default_tempo, s.default_bpm, s.order_table[2], s.highest_pattern_used),
              std::tuple(3, 1, 2, 2, 1, 5, 140, 3, 4));
    EXPECT_EQ((std::vector<uint32_t>{s.patterns[0].rows, s.patterns[1].rows, s.patterns[2].rows,
                                     s.patterns[3].rows}),
              (std::vector<uint32_t>{3, 5, 64, 64}));
    const std::tuple<int, int, cell_bytes> want_cells[] = {
        {0, 0, {49, 1, 0x40, 0x0C, 0x20}}, {0, 1, {0, 0, 0, 0x0F, 3}}, {1, 0, {255, 0, 0, 0, 0}},
        {1, 1, {60, 2, 0x22, 0, 0x44}},    {2, 0, {0, 0, 0, 0, 0}},     {2, 1, {0, 0, 0, 0, 0}}};
    for (const auto& [row, ch, want] : want_cells) EXPECT_EQ(cell5(&s, 0, row, ch), want) << row << " " << ch;
    // Anything outside a pattern, or in one the file lacks, reads as an empty cell.
    for (auto [p, r, c] : {std::tuple{1, 4, 1}, {3, 63, 1}, {99, 0, 0}, {0, 3, 0}, {0, 0, 2}})
        EXPECT_EQ(cell5(&s, p, r, c), (cell_bytes{0, 0, 0, 0, 0})) << p << " " << r << " " << c;

    EXPECT_EQ(std::tuple(s.instruments[0].sample_count, s.instruments[0].samples[0]),
              std::tuple(0u, &xm_null_sample));
    // Sample count, map, envelope points, the fourteen envelope and vibrato bytes, fadeout (doubled).
    const xm_instrument& in = s.instruments[1];
    EXPECT_EQ((std::vector<int>{int(in.sample_count),    in.sample_map[47],        in.sample_map[48],
                                in.sample_map[95],       in.volume_envelope[1].x,  in.volume_envelope[1].y,
                                in.volume_envelope[2].x, in.panning_envelope[0].y, in.panning_envelope[1].x,
                                in.volume_points,        in.panning_points,        in.volume_sustain,
                                in.volume_loop_start,    in.volume_loop_end,       in.volume_type,
                                in.panning_type,         in.vibrato_type,          in.vibrato_sweep,
                                in.vibrato_depth,        in.vibrato_rate,          in.fadeout}),
              (std::vector<int>{3, 0, 1, 2, 10, 32, 20, 32, 5, 3, 2, 1, 0, 2, 7, 1, 2, 3, 4, 5, 600}));
    // {kind, length, loop start, loop length, values and the guard behind the loop}: 16-bit fields
    // count values, not bytes; 8-bit values are scaled by 256.
    const std::tuple<int, uint32_t, uint32_t, uint32_t, std::vector<int16_t>> want_samples[] = {
        {xm_loop_forward, 6, 2, 4, {2560, 5120, -1280, 25600, 32512, -32768, -1280}},
        {xm_loop_pingpong, 4, 1, 3, {1000, -1000, 32767, -32768, -32768}},
        {xm_loop_none, 3, 0, 3, {256, 512, 768, 0}}};
    for (size_t k = 0; k < 3; ++k) {
        const xm_sample& x = *in.samples[k];
        EXPECT_EQ(std::tuple(int{x.loop_kind}, x.length, x.loop_start, x.loop_length,
                             first_values(x, x.length + 1)),
                  want_samples[k])
            << k;
        EXPECT_EQ(std::tuple(x.volume, x.finetune, x.panning, x.relative_note),
                  std::tuple(48, -16, 200u, -12))
            << k;
    }
}

TEST_F(xm_loader, envelopes_are_bounded_for_any_bytes) {
    xmw_instrument inst = instrument_with(flat_sample(4, 1));
    // y above 64, x falling back, a loop starting beyond the points; a panning envelope of one point.
    inst.volume_envelope = {{{0, 64}, {10, 200}, {5, 0}}, true, false, true, 0, 7, 1};
    inst.panning_envelope = {{{0, 32}}, true, false, false, 0, 0, 0};
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


TEST_F(xm_loader, adpcm_samples_decode_to_8_bit_values) {
    // A triangle stepping by +-8 from 0 (two deltas), odd in length so the last byte holds one index.
    std::vector<int16_t> triangle;
    for (int k = 0; k < 61; ++k)
        triangle.push_back(static_cast<int16_t>(k <= 15 ? 8 * k : k <= 45 ? 8 * (30 - k) : 8 * (k - 60)));
    xmw_sample packed = sample8(triangle, true);
    packed.loop = xmw_loop::forward;
    packed.loop_start = 10;
    packed.loop_length = 51;
    xmw_instrument inst = instrument_with(packed);
    inst.samples.push_back(sample8({}, true));
    xm_song* song = load(basic_module(1, {inst}), false);
    ASSERT_NE(song, nullptr);
    const xm_instrument& loaded = song->instruments[0];
    const xm_sample& a = *loaded.samples[0];
    std::vector<int16_t> scaled;
    for (int16_t v : triangle) scaled.push_back(static_cast<int16_t>(v * 256));
    ASSERT_EQ(std::tuple(a.length, a.loop_start, a.loop_length, int{a.bits}), std::tuple(61u, 10u, 51u, 16));
    EXPECT_EQ(first_values(a, 61), scaled);
    EXPECT_EQ(a.data[61], a.data[10]);  // the guard behind the loop
    EXPECT_EQ(std::tuple(loaded.sample_count, loaded.samples[1]->length), std::tuple(2u, 0u));
}

TEST_F(xm_loader, instruments_of_more_than_16_samples_keep_the_first_16) {
    // 23 samples of every storage kind and length (ADPCM ones of odd length too); each is flat at its own
    // value, so each must be read from where the one before really ends, and the second instrument's
    // sample from behind all 23.
    xmw_instrument crowded;
    for (int k = 0; k < 23; ++k) {
        const auto n = static_cast<size_t>(5 + k);
        const auto v = static_cast<int16_t>(k + 1);
        crowded.samples.push_back(k % 3 == 0 ? flat_sample(n, static_cast<int16_t>(v * 100))
                                             : sample8(std::vector<int16_t>(n, v), k % 3 == 2));
    }
    xm_song* song = load(basic_module(2, {crowded, instrument_with(sample16({11, 22, 33}))}), false);
    ASSERT_NE(song, nullptr);
    const xm_instrument& first = song->instruments[0];
    ASSERT_EQ(first.sample_count, 16u);
    for (size_t k = 0; k < 16; ++k) {
        const int16_t v = static_cast<int16_t>(k + 1);
        EXPECT_EQ(
            std::tuple(first.samples[k]->length, first.samples[k]->data[0]),
            std::tuple(static_cast<uint32_t>(5 + k), static_cast<int16_t>(k % 3 == 0 ? v * 100 : v * 256)))
            << k;
    }
    EXPECT_EQ(first_values(*song->instruments[1].samples[0], 3), (std::vector<int16_t>{11, 22, 33}));
    EXPECT_EQ(song->instruments[1].samples[1], &xm_null_sample);
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
    EXPECT_EQ(std::tuple(loaded.length, loaded.loop_kind, loaded.data.size()),
              std::tuple(400u, xm_loop_none, 408u));
    // Every prefix loads or is rejected without reading or allocating past the data.
    for (size_t n = 0; n < full.size(); n += 7) {
        std::vector<uint8_t> prefix(full.begin(), full.begin() + static_cast<long>(n));
        xm_load_from_memory(prefix.data(), prefix.size());
    }
}

}  // namespace
