// Tune 1, "Neon Harbour": an upbeat chip-flavoured opener in A minor, 135 BPM, about 2:10 a pass.
// Form: intro, groove, theme A twice, theme B twice, an arpeggio interlude, theme A lightly, a bridge in F-G-Em-Am
// (theme C), a two-part breakdown, a build with a looped bar and a retriggered snare roll, the themes
// back with a crash, theme C's answer at full strength and a tag that turns back into the groove.
// Channels: 0 kick, 1 snare, 2 hats, 3 bass, 4 chip arpeggio, 5 lead, 6 ping-pong echo, 7-9 pad,
// 10 swell counter line, 11 crash (and the pattern-loop marks).
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

struct progression {
    std::vector<std::string> roots;
    std::vector<std::string> pads;
    const char* arp_notes[4];
    uint8_t arp_shapes[4];
};

const progression verse = {{"A1", "F1", "C2", "G1"},
                           {"A3 C4 E4", "A3 C4 F4", "G3 C4 E4", "G3 B3 D4"},
                           {"A4", "F4", "C5", "G4"},
                           {0x37, 0x47, 0x47, 0x47}};
const progression bridge = {{"F1", "G1", "E1", "A1"},
                            {"A3 C4 F4", "B3 D4 G4", "B3 E4 G4", "A3 C4 E4"},
                            {"F4", "G4", "E4", "A4"},
                            {0x47, 0x47, 0x37, 0x37}};

const char* melody_a =
    "E5 . . . A5 . . . G5 . E5 . D5 . C5 . | C5 . . . A4 . . . C5 . D5 . . . ^ . | "
    "E5 . . . G5 . . . E5 . D5 . C5 . D5 . | B4 . . . . . . . D5 . . . G4 . ^ .";
const char* melody_a2 =
    "E5 . . . A5 . . . G5 . E5 . D5 . C5 . | C5 . . . A4 . . . C5 . D5 . E5 . ^ . | "
    "G5 . . . E5 . . . G5 . A5 . C6 . B5 . | B5 . . . . . . . G5~ . . . . . ^ .";
const char* melody_b =
    "A5 . . . . . C6 . B5 . A5 . G5 . E5 . | F5 . . . . . E5 . F5 . A5 . C6 . . . | "
    "G5 . . . E5 . . . C5 . E5 . G5 . C6 . | B5 . . . . . A5 . G5 . . . D5 . ^ .";
const char* melody_c =
    "A5 . . . . . . . G5 . . . F5 . . . | G5 . . . . . . . . . . . D5 . . . | "
    "E5 . . . . . G5 . . . B5 . . . . . | A5 . . . . . . . . . . . ^ . . .";
const char* melody_c2 =
    "C6 . . . . . B5 . A5 . . . G5 . . . | B5 . . . . . A5 . G5 . . . D5 . . . | "
    "E5 . . . G5 . . . B5 . . . D6 . . . | C6 . . . B5 . . . A5 . . . ^ . . .";
const char* counter_b =
    "C5 . . . . . . . E5 . . . . . . . | A4 . . . . . . . C5 . . . . . . . | "
    "G4 . . . . . . . C5 . . . . . . . | D5 . . . . . . . B4 . . . . . . .";
const char* counter_c =
    "C5 . . . . . . . . . . . . . . . | D5 . . . . . . . B4 . . . . . . . | "
    "G4 . . . . . . . . . . . . . . . | E4 . . . . . . . C5 . . . . . . .";
const char* tag =
    ". . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . . | "
    "E5 . . . D5 . . . C5 . . . B4 . . . | A4 . . . . . . . E5~ . . . . . ^ .";

struct instruments {
    int kick, snare, hat, open_hat, crash, bass, chip, lead, pad, swell;
};

// What plays in one 64-row section.
struct section {
    const progression* prog = &verse;
    const char* melody = nullptr;
    int lead_shift = 0;
    int drums = 2;  // 0 none, 1 half-time, 2 full, 3 full with open hats and a snare pickup
    int chip = 0;   // chip arpeggio volume, 0 for none
    const char* counter = nullptr;
    int pad = 30;
    const char* bass = "x.xo.x.ox.xo.xo.";
    bool crash = false;
    bool ghost_bass = false;  // the off-beat bass notes start into the sample (effect 9): softer
    bool shuffle = false;     // off-beat hats a little late (note delay)
};

