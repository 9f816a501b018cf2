// The twelve intro tunes: the table of where each comes from, the composed tunes 1-3 and 5-12 (file
// 4 is in small_hours.cpp), and the check that takes a PSID file made elsewhere.
//
// Sections: helpers - tunes - files made elsewhere - the table
//
// Every composed tune carries bass and drums on voice 1, the accompaniment on voice 2 (chord
// arpeggios through a resonant low-pass whose cutoff sweeps, or the source of a hard-synced lead, or
// held fifths that ring-modulate the lead) and the melody on voice 3. Every song repeats after a
// minute or more.
#include "content/tunes/intro_tunes.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "sid/sid.h"
#include "tools/toolkit/tool_io.h"

namespace {

// ---- helpers ------------------------------------------------------------------------------------

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "tunegen: %s\n", what.c_str());
    std::exit(1);
}

} // namespace

sid_tune intro_tune_from_plans(const std::string& name, const std::vector<tune_plan>& plans) {
    sid_tune t;
    t.name = name;
    t.author = "Mika Sollenthal";
    t.released = "2009 The Kestravon";
    t.instruments = intro_tune_bank();
    for (size_t s = 0; s < plans.size(); ++s) {
        const std::string where = name + " song " + std::to_string(s) + ": ";
        std::string error;
        if (!tune_write_song(t, plans[s], error)) fail(where + error);
        if (tune_plan_loop_seconds(plans[s]) < 60.0)
            fail(where + "repeats after " + std::to_string(tune_plan_loop_seconds(plans[s])) +
                 " s, under a minute");
        if (plans[s].drum_samples && t.samples.empty()) t.samples = tune_drum_samples();
    }
    // Without drum samples the bank's sampled drums are plain chip drums.
    if (t.samples.empty())
        for (sid_instrument& i : t.instruments) i.sample = 0;
    return t;
}

