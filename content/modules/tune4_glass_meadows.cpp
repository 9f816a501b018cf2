// Tune 4, "Glass Meadows": a calm ambient piece in F (Fmaj7 Am7 Dm7 Bbmaj7), 70 BPM.
// Channels: 0-2 pad, 3 sub bass, 4 bells, 5 bell echo, 6 soft lead, 7 shaker.
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

namespace {

const std::vector<std::string> roots = {"F2", "A2", "D2", "A#1"};
const std::vector<std::string> pad_chords = {"A3 C4 E4", "G3 C4 E4", "A3 C4 F4", "A3 D4 F4"};
const std::vector<std::string> bell_chords = {"F5 A5 C6 E6", "E5 A5 C6 G6", "D5 F5 A5 C6", "D5 F5 A#5 D6"};

const char* lead_1 =
    "C5 . . . . . . . A4 . . . . . . . | E5 . . . . . . . . . . . C5 . . . | "
    "D5 . . . . . . . F5 . . . . . . . | D5 . . . . . . . . . . . ^ . . .";
const char* lead_2 =
    "A5 . . . . . G5 . . . . . F5 . . . | E5 . . . . . . . . . . . C5 . . . | "
    "F5 . . . . . A5 . . . . . C6 . . . | A#5 . . . . . A5 . . . . . ^ . . .";

}  // namespace

composition compose_glass_meadows() {
    composition c = compose_begin("Glass Meadows", 8, 6, 70);

    const int pad = compose_instrument(c, "pad", synth_ensemble(10, 1, false, 0.85f));
    compose_volume_envelope(c, pad, {{0, 0}, {60, 48}, {140, 40}}, 2, 160);
    const float soft_params[1] = {0.2f};
    const int sub = compose_instrument(c, "sub", synth_additive(synth_shape_soft, soft_params, 3, 2, 1, 0.95f));
    compose_volume_envelope(c, sub, {{0, 0}, {10, 60}, {120, 44}}, 2, 300);
    const int bell = compose_instrument(c, "bell", synth_bell(1.8, 0.7f, 0.9f));
    const float lead_params[1] = {0.15f};
    const int lead = compose_instrument(c, "glass", synth_additive(synth_shape_soft, lead_params, 3, 2, 1, 0.8f));
    compose_volume_envelope(c, lead, {{0, 0}, {24, 50}, {80, 40}}, 2, 250);
    compose_autovibrato(c, lead, 60, 8, 10);
    const int shaker = compose_instrument(c, "shaker", synth_shaker(0.4f));
    c.module.instruments[static_cast<size_t>(bell - 1)].samples[0].panning = 90;
    c.module.instruments[static_cast<size_t>(shaker - 1)].samples[0].panning = 180;

    const std::vector<int> pads = {0, 1, 2};
    const std::string figure = "0.1.2.3.2.1.0.2.";

    // 0: pads and sub alone.
    const int dawn = compose_pattern(c);
    compose_chords(c, dawn, pads, pad_chords, pad, 40);
    compose_bass(c, dawn, 3, roots, "x...............", sub, 50);

    // 1: the bells begin.
    const int bells = compose_pattern(c);
    compose_chords(c, bells, pads, pad_chords, pad, 34);
    compose_bass(c, bells, 3, roots, "x.......x.......", sub, 50);
    compose_arpeggio(c, bells, 4, bell_chords, figure, 1, bell, 36);
    compose_echo(c, bells, 4, 5, 3, 45);

    // 2 and 3: the glass lead's two phrases, a shaker drifting in.
    const char* leads[2] = {lead_1, lead_2};
    int themes[2] = {0, 0};
    for (int m = 0; m < 2; ++m) {
        const int p = compose_pattern(c);
        themes[m] = p;
        compose_chords(c, p, pads, pad_chords, pad, 26);
        compose_bass(c, p, 3, roots, "x.......x.......", sub, 50);
        compose_arpeggio(c, p, 4, bell_chords, m == 0 ? figure : "3.2.1.0.1.2.3.1.", 1, bell, 30);
        compose_echo(c, p, 4, 5, 3, 45);
        compose_track(c, p, 6, 0, leads[m], lead);
        compose_steps(c, p, 7, "....o.......o.o.", shaker, "C4", 14);
    }
    // Slow swells on the pad at the turn of each phrase.
    compose_effect(c, themes[1], 48, 0, 0xA, 0x10);

    compose_orders(c, {static_cast<uint8_t>(dawn), static_cast<uint8_t>(bells), static_cast<uint8_t>(themes[0]),
                       static_cast<uint8_t>(themes[1])},
                   1);
    return c;
}
