// Tune 3, "Voltage Parade": a driving electro piece in E minor (Em C D Bm), 128 BPM, 16 channels,
// about 2:15 a pass. Form: intro, drive, the supersaw's two phrases, a second theme on the square lead
// over Am-C-G-D, the phrases again with harmony and strings, a half-time breakdown (speed 12) in two
// parts, a build with a looped bar and a multi-retriggered clap roll, the themes at full strength and a
// turn back into the drive.
// Channels: 0 kick, 1 clap, 2 closed hat, 3 open hat, 4 bass, 5-7 stabs, 8 supersaw lead, 9 its echo,
// 10 sequence, 11 sequence echo, 12-13 strings, 14 square lead, 15 crash, riser and the speed marks.
#include <cmath>
#include <numbers>

#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

constexpr int channels = 16;

struct progression {
    std::vector<std::string> roots;
    std::vector<std::string> seq;
    std::vector<std::string> strings;
    const char* stabs[4][3];
};

const progression minor = {{"E1", "C1", "D1", "B0"},
                           {"E5 G5 B5", "C5 E5 G5", "D5 F#5 A5", "B4 D5 F#5"},
                           {"G4 B4", "G4 C5", "F#4 A4", "F#4 B4"},
                           {{"E4", "G4", "B4"}, {"E4", "G4", "C5"}, {"F#4", "A4", "D5"}, {"F#4", "B4", "D5"}}};
const progression second = {{"A0", "C1", "G0", "D1"},
                            {"A4 C5 E5", "C5 E5 G5", "B4 D5 G5", "A4 D5 F#5"},
                            {"A4 C5", "G4 C5", "G4 B4", "F#4 A4"},
                            {{"E4", "A4", "C5"}, {"E4", "G4", "C5"}, {"D4", "G4", "B4"}, {"D4", "F#4", "A4"}}};

const char* lead_a =
    "B5 . . . . . G5 . . . A5 . B5 . . . | C6 . . . B5 . . . G5 . . . E5 . . . | "
    "D6 . . . . . A5 . . . F#5 . A5 . . . | B5 . . . . . . . . . . . ^ . . .";
const char* lead_b =
    "E6 . . . D6 . B5 . . . G5 . B5 . D6 . | E6 . . . . . G6 . . . E6 . D6 . C6 . | "
    "D6 . . . A5 . . . D6 . E6 . F#6 . . . | F#6 . . . E6 . D6 . B5 . . . ^ . . .";
const char* theme_c =
    "A4 . . . C5 . . . E5 . . . D5 . C5 . | G4 . . . . . . . E5 . . . D5 . . . | "
    "D5 . . . B4 . . . G4 . . . B4 . D5 . | F#5 . . . . . E5 . D5 . . . A4 . . .";
const char* theme_c2 =
    "E5 . . . . . D5 . C5 . . . A4 . . . | C5 . . . D5 . E5 . G5 . . . E5 . . . | "
    "D5 . . . . . B4 . G4 . . . A4 . B4 . | A4 . . . . . . . . . . . ^ . . .";
const char* harmony_a =
    "G4 . . . . . . . . . . . . . . . | G4 . . . . . . . E4 . . . . . . . | "
    "A4 . . . . . . . F#4 . . . . . . . | F#4 . . . . . . . . . . . ^ . . .";
const char* turn =
    ". . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . . | "
    "B4 . . . D5 . . . E5 . . . F#5 . . . | G5 . . . F#5 . . . E5~ . . . ^ . . .";

struct instruments {
    int kick, clap, hat, open_hat, crash, riser, bass, stab, lead, seq, strings, square;
};

struct section {
    const progression* prog = &minor;
    int drums = 2;  // 0 none, 1 kick and hats, 2 full, 3 full with clap flams
    int stabs = 26;
    const char* lead = nullptr;
    int lead_shift = 0;
    const char* square = nullptr;
    int seq = 18;
    int strings = 0;
    const char* bass = "xxoxxxoxxxoxxxox";
    bool growl = false;  // octave bass notes start into the sample (effect 9)
    bool crash = false;
};

