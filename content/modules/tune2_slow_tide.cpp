// Tune 2, "Slow Tide Letters": a mellow downtempo piece in C (Dm9 G13 Cmaj9 Am7), 84 BPM, about 2:20 a
// pass. Form: intro, groove, the flute's two phrases, the first again with the bells, a bridge in
// Fmaj7-Em7-Dm7-G7sus (the bells' tune, then the flute's), a breakdown of piano and bells with a looped
// bar, the phrases again, and a coda that slows down (BPM steps and a held last row) before the groove
// comes back at 84 BPM.
// Channels: 0 kick, 1 rim (and the tempo marks), 2 shaker, 3 bass, 4-6 electric piano, 7 flute,
// 8 flute echo, 9-10 pad, 11 bells.
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

struct progression {
    std::vector<std::string> roots;
    std::vector<std::string> pads;
    std::vector<std::string> bells;
    const char* piano[4][3];
};

const progression home = {{"D2", "G1", "C2", "A1"},
                          {"D3 A3", "D3 B3", "C3 G3", "C3 E3"},
                          {"A5 D6 E6", "B5 D6 F6", "G5 B5 E6", "A5 C6 E6"},
                          {{"F4", "C5", "E5"}, {"F4", "B4", "E5"}, {"E4", "B4", "D5"}, {"E4", "G4", "C5"}}};
const progression away = {{"F2", "E2", "D2", "G1"},
                          {"F3 C4", "E3 B3", "D3 A3", "G3 D4"},
                          {"A5 C6 E6", "G5 B5 E6", "F5 A5 D6", "F5 G5 D6"},
                          {{"A4", "C5", "E5"}, {"G4", "B4", "D5"}, {"F4", "A4", "C5"}, {"F4", "C5", "D5"}}};

const char* melody_1 =
    "A4 . . . C5 . D5 . . . . . E5 . . . | D5 . . . . . C5 . B4 . . . G4 . . . | "
    "E5 . . . . . . . G5 . . . E5 . D5 . | C5 . . . . . . . . . . . ^ . . .";
const char* melody_2 =
    "F5 . . . E5 . . . D5 . . . C5 . D5 . | B4 . . . . . . . . . G4 . A4 . B4 . | "
    "C5 . . . G4 . . . E5 . . . . . D5 . | E5 . . . . . . . . . . . ^ . . .";
const char* melody_3 =
    "E5 . . . . . G5 . A5 . . . . . . . | G5 . . . . . E5 . D5 . . . . . . . | "
    "F5 . . . E5 . . . D5 . . . C5 . . . | D5 . . . . . . . . . . . ^ . . .";
const char* bell_tune =
    "C6 . . . . . . . B5 . . . G5 . . . | A5 . . . . . . . . . . . E5 . . . | "
    "F5 . . . . . A5 . . . C6 . . . . . | B5 . . . . . . . . . . . . . . .";
const char* coda =
    "A4 . . . C5 . D5 . . . . . E5 . . . | D5 . . . . . C5 . B4 . . . G4 . . . | "
    "E5 . . . . . D5 . C5 . . . . . . . | C5 . . . . . . . . . . . . . ^ .";

struct instruments {
    int kick, rim, shaker, bass, piano, flute, pad, bell;
};

struct section {
    const progression* prog = &home;
    const char* flute = nullptr;
    int flute_shift = 0;
    int piano = 36;    // 0: no piano
    bool rolled = false;  // chords rolled upward (note delay on the upper voices)
    int drums = 2;     // 0 none, 1 shaker only, 2 full
    int pad = 28;
    const char* bass = "x.....x...x.o...";
    int bass_volume = 56;
    const char* bells = nullptr;  // an arpeggio figure over the bell chords
    const char* bell_melody = nullptr;
};

