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

// Channel 0 plays `with` hard left, channel 1 plays `plain` hard right, each from its own copy of the
// instruments (instrument numbers past the list stay as written).
xmw_module twin(std::vector<xmw_instrument> instruments, const column& with, const column& plain) {
    const auto n = static_cast<uint8_t>(instruments.size());
    std::vector<xmw_instrument> all;
    for (int side = 0; side < 2; ++side)
        for (xmw_instrument inst : instruments) {
            for (xmw_sample& s : inst.samples) s.panning = side ? 255 : 0;
            all.push_back(inst);
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

// A looped sine of the given period in values, at the given sample volume.
xmw_instrument tone(size_t period, uint8_t volume, int16_t amplitude = 8000) {
    xmw_sample s = sine_sample(period, amplitude);
    s.volume = volume;
    return instrument_with(s);
}

// Expects the two spellings to sound the same (within 2) while the music is clearly heard (above 1000).
void expect_same(const xmw_module& m) {
    int difference = 0, peak = 0;
    const std::vector<int16_t> pcm = render_blocks(xmw_build(m), three_seconds);
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
        difference = std::max(difference, std::abs(pcm[i] - pcm[i + 1]));
        peak = std::max({peak, std::abs(int{pcm[i]}), std::abs(int{pcm[i + 1]})});
    }
    EXPECT_LE(difference, 2);
    EXPECT_GT(peak, 1000);
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
    expect_same(twin({tone(64, 48), tone(32, 20, 12000), none}, with, plain));
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
    expect_same(twin({tone(64, 48)}, with, plain));
}

TEST_F(xm_tracker_behaviour, note_delay_without_instrument_keeps_volume) {
    column with(8), plain(8);
    with[0] = plain[0] = {49, 1, 0, 0, 0};
    with[2] = plain[2] = {0, 0, 0x20, 0, 0};
    with[4] = {53, 0, 0, 0x0E, 0xD2};
    plain[4] = {53, 1, 0x20, 0x0E, 0xD2};
    expect_same(twin({tone(64, 48)}, with, plain));
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
    expect_same(twin({two}, with, plain));
}

TEST_F(xm_tracker_behaviour, lone_instrument_restarts_the_playing_envelope) {
    // Instrument 1 falls from 64 to 0 over 10 ticks; instrument 2 (volume 20) has no envelope. After
    // instrument 2 alone, instrument 1's envelope runs again from its top with its sample's volume.
    xmw_instrument falling = tone(64, 40);
    falling.volume_envelope = {{{0, 64}, {10, 0}}, true, false, false, 0, 0, 0};
    xmw_module m = twin({falling, tone(32, 20)}, {{49, 1, 0x10, 0, 0}, {0, 2, 0, 0, 0}}, {});
    m.tempo = 4;
    xm_song* song = load(m);
    ticks(song, 4);
    EXPECT_EQ(trace(song, 4, [] { return channel(0).volume_envelope.output; }), (values{64, 57, 51, 44}));
    EXPECT_EQ(std::tuple(channel(0).volume, channel(0).instrument), std::tuple(40, 1));
}

}  // namespace
