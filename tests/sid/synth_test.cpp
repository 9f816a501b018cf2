// The sound-chip model: rate constants, phase counters, waveforms, sync, ring, noise, envelopes, the
// filter and volume, and the sample channel with its first-sample and repeat rules.
#include <algorithm>

#include "tests/sid/sid_test_support.h"

namespace {

void reg(sid_machine& m, uint32_t r, uint8_t v) { sid_write_register(m, r, v); }

// A fresh machine whose voices are held at level 0 (after init they would rise in attack).
std::unique_ptr<sid_machine> quiet_machine() {
    auto m = fresh_machine();
    for (sid_voice& v : m->voice) v.envelope_phase = envelope_sustain;
    return m;
}

// Holds voice v at a fixed level: sustain phase at sustain level $F (level $F00000). Control writes
// keep the gate bit set so that they do not start the release.
void hold_voice(sid_machine& m, int v) {
    reg(m, 6 + 7 * v, 0xF0);
    m.voice[v].envelope_phase = envelope_sustain;
    m.voice[v].envelope_level = 0xF00000;
}

// Output of one voice at level $F00000 and volume 15 for waveform byte o.
int voice_out(int o) { return (((o - 128) * 0xF00000) >> 22) * 15; }

TEST(synth, rate_constants_at_44100) {
    auto m = quiet_machine();
    EXPECT_EQ(m->rates.frequency_multiplier, 359u);
    EXPECT_EQ(m->rates.cutoff_multiplier, 32u);
    const std::array<uint32_t, 16> attack = {168867, 47495, 24124, 15998, 10200, 6908, 5692, 4855,
                                             3877,   1555,  777,   486,   389,   129,  77,   48};
    const std::array<uint32_t, 16> decay = {42660, 15468, 7857, 5210, 3322, 2250, 1853, 1581,
                                            1262,  506,   253,  158,  126,  42,   25,   15};
    EXPECT_EQ(m->rates.attack_step, attack);
    EXPECT_EQ(m->rates.decay_step, decay);
    for (const sid_voice& v : m->voice) EXPECT_EQ(v.noise_register, 0xFFFFFFu);
}

TEST(synth, phase_counter_increments_wraps_and_holds) {
    auto m = quiet_machine();
    reg(*m, 0, 0xD6);
    reg(*m, 1, 0x1C);
    render(*m, 1);
    EXPECT_EQ(m->voice[0].increment, 2650138u);
    EXPECT_EQ(m->voice[0].phase_counter, 2650138u);
    render(*m, 101);  // 102 x 2650138 passes 2^28 once
    EXPECT_EQ(m->voice[0].phase_counter, (102u * 2650138u) & 0xFFFFFFFu);

    // Frequency 0 leaves the counter still; the test bit holds it and the noise register at reset.
    reg(*m, 0, 0);
    reg(*m, 1, 0);
    const uint32_t still = m->voice[0].phase_counter;
    render(*m, 10);
    EXPECT_EQ(m->voice[0].phase_counter, still);
    reg(*m, 1, 0x10);
    reg(*m, 4, 0x88);  // test bit with noise
    m->voice[0].noise_register = 0x123;
    render(*m, 10);
    EXPECT_EQ(m->voice[0].phase_counter, 0u);
    EXPECT_EQ(m->voice[0].noise_register, 0xFFFFFFu);
}

TEST(synth, waveform_bytes_reach_the_output) {
    auto m = quiet_machine();
    reg(*m, 24, 0x0F);
    hold_voice(*m, 0);
    // No waveform bit: a constant $FF.
    EXPECT_EQ(render(*m, 1)[0], voice_out(0xFF));

    // Pulse width 0 is high only while the counter is 0.
    reg(*m, 4, 0x40 | 1);
    EXPECT_EQ(render(*m, 1)[0], voice_out(0xFF));
    reg(*m, 0, 1);
    EXPECT_EQ(render(*m, 1)[0], voice_out(0x00));

    // Pulse width $FFF is high for counters up to $FFF0000.
    reg(*m, 2, 0xFF);
    reg(*m, 3, 0x0F);
    m->voice[0].phase_counter = 0xFFF0000u - 359u;
    EXPECT_EQ(render(*m, 1)[0], voice_out(0xFF));
    EXPECT_EQ(render(*m, 1)[0], voice_out(0x00));

    // Sawtooth is bits 20-27; triangle bits 19-26, folded in the upper half; both together AND.
    reg(*m, 0, 0);
    m->voice[0].phase_counter = 0xABCDEF0u;
    reg(*m, 4, 0x20 | 1);
    EXPECT_EQ(render(*m, 1)[0], voice_out(0xAB));
    reg(*m, 4, 0x10 | 1);
    EXPECT_EQ(render(*m, 1)[0], voice_out(0x57 ^ 0xFF));  // upper half: folded
    m->voice[0].phase_counter = 0x3000000u;
    EXPECT_EQ(render(*m, 1)[0], voice_out(0x60));
    reg(*m, 4, 0x30 | 1);
    EXPECT_EQ(render(*m, 1)[0], voice_out(0x60 & 0x30));
}

TEST(synth, hard_sync_and_ring_modulation_follow_the_previous_voice) {
    auto m = quiet_machine();
    // Voice 0 wraps on the next sample; voice 1 synced to it restarts proportionally.
    m->regs.voice[0].frequency = 0x1000;
    m->regs.voice[1].frequency = 0x0100;
    m->voice[0].phase_counter = 0xFFFFFFFu - 100u;
    m->voice[1].phase_counter = 0x5000000u;
    reg(*m, 11, 0x02);
    render(*m, 1);
    const uint32_t inc0 = 0x1000u * 359u, inc1 = 0x100u * 359u;
    const uint32_t c0 = (0xFFFFFFFu - 100u + inc0) & 0xFFFFFFFu;
    EXPECT_EQ(m->voice[0].phase_counter, c0);
    EXPECT_EQ(m->voice[1].phase_counter, (c0 * inc1) / inc0);

    // Voice 0's source is voice 2, which it sees as of the previous sample.
    auto n = quiet_machine();
    n->regs.voice[2].frequency = 0x1000;
    n->regs.voice[0].frequency = 0x0100;
    n->voice[2].phase_counter = 0xFFFFFFFu - 100u;
    n->voice[0].phase_counter = 0x5000000u;
    reg(*n, 4, 0x02);
    render(*n, 1);
    EXPECT_EQ(n->voice[0].phase_counter, 0x5000000u + inc1);  // voice 2 had not wrapped yet
    render(*n, 1);
    EXPECT_EQ(n->voice[0].phase_counter, ((inc0 - 101u) * inc1) / inc0);

    // Ring: the triangle is inverted while the source counter is in its lower half.
    auto r = quiet_machine();
    reg(*r, 24, 0x0F);
    hold_voice(*r, 1);
    r->voice[1].phase_counter = 0x3000000u;
    reg(*r, 11, 0x15);
    r->voice[0].phase_counter = 0x1000000u;
    EXPECT_EQ(render(*r, 1)[0], voice_out(0x60 ^ 0xFF));
    r->voice[0].phase_counter = 0x9000000u;
    EXPECT_EQ(render(*r, 1)[0], voice_out(0x60));
}

TEST(synth, noise_steps_on_counter_bit_23_changes_only) {
    auto m = quiet_machine();
    reg(*m, 4, 0x80);
    m->regs.voice[0].frequency = 0x1000;  // bit 23 changes about every 5.7 samples
    uint32_t expected = 0xFFFFFFu;
    uint32_t clock = 0;
    uint32_t counter = 0;
    for (int i = 0; i < 200; ++i) {
        render(*m, 1);
        counter = (counter + 0x1000u * 359u) & 0xFFFFFFFu;
        if ((counter >> 23) != clock) {
            clock = counter >> 23;
            expected = expected * 2u + (((expected >> 22) ^ (expected >> 17)) & 1u);
        }
        ASSERT_EQ(m->voice[0].noise_register, expected) << i;
    }
    const uint32_t r = m->voice[0].noise_register;
    const uint8_t out = m->voice[0].noise_output;
    EXPECT_EQ((out >> 7) & 1u, (r >> 22) & 1u);
    EXPECT_EQ((out >> 3) & 1u, (r >> 11) & 1u);
    EXPECT_EQ(out & 1u, (r >> 2) & 1u);
}

TEST(synth, envelope_phases_follow_the_step_tables) {
    auto m = quiet_machine();
    reg(*m, 5, 0x31);  // attack 3, decay 1
    reg(*m, 6, 0x8A);  // sustain 8, release 10
    reg(*m, 4, 0x00);
    reg(*m, 4, 0x01);
    // Attack reaches full level after ceil($FFFFFF / step) samples.
    const int attack_samples = (0xFFFFFF + 15998 - 1) / 15998;
    render(*m, attack_samples - 1);
    EXPECT_EQ(m->voice[0].envelope_phase, envelope_attack);
    render(*m, 1);
    EXPECT_EQ(m->voice[0].envelope_level, 0xFFFFFF);
    EXPECT_EQ(m->voice[0].envelope_phase, envelope_decay);
    const int decay_samples = (0xFFFFFF - 0x800000 + 15468 - 1) / 15468;
    render(*m, decay_samples);
    EXPECT_EQ(m->voice[0].envelope_level, 0x800000);
    EXPECT_EQ(m->voice[0].envelope_phase, envelope_sustain);

    // A gate-on write while sounding does not restart; off then on restarts from the current level.
    reg(*m, 4, 0x01);
    render(*m, 1);
    EXPECT_EQ(m->voice[0].envelope_level, 0x800000);
    reg(*m, 4, 0x00);
    reg(*m, 4, 0x01);
    render(*m, 1);
    EXPECT_EQ(m->voice[0].envelope_level, 0x800000 + 15998);

    // A raised sustain is jumped to; a lowered one decayed to.
    m->voice[0].envelope_phase = envelope_sustain;
    m->voice[0].envelope_level = 0x800000;
    reg(*m, 6, 0xCA);
    render(*m, 2);
    EXPECT_EQ(m->voice[0].envelope_level, 0xC00000);

    // Release stops at $40000, which still sounds as (o - 128) / 16 rounded down.
    reg(*m, 6, 0xC0);
    reg(*m, 4, 0x00);
    render(*m, 1000);
    EXPECT_EQ(m->voice[0].envelope_level, 0x40000);
    reg(*m, 24, 0x01);
    reg(*m, 4, 0x20);  // sawtooth, gate still off
    m->voice[0].phase_counter = 0x0F00000u - 359u * 0x100u;
    reg(*m, 0, 0);
    reg(*m, 1, 1);
    EXPECT_EQ(render(*m, 1)[0], (0x0F - 128) >> 4);
}

TEST(synth, filter_volume_and_voice_3_off) {
    auto m = quiet_machine();
    // Voice 2 (third) held high with no waveform, routed through the filter.
    hold_voice(*m, 2);
    reg(*m, 23, 0x04);
    reg(*m, 22, 0x80);
    reg(*m, 24, 0x0F);  // no filter mode: a filtered voice is not heard
    EXPECT_EQ(render(*m, 64)[63], 0);
    EXPECT_EQ(m->filter.w, 65536);
    reg(*m, 24, 0x1F);  // low-pass passes the constant level through
    const std::vector<int16_t> lp = render(*m, 2000);
    EXPECT_NEAR(lp.back(), voice_out(0xFF), 15 * 2);
    reg(*m, 24, 0x4F);  // high-pass removes it
    const std::vector<int16_t> hp = render(*m, 2000);
    EXPECT_NEAR(hp.back(), 0, 15 * 2);
    reg(*m, 24, 0x9F);  // voice 3 off silences it even though it is filtered
    std::vector<int16_t> off = render(*m, 4000);
    EXPECT_NEAR(off.back(), 0, 15 * 2);
    // Cutoff: the high byte counts 16 times the low bits.
    reg(*m, 21, 0x07);
    reg(*m, 22, 0x10);
    render(*m, 1);
    EXPECT_EQ(m->filter.w, (7 + 16 * 16) * 32);

    // Volume 0 silences the voices but not the sample channel.
    auto v = quiet_machine();
    hold_voice(*v, 0);
    reg(*v, 24, 0x00);
    EXPECT_EQ(render(*v, 4)[3], 0);
    sample_channel_output = 3072;
    sample_channel_write(*v, 0xD41F, 0x30);
    sample_channel_write(*v, 0xD43E, 0x31);
    sample_channel_write(*v, 0xD45D, 100);
    sample_channel_write(*v, 0xD41D, 0xFF);
    EXPECT_EQ(render(*v, 1)[0], 3072);
}

TEST(synth, loud_resonance_clips_instead_of_wrapping) {
    auto m = quiet_machine();
    // Three square waves at the resonance of a low-pass with resonance 15, at full volume.
    for (uint32_t v = 0; v < 3; ++v) {
        hold_voice(*m, static_cast<int>(v));
        reg(*m, 0 + 7 * v, 0x3C);
        reg(*m, 1 + 7 * v, 0x74);
        reg(*m, 3 + 7 * v, 0x08);
        reg(*m, 4 + 7 * v, 0x41);
    }
    reg(*m, 23, 0xF7);
    reg(*m, 22, 0x20);
    reg(*m, 24, 0x1F);
    const std::vector<int16_t> out = render(*m, 4000);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32767);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -32768);
    for (size_t i = 1; i < out.size(); ++i) {
        ASSERT_LT(std::abs(out[i] - out[i - 1]), 30000) << "wrapped at sample " << i;
    }
}

