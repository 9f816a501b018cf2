// File 4 of the intro, "Twelve Small Hours": twelve songs, one for each hour after midnight, each its
// own piece in its own key, tempo, chords, rhythms and sounds. The intro plays the last.
//
// Every hour has the same shape: a four-bar opening of bass, drums and chords, then A B A C B, each
// section eight bars, and back to A. A and B carry drawn melodies (or, for the twelfth hour, the
// tune the file has always opened with); C is the hour's contrast: a hard-synced lead doubled by
// voice 2, or a ring-modulated bell over held fifths.
#include "content/tunes/intro_tunes.h"

namespace {

struct hour {
    const char* key;
    uint8_t speed;
    const char* a; // eight bars of chords each
    const char* b;
    const char* c;
    const char* bass; // the A and C sections' bass and drums; B has its own
    const char* bass_b;
    const char* comp;     // chord rhythm of A and B
    const char* rhythm_a; // melody rhythms
    const char* rhythm_b;
    const char* rhythm_c;
    int lead_a, lead_b;
    const char* contrast; // "sync" or "ring"
    uint8_t resonance_routing, mode_volume, cutoff_min, cutoff_max;
    int8_t cutoff_speed;
};

// The twelve hours. Voice 2 (routing $x2) or the lead (routing $x4) goes through the filter.
// clang-format off
const hour hours[12] = {
    // 1: Ab major, 125 BPM, a lilting opener.
    {"Ab major", 6, "Ab Fm Db Eb Ab Fm Bbm Eb", "Db Eb Cm Fm Db Eb Ab Ab", "Fm Cm Db Ab Bbm Eb Ab Ab",
     "KxxoSxfoKxxoSxfo", "K.x.S.x.K.x.S.xo", "x.x.x.x.x.x.x.x.", rhythm_eighths, rhythm_dotted, rhythm_floating,
     ins_lead, ins_lead_tri, "ring", 0xA2, 0x1C, 0x10, 0x60, 1},
    // 2: A dorian, 107 BPM, a vamp with a band-pass wah on the chords.
    {"A dorian", 7, "Am D Am D Am D G G", "C G D Am C G D D", "Am G D D Am G Em Em",
     "K.x.S.xoK.x.S.xo", "KxoxSxoxKxoxSxox", "x..x..x.x..x..x.", rhythm_syncopated, rhythm_calls, rhythm_slow,
     ins_lead_saw, ins_lead_soft, "sync", 0xC2, 0x2C, 0x08, 0x48, 2},
    // 3: Eb major, 150 BPM, quick runs through a filtered lead.
    {"Eb major", 5, "Eb Cm Ab Bb Eb Cm Fm Bb", "Ab Bb Gm Cm Ab Bb Eb Eb", "Fm Bb Gm Cm Fm Bb Eb Bb",
     "KxoxSxoxKxoxSxox", "KxHxSxHoKxHxSxHo", "x.xxx.xxx.xxx.xx", rhythm_runs, rhythm_syncopated, rhythm_eighths,
     ins_lead_bright, ins_lead_saw, "sync", 0x84, 0x1C, 0x30, 0x90, 1},
    // 4: F# minor, 94 BPM, the slow small hour.
    {"F# minor", 8, "F#m D A E F#m D E E", "Bm F#m D C#7 Bm F#m D C#", "D E C#m F#m D E C# C#",
     "x.......o.......", "K.......S.......", "x...x...x...x...", rhythm_slow, rhythm_floating, rhythm_dotted,
     ins_lead_soft, ins_lead_tri, "ring", 0xE2, 0x1A, 0x08, 0x40, 1},
    // 5: C mixolydian, 125 BPM, a shuffle with a flat seventh.
    {"C mixolydian", 6, "C Bb F C C Bb F G", "F Bb C C F Bb Gm C", "Am Bb C C Am Bb F G",
     "KxoxSxoxKxoxSxox", "KxxoSxxoKxxoSxxo", "x.x.x.x.x.x.x.x.", rhythm_calls, rhythm_pickup, rhythm_runs,
     ins_lead, ins_lead_bright, "sync", 0xA2, 0x59, 0x20, 0x70, 1},
    // 6: D dorian, 125 BPM, minor sevenths and a resonant band-pass.
    {"D dorian", 6, "Dm7 G Dm7 G Dm7 G Am7 G", "Bb C Dm7 Dm7 Bb C Am7 Am7", "Gm7 C Dm7 Am7 Gm7 C Dm7 Dm7",
     "KxoxSxfxKxoxSxfx", "K.x.S.x.K.x.S.xo", "x.xx.xx.x.xx.xx.", rhythm_syncopated, rhythm_runs, rhythm_dotted,
     ins_lead_saw, ins_lead, "ring", 0xF2, 0x2C, 0x10, 0x50, 2},
    // 7: B major, 150 BPM, bright and running.
    {"B major", 5, "B G#m E F# B G#m C#m F#", "E F# D#m G#m E F# B B", "G#m E F# B G#m E F# F#",
     "KoxoSoxoKoxoSoxo", "KxoxSxoxKxoxSxSS", "x.x.x.x.x.x.x.x.", rhythm_eighths, rhythm_march, rhythm_calls,
     ins_lead_bright, ins_lead_saw, "sync", 0xA2, 0x1C, 0x18, 0x68, 1},
    // 8: G harmonic minor, 107 BPM, a dark waltz-like dotted line through a filtered lead.
    {"G harmonic", 7, "Gm Cm D7 Gm Gm Cm D7 D7", "Eb Bb Cm D Eb Bb Cm D", "Cm Gm Ab D Cm Gm Ab D",
     "K.xoS.xoK.xoS.xo", "x...f...x...f...", "x...x.x.x...x.x.", rhythm_dotted, rhythm_slow, rhythm_floating,
     ins_lead_saw, ins_lead_soft, "ring", 0xD4, 0x1B, 0x18, 0x70, 1},
    // 9: Bb major, 125 BPM, a pick-up melody and hand claps of noise.
    {"Bb major", 6, "Bb F Gm Eb Bb F Eb F", "Cm F Dm Gm Cm F Bb Bb", "Eb F Dm Gm Eb F Cm F",
     "KxHxSxHxKxHxSxHO", "KxoxSxoxKxoxSxox", "x..x..x.x..x..x.", rhythm_pickup, rhythm_calls, rhythm_eighths,
     ins_lead, ins_lead_tri, "sync", 0x92, 0x1C, 0x14, 0x5C, 1},
    // 10: C# minor, 150 BPM, urgent, low-pass and band-pass together on the chords.
    {"C# minor", 5, "C#m A E B C#m A B B", "F#m C#m A G# F#m C#m A G#", "A B C#m C#m A B G# G#",
     "KxoxSxoxKxKxSxox", "KoxoSoxoKoxoSoxo", "x.-xx.-xx.-xx.-x", rhythm_runs, rhythm_eighths, rhythm_slow,
     ins_lead_saw, ins_lead_bright, "ring", 0xB2, 0x39, 0x0C, 0x58, 2},
    // 11: D major, 94 BPM, a ballad.
    {"D major", 8, "D Bm G A D Bm Em A", "G A F#m Bm G A D D", "Em A F#m Bm Em A D D",
     "x.......f...o...", "K...S...K...S.xo", "x.......x.......", rhythm_floating, rhythm_slow, rhythm_dotted,
     ins_lead_tri, ins_lead_soft, "sync", 0x62, 0x1C, 0x10, 0x48, 1},
    // 12: G major, 150 BPM, the file's own tune (played by the intro).
    {"G major", 5, "G Em C D G Em C D", "C D Bm Em C D G G", "Em Bm C G Am D G G",
     "KxxoSxfoKxxoSxfo", "KxoxSxoxKxoxSxSS", "x.x.x.x.x.x.x.x.", nullptr, rhythm_syncopated, rhythm_calls,
     ins_lead, ins_lead_saw, "sync", 0xA2, 0x1C, 0x10, 0x60, 1},
};
// clang-format on

const char* const twelfth_hour_tune =
    "6:D5/4 G5/4 B5/4 A5/4 | G5/4 E5/4 B4/8 | C5/4 E5/4 G5/4 E5/4 | F#5/8 A5/8 | "
    "6:B5/4 A5/2 G5/2 A5/4 B5/4 | E5/8 G5/8 | E5/4 C5/4 E5/4 G5/4 | D5/16";

tune_plan plan_of(const hour& h, uint32_t n) {
    tune_plan p{.key = h.key,
                .speed = h.speed,
                .form = "IABACB",
                .loop_to = 1,
                .resonance_routing = h.resonance_routing,
                .mode_volume = h.mode_volume,
                .cutoff_min = h.cutoff_min,
                .cutoff_max = h.cutoff_max,
                .cutoff_speed = h.cutoff_speed};
    std::string opening = h.a;
    for (int bars = 0, at = 0; at < static_cast<int>(opening.size()); ++at) {
        if (opening[static_cast<size_t>(at)] == ' ' && ++bars == 4) {
            opening.resize(static_cast<size_t>(at));
            break;
        }
    }
    const uint32_t seed = 400 + 10 * n;
    tune_section a{
        .name = 'A', .chords = h.a, .bass = h.bass, .comp = h.comp, .seed = seed, .lead = h.lead_a};
    if (h.rhythm_a)
        a.rhythm = h.rhythm_a;
    else
        a.melody = twelfth_hour_tune;
    p.sections = {
        {.name = 'I', .chords = opening, .bass = h.bass, .comp = h.comp, .melody = "-/64"},
        a,
        {.name = 'B',
         .chords = h.b,
         .bass = h.bass_b,
         .comp = h.comp,
         .rhythm = h.rhythm_b,
         .seed = seed + 1,
         .lead = h.lead_b},
        {.name = 'C',
         .chords = h.c,
         .bass = h.bass,
         .comp = h.contrast,
         .rhythm = h.rhythm_c,
         .seed = seed + 2},
    };
    return p;
}

} // namespace

sid_tune compose_small_hours() {
    std::vector<tune_plan> plans;
    for (uint32_t n = 0; n < 12; ++n) plans.push_back(plan_of(hours[n], n));
    return intro_tune_from_plans("Twelve Small Hours", plans);
}