const xmw_cell& cell_at(const composition& c, int p, int row, int ch) {
    return c.module.patterns[static_cast<size_t>(p)].cells[static_cast<size_t>(row * channels + ch)];
}

void stabs(composition& c, int p, const progression& g, int ins, int volume) {
    const std::string rhythm = "...x..x....x..x.";
    for (int bar = 0; bar < 4; ++bar)
        for (int r = 0; r < 16; ++r)
            if (rhythm[static_cast<size_t>(r)] == 'x')
                for (int v = 0; v < 3; ++v)
                    compose_cell(c, p, bar * 16 + r, 5 + v,
                                 {.note = static_cast<uint8_t>(note_number(g.stabs[bar][v])),
                                  .instrument = static_cast<uint8_t>(ins), .volume = static_cast<uint8_t>(0x10 + volume)});
}

// The sequence sweeps across the stereo field: each note sets its panning (effect 8) on a slow sine.
void sequence(composition& c, int p, const progression& g, int ins, int volume) {
    compose_arpeggio(c, p, 10, g.seq, "0121312101213121", 1, ins, volume);
    compose_echo(c, p, 10, 11, 3, 40);
    for (int row = 0; row < 64; ++row) {
        if (cell_at(c, p, row, 10).note == 0) continue;
        const double pan = 128.0 + 80.0 * std::sin(2.0 * std::numbers::pi * row / 32.0);
        compose_effect(c, p, row, 10, 8, static_cast<uint8_t>(std::lround(pan)));
    }
}

int build_section(composition& c, const instruments& in, const section& s) {
    const int p = compose_pattern(c);
    if (s.drums >= 1) {
        compose_steps(c, p, 0, "x...x...x...x...", in.kick);
        compose_steps(c, p, 2, "xoxoxoxoxoxoxoxo", in.hat, "C4", 20);
    }
    if (s.drums >= 2) {
        compose_steps(c, p, 1, "....x.......x...", in.clap);
        compose_steps(c, p, 3, "..x...x...x...x.", in.open_hat);
    }
    if (s.drums == 3) {
        // A late second clap (note delay) on the last beat of every other bar.
        for (int bar = 1; bar < 4; bar += 2) {
            compose_cell(c, p, bar * 16 + 14, 1, {.note = static_cast<uint8_t>(note_number("C4")),
                                                  .instrument = static_cast<uint8_t>(in.clap), .volume = 0x10 + 30});
            compose_effect(c, p, bar * 16 + 14, 1, 0xE, 0xD3);
        }
    }
    if (s.bass) compose_bass(c, p, 4, s.prog->roots, s.bass, in.bass, 48);
    if (s.growl)
        for (int row = 0; row < 64; ++row)
            if (row % 4 == 2 && cell_at(c, p, row, 4).note != 0) compose_effect(c, p, row, 4, 9, 0x08);
    if (s.stabs) stabs(c, p, *s.prog, in.stab, s.stabs);
    if (s.seq) sequence(c, p, *s.prog, in.seq, s.seq);
    if (s.strings) compose_chords(c, p, {12, 13}, s.prog->strings, in.strings, s.strings);
    if (s.lead) {
        compose_track(c, p, 8, 0, s.lead, in.lead, s.lead_shift);
        compose_vibrato_tails(c, p, 8, 4, 0x63);
        compose_echo(c, p, 8, 9, 3, 35);
    }
    if (s.square) {
        compose_track(c, p, 14, 0, s.square, in.square);
        compose_vibrato_tails(c, p, 14, 6, 0x52);
    }
    if (s.crash) compose_cell(c, p, 0, 15, {.note = static_cast<uint8_t>(note_number("C4")),
                                            .instrument = static_cast<uint8_t>(in.crash), .volume = 0x10 + 36});
    return p;
}

}  // namespace

