// Tune 4, "Glass Meadows": a calm ambient piece in F (Fmaj7 Am7 Dm7 Bbmaj7), 70 BPM, about 2:15 a
// pass. Form: dawn (pads alone), the bells, the glass lead's two phrases, a brighter middle over
// Bbmaj7-C-Am7-Dm7 with a soft pulse (the swell's line, then the lead an octave up), a breakdown of
// shimmering bells with a looped bar while the pads fade, the phrases again, and a closing that hands
// back to the bells.
// Channels: 0-2 pad, 3 sub bass, 4 bells, 5 bell echo, 6 glass lead, 7 shaker, 8 swell, 9 soft pulse.
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

constexpr int channels = 10;

struct progression {
    std::vector<std::string> roots;
    std::vector<std::string> pads;
    std::vector<std::string> bells;
};

const progression home = {{"F2", "A2", "D2", "A#1"},
                          {"A3 C4 E4", "G3 C4 E4", "A3 C4 F4", "A3 D4 F4"},
                          {"F5 A5 C6 E6", "E5 A5 C6 G6", "D5 F5 A5 C6", "D5 F5 A#5 D6"}};
const progression bright = {{"A#1", "C2", "A1", "D2"},
                            {"A3 D4 F4", "G3 C4 E4", "G3 C4 E4", "A3 C4 F4"},
                            {"A#4 D5 F5 A5", "C5 E5 G5 A5", "A4 C5 E5 G5", "D5 F5 A5 C6"}};

const char* lead_1 =
    "C5 . . . . . . . A4 . . . . . . . | E5 . . . . . . . . . . . C5 . . . | "
    "D5 . . . . . . . F5 . . . . . . . | D5 . . . . . . . . . . . ^ . . .";
const char* lead_2 =
    "A5 . . . . . G5 . . . . . F5 . . . | E5 . . . . . . . . . . . C5 . . . | "
    "F5 . . . . . A5 . . . . . C6 . . . | A#5 . . . . . A5 . . . . . ^ . . .";
const char* lead_3 =
    "D5 . . . . . F5 . . . . . A5 . . . | G5 . . . . . . . E5 . . . . . . . | "
    "E5 . . . . . G5 . . . . . C6 . . . | A5 . . . . . . . . . . . ^ . . .";
const char* swell_line =
    "F4 . . . . . . . . . . . . . . . | E4 . . . . . . . G4 . . . . . . . | "
    "C5 . . . . . . . . . . . . . . . | A4 . . . . . . . . . . . . . . .";
const char* closing =
    "C5 . . . . . . . A4 . . . . . . . | G4 . . . . . . . . . . . E4~ . . . | "
    "F4 . . . . . . . . . . . . . . . | . . . . . . . . . . . . ^ . . .";

struct instruments {
    int pad, sub, bell, lead, shaker, swell, pulse;
};

struct section {
    const progression* prog = &home;
    int pad = 26;
    const char* sub = "x.......x.......";
    const char* bells = nullptr;  // arpeggio figure
    int bell_volume = 30;
    const char* lead = nullptr;
    int lead_shift = 0;
    const char* swell = nullptr;
    bool shaker = false;
    bool pulse = false;
};

const xmw_cell& cell_at(const composition& c, int p, int row, int ch) {
    return c.module.patterns[static_cast<size_t>(p)].cells[static_cast<size_t>(row * channels + ch)];
}

int build_section(composition& c, const instruments& in, const section& s) {
    const int p = compose_pattern(c);
    if (s.pad) compose_chords(c, p, {0, 1, 2}, s.prog->pads, in.pad, s.pad);
    if (s.sub) compose_bass(c, p, 3, s.prog->roots, s.sub, in.sub, 50);
    if (s.bells) {
        compose_arpeggio(c, p, 4, s.prog->bells, s.bells, 1, in.bell, s.bell_volume);
        compose_echo(c, p, 4, 5, 3, 45);
        // The echo drifts between the sides (effect 8); every fourth bell starts past its strike
        // (effect 9), softer.
        bool left = true;
        int n = 0;
        for (int row = 0; row < 64; ++row) {
            if (cell_at(c, p, row, 5).note != 0) {
                compose_effect(c, p, row, 5, 8, left ? 0xC0 : 0x40);
                left = !left;
            }
            if (cell_at(c, p, row, 4).note != 0 && n++ % 4 == 3) compose_effect(c, p, row, 4, 9, 0x28);
        }
    }
    if (s.lead) {
        compose_track(c, p, 6, 0, s.lead, in.lead, s.lead_shift);
        compose_vibrato_tails(c, p, 6, 4, 0x42);
    }
    if (s.swell) compose_track(c, p, 8, 0, s.swell, in.swell);
    if (s.shaker) compose_steps(c, p, 7, "....o.......o.o.", in.shaker, "C4", 14);
    if (s.pulse) compose_steps(c, p, 9, "x.......x.....o.", in.pulse, "C4", 20);
    return p;
}

}  // namespace

