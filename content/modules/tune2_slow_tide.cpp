// Tune 2, "Slow Tide Letters": a mellow downtempo piece in C (Dm9 G13 Cmaj9 Am7), 84 BPM.
// Channels: 0 kick, 1 rim, 2 shaker, 3 bass, 4-6 electric piano, 7 flute, 8 flute echo, 9-10 pad,
// 11 bells.
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

const std::vector<std::string> roots = {"D2", "G1", "C2", "A1"};
const std::vector<std::string> pad_chords = {"D3 A3", "D3 B3", "C3 G3", "C3 E3"};
const std::vector<std::string> bell_chords = {"A5 D6 E6", "B5 D6 F6", "G5 B5 E6", "A5 C6 E6"};

// The piano: a chord on the bar, pushed again on the "and" of two and softly on four.
void piano(composition& c, int p, int ins, int volume) {
    const char* tones[4][3] = {{"F4", "C5", "E5"}, {"F4", "B4", "E5"}, {"E4", "B4", "D5"}, {"E4", "G4", "C5"}};
    const int hits[3] = {0, 6, 12};
    const int scale[3] = {100, 70, 55};
    for (int bar = 0; bar < 4; ++bar) {
        for (int h = 0; h < 3; ++h) {
            for (int v = 0; v < 3; ++v) {
                compose_cell(c, p, bar * 16 + hits[h], 4 + v,
                             {.note = static_cast<uint8_t>(note_number(tones[bar][v])),
                              .instrument = static_cast<uint8_t>(ins),
                              .volume = static_cast<uint8_t>(0x10 + volume * scale[h] / 100)});
            }
        }
    }
}

const char* melody_1 =
    "A4 . . . C5 . D5 . . . . . E5 . . . | D5 . . . . . C5 . B4 . . . G4 . . . | "
    "E5 . . . . . . . G5 . . . E5 . D5 . | C5 . . . . . . . . . . . ^ . . .";
const char* melody_2 =
    "F5 . . . E5 . . . D5 . . . C5 . D5 . | B4 . . . . . . . . . G4 . A4 . B4 . | "
    "C5 . . . G4 . . . E5 . . . . . D5 . | E5 . . . . . . . . . . . ^ . . .";

}  // namespace

composition compose_slow_tide() {
    composition c = compose_begin("Slow Tide Letters", 12, 6, 84);

    const int kick = compose_instrument(c, "soft kick", synth_kick(0.4, 120.0, 45.0, 0.12f, 1.0f));
    const int rim = compose_instrument(c, "rim", synth_snare(0.12, 420.0, 0.45f, 0.75f));
    const int shaker = compose_instrument(c, "shaker", synth_shaker(0.5f));
    const float soft_params[1] = {0.5f};
    const int bass = compose_instrument(c, "round bass", synth_additive(synth_shape_soft, soft_params, 3, 2, 1, 0.95f));
    compose_volume_envelope(c, bass, {{0, 64}, {20, 50}, {80, 40}}, 2, 1200);
    const float piano_params[1] = {3.0f};
    const int ep = compose_instrument(c, "e-piano", synth_additive(synth_shape_epiano, piano_params, 16, 160, 1, 0.9f));
    compose_volume_envelope(c, ep, {{0, 64}, {10, 48}, {60, 30}, {150, 18}}, 3, 600);
    const float flute_params[1] = {0.35f};
    const int flute = compose_instrument(c, "flute", synth_additive(synth_shape_soft, flute_params, 3, 2, 1, 0.85f));
    compose_volume_envelope(c, flute, {{0, 0}, {6, 56}, {20, 48}}, 2, 500);
    compose_autovibrato(c, flute, 40, 10, 12);
    const int pad = compose_instrument(c, "hollow pad", synth_ensemble(8, 1, true, 0.8f));
    compose_volume_envelope(c, pad, {{0, 0}, {40, 44}, {100, 38}}, 2, 300);
    const int bell = compose_instrument(c, "bell", synth_bell(1.2, 0.6f, 0.9f));
    c.module.instruments[static_cast<size_t>(ep - 1)].samples[0].panning = 100;
    c.module.instruments[static_cast<size_t>(bell - 1)].samples[0].panning = 176;
    c.module.instruments[static_cast<size_t>(shaker - 1)].samples[0].panning = 160;

    const std::vector<int> pads = {9, 10};
    const std::string bass_rhythm = "x.....x...x.o...";

    // 0: intro: piano, pad, shaker and bells.
    const int intro = compose_pattern(c);
    piano(c, intro, ep, 40);
    compose_chords(c, intro, pads, pad_chords, pad, 36);
    compose_steps(c, intro, 2, "o.x.o.x.o.x.o.x.", shaker, "C4", 20);
    compose_arpeggio(c, intro, 11, bell_chords, "0...2.....1.....", 1, bell, 28);

    // 1: the beat and the bass come in.
    const int groove = compose_pattern(c);
    piano(c, groove, ep, 40);
    compose_chords(c, groove, pads, pad_chords, pad, 30);
    compose_bass(c, groove, 3, roots, bass_rhythm, bass, 56);
    compose_steps(c, groove, 0, "x.........x..x..", kick);
    compose_steps(c, groove, 1, "....x.......x...", rim);
    compose_steps(c, groove, 2, "o.x.o.x.o.x.o.xo", shaker, "C4", 20);
    compose_arpeggio(c, groove, 11, bell_chords, "..........1.....", 1, bell, 24);

    // 2 and 3: the flute's two phrases, with an echo on the other side.
    const char* melodies[2] = {melody_1, melody_2};
    int themes[2] = {0, 0};
    for (int m = 0; m < 2; ++m) {
        const int p = compose_pattern(c);
        themes[m] = p;
        piano(c, p, ep, 34);
        compose_chords(c, p, pads, pad_chords, pad, 26);
        compose_bass(c, p, 3, roots, m == 0 ? bass_rhythm : "x.....x...x.o.f.", bass, 56);
        compose_steps(c, p, 0, "x.........x..x..", kick);
        compose_steps(c, p, 1, m == 0 ? "....x.......x..." : "....x.......x..o", rim);
        compose_steps(c, p, 2, "o.x.o.x.o.x.o.xo", shaker, "C4", 20);
        compose_track(c, p, 7, 0, melodies[m], flute);
        compose_echo(c, p, 7, 8, 4, 35);
    }
    // A glide up into the second phrase's last note.
    compose_effect(c, themes[1], 48, 7, 3, 0x20);

    // 4: breakdown: piano alone with bells over the bass, the flute answering from afar.
    const int brk = compose_pattern(c);
    piano(c, brk, ep, 44);
    compose_bass(c, brk, 3, roots, "x...............", bass, 44);
    compose_arpeggio(c, brk, 11, bell_chords, "0...1...2...1...", 1, bell, 26);
    compose_track(c, brk, 7, 32, "E5@30 . . . . . . . G5@30 . . . E5@30 . D5@30 . | C5@30 . . . . . . . . . . . ^ . . .",
                  flute);
    compose_echo(c, brk, 7, 8, 6, 40);
    compose_steps(c, brk, 2, "o...o...o...o...", shaker, "C4", 16);

    compose_orders(c, {static_cast<uint8_t>(intro), static_cast<uint8_t>(groove), static_cast<uint8_t>(themes[0]),
                       static_cast<uint8_t>(themes[1]), static_cast<uint8_t>(brk)},
                   1);
    return c;
}