// The piano: a chord on the bar, pushed again on the "and" of two and softly on four; the soft hit
// starts into the sample (effect 9), past the hammer.
void piano(composition& c, int p, const progression& g, int ins, int volume, bool rolled) {
    const int hits[3] = {0, 6, 12};
    const int scale[3] = {100, 70, 60};
    for (int bar = 0; bar < 4; ++bar) {
        for (int h = 0; h < 3; ++h) {
            for (int v = 0; v < 3; ++v) {
                const int row = bar * 16 + hits[h];
                compose_cell(c, p, row, 4 + v,
                             {.note = static_cast<uint8_t>(note_number(g.piano[bar][v])),
                              .instrument = static_cast<uint8_t>(ins),
                              .volume = static_cast<uint8_t>(0x10 + volume * scale[h] / 100)});
                if (h == 2) compose_effect(c, p, row, 4 + v, 9, 0x30);
                else if (rolled && v > 0) compose_effect(c, p, row, 4 + v, 0xE, static_cast<uint8_t>(0xD0 + 2 * v));
            }
        }
    }
}

int build_section(composition& c, const instruments& in, const section& s) {
    const int p = compose_pattern(c);
    if (s.piano) piano(c, p, *s.prog, in.piano, s.piano, s.rolled);
    if (s.pad) compose_chords(c, p, {9, 10}, s.prog->pads, in.pad, s.pad);
    if (s.bass) compose_bass(c, p, 3, s.prog->roots, s.bass, in.bass, s.bass_volume);
    if (s.drums >= 1) compose_steps(c, p, 2, "o.x.o.x.o.x.o.xo", in.shaker, "C4", 20);
    if (s.drums >= 2) {
        compose_steps(c, p, 0, "x.........x..x..", in.kick);
        compose_steps(c, p, 1, "....x.......x...", in.rim);
    }
    if (s.flute) {
        compose_track(c, p, 7, 0, s.flute, in.flute, s.flute_shift);
        compose_vibrato_tails(c, p, 7, 4, 0x53);
        compose_echo(c, p, 7, 8, 4, 35);
    }
    if (s.bells) {
        compose_arpeggio(c, p, 11, s.prog->bells, s.bells, 1, in.bell, 24);
        // The bells answer from alternate sides (effect 8).
        bool left = true;
        for (int row = 0; row < 64; ++row) {
            if (c.module.patterns[static_cast<size_t>(p)].cells[static_cast<size_t>(row * 12 + 11)].note == 0) continue;
            compose_effect(c, p, row, 11, 8, left ? 0xB0 : 0x50);
            left = !left;
        }
    }
    if (s.bell_melody) compose_track(c, p, 11, 0, s.bell_melody, in.bell);
    return p;
}

}  // namespace

