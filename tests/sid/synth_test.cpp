// The sound-chip model: rate constants, phase counters, waveforms, sync, ring, noise, envelopes, the
// filter and volume, and the sample channel with its first-sample and repeat rules.
#include <algorithm>
#include <tuple>

#include "tests/sid/sid_test_support.h"

namespace {

// Writes chip registers in order.
void regs(sid_machine& m, std::initializer_list<std::pair<uint32_t, uint8_t>> writes) {
    for (auto [r, v] : writes) sid_write_register(m, r, v);
}

// A fresh machine whose voices are held at level 0 (after init they would rise in attack).
std::unique_ptr<sid_machine> quiet_machine() {
    auto m = fresh_machine();
    for (sid_voice& v : m->voice) v.envelope_phase = envelope_sustain;
    return m;
}

// Holds voice v at a fixed level: sustain phase at sustain level $F (level $F00000). Control writes
// keep the gate bit set so that they do not start the release.
void hold_voice(sid_machine& m, uint32_t v) {
    regs(m, {{6 + 7 * v, 0xF0}});
    m.voice[v].envelope_phase = envelope_sustain;
    m.voice[v].envelope_level = 0xF00000;
}

// Output of one voice at level $F00000 and volume 15 for waveform byte o.
int voice_out(uint32_t o) { return ((static_cast<int>(o) - 128) * 0xF00000 >> 22) * 15; }

// The envelope and filter tests below hear the attack, decay and cutoff rates through worked values.
TEST(synth, the_phase_counter_and_noise_step_wrap_and_hold) {
    auto m = quiet_machine();
    for (const sid_voice& v : m->voice) EXPECT_EQ(v.noise_register, 0xFFFFFFu);

    sid_voice& v = m->voice[0];
    regs(*m, {{0, 0xD6}, {1, 0x1C}});
    render(*m, 102);  // 102 x $1CD6 x 359 = 102 x 2650138 passes 2^28 once
    EXPECT_EQ(v.phase_counter, 1878620u);

    // Frequency 0 leaves the counter still. Noise steps only when counter bit 23 changes, with feedback
    // from bits 22 and 17; the output byte takes bits 22, 20, 16, 13, 11, 7, 4 and 2.
    regs(*m, {{0, 0}, {1, 0}, {4, 0x80}});
    const uint32_t taps[][4] = {{1, 1u << 21, 1u << 22, 0x80},       {1, 1u << 10, 1u << 11, 0x08},
                                {1, 1u << 1, 1u << 2, 0x01},         {1, 1u << 17, 1u << 18 | 1u, 0},
                                {1, 1u << 22, 1u << 23 | 1u, 0},     {0, 1u << 21, 1u << 21, 0}};
    for (auto [clocked, before, after, out] : taps) {
        v.noise_register = before;
        v.noise_clock = (v.phase_counter >> 23) ^ clocked;
        render(*m, 1);
        EXPECT_EQ(v.phase_counter, 1878620u);
        EXPECT_EQ(std::pair(v.noise_register, uint32_t{v.noise_output}), std::pair(after, out)) << before;
    }
    // The test bit holds the counter at 0 and the noise register at reset.
    regs(*m, {{1, 0x10}, {4, 0x88}});
    render(*m, 10);
    EXPECT_EQ(std::pair(v.phase_counter, v.noise_register), std::pair(0u, 0xFFFFFFu));
}

TEST(synth, waveform_bytes_reach_the_output) {
    auto m = quiet_machine();
    regs(*m, {{24, 0x0F}});
    hold_voice(*m, 0);
    // Control, pulse width, phase counter (frequency 0 keeps it), waveform byte.
    const uint32_t cases[][4] = {
        {0x01, 0, 0, 0xFF},  // no waveform bit: a constant $FF
        {0x41, 0xFFF, 0xFFF0000, 0xFF},  // pulse: high up to the width's counter value
        {0x41, 0xFFF, 0xFFF0001, 0x00},
        {0x21, 0, 0xABCDEF0, 0xAB},         // sawtooth: bits 20-27
        {0x11, 0, 0xABCDEF0, 0x57 ^ 0xFF},  // triangle: bits 19-26, folded
        {0x11, 0, 0x3000000, 0x60},
        {0x31, 0, 0x3000000, 0x60 & 0x30},  // together: AND
    };
    for (auto [control, width, counter, out] : cases) {
        regs(*m, {{2, uint8_t(width)}, {3, uint8_t(width >> 8)}, {4, uint8_t(control)}});
        m->voice[0].phase_counter = counter;
        EXPECT_EQ(render(*m, 1)[0], voice_out(out)) << std::hex << control << " " << counter;
    }
}

TEST(synth, hard_sync_and_ring_modulation_follow_the_previous_voice) {
    // Voice 0's source is voice 2, which it sees as of the previous sample: the wrap of voice 2 on the
    // first sample restarts voice 0 proportionally on the second.
    auto m = quiet_machine();
    m->regs.voice[2].frequency = 0x1000;
    m->regs.voice[0].frequency = 0x0100;
    m->voice[2].phase_counter = 0xFFFFFFFu - 100u;
    m->voice[0].phase_counter = 0x5000000u;
    regs(*m, {{4, 0x02}});
    render(*m, 1);
    EXPECT_EQ(m->voice[0].phase_counter, 0x5000000u + 91904u);  // steps of $100 x 359 and $1000 x 359
    render(*m, 1);
    // Voice 2 passed the wrap by 1470363 of its 1470464 step: voice 0 is that share into its own step.
    EXPECT_EQ(m->voice[0].phase_counter, 91897u);

    // Ring: a voice's triangle is inverted while its source's counter is in the lower half. Voice 1
    // sees voice 0 as of this sample, voice 0 sees voice 2 as of the previous one. The source crosses
    // into the upper half during the first sample; the voice's own triangle byte is $60.
    for (auto [v, s, first] : {std::tuple{1u, 0u, -1800}, std::tuple{0u, 2u, 1740}}) {
        auto r = quiet_machine();
        hold_voice(*r, v);
        regs(*r, {{24, 0x0F}, {4 + 7 * v, 0x15}, {7 * s, 1}});
        r->voice[v].phase_counter = 0x3000000u;
        r->voice[s].phase_counter = 0x7FFFFFFu;
        EXPECT_EQ(render(*r, 2), (std::vector<int16_t>{int16_t(first), -1800})) << v; // $9F: 1740, $60: -1800
    }
}

TEST(synth, envelope_phases_follow_the_step_tables) {
    auto m = quiet_machine();
    sid_voice& v = m->voice[0];
    regs(*m, {{5, 0x31}, {6, 0x8A}, {4, 0x00}, {4, 0x01}});  // attack 3, decay 1, sustain 8, release 10
    // Attack takes ceil($FFFFFF / 15998) = 1049 samples: a sample early or late, the level would be one
    // decay step lower or one attack step short.
    render(*m, 1049);
    EXPECT_EQ(v.envelope_level, 0xFFFFFF);
    render(*m, 543);  // decay to sustain: ceil($7FFFFF / 15468)
    EXPECT_EQ(std::pair(v.envelope_level, v.envelope_phase),
              (std::pair<int32_t, uint8_t>(0x800000, envelope_sustain)));

    // A gate-on write while sounding does not restart; off then on restarts from the current level.
    regs(*m, {{4, 0x01}});
    render(*m, 1);
    regs(*m, {{4, 0x00}, {4, 0x01}});
    render(*m, 1);
    EXPECT_EQ(v.envelope_level, 0x800000 + 15998);  // one attack step, once

    // Gate off during the attack releases from the level reached: 100 x 15998 up, 10 x 15468 down.
    auto a = quiet_machine();
    regs(*a, {{5, 0x30}, {6, 0x81}, {4, 0x00}, {4, 0x01}});
    render(*a, 100);
    regs(*a, {{4, 0x00}});
    render(*a, 10);
    EXPECT_EQ(a->voice[0].envelope_level, 1445120);

    // A raised sustain is jumped to.
    v.envelope_phase = envelope_sustain;
    v.envelope_level = 0x800000;
    regs(*m, {{6, 0xCA}});
    render(*m, 2);
    EXPECT_EQ(v.envelope_level, 0xC00000);

    // Release stops at $40000, which still sounds as (o - 128) / 16 rounded down.
    regs(*m, {{6, 0xC0}, {4, 0x00}});
    render(*m, 1000);
    EXPECT_EQ(v.envelope_level, 0x40000);
    regs(*m, {{24, 0x01}, {4, 0x20}, {1, 1}});  // sawtooth, gate still off
    v.phase_counter = 0x0F00000u - 359u * 0x100u;
    EXPECT_EQ(render(*m, 1)[0], (0x0F - 128) >> 4);
}

TEST(synth, filter_modes_cutoff_volume_and_voice_3_off) {
    auto m = quiet_machine();
    // The third voice held high with no waveform, routed through the filter.
    hold_voice(*m, 2);
    regs(*m, {{23, 0x04}, {22, 0x80}, {24, 0x0F}});  // no filter mode: a filtered voice is not heard
    EXPECT_TRUE(render(*m, 64)[63] == 0 && m->filter.w == 65536);
    regs(*m, {{24, 0x1F}});  // low-pass passes the constant level through
    EXPECT_NEAR(render(*m, 2000).back(), voice_out(0xFF), 15 * 2);
    regs(*m, {{24, 0x9F}});  // voice 3 off silences it even though it is filtered
    EXPECT_NEAR(render(*m, 4000).back(), 0, 15 * 2);
    regs(*m, {{21, 0x07}, {22, 0x10}});  // cutoff: the high byte counts 16 times the low bits
    render(*m, 1);
    EXPECT_EQ(m->filter.w, 8416);  // cutoff 263
}

TEST(synth, band_and_high_pass_step_responses_follow_the_resonance) {
    // A step of 476 (voice 3 held at $FF) into the filter at full cutoff (w = 65536, w >> 8 = 256),
    // worked by hand from the filter's equations: on the first sample hp = bp = 476 x 65536; on the
    // second hp = -(bp >> 8) x q and bp grows by it, with q = (78643 - 2621 x resonance) >> 8, that is
    // 307 at resonance 0 and 153 at resonance 15. Outputs are the state >> 16 at volume 15.
    for (auto [resonance, mode, second] : {std::tuple{0u, 0x20u, -95}, std::tuple{15u, 0x20u, 191},
                                           std::tuple{0u, 0x40u, -571}, std::tuple{15u, 0x40u, -285}}) {
        auto m = quiet_machine();
        hold_voice(*m, 2);
        regs(*m, {{23, 0x04 | resonance << 4}, {21, 0x07}, {22, 0xFF}, {24, mode | 0x0F}});
        EXPECT_EQ(render(*m, 2), (std::vector<int16_t>{476 * 15, int16_t(second * 15)}))
            << resonance << " " << mode;
    }
}

TEST(synth, loud_resonance_clips_instead_of_wrapping) {
    auto m = quiet_machine();
    // Three square waves at the resonance of a low-pass with resonance 15, at full volume.
    for (uint32_t v = 0; v < 3; ++v) {
        hold_voice(*m, v);
        regs(*m, {{7 * v, 0x3C}, {1 + 7 * v, 0x74}, {3 + 7 * v, 0x08}, {4 + 7 * v, 0x41}});
    }
    regs(*m, {{23, 0xF7}, {22, 0x20}, {24, 0x1F}});
    const std::vector<int16_t> out = render(*m, 4000);
    EXPECT_EQ(std::pair(*std::min_element(out.begin(), out.end()), *std::max_element(out.begin(), out.end())),
              (std::pair<int16_t, int16_t>(-32768, 32767)));
    for (size_t i = 1; i < out.size(); ++i)
        ASSERT_LT(std::abs(out[i] - out[i - 1]), 30000) << "wrapped at " << i;
}

struct sample_channel_test : ::testing::Test {
    std::unique_ptr<sid_machine> mp = fresh_machine();
    sid_machine& m = *mp;
    void trigger(uint32_t start, uint32_t end, uint32_t period, uint32_t order, uint32_t repeats,
                 uint32_t repeat_at, uint32_t value = 0xFF) {
        const uint16_t at[] = {0xD41E, 0xD41F, 0xD43D, 0xD43E, 0xD45D, 0xD45E,
                               0xD47D, 0xD43F, 0xD47E, 0xD47F, 0xD41D};
        const uint32_t bytes[] = {start, start >> 8, end,       end >> 8,       period, period >> 8,
                                  order, repeats,    repeat_at, repeat_at >> 8, value};
        for (size_t i = 0; i < std::size(at); ++i)
            sample_channel_write(m, at[i], static_cast<uint8_t>(bytes[i]));
    }
    std::vector<int32_t> mix(int n) {
        std::vector<int32_t> out;
        for (int i = 0; i < n; ++i) out.push_back(sample_channel_mix(m, 0));
        return out;
    }
};

TEST_F(sample_channel_test, first_sample_carries_the_previous_value_and_other_orders_count_down) {
    poke(m, 0x2000, {0xC3, 0x5F, 0xA0});
    trigger(0x2000, 0x2001, 22, 0, 0, 0);
    EXPECT_EQ(mix(4), (std::vector<int32_t>{0, 5120, 0, 0}));  // high nibble $C, then the end
    // That run left the low nibble $F of $2001 (8192) and nibble index 0; a trigger resets neither.
    // Order 1 counts down: from index 0 it moves to the next byte at once, so $C3 is never heard.
    trigger(0x2000, 0x2002, 22, 1, 0, 0);
    EXPECT_EQ(mix(4), (std::vector<int32_t>{8192, -2048, 8192, 0}));  // $5, $F of $5F
    // Now at index 1 (value $A of $2002): the same trigger starts with the low nibble $3 of $C3.
    trigger(0x2000, 0x2002, 22, 1, 0, 0);
    EXPECT_EQ(mix(5), (std::vector<int32_t>{3072, -4096, -2048, 8192, 0}));
}

TEST_F(sample_channel_test, repeats_silent_cases_and_the_stop_value) {
    poke(m, 0x2000, {0x11, 0x22});
    // Two bytes, the second repeated twice more: one sample per nibble, 8 in all, then silence.
    trigger(0x2000, 0x2002, 22, 0, 2, 0x2001);
    int heard = 0;
    for (; heard < 40 && m.sample.address >= m.sample.start && m.sample.address < m.sample.end; ++heard)
        sample_channel_mix(m, 0);
    EXPECT_EQ(std::pair(heard, m.sample.repeat_count), std::pair(8, 0));

    // A trigger whose start equals its end adds nothing.
    trigger(0x2000, 0x2000, 22, 0, 0, 0);
    EXPECT_EQ(mix(3), (std::vector<int32_t>{0, 0, 0}));
    sample_channel_output = 1024;
    trigger(0x2000, 0x2010, 0, 0, 0, 0);  // period 0
    EXPECT_EQ(mix(3), (std::vector<int32_t>{0, 0, 0}));
    trigger(0x2000, 0x2010, 22, 0, 0, 0, 0xFD);  // $FD stops the channel
    EXPECT_EQ(mix(1)[0], 0);
    trigger(0x2000, 0x2010, 22, 0, 0, 0, 0x10);  // smaller values keep the active flag as it was
    EXPECT_EQ(mix(1)[0], 0);
    trigger(0x2000, 0x2010, 22, 0, 0, 0, 0xFE);
    EXPECT_EQ(mix(1)[0], 1024);
    const int32_t held = sample_channel_output;  // volume 0 silences the voices, not the sample channel
    EXPECT_EQ(render(m, 1)[0], held);
}

}  // namespace
