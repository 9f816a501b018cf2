// Tune 1, "Neon Harbour": an upbeat chip-flavoured opener in A minor (Am F C G), 135 BPM.
// Channels: 0 kick, 1 snare, 2 hats, 3 bass, 4 chip arpeggio, 5 lead, 6 lead echo, 7-9 pad.
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

const std::vector<std::string> roots = {"A1", "F1", "C2", "G1"};
const std::vector<std::string> pad_chords = {"A3 C4 E4", "A3 C4 F4", "G3 C4 E4", "G3 B3 D4"};

// The chip arpeggio: the chord's root at octave 4 with the arpeggio effect (minor 0x37, major 0x47).
void chip_arp(composition& c, int p, int ins, int volume) {
    const char* notes[4] = {"A4", "F4", "C5", "G4"};
    const uint8_t shapes[4] = {0x37, 0x47, 0x47, 0x47};
    for (int bar = 0; bar < 4; ++bar) {
        for (int r = 0; r < 16; r += 2) {
            const int row = bar * 16 + r;
            const int v = (r % 4 == 0) ? volume : volume * 3 / 4;
            compose_cell(c, p, row, 4,
                         {.note = static_cast<uint8_t>(note_number(notes[bar]) - (r == 6 || r == 14 ? 12 : 0)),
                          .instrument = static_cast<uint8_t>(ins), .volume = static_cast<uint8_t>(0x10 + v)});
            compose_effect(c, p, row, 4, 0, shapes[bar]);
            compose_effect(c, p, row + 1, 4, 0, shapes[bar]);
        }
    }
}

const char* melody_a =
    "E5 . . . A5 . . . G5 . E5 . D5 . C5 . | C5 . . . A4 . . . C5 . D5 . . . ^ . | "
    "E5 . . . G5 . . . E5 . D5 . C5 . D5 . | B4 . . . . . . . D5 . . . G4 . ^ .";
const char* melody_b =
    "A5 . . . . . C6 . B5 . A5 . G5 . E5 . | F5 . . . . . E5 . F5 . A5 . C6 . . . | "
    "G5 . . . E5 . . . C5 . E5 . G5 . C6 . | B5 . . . . . A5 . G5 . . . D5 . ^ .";
const char* counter_b =
    "C5 . . . . . . . E5 . . . . . . . | A4 . . . . . . . C5 . . . . . . . | "
    "G4 . . . . . . . C5 . . . . . . . | D5 . . . . . . . B4 . . . . . . .";

}  // namespace