composition compose_glass_meadows() {
    composition c = compose_begin("Glass Meadows", channels, 6, 70);
    instruments in{};
    in.pad = compose_instrument(c, "pad", synth_ensemble(10, 1, false, 0.85f));
    compose_volume_envelope(c, in.pad, {{0, 0}, {60, 48}, {140, 40}}, 2, 160);
    compose_panning_envelope(c, in.pad, {{0, 32}, {120, 22}, {360, 42}, {480, 32}}, 0, 3);
    const float soft_params[1] = {0.2f};
    in.sub = compose_instrument(c, "sub", synth_additive(synth_shape_soft, soft_params, 3, 2, 1, 0.95f, false, true));
    compose_volume_envelope(c, in.sub, {{0, 0}, {10, 60}, {120, 44}}, 2, 300);
    in.bell = compose_instrument(c, "bell", synth_bell(1.8, 0.7f, 0.9f));
    const float lead_params[1] = {0.15f};
    in.lead = compose_instrument(c, "glass", synth_additive(synth_shape_soft, lead_params, 3, 2, 1, 0.8f));
    compose_volume_envelope(c, in.lead, {{0, 0}, {24, 50}, {80, 40}}, 2, 250);
    compose_autovibrato(c, in.lead, 60, 8, 10);
    in.shaker = compose_instrument(c, "shaker", synth_shaker(0.4f));
    const float swell_params[1] = {1.6f};
    in.swell = compose_instrument(c, "swell", synth_additive(synth_shape_swell, swell_params, 12, 420, 400, 0.75f, true, true));
    compose_volume_envelope(c, in.swell, {{0, 0}, {50, 44}, {110, 36}}, 2, 200);
    compose_panning_envelope(c, in.swell, {{0, 32}, {80, 50}, {240, 14}, {320, 32}}, 0, 3);
    in.pulse = compose_instrument(c, "pulse", synth_kick(0.4, 110.0, 42.0, 0.05f, 0.9f));
    compose_panning(c, in.bell, 90);
    compose_panning(c, in.shaker, 180);
    compose_panning(c, in.lead, 140);

    // 0: dawn: pads and sub alone.
    section s;
    s.pad = 40;
    s.sub = "x...............";
    const int dawn = build_section(c, in, s);
    // 1: the bells begin.
    s = {};
    s.pad = 34;
    s.bells = "0.1.2.3.2.1.0.2.";
    s.bell_volume = 36;
    const int bells = build_section(c, in, s);
    // 2, 3: the glass lead's two phrases, a shaker drifting in; the pads swell at the turn.
    s = {};
    s.bells = "0.1.2.3.2.1.0.2.";
    s.lead = lead_1;
    s.shaker = true;
    const int t1 = build_section(c, in, s);
    s.bells = "3.2.1.0.1.2.3.1.";
    s.lead = lead_2;
    const int t2 = build_section(c, in, s);
    compose_effect(c, t2, 48, 0, 0xA, 0x10);
    // 4, 5: the brighter middle with a soft pulse: the swell's line, then the lead an octave up.
    s = {};
    s.prog = &bright;
    s.bells = "0...1...2...3...";
    s.bell_volume = 36;
    s.swell = swell_line;
    s.pulse = true;
    s.pad = 34;
    const int m1 = build_section(c, in, s);
    s.bells = "0.1.2.3.0.1.2.3.";
    s.lead = lead_3;
    s.lead_shift = 0;
    s.shaker = true;
    s.swell = nullptr;
    const int m2 = build_section(c, in, s);
    compose_track(c, m2, 8, 32, "C5 . . . . . . . . . . . . . . . | A4 . . . . . . . . . . . . . . .", in.swell);
    // 6: breakdown: the pads fade (volume slide), bells shimmer (retrigger) and bar two plays twice.
    s = {};
    s.pad = 30;
    s.sub = "x...............";
    s.bells = "0.....2.....1...";
    s.bell_volume = 20;
    const int brk = build_section(c, in, s);
    for (int bar = 0; bar < 4; ++bar) {
        for (int ch = 0; ch <= 2; ++ch) {
            compose_cell(c, brk, bar * 16, ch, {.volume = static_cast<uint8_t>(0x10 + 34 - 6 * bar)});
            for (int r = 6; r < 16; r += 3) compose_effect(c, brk, bar * 16 + r, ch, 0xA, 0x01);
        }
    }
    compose_effect(c, brk, 16, 9, 0xE, 0x60);
    compose_effect(c, brk, 31, 9, 0xE, 0x61);
    for (int row = 0; row < 64; row += 16) {
        compose_cell(c, brk, row + 8, 8, {.note = static_cast<uint8_t>(note_number("C6")),
                                          .instrument = static_cast<uint8_t>(in.bell), .volume = 0x10 + 14,
                                          .effect = 0xE, .param = 0x93});
    }
    // 7, 8: the phrases again: the swell under the first, the pulse under the second.
    s = {};
    s.bells = "0.1.2.3.2.1.0.2.";
    s.lead = lead_1;
    s.swell = swell_line;
    s.shaker = true;
    const int r1 = build_section(c, in, s);
    s.bells = "3.2.1.0.1.2.3.1.";
    s.lead = lead_2;
    s.swell = nullptr;
    s.pulse = true;
    const int r2 = build_section(c, in, s);
    // 9: closing: the lead falls to F and the bells strum their chords (note delay) before the bells
    // begin again.
    s = {};
    s.pad = 32;
    s.lead = closing;
    s.sub = "x...............";
    const int cl = build_section(c, in, s);
    for (int bar = 0; bar < 4; ++bar) {
        const std::vector<std::string> tones = {"F5", "A5", "C6"};
        for (int i = 0; i < 3; ++i) {
            const int ch = i == 0 ? 4 : (i == 1 ? 5 : 8);
            compose_cell(c, cl, bar * 16, ch, {.note = static_cast<uint8_t>(note_number(tones[static_cast<size_t>(i)])),
                                               .instrument = static_cast<uint8_t>(in.bell),
                                               .volume = static_cast<uint8_t>(0x10 + 30 - 4 * bar)});
            if (i > 0) compose_effect(c, cl, bar * 16, ch, 0xE, static_cast<uint8_t>(0xD0 + 2 * i));
        }
    }

    const std::vector<int> order = {dawn, bells, t1, t2, m1, m2, brk, r1, r2, cl};
    std::vector<uint8_t> orders;
    for (int p : order) orders.push_back(static_cast<uint8_t>(p));
    compose_orders(c, orders, 1);
    return c;
}