void chip_arp(composition& c, int p, const progression& g, int ins, int volume) {
    for (int bar = 0; bar < 4; ++bar) {
        for (int r = 0; r < 16; r += 2) {
            const int row = bar * 16 + r;
            const int v = (r % 4 == 0) ? volume : volume * 3 / 4;
            compose_cell(c, p, row, 4,
                         {.note = static_cast<uint8_t>(note_number(g.arp_notes[bar]) - (r == 6 || r == 14 ? 12 : 0)),
                          .instrument = static_cast<uint8_t>(ins), .volume = static_cast<uint8_t>(0x10 + v)});
            compose_effect(c, p, row, 4, 0, g.arp_shapes[bar]);
            compose_effect(c, p, row + 1, 4, 0, g.arp_shapes[bar]);
        }
    }
}

// The echo answers from alternate sides: each echoed note sets its own panning (effect 8).
void ping_pong_echo(composition& c, int p, int delay) {
    compose_echo(c, p, 5, 6, delay, 40);
    bool left = true;
    for (int row = 0; row < 64; ++row) {
        const xmw_cell& cell = c.module.patterns[static_cast<size_t>(p)].cells[static_cast<size_t>(row * 12 + 6)];
        if (cell.note == 0 || cell.note == 97) continue;
        compose_effect(c, p, row, 6, 8, left ? 0xD0 : 0x30);
        left = !left;
    }
}

int build_section(composition& c, const instruments& in, const section& s) {
    const int p = compose_pattern(c);
    compose_chords(c, p, {7, 8, 9}, s.prog->pads, in.pad, s.pad);
    compose_bass(c, p, 3, s.prog->roots, s.bass, in.bass, 52);
    if (s.ghost_bass) {
        for (int row = 0; row < 64; ++row)
            if (row % 4 != 0 && c.module.patterns[static_cast<size_t>(p)].cells[static_cast<size_t>(row * 12 + 3)].note)
                compose_effect(c, p, row, 3, 9, 0x0C);
    }
    if (s.drums == 1) {
        compose_steps(c, p, 0, "x.......x.......", in.kick);
        compose_steps(c, p, 2, "..o...o...o...o.", in.hat);
    } else if (s.drums >= 2) {
        compose_steps(c, p, 0, "x...x...x...x...", in.kick);
        compose_steps(c, p, 1, s.drums == 3 ? "....x.......x.o." : "....x.......x...", in.snare);
        compose_steps(c, p, 2, "x.o.x.o.x.o.x.o.", in.hat, "C4", 24);
        if (s.drums == 3) compose_steps(c, p, 2, "..............x.", in.open_hat);
    }
    if (s.shuffle)
        for (int row = 2; row < 64; row += 4) compose_effect(c, p, row, 2, 0xE, 0xD2);
    if (s.chip) chip_arp(c, p, *s.prog, in.chip, s.chip);
    if (s.melody) {
        compose_track(c, p, 5, 0, s.melody, in.lead, s.lead_shift);
        compose_vibrato_tails(c, p, 5, 3, 0x62);
        ping_pong_echo(c, p, 3);
    }
    if (s.counter) compose_track(c, p, 10, 0, s.counter, in.swell);
    if (s.crash) compose_cell(c, p, 0, 11, {.note = static_cast<uint8_t>(note_number("C4")),
                                            .instrument = static_cast<uint8_t>(in.crash), .volume = 0x10 + 40});
    return p;
}

}  // namespace