composition compose_neon_harbour() {
    composition c = compose_begin("Neon Harbour", 10, 6, 135);

    const int kick = compose_instrument(c, "kick", synth_kick(0.35, 170.0, 48.0, 0.35f, 1.0f));
    const int snare = compose_instrument(c, "snare", synth_snare(0.22, 190.0, 0.7f, 0.9f));
    const int hat = compose_instrument(c, "hat", synth_hat(0.05, 0.55f));
    const int open_hat = compose_instrument(c, "open hat", synth_hat(0.3, 0.45f));
    const float pluck_params[2] = {6.0f, 0.12f};
    const int bass = compose_instrument(c, "bass", synth_additive(synth_shape_pluck, pluck_params, 24, 40, 1, 0.95f));
    compose_volume_envelope(c, bass, {{0, 64}, {6, 46}, {24, 32}, {60, 26}}, 3, 2048);
    const float square_params[1] = {0.0f};
    const int arp = compose_instrument(c, "chip", synth_additive(synth_shape_square, square_params, 15, 2, 1, 0.8f));
    compose_volume_envelope(c, arp, {{0, 64}, {6, 40}, {16, 24}}, 2, 1024);
    const float lead_params[1] = {0.35f};
    const int lead = compose_instrument(c, "lead", synth_additive(synth_shape_square, lead_params, 20, 2, 1, 0.85f));
    compose_volume_envelope(c, lead, {{0, 0}, {2, 64}, {12, 50}, {40, 44}}, 3, 900);
    compose_autovibrato(c, lead, 24, 8, 18);
    const int pad = compose_instrument(c, "pad", synth_ensemble(12, 2, false, 0.85f));
    compose_volume_envelope(c, pad, {{0, 0}, {24, 52}, {64, 44}}, 2, 400);
    c.module.instruments[static_cast<size_t>(lead - 1)].samples[0].panning = 112;
    c.module.instruments[static_cast<size_t>(arp - 1)].samples[0].panning = 168;
    c.module.instruments[static_cast<size_t>(hat - 1)].samples[0].panning = 150;

    const std::string bass_rhythm = "x.xo.x.ox.xo.xo.";
    const std::vector<int> pads = {7, 8, 9};

    // 0: intro: pad, bass, half-time kick, hats fading in.
    const int intro = compose_pattern(c);
    compose_chords(c, intro, pads, pad_chords, pad, 44);
    compose_bass(c, intro, 3, roots, bass_rhythm, bass, 48);
    compose_steps(c, intro, 0, "x.......x.......", kick);
    compose_steps(c, intro, 2, "..o...o...o...o.", hat);
    compose_steps(c, intro, 1, "................................................x.x.xxxx", snare, "C4", 30);

    // 1: groove: full drums, bass, chip arpeggio, pad.
    const int groove = compose_pattern(c);
    compose_chords(c, groove, pads, pad_chords, pad, 36);
    compose_bass(c, groove, 3, roots, bass_rhythm, bass, 52);
    compose_steps(c, groove, 0, "x...x...x...x...", kick);
    compose_steps(c, groove, 1, "....x.......x...", snare);
    compose_steps(c, groove, 2, "x.o.x.o.x.o.x.oo", hat, "C4", 24);
    chip_arp(c, groove, arp, 30);

    // 2: theme A on the lead with its echo.
    const int theme_a = compose_pattern(c);
    compose_chords(c, theme_a, pads, pad_chords, pad, 30);
    compose_bass(c, theme_a, 3, roots, bass_rhythm, bass, 52);
    compose_steps(c, theme_a, 0, "x...x...x...x...", kick);
    compose_steps(c, theme_a, 1, "....x.......x..o", snare);
    compose_steps(c, theme_a, 2, "x.o.x.o.x.o.x.o.", hat, "C4", 24);
    compose_steps(c, theme_a, 2, "..............x.", open_hat);
    chip_arp(c, theme_a, arp, 20);
    compose_track(c, theme_a, 5, 0, melody_a, lead);
    compose_echo(c, theme_a, 5, 6, 3, 40);

    // 3: theme B, an octave of new tune over the same chords.
    const int theme_b = compose_pattern(c);
    compose_chords(c, theme_b, pads, pad_chords, pad, 30);
    compose_bass(c, theme_b, 3, roots, "x.xo.xoox.xo.xox", bass, 54);
    compose_steps(c, theme_b, 0, "x...x...x...x...", kick);
    compose_steps(c, theme_b, 1, "....x.......x.o.", snare);
    compose_steps(c, theme_b, 2, "xoxoxoxoxoxoxoxo", hat, "C4", 20);
    compose_track(c, theme_b, 5, 0, melody_b, lead);
    compose_echo(c, theme_b, 5, 6, 3, 40);
    compose_track(c, theme_b, 4, 0, counter_b, arp);

    // 4: breakdown: no kick, the pad swells, the lead plays theme A an octave down, a snare roll.
    const int brk = compose_pattern(c);
    compose_chords(c, brk, pads, pad_chords, pad, 48);
    compose_bass(c, brk, 3, roots, "x.......x.......", bass, 44);
    compose_track(c, brk, 5, 0, melody_a, lead, -12);
    compose_echo(c, brk, 5, 6, 6, 45);
    compose_steps(c, brk, 1, std::string(48, '.') + "x...x...x.x.xxxx", snare, "C4", 32);
    compose_steps(c, brk, 2, "..o...o...o...o.", hat);
    chip_arp(c, brk, arp, 16);

    // 5: theme B again with the lead's slides and the arpeggio back in.
    const int finale = compose_pattern(c);
    compose_chords(c, finale, pads, pad_chords, pad, 30);
    compose_bass(c, finale, 3, roots, "x.xo.xoox.xo.xox", bass, 54);
    compose_steps(c, finale, 0, "x...x...x...x...", kick);
    compose_steps(c, finale, 1, "....x.......x.o.", snare);
    compose_steps(c, finale, 2, "x.o.x.o.x.o.x.o.", hat, "C4", 24);
    compose_steps(c, finale, 2, "......x.......x.", open_hat);
    compose_track(c, finale, 5, 0, melody_b, lead);
    compose_effect(c, finale, 16, 5, 0xE, 0x90 | 3);  // a stutter into bar two
    compose_echo(c, finale, 5, 6, 3, 45);
    chip_arp(c, finale, arp, 22);

    compose_orders(c, {static_cast<uint8_t>(intro), static_cast<uint8_t>(groove), static_cast<uint8_t>(theme_a),
                       static_cast<uint8_t>(theme_b), static_cast<uint8_t>(brk), static_cast<uint8_t>(theme_a),
                       static_cast<uint8_t>(finale)},
                   1);
    return c;
}