composition compose_slow_tide() {
    composition c = compose_begin("Slow Tide Letters", 12, 6, 84);
    instruments in{};
    in.kick = compose_instrument(c, "soft kick", synth_kick(0.4, 120.0, 45.0, 0.12f, 1.0f));
    in.rim = compose_instrument(c, "rim", synth_snare(0.12, 420.0, 0.45f, 0.75f));
    in.shaker = compose_instrument(c, "shaker", synth_shaker(0.5f));
    const float soft_params[1] = {0.5f};
    in.bass = compose_instrument(c, "round bass", synth_additive(synth_shape_soft, soft_params, 3, 2, 1, 0.95f, false, true));
    compose_volume_envelope(c, in.bass, {{0, 64}, {20, 50}, {80, 40}}, 2, 1200);
    const float piano_params[1] = {3.0f};
    in.piano = compose_instrument(c, "e-piano", synth_additive(synth_shape_epiano, piano_params, 16, 160, 1, 0.9f));
    compose_volume_envelope(c, in.piano, {{0, 64}, {10, 48}, {60, 30}, {150, 18}}, 3, 600);
    const float flute_params[1] = {0.35f};
    in.flute = compose_instrument(c, "flute", synth_additive(synth_shape_soft, flute_params, 3, 2, 1, 0.85f));
    compose_volume_envelope(c, in.flute, {{0, 0}, {6, 56}, {20, 48}}, 2, 500);
    compose_autovibrato(c, in.flute, 40, 10, 12);
    in.pad = compose_instrument(c, "hollow pad", synth_ensemble(8, 1, true, 0.8f));
    compose_volume_envelope(c, in.pad, {{0, 0}, {40, 44}, {100, 38}}, 2, 300);
    compose_panning_envelope(c, in.pad, {{0, 32}, {90, 20}, {270, 44}, {360, 32}}, 0, 3);
    in.bell = compose_instrument(c, "bell", synth_bell(1.2, 0.6f, 0.9f));
    compose_panning(c, in.piano, 100);
    compose_panning(c, in.bell, 176);
    compose_panning(c, in.shaker, 160);

    // 0: intro: piano, pad, shaker and bells.
    section s;
    s.drums = 1;
    s.pad = 36;
    s.bass = nullptr;
    s.piano = 40;
    s.bells = "0...2.....1.....";
    const int intro = build_section(c, in, s);
    // 1: the beat and the bass come in; the tempo is set again here for the loop after the coda.
    s = {};
    s.piano = 40;
    s.bells = "..........1.....";
    s.pad = 30;
    const int groove = build_section(c, in, s);
    compose_effect(c, groove, 0, 1, 0xF, 84);
    // 2-4: the flute's two phrases, then the first again, rolled chords and bells.
    s = {};
    s.flute = melody_1;
    s.pad = 26;
    const int t1 = build_section(c, in, s);
    s.flute = melody_2;
    s.bass = "x.....x...x.o.f.";
    const int t2 = build_section(c, in, s);
    compose_effect(c, t2, 48, 7, 3, 0x20);  // a glide into the last note
    s.flute = melody_1;
    s.bells = "....2.......1...";
    s.rolled = true;
    const int t3 = build_section(c, in, s);
    // 5, 6: the bridge: the bells' tune, then the flute's, over Fmaj7 Em7 Dm7 G7sus.
    s = {};
    s.prog = &away;
    s.bell_melody = bell_tune;
    s.rolled = true;
    s.pad = 34;
    s.bass = "x.......x...o...";
    const int b1 = build_section(c, in, s);
    s.bell_melody = nullptr;
    s.flute = melody_3;
    s.bells = "0.......2.......";
    const int b2 = build_section(c, in, s);
    // 7, 8: breakdown: piano and bells; its second bar plays twice (E6); then the pad swells under the
    // flute from afar.
    s = {};
    s.drums = 1;
    s.pad = 0;
    s.bass = "x...............";
    s.bass_volume = 36;
    s.piano = 22;
    s.bells = "0...1...2...1...";
    const int d1 = build_section(c, in, s);
    compose_effect(c, d1, 16, 1, 0xE, 0x60);
    compose_effect(c, d1, 31, 1, 0xE, 0x61);
    s = {};
    s.drums = 0;
    s.piano = 20;
    s.pad = 12;
    s.bass = "x...............";
    s.bass_volume = 36;
    s.flute = melody_3;
    s.flute_shift = -12;
    const int d2 = build_section(c, in, s);
    compose_effect(c, d2, 0, 9, 0xA, 0x10);
    compose_effect(c, d2, 0, 10, 0xA, 0x10);
    compose_steps(c, d2, 1, std::string(56, '.') + "x...x...", in.rim, "C4", 24);
    compose_effect(c, d2, 60, 1, 0xE, 0x93);  // the rim's pickup doubles
    // 9, 10: the phrases again with everything.
    s = {};
    s.flute = melody_1;
    s.rolled = true;
    s.bells = "..........1.....";
    const int r1 = build_section(c, in, s);
    s.flute = melody_2;
    s.bass = "x.....x...x.o.f.";
    s.bells = "0.......2...1...";
    const int r2 = build_section(c, in, s);
    compose_effect(c, r2, 48, 7, 3, 0x20);
    // 11: coda: the first phrase settles on C while the tempo eases from 84 to 68 BPM and the last row
    // holds (pattern delay); the groove then comes back at 84.
    s = {};
    s.flute = coda;
    s.rolled = true;
    s.drums = 1;
    s.pad = 30;
    s.bass = "x.......x.......";
    const int cd = build_section(c, in, s);
    const uint8_t slower[4] = {80, 76, 72, 68};
    for (int i = 0; i < 4; ++i) compose_effect(c, cd, 48 + 4 * i, 1, 0xF, slower[i]);
    compose_effect(c, cd, 63, 1, 0xE, 0xE1);

    const std::vector<int> order = {intro, groove, t1, t2, t3, b1, b2, d1, d2, r1, r2, cd};
    std::vector<uint8_t> orders;
    for (int p : order) orders.push_back(static_cast<uint8_t>(p));
    compose_orders(c, orders, 1);
    return c;
}