composition compose_voltage_parade() {
    composition c = compose_begin("Voltage Parade", channels, 6, 128);
    instruments in{};
    in.kick = compose_instrument(c, "kick", synth_kick(0.3, 200.0, 50.0, 0.5f, 1.0f));
    in.clap = compose_instrument(c, "clap", synth_clap(0.85f));
    in.hat = compose_instrument(c, "hat", synth_hat(0.04, 0.5f));
    in.open_hat = compose_instrument(c, "open hat", synth_hat(0.22, 0.45f));
    in.crash = compose_instrument(c, "crash", synth_hat(1.4, 0.5f));
    compose_volume_envelope(c, in.crash, {{0, 64}, {40, 28}, {120, 0}}, -1, 0);
    in.riser = compose_instrument(c, "riser", synth_hat(0.3, 0.4f));
    const float bass_params[2] = {14.0f, 0.05f};
    in.bass = compose_instrument(c, "saw bass", synth_additive(synth_shape_pluck, bass_params, 30, 30, 1, 0.9f));
    compose_volume_envelope(c, in.bass, {{0, 64}, {5, 40}, {14, 20}, {30, 0}}, -1, 0);
    const float stab_params[1] = {0.6f};
    in.stab = compose_instrument(c, "stab", synth_additive(synth_shape_square, stab_params, 18, 2, 1, 0.8f));
    compose_volume_envelope(c, in.stab, {{0, 64}, {4, 36}, {10, 10}, {16, 0}}, -1, 0);
    in.lead = compose_instrument(c, "supersaw", synth_ensemble(20, 4, false, 0.9f));
    compose_volume_envelope(c, in.lead, {{0, 0}, {2, 64}, {16, 52}}, 2, 800);
    compose_autovibrato(c, in.lead, 30, 6, 20);
    const float seq_params[2] = {20.0f, 0.0f};
    in.seq = compose_instrument(c, "sequence", synth_additive(synth_shape_pluck, seq_params, 24, 24, 1, 0.8f));
    compose_volume_envelope(c, in.seq, {{0, 64}, {4, 30}, {10, 8}, {20, 0}}, -1, 0);
    const float swell_params[1] = {0.9f};
    in.strings = compose_instrument(c, "strings", synth_additive(synth_shape_swell, swell_params, 14, 240, 220, 0.8f, true, true));
    compose_volume_envelope(c, in.strings, {{0, 0}, {40, 48}, {100, 40}}, 2, 250);
    compose_panning_envelope(c, in.strings, {{0, 32}, {64, 18}, {192, 46}, {256, 32}}, 0, 3);
    const float square_params[1] = {0.1f};
    in.square = compose_instrument(c, "square lead", synth_additive(synth_shape_square, square_params, 16, 2, 1, 0.75f));
    compose_volume_envelope(c, in.square, {{0, 0}, {3, 60}, {20, 46}, {40, 50}}, 3, 700);
    compose_volume_loop(c, in.square, 2, 3);
    compose_autovibrato(c, in.square, 40, 5, 16);
    compose_panning(c, in.seq, 80);
    compose_panning(c, in.hat, 170);
    compose_panning(c, in.open_hat, 90);
    compose_panning(c, in.square, 150);
    compose_panning(c, in.crash, 160);

    // 0: intro: kick, hats, bass and the sequence.
    section s;
    s.drums = 1;
    s.stabs = 0;
    s.seq = 26;
    s.bass = "xxoxxxoxxxoxxxox";
    const int intro = build_section(c, in, s);
    // 1: the drive: claps, open hats, stabs.
    s = {};
    s.stabs = 34;
    s.seq = 22;
    const int drive = build_section(c, in, s);
    // 2, 3: the supersaw's two phrases.
    s = {};
    s.lead = lead_a;
    s.seq = 16;
    const int a1 = build_section(c, in, s);
    s.lead = lead_b;
    s.drums = 3;
    const int b1 = build_section(c, in, s);
    // 4, 5: the second theme on the square lead over Am C G D, strings underneath.
    s = {};
    s.prog = &second;
    s.square = theme_c;
    s.strings = 26;
    s.stabs = 20;
    s.growl = true;
    const int c1 = build_section(c, in, s);
    s.square = theme_c2;
    s.seq = 24;
    const int c2 = build_section(c, in, s);
    // 6, 7: the phrases again, the square lead harmonising, then strings under lead B.
    s = {};
    s.lead = lead_a;
    s.square = harmony_a;
    s.crash = true;
    s.seq = 14;
    const int a2 = build_section(c, in, s);
    s.lead = lead_b;
    s.square = nullptr;
    s.strings = 24;
    s.drums = 3;
    s.growl = true;
    s.crash = false;
    const int b2 = build_section(c, in, s);
    // 8, 9: half-time breakdown (speed 12): no drums, strings and the sequence; the supersaw an octave
    // down, then the square lead alone over the strings.
    s = {};
    s.drums = 0;
    s.stabs = 0;
    s.seq = 20;
    s.strings = 34;
    s.lead = lead_a;
    s.lead_shift = -12;
    s.bass = "x...............";
    const int d1 = build_section(c, in, s);
    compose_effect(c, d1, 0, 15, 0xF, 12);
    s.lead = nullptr;
    s.square = theme_c2;
    s.prog = &second;
    s.seq = 0;
    s.strings = 38;
    const int d2 = build_section(c, in, s);
    // 10: the build at speed 6 again: kick and hats return, bar three plays twice (E6), a clap roll
    // retriggers ever faster and louder (R), a riser of noise climbs.
    s = {};
    s.drums = 1;
    s.stabs = 0;
    s.seq = 26;
    s.strings = 20;
    const int build = build_section(c, in, s);
    compose_effect(c, build, 0, 15, 0xF, 6);
    compose_effect(c, build, 32, 15, 0xE, 0x60);
    compose_effect(c, build, 47, 15, 0xE, 0x61);
    compose_cell(c, build, 48, 1, {.note = static_cast<uint8_t>(note_number("C4")),
                                   .instrument = static_cast<uint8_t>(in.clap), .volume = 0x10 + 20});
    for (int row = 48; row < 64; ++row) compose_effect(c, build, row, 1, 0x1B, row < 56 ? 0x92 : 0x91);
    for (int row = 48; row < 64; row += 2) {
        compose_cell(c, build, row, 3, {.note = static_cast<uint8_t>(note_number("C4") + (row - 48) / 2),
                                        .instrument = static_cast<uint8_t>(in.riser),
                                        .volume = static_cast<uint8_t>(0x10 + 12 + (row - 48) * 2)});
    }
    // 11-14: the themes at full strength.
    s = {};
    s.lead = lead_a;
    s.square = harmony_a;
    s.drums = 3;
    s.strings = 22;
    s.crash = true;
    s.seq = 16;
    const int a3 = build_section(c, in, s);
    s = {};
    s.prog = &second;
    s.lead = theme_c;
    s.lead_shift = 12;
    s.drums = 3;
    s.strings = 24;
    s.growl = true;
    const int c3 = build_section(c, in, s);
    s = {};
    s.lead = lead_b;
    s.drums = 3;
    s.strings = 24;
    s.crash = true;
    s.seq = 16;
    const int b3 = build_section(c, in, s);
    compose_effect(c, b3, 16, 8, 0xE, 0x93);  // a stutter into bar two
    // 15: the turn: stabs and the sequence alone with the kick, the square lead leading back.
    s = {};
    s.drums = 1;
    s.square = turn;
    s.seq = 24;
    s.stabs = 30;
    const int tn = build_section(c, in, s);

    const std::vector<int> order = {intro, drive, a1, b1, c1, c2, a2, b2, d1, d2, build, a3, c3, b3, tn};
    std::vector<uint8_t> orders;
    for (int p : order) orders.push_back(static_cast<uint8_t>(p));
    compose_orders(c, orders, 1);
    return c;
}
