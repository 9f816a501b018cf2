// Effects as trackers play them, heard through the mixer: each module spells the same music twice, once
// with the behaviour and once with plain commands, on two channels that must then sound the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

using values = std::vector<int>;
using column = std::vector<xmw_cell>;
using xm_tracker_behaviour = song_test;

constexpr int three_seconds = 150;  // blocks of 20 ms

// Channel 0 plays `with` hard to one side, channel 1 plays `plain` hard to the other, each from its own
// copy of the instruments (instrument numbers past the list stay as written). Inverted: both channels
// centred and channel 1's samples phase-inverted, so matching spellings cancel (for panning behaviours).
xmw_module twin(std::vector<xmw_instrument> instruments, const column& with, const column& plain,
                bool inverted = false) {
    const auto n = static_cast<uint8_t>(instruments.size());
    std::vector<xmw_instrument> all;
    for (int side = 0; side < 2; ++side) {
        for (xmw_instrument inst : instruments) {
            for (xmw_sample& s : inst.samples) {
                if (!inverted) s.panning = side ? 255 : 0;
                else if (side)
                    for (int16_t& v : s.data) v = static_cast<int16_t>(-v);
            }
            all.push_back(inst);
        }
    }
    xmw_module m = basic_module(2, std::move(all));
    for (size_t r = 0; r < with.size(); ++r) set(m, 0, static_cast<int>(r), 0, with[r]);
    for (size_t r = 0; r < plain.size(); ++r) {
        xmw_cell c = plain[r];
        if (c.instrument >= 1 && c.instrument <= n) c.instrument = static_cast<uint8_t>(c.instrument + n);
        set(m, 0, static_cast<int>(r), 1, c);
    }
    return m;
}

struct heard {
    int difference;  // largest gap between the two spellings
    int peak;        // largest value the music reaches (the behaviour's spelling alone, when inverted)
};

int peak_of(const std::vector<int16_t>& pcm, size_t first, size_t stride) {
    int peak = 0;
    for (size_t i = first; i < pcm.size(); i += stride) peak = std::max(peak, std::abs(int{pcm[i]}));
    return peak;
}

heard listen(const xmw_module& m, bool inverted = false) {
    std::vector<int16_t> pcm = render_blocks(xmw_build(m), three_seconds);
    if (!inverted) {
        int diff = 0;
        for (size_t i = 0; i + 1 < pcm.size(); i += 2) diff = std::max(diff, std::abs(pcm[i] - pcm[i + 1]));
        return {diff, std::max(peak_of(pcm, 0, 2), peak_of(pcm, 1, 2))};
    }
    xmw_module alone = m;
    for (size_t i = 1; i < alone.patterns[0].cells.size(); i += 2) alone.patterns[0].cells[i] = {};
    return {peak_of(pcm, 0, 1), peak_of(render_blocks(xmw_build(alone), three_seconds), 0, 1)};
}

// A looped sine of the given period in values, at the given sample volume.
xmw_instrument tone(size_t period, uint8_t volume, int16_t amplitude = 8000) {
    xmw_sample s = sine_sample(period, amplitude);
    s.volume = volume;
    return instrument_with(s);
}

// Expects the two spellings to sound the same while the music is clearly heard.
void expect_same(const heard& h) {
    EXPECT_LE(h.difference, 2);
    EXPECT_GT(h.peak, 1000);
}

TEST_F(xm_tracker_behaviour, volume_column_slides_wait_for_the_later_ticks) {
    // 6x / 7x against A0x / Ax0, and the panning slides Dx / Ex against P0x / Px0.
    const column with = {{49, 1, 0x50, 0, 0}, {0, 0, 0x64, 0, 0}, {0, 0, 0x64, 0, 0}, {0, 0, 0x73, 0, 0},
                         {0, 0, 0xD8, 0, 0},  {0, 0, 0xD8, 0, 0}, {0, 0, 0xE4, 0, 0}, {0, 0, 0x82, 0, 0}};
    const column plain = {{49, 1, 0x50, 0, 0},  {0, 0, 0, 0x0A, 0x04}, {0, 0, 0, 0x0A, 0x04},
                          {0, 0, 0, 0x0A, 0x30}, {0, 0, 0, 0x19, 0x08}, {0, 0, 0, 0x19, 0x08},
                          {0, 0, 0, 0x19, 0x40}, {0, 0, 0, 0x0E, 0xB2}};
    expect_same(listen(twin({tone(64, 64)}, with, plain, true), true));
}