composition compose_neon_harbour() {
    composition c = compose_begin("Neon Harbour", 12, 6, 135);
    instruments in{};
    in.kick = compose_instrument(c, "kick", synth_kick(0.35, 170.0, 48.0, 0.35f, 1.0f));
    in.snare = compose_instrument(c, "snare", synth_snare(0.22, 190.0, 0.7f, 0.9f));
    in.hat = compose_instrument(c, "hat", synth_hat(0.05, 0.55f));
    in.open_hat = compose_instrument(c, "open hat", synth_hat(0.3, 0.45f));
    in.crash = compose_instrument(c, "crash", synth_hat(1.4, 0.5f));
    compose_volume_envelope(c, in.crash, {{0, 64}, {40, 30}, {120, 0}}, -1, 0);
    const float pluck_params[2] = {6.0f, 0.12f};
    in.bass = compose_instrument(c, "bass", synth_additive(synth_shape_pluck, pluck_params, 24, 40, 1, 0.95f, false, true));
    compose_volume_envelope(c, in.bass, {{0, 64}, {6, 46}, {24, 32}, {60, 26}}, 3, 2048);
    const float square_params[1] = {0.0f};
    in.chip = compose_instrument(c, "chip", synth_additive(synth_shape_square, square_params, 15, 2, 1, 0.8f));
    compose_volume_envelope(c, in.chip, {{0, 64}, {6, 40}, {16, 24}}, 2, 1024);
    const float lead_params[1] = {0.35f};
    in.lead = compose_instrument(c, "lead", synth_additive(synth_shape_square, lead_params, 20, 2, 1, 0.85f));
    compose_volume_envelope(c, in.lead, {{0, 0}, {2, 64}, {12, 50}, {40, 44}}, 3, 900);
    compose_autovibrato(c, in.lead, 24, 8, 18);
    in.pad = compose_instrument(c, "pad", synth_ensemble(12, 2, false, 0.85f));
    compose_volume_envelope(c, in.pad, {{0, 0}, {24, 52}, {64, 44}}, 2, 400);
    compose_panning_envelope(c, in.pad, {{0, 32}, {48, 24}, {144, 40}, {192, 32}}, 0, 3);
    const float swell_params[1] = {1.2f};
    in.swell = compose_instrument(c, "swell", synth_additive(synth_shape_swell, swell_params, 16, 320, 300, 0.8f, true, true));
    compose_volume_envelope(c, in.swell, {{0, 0}, {30, 48}, {90, 40}}, 2, 300);
    compose_panning_envelope(c, in.swell, {{0, 32}, {60, 12}, {180, 52}, {240, 32}}, 0, 3);
    compose_panning(c, in.lead, 112);
    compose_panning(c, in.chip, 168);
    compose_panning(c, in.hat, 150);
    compose_panning(c, in.crash, 90);

    // 0: intro: pad, bass, half-time kick, hats and a snare pickup.
    section s;
    s.drums = 1;
    s.pad = 44;
    s.bass = "x.......x.x.....";
    const int intro = build_section(c, in, s);
    compose_steps(c, intro, 1, std::string(48, '.') + "x.x.xxxx........", in.snare, "C4", 30);
    // 1: groove: full drums, chip arpeggio.
    s = {};
    s.chip = 30;
    s.pad = 36;
    const int groove = build_section(c, in, s);
    // 2, 3: theme A, then A again with its higher answer and the counter line.
    s = {};
    s.melody = melody_a;
    s.chip = 20;
    const int a1 = build_section(c, in, s);
    s.melody = melody_a2;
    s.drums = 3;
    s.counter = counter_b;
    const int a2 = build_section(c, in, s);
    // 4, 5: theme B; the second time with a stutter and open hats.
    s = {};
    s.melody = melody_b;
    s.bass = "x.xo.xoox.xo.xox";
    s.counter = counter_b;
    const int b1 = build_section(c, in, s);
    s.drums = 3;
    s.chip = 22;
    s.counter = nullptr;
    const int b2 = build_section(c, in, s);
    compose_effect(c, b2, 16, 5, 0xE, 0x93);  // a stutter into bar two
    // 6: interlude: the chip arpeggio on its own over shuffled hats and ghosted bass.
    s = {};
    s.chip = 34;
    s.shuffle = true;
    s.ghost_bass = true;
    s.pad = 24;
    s.bass = "x..o.xo.x..o.xoo";
    const int inter = build_section(c, in, s);
    // 7: theme A once more, lighter: no arpeggio, the swell's line underneath, the hats shuffled.
    s = {};
    s.melody = melody_a;
    s.counter = counter_c;
    s.shuffle = true;
    s.pad = 24;
    const int a_light = build_section(c, in, s);
    // 8, 9: the bridge: theme C over F G Em Am, the swell answering.
    s = {};
    s.prog = &bridge;
    s.melody = melody_c;
    s.counter = counter_c;
    s.ghost_bass = true;
    s.pad = 34;
    s.crash = true;
    const int c1 = build_section(c, in, s);
    s.melody = melody_c2;
    s.chip = 18;
    s.counter = nullptr;
    s.crash = false;
    const int c2 = build_section(c, in, s);
    // 10, 11: breakdown: no kick; the lead an octave down with a long echo, the pads swelling.
    s = {};
    s.drums = 0;
    s.melody = melody_a;
    s.lead_shift = -12;
    s.pad = 20;
    s.bass = "x.......x.......";
    const int brk1 = build_section(c, in, s);
    for (int ch = 7; ch <= 9; ++ch) compose_effect(c, brk1, 0, ch, 0xA, 0x10);
    compose_steps(c, brk1, 2, "..o...o...o...o.", in.hat);
    s.prog = &bridge;
    s.melody = nullptr;
    s.counter = melody_c;
    s.pad = 44;
    s.chip = 14;
    const int brk2 = build_section(c, in, s);
    // 12: the build: bar three loops once (E6), then a snare roll retriggering ever faster (E9).
    s = {};
    s.drums = 1;
    s.chip = 26;
    s.pad = 40;
    const int build = build_section(c, in, s);
    compose_effect(c, build, 32, 11, 0xE, 0x60);
    compose_effect(c, build, 47, 11, 0xE, 0x61);
    for (int row = 32; row < 64; row += 4) {
        const int v = 16 + (row - 32);
        compose_cell(c, build, row, 1, {.note = static_cast<uint8_t>(note_number("C4")),
                                        .instrument = static_cast<uint8_t>(in.snare), .volume = static_cast<uint8_t>(0x10 + v),
                                        .effect = 0xE, .param = static_cast<uint8_t>(row < 48 ? 0x93 : 0x92)});
    }
    // 13-16: the themes again at full strength, theme C's answer big with the swell under it.
    s = {};
    s.melody = melody_a2;
    s.drums = 3;
    s.chip = 24;
    s.crash = true;
    const int a3 = build_section(c, in, s);
    s.melody = melody_b;
    s.bass = "x.xo.xoox.xo.xox";
    s.counter = counter_b;
    s.crash = false;
    const int b3 = build_section(c, in, s);
    s = {};
    s.prog = &bridge;
    s.melody = melody_c2;
    s.drums = 3;
    s.counter = counter_c;
    s.crash = true;
    s.pad = 26;
    const int c3 = build_section(c, in, s);
    s = {};
    s.melody = melody_b;
    s.drums = 3;
    s.chip = 22;
    s.counter = counter_b;
    s.bass = "x.xo.xoox.xo.xox";
    const int b4 = build_section(c, in, s);
    compose_track(c, b4, 5, 48, "G5 . . . . . A5 . B5 . . . D6~ . . .", in.lead);
    // 17: the tag: drums thin out, the lead sighs down and slides back up into the groove.
    s = {};
    s.drums = 1;
    s.melody = tag;
    s.chip = 20;
    s.pad = 32;
    const int outro = build_section(c, in, s);
    compose_steps(c, outro, 1, std::string(56, '.') + "x.x.xxxx", in.snare, "C4", 26);

    const std::vector<int> order = {intro, groove, a1, a2, b1, b2, inter, a_light, c1, c2, brk1, brk2, build,
                                    a3, b3, c3, b4, outro};
    std::vector<uint8_t> orders;
    for (int p : order) orders.push_back(static_cast<uint8_t>(p));
    compose_orders(c, orders, 1);
    return c;
}