namespace {

// ---- tunes --------------------------------------------------------------------------------------

const char* const rest4 = "-/64";

// 1: Harbour Lights. A minor, 125 BPM, bright and quick; a synced lead in the minor-key bridge and a
// ring-modulated bell over the bare bass.
sid_tune harbour_lights() {
    tune_plan p{.key = "A minor", .speed = 6, .form = "IABACDA", .loop_to = 1};
    p.sections = {
        {.name = 'I', .chords = "Am F C G", .melody = rest4},
        {.name = 'A',
         .chords = "Am F C G Am F C G",
         .fill = "KxoxSxoxKxKxSxSS",
         .melody =
             "6:E5/4 A5/2 G5/2 E5/4 D5/2 C5/2 | D5/6 C5/2 A4/8 | C5/4 E5/2 G5/2 A5/4 G5/2 E5/2 | D5/12 -/4 | "
             "6:A5/2 -/2 A5/2 C6/2 B5/4 G5/4 | A5/4 F5/4 C5/8 | E5/2 G5/2 C6/4 B5/4 G5/4 | B5/8 D6/8"},
        {.name = 'B',
         .chords = "F G Em Am F G E E",
         .fill = "KxoxSxSxKKSSSSSS",
         .rhythm = rhythm_syncopated,
         .seed = 11,
         .lead = ins_lead_saw},
        {.name = 'C',
         .chords = "Dm Am Dm E Dm Am F E",
         .bass = "K.x.S.x.K.x.S.xo",
         .comp = "sync",
         .rhythm = rhythm_slow,
         .seed = 5},
        {.name = 'D',
         .chords = "Am F C G Am F C G",
         .bass = "x.......o.......",
         .comp = "ring",
         .rhythm = rhythm_dotted,
         .seed = 9},
    };
    return intro_tune_from_plans("Harbour Lights", {p});
}

// 2: Two Rivers. Song 0 a pastoral title in D major at 107 BPM; song 1 the chase in D minor at 150.
sid_tune two_rivers() {
    tune_plan title{.key = "D major",
                    .speed = 7,
                    .form = "IABACDA",
                    .loop_to = 1,
                    .cutoff_min = 0x30,
                    .cutoff_max = 0x60};
    title.sections = {
        {.name = 'I', .chords = "D G A D", .bass = "x...f...x...f...", .melody = rest4},
        {.name = 'A',
         .chords = "D G A D",
         .bass = "x...f...x...f...",
         .melody = "8:F#5/4 A5/4 B5/4 A5/4 | G5/6 F#5/2 E5/8 | E5/4 F#5/4 G5/4 A5/4 | F#5/12 -/4"},
        {.name = 'B',
         .chords = "Bm G D A Bm G Em A",
         .bass = "x...f...x...f...",
         .rhythm = rhythm_slow,
         .seed = 21,
         .lead = ins_lead_tri},
        {.name = 'C',
         .chords = "G A F#m Bm G A D D",
         .bass = "x.......f.......",
         .comp = "ring",
         .rhythm = rhythm_dotted,
         .seed = 22},
        {.name = 'D',
         .chords = "D G A D Bm G A D",
         .bass = "K.x.S.x.K.x.S.xo",
         .rhythm = rhythm_eighths,
         .seed = 23,
         .lead = ins_lead_soft},
    };
    tune_plan chase{.key = "D minor", .speed = 5, .form = "ABACDA", .loop_to = 0};
    chase.sections = {
        {.name = 'A',
         .chords = "Dm Bb C A Dm Bb C A",
         .bass = "KxxoSxxoKxxoSxxo",
         .fill = "KxxoSxxoKxKoSSSS",
         .comp = "x.xxx.xxx.xxx.xx",
         .melody = "7:D5/2 F5/2 A5/4 G5/2 F5/2 E5/4 | F5/4 D5/4 A#4/8 | C5/2 E5/2 G5/4 A5/2 G5/2 E5/4 | "
                   "C#5/8 E5/8 | "
                   "7:A5/4 G5/2 F5/2 E5/4 F5/4 | D5/8 A#5/8 | G5/4 E5/4 C5/4 E5/4 | A5/16"},
        {.name = 'B',
         .chords = "Gm Dm Bb A Gm Dm E A",
         .fill = "KxKoSxSSKSKSSSSS",
         .rhythm = rhythm_runs,
         .seed = 31,
         .lead = ins_lead_saw},
        {.name = 'C',
         .chords = "Dm C Bb A Dm C Bb A",
         .bass = "KxxoSxxoKxxoSxxo",
         .comp = "sync",
         .rhythm = rhythm_eighths,
         .seed = 32},
        {.name = 'D',
         .chords = "Bb C Dm Dm Bb C A A",
         .bass = "KxHxSxHoKxHxSxHo",
         .comp = "x.xxx.xxx.xxx.xx",
         .rhythm = rhythm_pickup,
         .seed = 33},
    };
    return intro_tune_from_plans("Two Rivers", {title, chase});
}

// 3: Cold Circuit. E minor, 150 BPM, driving eighths, a saw lead, a sharp band-pass on the arpeggios.
sid_tune cold_circuit() {
    tune_plan p{.key = "E minor",
                .speed = 5,
                .form = "IABACDAB",
                .loop_to = 1,
                .resonance_routing = 0xD2,
                .mode_volume = 0x39,
                .cutoff_min = 0x08,
                .cutoff_max = 0x50,
                .cutoff_speed = 2};
    p.sections = {
        {.name = 'I',
         .chords = "Em Em C D",
         .bass = "KoxoSoxoKoxoSoxo",
         .comp = "x.-xx.-xx.-xx.-x",
         .melody = rest4},
        {.name = 'A',
         .chords = "Em Em C D Em Em C D",
         .bass = "KoxoSoxoKoxoSoxo",
         .fill = "KoxoSoxoKoKoSSSS",
         .comp = "x.-xx.-xx.-xx.-x",
         .melody =
             "7:E5/2 -/2 E5/2 G5/2 B5/4 A5/4 | G5/4 F#5/4 E5/8 | C5/2 E5/2 G5/4 C6/4 B5/4 | A5/8 F#5/8 | "
             "7:B5/4 B5/2 C6/2 D6/4 B5/4 | E6/8 D6/4 B5/4 | C6/4 G5/4 E5/4 G5/4 | F#5/8 D5/8"},
        {.name = 'B',
         .chords = "Am Am Em Em C D B7 B7",
         .bass = "KoxoSoxoKoxoSoxo",
         .rhythm = rhythm_runs,
         .seed = 41,
         .lead = ins_lead_bright},
        {.name = 'C',
         .chords = "C D Em Em C D B B",
         .bass = "KxHxSxHxKxHxSxHO",
         .comp = "sync",
         .rhythm = rhythm_syncopated,
         .seed = 42},
        {.name = 'D',
         .chords = "Em D C B Em D C B",
         .bass = "x.......x.......",
         .rhythm = rhythm_slow,
         .seed = 43,
         .lead = ins_lead_tri},
    };
    return intro_tune_from_plans("Cold Circuit", {p});
}

// 5: Paper Kites. F major, 125 BPM, bouncing bass, a light triangle tune.
sid_tune paper_kites() {
    tune_plan p{.key = "F major",
                .speed = 6,
                .form = "IABACDA",
                .loop_to = 1,
                .resonance_routing = 0x82,
                .cutoff_min = 0x18,
                .cutoff_max = 0x70};
    p.sections = {
        {.name = 'I',
         .chords = "F Dm Bb C",
         .bass = "KxHoSxHoKxHoSxHo",
         .comp = "x..x..x.x..x..x.",
         .melody = rest4},
        {.name = 'A',
         .chords = "F Dm Bb C F Dm Bb C",
         .bass = "KxHoSxHoKxHoSxHo",
         .comp = "x..x..x.x..x..x.",
         .melody =
             "8:C5/2 F5/2 A5/2 F5/2 C6/4 A5/4 | D5/2 F5/2 A5/2 D6/2 C6/8 | A#4/2 D5/2 F5/4 A#5/4 A5/4 | "
             "G5/12 -/4 | 8:A5/2 A5/2 G5/2 F5/2 G5/4 A5/4 | F5/4 D5/4 A4/8 | A#4/4 D5/4 F5/2 G5/2 A5/4 | "
             "C6/8 G5/8"},
        {.name = 'B',
         .chords = "Bb C Am Dm Gm C F F",
         .bass = "KxHoSxHoKxHoSxHo",
         .rhythm = rhythm_dotted,
         .seed = 51,
         .lead = ins_lead},
        {.name = 'C',
         .chords = "Dm Am Bb F Gm Am Bb C",
         .bass = "x.....x.x.......",
         .comp = "ring",
         .rhythm = rhythm_floating,
         .seed = 52},
        {.name = 'D',
         .chords = "F C Dm Bb F C Bb C",
         .bass = "KxoxSxoxKxoxSxox",
         .comp = "sync",
         .rhythm = rhythm_calls,
         .seed = 53},
    };
    return intro_tune_from_plans("Paper Kites", {p});
}

// 6: Midnight Ferry. Song 0 a slow crossing in C minor at 94 BPM; song 1 the same waters at speed
// in F minor at 150 BPM, its own melodies over a harder beat.
sid_tune midnight_ferry() {
    tune_plan crossing{.key = "C minor", .speed = 8, .form = "IABAC", .loop_to = 1, .cutoff_speed = -1};
    crossing.sections = {
        {.name = 'I',
         .chords = "Cm Ab Eb Bb",
         .bass = "K.x.S.x.K.x.S.xo",
         .comp = "x.......x.......",
         .melody = rest4},
        {.name = 'A',
         .chords = "Cm Ab Eb Bb Cm Ab Eb Bb",
         .bass = "K.x.S.x.K.x.S.xo",
         .comp = "x.......x.......",
         .melody = "14:G5/6 D#5/2 C5/8 | C5/4 D#5/4 G#5/8 | G5/6 F5/2 D#5/8 | D5/8 A#4/8 | "
                   "14:C6/6 A#5/2 G5/8 | G#5/6 G5/2 F5/8 | D#5/4 F5/4 G5/4 A#5/4 | C6/16"},
        {.name = 'B',
         .chords = "Fm Cm Ab G Fm Cm Ab G",
         .bass = "x.......f.......",
         .comp = "ring",
         .rhythm = rhythm_slow,
         .seed = 61},
        {.name = 'C',
         .chords = "Ab Bb Cm Cm Ab Bb G G",
         .bass = "K.x.S.x.K.x.S.xo",
         .comp = "x...x...x...x...",
         .rhythm = rhythm_floating,
         .seed = 62,
         .lead = ins_lead_tri},
    };
    tune_plan rush{.key = "F minor", .speed = 5, .form = "ABACDB", .loop_to = 0};
    rush.sections = {
        {.name = 'A',
         .chords = "Fm Db Ab Eb Fm Db Ab Eb",
         .bass = "KxoxSxoxKxoxSxSS",
         .rhythm = rhythm_eighths,
         .seed = 63,
         .lead = ins_lead_saw},
        {.name = 'B',
         .chords = "Bbm Fm Db C Bbm Fm Db C",
         .rhythm = rhythm_runs,
         .seed = 64,
         .lead = ins_lead_bright},
        {.name = 'C',
         .chords = "Db Eb Fm Fm Db Eb C C",
         .bass = "KxHxSxHxKxHxSxHO",
         .comp = "sync",
         .rhythm = rhythm_calls,
         .seed = 65},
        {.name = 'D',
         .chords = "Fm Eb Db C Fm Eb Db C",
         .bass = "x...x...x...x...",
         .comp = "x.x.x.x.x.x.x.x.",
         .rhythm = rhythm_syncopated,
         .seed = 66,
         .lead = ins_lead_soft},
    };
    return intro_tune_from_plans("Midnight Ferry", {crossing, rush});
}

// 7: Rust and Chrome. D minor, 125 BPM, heavy pulses and a hard saw; kick and snare are 4-bit
// samples on the sample channel, layered over the chip's own noise.
sid_tune rust_and_chrome() {
    tune_plan p{.key = "D minor",
                .speed = 6,
                .form = "IABACDA",
                .loop_to = 1,
                .mode_volume = 0x19,
                .drum_samples = true};
    p.sections = {
        {.name = 'I',
         .chords = "Dm C Bb A",
         .bass = "KxKxSxxoKxKxSxxo",
         .comp = "x.xx.xx.x.xx.xx.",
         .melody = rest4},
        {.name = 'A',
         .chords = "Dm C Bb A Dm C Bb A",
         .bass = "KxKxSxxoKxKxSxxo",
         .fill = "KxKxSxxoKKSSKSSS",
         .comp = "x.xx.xx.x.xx.xx.",
         .melody = "7:D5/4 D5/2 F5/2 A5/4 G5/4 | E5/4 C5/4 G5/8 | F5/4 D5/2 F5/2 A#5/4 A5/4 | A5/8 C#6/8 | "
                   "7:D6/4 C6/4 A5/4 F5/4 | G5/4 E5/4 C5/8 | D5/4 F5/4 A#5/4 D6/4 | C#6/16"},
        {.name = 'B',
         .chords = "Gm Gm Dm Dm Bb C A A",
         .bass = "KxoxSxoxKxoxSxox",
         .rhythm = rhythm_march,
         .seed = 71,
         .lead = ins_lead_bright},
        {.name = 'C',
         .chords = "Bb C Dm Dm Bb C A7 A7",
         .bass = "KxKxSxKxKxKxSxKS",
         .comp = "sync",
         .rhythm = rhythm_runs,
         .seed = 72},
        {.name = 'D',
         .chords = "Dm Bb Gm A Dm Bb Gm A",
         .bass = "K.......S.......",
         .comp = "ring",
         .rhythm = rhythm_slow,
         .seed = 73},
    };
    return intro_tune_from_plans("Rust and Chrome", {p});
}

// 8: Lantern Walk. B minor, 107 BPM, an unhurried stroll.
sid_tune lantern_walk() {
    tune_plan p{.key = "B minor",
                .speed = 7,
                .form = "IABACD",
                .loop_to = 1,
                .resonance_routing = 0x62,
                .cutoff_min = 0x20,
                .cutoff_max = 0x68};
    p.sections = {
        {.name = 'I',
         .chords = "Bm G D A",
         .bass = "K.x.H.x.S.x.H.xo",
         .comp = "x...x...x...x...",
         .melody = rest4},
        {.name = 'A',
         .chords = "Bm G D A Bm G D A",
         .bass = "K.x.H.x.S.x.H.xo",
         .comp = "x...x...x...x...",
         .melody = "6:F#5/6 E5/2 D5/4 C#5/4 | B4/8 D5/8 | F#5/4 A5/4 G5/4 F#5/4 | E5/16 | "
                   "6:B5/6 A5/2 F#5/8 | G5/4 F#5/4 E5/8 | D5/4 F#5/4 A5/4 D6/4 | C#6/12 -/4"},
        {.name = 'B',
         .chords = "Em Bm G F#7 Em Bm G F#7",
         .bass = "K.x.H.x.S.x.H.xo",
         .comp = "x.x.x.x.x.x.x.x.",
         .rhythm = rhythm_dotted,
         .seed = 81,
         .lead = ins_lead_soft},
        {.name = 'C',
         .chords = "G A F#m Bm G A F# F#",
         .bass = "x.......x...o...",
         .comp = "ring",
         .rhythm = rhythm_pickup,
         .seed = 82},
        {.name = 'D',
         .chords = "D A Bm Bm G D Em F#",
         .bass = "K.x.H.x.S.x.H.xo",
         .comp = "sync",
         .rhythm = rhythm_calls,
         .seed = 83},
    };
    return intro_tune_from_plans("Lantern Walk", {p});
}

// 9: Quiet Orbit. C major sevenths, 94 BPM, slow and open, a triangle tune over a soft pulse bed. It
// has no play address: its init installs the play routine at $0314 itself.
sid_tune quiet_orbit() {
    tune_plan p{
        .key = "C major", .speed = 8, .form = "IABAC", .loop_to = 1, .cutoff_min = 0x08, .cutoff_max = 0x40};
    p.sections = {
        {.name = 'I', .chords = "CM7 FM7 Am7 Gsus", .bass = "x.......o.......", .melody = rest4},
        {.name = 'A',
         .chords = "CM7 FM7 Am7 Gsus CM7 FM7 Am7 Gsus",
         .bass = "x.......o.......",
         .melody =
             "8:E5/8 G5/8 | A5/8 C6/8 | B5/8 A5/8 | G5/16 | 8:C6/8 B5/8 | A5/12 F5/4 | E5/8 C5/8 | D5/16"},
        {.name = 'B',
         .chords = "Dm7 G FM7 Em7 Dm7 G CM7 CM7",
         .bass = "x...f...o...f...",
         .comp = "ring",
         .rhythm = rhythm_floating,
         .seed = 91},
        {.name = 'C',
         .chords = "Am7 Em7 FM7 G Am7 Em7 Dm7 Gsus",
         .bass = "x...H...x.o.H...",
         .comp = "x...x...x...x...",
         .rhythm = rhythm_slow,
         .seed = 92,
         .lead = ins_lead_soft},
    };
    sid_tune t = intro_tune_from_plans("Quiet Orbit", {p});
    t.own_play_vector = true;
    return t;
}

// 10: Marching Static. G minor march, 125 BPM, snare rolls.
sid_tune marching_static() {
    tune_plan p{.key = "G minor", .speed = 6, .form = "IABACDA", .loop_to = 1};
    p.sections = {
        {.name = 'I', .chords = "Gm Eb F D", .bass = "KxSxKxSxKxSxKSSS", .melody = rest4},
        {.name = 'A',
         .chords = "Gm Eb F D Gm Eb F D",
         .bass = "KxSxKxSxKxSxKSSS",
         .melody = "6:G5/4 G5/2 A5/2 A#5/4 A5/2 G5/2 | G5/4 D#5/4 A#4/8 | F5/4 F5/2 G5/2 A5/4 G5/2 F5/2 | "
                   "F#5/8 D5/8 | "
                   "6:D6/4 D6/2 C6/2 A#5/4 A5/4 | G5/4 A#5/4 D#6/8 | C6/4 A5/4 F5/4 A5/4 | D5/16"},
        {.name = 'B',
         .chords = "Cm Gm D D Cm Gm Eb D",
         .bass = "KxSxKxSxKxSxKxSS",
         .rhythm = rhythm_march,
         .seed = 101,
         .lead = ins_lead_saw},
        {.name = 'C',
         .chords = "Eb F Bb Gm Eb F D D",
         .bass = "KxSxKxSxKxSxKSSS",
         .comp = "sync",
         .rhythm = rhythm_march,
         .seed = 102},
        {.name = 'D',
         .chords = "Gm Cm D Gm Gm Cm D D",
         .bass = "SSSSSxSSSSSSSxSS",
         .fill = "SSSSSSSSKSKSSSSS",
         .comp = "x...............",
         .rhythm = rhythm_calls,
         .seed = 103,
         .lead = ins_lead_bright},
    };
    return intro_tune_from_plans("Marching Static", {p});
}

// 11: Last Train Home. E major, 125 BPM, warm and a little wistful.
sid_tune last_train_home() {
    tune_plan p{.key = "E major",
                .speed = 6,
                .form = "IABACDA",
                .loop_to = 1,
                .resonance_routing = 0x92,
                .cutoff_min = 0x14,
                .cutoff_max = 0x58};
    p.sections = {
        {.name = 'I', .chords = "E C#m A B", .comp = "x.xxx.xxx.xxx.xx", .melody = rest4},
        {.name = 'A',
         .chords = "E C#m A B E C#m A B",
         .comp = "x.xxx.xxx.xxx.xx",
         .melody = "6:G#5/4 B5/4 E6/4 D#6/4 | C#6/8 G#5/8 | A5/4 C#6/4 E6/4 C#6/4 | B5/16 | "
                   "6:E6/6 D#6/2 C#6/8 | C#6/4 B5/4 G#5/8 | A5/4 B5/4 C#6/4 A5/4 | B5/8 D#6/8"},
        {.name = 'B',
         .chords = "A B G#m C#m A B E E",
         .bass = "K.xoS.xoK.xoS.xo",
         .rhythm = rhythm_pickup,
         .seed = 111,
         .lead = ins_lead_soft},
        {.name = 'C',
         .chords = "F#m B E C#m F#m B E E",
         .bass = "x.......o.......",
         .comp = "ring",
         .rhythm = rhythm_dotted,
         .seed = 112},
        {.name = 'D',
         .chords = "C#m G#m A E C#m G#m A B",
         .comp = "sync",
         .rhythm = rhythm_eighths,
         .seed = 113},
    };
    return intro_tune_from_plans("Last Train Home", {p});
}

// 12: Afterword. A major, 107 BPM, a farewell.
sid_tune afterword() {
    tune_plan p{.key = "A major", .speed = 7, .form = "IABACB", .loop_to = 1, .cutoff_speed = -2};
    p.sections = {
        {.name = 'I', .chords = "A E F#m D", .bass = "K.xoS.xoK.xoS.xo", .melody = rest4},
        {.name = 'A',
         .chords = "A E F#m D A E F#m D",
         .bass = "K.xoS.xoK.xoS.xo",
         .melody = "14:C#6/4 B5/4 A5/8 | G#5/4 B5/4 E5/8 | F#5/4 A5/4 C#6/8 | D6/8 B5/8 | "
                   "14:C#6/4 B5/4 A5/8 | G#5/4 B5/4 E5/8 | F#5/4 A5/4 C#6/4 E6/4 | D6/8 E6/8"},
        {.name = 'B',
         .chords = "D E C#m F#m D E A A",
         .bass = "K.xoS.xoK.xoS.xo",
         .rhythm = rhythm_slow,
         .seed = 121,
         .lead = ins_lead_tri},
        {.name = 'C',
         .chords = "Bm E A F#m Bm E A A",
         .bass = "x...o...x...o...",
         .comp = "ring",
         .rhythm = rhythm_floating,
         .seed = 122},
    };
    return intro_tune_from_plans("Afterword", {p});
}

// ---- files made elsewhere -----------------------------------------------------------------------

// How long a tune from a file is played through before it counts as playing.
constexpr int check_frames = 30 * 50;


} // namespace