struct sample_channel_test : ::testing::Test {
    std::unique_ptr<sid_machine> mp = fresh_machine();
    sid_machine& m = *mp;
    void trigger(uint16_t start, uint16_t end, uint16_t period, uint8_t order, uint8_t repeats,
                 uint16_t repeat_at, uint8_t value = 0xFF) {
        auto w = [this](uint16_t a, uint32_t v) { sample_channel_write(m, a, static_cast<uint8_t>(v)); };
        w(0xD41E, start);
        w(0xD41F, start >> 8);
        w(0xD43D, end);
        w(0xD43E, end >> 8);
        w(0xD45D, period);
        w(0xD45E, period >> 8);
        w(0xD47D, order);
        w(0xD43F, repeats);
        w(0xD47E, repeat_at);
        w(0xD47F, repeat_at >> 8);
        w(0xD41D, value);
    }
    std::vector<int32_t> mix(int n) {
        std::vector<int32_t> out;
        for (int i = 0; i < n; ++i) out.push_back(sample_channel_mix(m, 0));
        return out;
    }
};

TEST_F(sample_channel_test, first_sample_carries_the_previous_value) {
    m.memory[0x2000] = 0xC3;
    m.memory[0x2001] = 0x5F;
    trigger(0x2000, 0x2001, 22, 0, 0, 0);
    EXPECT_EQ(mix(4), (std::vector<int32_t>{0, (0xC - 7) * 1024, 0, 0}));
    EXPECT_EQ(sample_channel_output, (0xF - 7) * 1024);  // the low nibble read at the end stays

    // Another order counts the nibble index down; the index is not reset by a trigger.
    sample_channel_output = 0;
    m.sample.nibble_index = 1;
    trigger(0x2000, 0x2002, 22, 1, 0, 0);
    EXPECT_EQ(mix(5), (std::vector<int32_t>{0, (0x3 - 7) * 1024, (0x5 - 7) * 1024, (0xF - 7) * 1024, 0}));
}

TEST_F(sample_channel_test, silent_cases) {
    trigger(0x2000, 0x2000, 22, 0, 0, 0);  // start equals end
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
}

TEST_F(sample_channel_test, repeat_count_replays_from_the_repeat_address) {
    m.memory[0x2000] = 0x11;
    m.memory[0x2001] = 0x22;
    // Two bytes, the second repeated twice more: one sample per nibble, 8 in all, then silence.
    int heard = 0;
    trigger(0x2000, 0x2002, 22, 0, 2, 0x2001);
    for (int i = 0; i < 40; ++i) {
        if (!(m.sample.active && m.sample.address >= m.sample.start && m.sample.address < m.sample.end)) break;
        sample_channel_mix(m, 0);
        ++heard;
    }
    EXPECT_EQ(heard, 8);
    EXPECT_EQ(m.sample.repeat_count, 0);

    // Count 0 plays once.
    sample_channel_output = 0;
    trigger(0x2000, 0x2002, 22, 0, 0, 0x2000);
    const std::vector<int32_t> once = mix(8);
    EXPECT_EQ(std::count_if(once.begin() + 1, once.end(), [](int32_t v) { return v != 0; }), 3);
}

}  // namespace
