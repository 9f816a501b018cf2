// Tune 3, "Voltage Parade": a driving electro piece in E minor (Em C D Bm), 128 BPM.
// Channels: 0 kick, 1 clap, 2 closed hat, 3 open hat, 4 bass, 5-7 stabs, 8 lead, 9 lead echo,
// 10 sequence, 11 sequence echo.
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

const std::vector<std::string> roots = {"E1", "C1", "D1", "B0"};
const std::vector<std::string> seq_chords = {"E5 G5 B5", "C5 E5 G5", "D5 F#5 A5", "B4 D5 F#5"};

// Stabs: the chord on an off-beat rhythm across three channels.
void stabs(composition& c, int p, int ins, int volume, const std::string& rhythm) {
    const char* tones[4][3] = {{"E4", "G4", "B4"}, {"E4", "G4", "C5"}, {"F#4", "A4", "D5"}, {"F#4", "B4", "D5"}};
    for (int bar = 0; bar < 4; ++bar) {
        for (int r = 0; r < 16; ++r) {
            if (rhythm[static_cast<size_t>(r)] != 'x') continue;
            for (int v = 0; v < 3; ++v) {
                compose_cell(c, p, bar * 16 + r, 5 + v,
                             {.note = static_cast<uint8_t>(note_number(tones[bar][v])),
                              .instrument = static_cast<uint8_t>(ins), .volume = static_cast<uint8_t>(0x10 + volume)});
            }
        }
    }
}

const char* lead_a =
    "B5 . . . . . G5 . . . A5 . B5 . . . | C6 . . . B5 . . . G5 . . . E5 . . . | "
    "D6 . . . . . A5 . . . F#5 . A5 . . . | B5 . . . . . . . . . . . ^ . . .";
const char* lead_b =
    "E6 . . . D6 . B5 . . . G5 . B5 . D6 . | E6 . . . . . G6 . . . E6 . D6 . C6 . | "
    "D6 . . . A5 . . . D6 . E6 . F#6 . . . | F#6 . . . E6 . D6 . B5 . . . ^ . . .";

}  // namespace

composition compose_voltage_parade() {
    composition c = compose_begin("Voltage Parade", 12, 6, 128);

    const int kick = compose_instrument(c, "kick", synth_kick(0.3, 200.0, 50.0, 0.5f, 1.0f));
    const int clap = compose_instrument(c, "clap", synth_clap(0.85f));
    const int hat = compose_instrument(c, "hat", synth_hat(0.04, 0.5f));
    const int open_hat = compose_instrument(c, "open hat", synth_hat(0.22, 0.45f));
    const float bass_params[2] = {14.0f, 0.05f};
    const int bass = compose_instrument(c, "saw bass", synth_additive(synth_shape_pluck, bass_params, 30, 30, 1, 0.9f));
    compose_volume_envelope(c, bass, {{0, 64}, {5, 40}, {14, 20}, {30, 0}}, -1, 0);
    const float stab_params[1] = {0.6f};
    const int stab = compose_instrument(c, "stab", synth_additive(synth_shape_square, stab_params, 18, 2, 1, 0.8f));
    compose_volume_envelope(c, stab, {{0, 64}, {4, 36}, {10, 10}, {16, 0}}, -1, 0);
    const int lead = compose_instrument(c, "supersaw", synth_ensemble(20, 4, false, 0.9f));
    compose_volume_envelope(c, lead, {{0, 0}, {2, 64}, {16, 52}}, 2, 800);
    compose_autovibrato(c, lead, 30, 6, 20);
    const float seq_params[2] = {20.0f, 0.0f};
    const int seq = compose_instrument(c, "sequence", synth_additive(synth_shape_pluck, seq_params, 24, 24, 1, 0.8f));
    compose_volume_envelope(c, seq, {{0, 64}, {4, 30}, {10, 8}, {20, 0}}, -1, 0);
    c.module.instruments[static_cast<size_t>(seq - 1)].samples[0].panning = 80;
    c.module.instruments[static_cast<size_t>(hat - 1)].samples[0].panning = 170;
    c.module.instruments[static_cast<size_t>(open_hat - 1)].samples[0].panning = 90;

    const std::string bass_rhythm = "xxoxxxoxxxoxxxox";
    const std::string seq_figure = "0121312101213121";
    const std::string stab_rhythm = "...x..x....x..x.";

    // 0: intro: kick, hats, bass and the sequence.
    const int intro = compose_pattern(c);
    compose_steps(c, intro, 0, "x...x...x...x...", kick);
    compose_steps(c, intro, 2, "ooxoooxoooxoooxo", hat, "C4", 22);
    compose_bass(c, intro, 4, roots, bass_rhythm, bass, 40);
    compose_arpeggio(c, intro, 10, seq_chords, seq_figure, 1, seq, 26);
    compose_echo(c, intro, 10, 11, 3, 40);

    // 1: claps, open hats and stabs.
    const int drive = compose_pattern(c);
    compose_steps(c, drive, 0, "x...x...x...x...", kick);
    compose_steps(c, drive, 1, "....x.......x...", clap);
    compose_steps(c, drive, 2, "xoxoxoxoxoxoxoxo", hat, "C4", 20);
    compose_steps(c, drive, 3, "..x...x...x...x.", open_hat);
    compose_bass(c, drive, 4, roots, bass_rhythm, bass, 50);
    stabs(c, drive, stab, 34, stab_rhythm);
    compose_arpeggio(c, drive, 10, seq_chords, seq_figure, 1, seq, 22);
    compose_echo(c, drive, 10, 11, 3, 40);

    // 2 and 3: the lead's two phrases.
    const char* leads[2] = {lead_a, lead_b};
    int themes[2] = {0, 0};
    for (int m = 0; m < 2; ++m) {
        const int p = compose_pattern(c);
        themes[m] = p;
        compose_steps(c, p, 0, "x...x...x...x...", kick);
        compose_steps(c, p, 1, m == 0 ? "....x.......x..." : "....x.......x..x", clap);
        compose_steps(c, p, 2, "xoxoxoxoxoxoxoxo", hat, "C4", 20);
        compose_steps(c, p, 3, "..x...x...x...x.", open_hat);
        compose_bass(c, p, 4, roots, bass_rhythm, bass, 50);
        stabs(c, p, stab, 26, stab_rhythm);
        compose_track(c, p, 8, 0, leads[m], lead);
        compose_echo(c, p, 8, 9, 3, 35);
        compose_arpeggio(c, p, 10, seq_chords, seq_figure, 1, seq, 16);
    }

    // 4: break: no kick; the sequence alone with a clap roll, the lead an octave down.
    const int brk = compose_pattern(c);
    compose_arpeggio(c, brk, 10, seq_chords, seq_figure, 1, seq, 28);
    compose_echo(c, brk, 10, 11, 3, 45);
    compose_track(c, brk, 8, 0, lead_a, lead, -12);
    compose_steps(c, brk, 1, std::string(48, '.') + "x...x...x.x.xxxx", clap, "C4", 30);
    compose_bass(c, brk, 4, roots, "x...............", bass, 44);

    compose_orders(c, {static_cast<uint8_t>(intro), static_cast<uint8_t>(drive), static_cast<uint8_t>(themes[0]),
                       static_cast<uint8_t>(themes[1]), static_cast<uint8_t>(brk), static_cast<uint8_t>(themes[1])},
                   1);
    return c;
}