std::string intro_tune_check(const std::vector<uint8_t>& bytes) {
    if (const char* problem = psid_problem(bytes.data(), static_cast<uint32_t>(bytes.size()))) return problem;
    auto m = std::make_unique<sid_machine>();
    const int songs = bytes[14] << 8 | bytes[15];
    if (songs < 1 || songs > 256) return "the header's song count is not 1 to 256";
    std::vector<int16_t> frame(882);
    for (int song = 0; song < songs; ++song) {
        const std::string which = "song " + std::to_string(song + 1) + ": ";
        machine_init(*m, 44100);
        psid_load(*m, bytes.data(), static_cast<uint16_t>(bytes.size()));
        if (m->play_address == 0) return which + "no play address, and init does not install one at $0314";
        // A routine that runs into the player's bound never returned: the intro would stall on it.
        if (!cpu_call(*m, m->init_address, static_cast<uint8_t>(song), cpu_call_default_limit))
            return which + "init does not return";
        long long energy = 0;
        for (int f = 0; f < check_frames; ++f) {
            if (!cpu_call(*m, m->play_address, 0, cpu_play_call_limit)) return which + "play does not return";
            sid_render(*m, frame.data(), 882);
            for (int16_t s : frame) energy += s < 0 ? -s : s;
        }
        if (energy / (check_frames * 882LL) < 50) return which + "silent for its first 30 seconds";
    }
    return "";
}

std::vector<uint8_t> intro_tune_from_file(const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!tool_read_bytes(path.c_str(), bytes, error, 0xFFFF)) return {};
    if (const std::string problem = intro_tune_check(bytes); !problem.empty()) {
        error = path + ": " + problem;
        return {};
    }
    return bytes;
}

// ---- the table ----------------------------------------------------------------------------------

const intro_tune_source intro_tune_sources[13] = {
    {nullptr, nullptr},        {harbour_lights, nullptr},      {two_rivers, nullptr},
    {cold_circuit, nullptr},   {compose_small_hours, nullptr}, {paper_kites, nullptr},
    {midnight_ferry, nullptr}, {rust_and_chrome, nullptr},     {lantern_walk, nullptr},
    {quiet_orbit, nullptr},    {marching_static, nullptr},     {last_train_home, nullptr},
    {afterword, nullptr},
};