TEST_F(xm_tracker_behaviour, lone_instrument_number_and_notes_without_a_sample) {
    // Instrument 2 alone brings back instrument 1's sample volume (48) and is kept for the next note;
    // instrument 3 maps every note to a missing sample and instrument 9 is not there: silence, and 9xx
    // on it does not restart the old sample.
    xmw_instrument none = tone(64, 48);
    none.sample_map.fill(1);
    column with(30), plain(30);
    with[0] = plain[0] = {49, 1, 0, 0, 0};
    with[2] = plain[2] = {0, 0, 0x20, 0, 0};
    with[4] = {0, 2, 0, 0, 0};
    plain[4] = {0, 0, 0x40, 0, 0};
    with[8] = {56, 0, 0, 0, 0};
    plain[8] = {56, 2, 0x40, 0, 0};
    with[12] = {0, 3, 0, 0, 0};
    plain[12] = {0, 0, 0x24, 0, 0};
    with[14] = {51, 0, 0, 0x09, 0x02};
    plain[14] = {0, 0, 0, 0x0C, 0};
    with[18] = plain[18] = {49, 1, 0, 0, 0};
    with[22] = {49, 9, 0, 0x09, 0x01};
    plain[22] = {0, 0, 0, 0x0C, 0};
    with[26] = plain[26] = {49, 1, 0, 0, 0};
    expect_same(listen(twin({tone(64, 48), tone(32, 20, 12000), none}, with, plain)));
}

TEST_F(xm_tracker_behaviour, key_off_on_its_tick_and_only_once_without_an_envelope) {
    // K03 against EC3; K00 ignores its note; a key-off with an instrument restores the volume, one
    // with a volume sets it; a later volume brings the note back each time.
    column with(20), plain(20);
    with[0] = plain[0] = {49, 1, 0, 0, 0};
    with[2] = {0, 0, 0, 0x14, 0x03};
    plain[2] = {0, 0, 0, 0x0E, 0xC3};
    with[4] = plain[4] = {0, 0, 0x40, 0, 0};
    with[6] = {61, 0, 0, 0x14, 0x00};
    plain[6] = {0, 0, 0, 0x0C, 0};
    with[8] = plain[8] = {0, 0, 0x30, 0, 0};
    with[10] = {97, 1, 0, 0, 0};
    plain[10] = {0, 0, 0x40, 0, 0};
    with[12] = {97, 0, 0x20, 0, 0};
    plain[12] = {0, 0, 0x20, 0, 0};
    with[14] = {97, 0, 0, 0, 0};
    plain[14] = {0, 0, 0, 0x0C, 0};
    with[16] = plain[16] = {0, 0, 0x50, 0, 0};
    expect_same(listen(twin({tone(64, 48)}, with, plain)));
}

TEST_F(xm_tracker_behaviour, note_delay_without_instrument_keeps_volume) {
    column with(8), plain(8);
    with[0] = plain[0] = {49, 1, 0, 0, 0};
    with[2] = plain[2] = {0, 0, 0x20, 0, 0};
    with[4] = {53, 0, 0, 0x0E, 0xD2};
    plain[4] = {53, 1, 0x20, 0x0E, 0xD2};
    expect_same(listen(twin({tone(64, 48)}, with, plain)));
}

TEST_F(xm_tracker_behaviour, e90_retriggers_once_on_the_row_tick) {
    // An unlooped, decaying sample, so a restart is plainly heard.
    std::vector<int16_t> pluck;
    for (int i = 0; i < 9000; ++i)
        pluck.push_back(static_cast<int16_t>((i % 50 < 25 ? 9000 : -9000) * (9000 - i) / 9000));
    column with(12), plain(12);
    with[0] = plain[0] = {49, 1, 0, 0, 0};
    with[4] = with[8] = {0, 0, 0, 0x0E, 0x90};
    plain[4] = plain[8] = {49, 0, 0, 0, 0};
    expect_same(listen(twin({instrument_with(sample16(pluck))}, with, plain)));
}

TEST_F(xm_tracker_behaviour, fine_volume_slides_keep_their_own_memories) {
    column with(8), plain(8);
    with[0] = plain[0] = {49, 1, 0x20, 0, 0};
    with[1] = plain[1] = {0, 0, 0, 0x0E, 0xA8};
    with[2] = plain[2] = {0, 0, 0, 0x0E, 0xB2};
    with[3] = with[5] = {0, 0, 0, 0x0E, 0xA0};
    plain[3] = plain[5] = {0, 0, 0, 0x0E, 0xA8};
    with[4] = {0, 0, 0, 0x0E, 0xB0};
    plain[4] = {0, 0, 0, 0x0E, 0xB2};
    expect_same(listen(twin({tone(64, 48)}, with, plain)));
}

TEST_F(xm_tracker_behaviour, tone_portamento_past_its_target_snaps_back) {
    // A slow glide toward E-4, a fast slide up well past it, then the glide resumed at its slow speed
    // lands on the target at once, as the fastest glide does.
    column with(8), plain(8);
    with[0] = plain[0] = {49, 1, 0, 0, 0};
    with[2] = plain[2] = {53, 0, 0, 0x03, 0x01};
    with[3] = plain[3] = {0, 0, 0, 0x01, 0x30};
    with[4] = {0, 0, 0, 0x03, 0x00};
    plain[4] = {0, 0, 0, 0x03, 0xFF};
    expect_same(listen(twin({tone(64, 48)}, with, plain)));
}

TEST_F(xm_tracker_behaviour, volume_column_portamento_with_note_delay_is_a_new_note) {
    // Notes from E-4 up use the instrument's second sample (another wave at volume 24).
    xmw_instrument two = tone(64, 48);
    xmw_sample high = sine_sample(40, 12000);
    high.volume = 24;
    two.samples.push_back(high);
    std::fill(two.sample_map.begin() + 52, two.sample_map.end(), 1);
    column with(8), plain(8);
    with[0] = plain[0] = {49, 1, 0, 0, 0};
    with[2] = plain[2] = {0, 0, 0x20, 0, 0};
    with[4] = {53, 0, 0xF0, 0x0E, 0xD2};
    plain[4] = {53, 1, 0, 0x0E, 0xD2};
    expect_same(listen(twin({two}, with, plain)));
}

// ---- Row and tick values ----

// A one-channel module of speed 4 whose channel 0 holds `cells` from row 0 on.
xm_song* one_channel(const std::vector<xmw_instrument>& instruments, const column& cells) {
    xmw_module m = basic_module(1, instruments);
    m.tempo = 4;
    for (size_t r = 0; r < cells.size(); ++r) set(m, 0, static_cast<int>(r), 0, cells[r]);
    return load(m);
}

int volume() { return channel(0).volume; }

TEST_F(xm_tracker_behaviour, volume_column_and_key_off_ticks) {
    // 0x62: 40 on the row tick, then 2 less on each later tick; K02 zeroes the volume on tick 2; 0x30
    // brings the note back.
    xm_song* song = one_channel({tone(64, 40)}, {{49, 1, 0x62, 0, 0}, {0, 0, 0, 0x14, 0x02}, {0, 0, 0x30, 0, 0}});
    EXPECT_EQ(trace(song, 9, volume), (values{40, 38, 36, 34, 34, 34, 0, 0, 32}));
    EXPECT_EQ(std::tuple(channel(0).key_off, channel(0).volume_envelope.output), std::tuple(1, 64));
}

TEST_F(xm_tracker_behaviour, lone_instrument_restarts_the_playing_envelope) {
    // Instrument 1 falls from 64 to 0 over 10 ticks; instrument 2 (volume 20) has no envelope. After
    // instrument 2 alone, instrument 1's envelope runs again from its top with its sample's volume.
    xmw_instrument falling = tone(64, 40);
    falling.volume_envelope = {{{0, 64}, {10, 0}}, true, false, false, 0, 0, 0};
    xm_song* song = one_channel({falling, tone(32, 20)}, {{49, 1, 0x10, 0, 0}, {0, 2, 0, 0, 0}});
    ticks(song, 4);
    EXPECT_EQ(trace(song, 4, [] { return channel(0).volume_envelope.output; }), (values{64, 57, 51, 44}));
    EXPECT_EQ(std::tuple(channel(0).volume, channel(0).instrument), std::tuple(40, 1));
}

TEST_F(xm_tracker_behaviour, e90_and_tone_portamento_ticks) {
    // E90 sets the trigger on the row tick only.
    xm_song* song = one_channel({tone(64, 40)}, {{49, 1, 0, 0, 0}, {0, 0, 0, 0x0E, 0x90}});
    ticks(song, 4);
    EXPECT_EQ(trace(song, 4, [] { return channel(0).update_flags & xm_flag_trigger; }), (values{8, 0, 0, 0}));

    // 340 reaches E-4 (4352); 220 then slides down past it; 300 goes straight back to the target
    // instead of gliding toward it.
    song = one_channel({tone(64, 40)}, {{49, 1, 0, 0, 0}, {53, 0, 0, 0x03, 0x40}, {0, 0, 0, 0x02, 0x20},
                                        {0, 0, 0, 0x03, 0x00}});
    ticks(song, 4);
    EXPECT_EQ(trace(song, 12, [] { return channel(0).period; }),
              (values{4608, 4352, 4352, 4352, 4352, 4480, 4608, 4736, 4736, 4352, 4352, 4352}));
}

}  // namespace
