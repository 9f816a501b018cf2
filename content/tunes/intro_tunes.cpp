// The twelve intro tunes: one shared instrument bank, and for each tune its patterns (bass and
// drums on voice 1, chord arpeggios on voice 2, the tune on voice 3) and songs.
//
// Sections: instrument bank - helpers - tunes 1 to 12 - the list
#include "content/tunes/intro_tunes.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

// ---- instrument bank ----------------------------------------------------------------------------

// Instrument numbers, the same in every tune.
enum : int {
    kick, snare, hat, bass, arp_minor, arp_major, lead, lead_saw, lead_tri, arp_sus, arp_m7, arp_maj7,
    bass_saw, open_hat, lead_soft, organ
};

std::vector<sid_instrument> bank() {
    std::vector<sid_instrument> b(16);
    //            wave1 wave2 ad    sr    pulse pwspd arp   slide vib   release
    b[kick] =      {0x81, 0x41, 0x07, 0x00, 0x08, 0x00, 0x00, 0x02, 0, 0};
    b[snare] =     {0x41, 0x81, 0x07, 0x00, 0x08, 0x00, 0x00, 0x00, 0, 0};
    b[hat] =       {0x81, 0x81, 0x02, 0x00, 0x08, 0x00, 0x00, 0x00, 0, 0};
    b[bass] =      {0x41, 0x41, 0x08, 0xA8, 0x03, 0x30, 0x00, 0x00, 0, 1};
    b[arp_minor] = {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x37, 0x00, 0, 1};
    b[arp_major] = {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x47, 0x00, 0, 1};
    b[lead] =      {0x41, 0x41, 0x09, 0xC8, 0x06, 0x10, 0x00, 0x00, 7, 2};
    b[lead_saw] =  {0x21, 0x21, 0x09, 0xB8, 0x08, 0x00, 0x00, 0x00, 7, 2};
    b[lead_tri] =  {0x11, 0x11, 0x0A, 0xD9, 0x08, 0x00, 0x00, 0x00, 8, 2};
    b[arp_sus] =   {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x57, 0x00, 0, 1};
    b[arp_m7] =    {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x3A, 0x00, 0, 1};
    b[arp_maj7] =  {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x4B, 0x00, 0, 1};
    b[bass_saw] =  {0x21, 0x21, 0x08, 0x40, 0x08, 0x00, 0x00, 0x00, 0, 1};
    b[open_hat] =  {0x81, 0x81, 0x06, 0x00, 0x08, 0x00, 0x00, 0x00, 0, 0};
    b[lead_soft] = {0x41, 0x41, 0x0A, 0x68, 0x0A, 0x08, 0x00, 0x00, 7, 2};
    b[organ] =     {0x41, 0x41, 0x28, 0xA8, 0x08, 0x00, 0x00, 0x00, 0, 1};
    return b;
}

// Voice 2 goes through a resonant low-pass whose cutoff sweeps back and forth.
sid_song song(uint8_t speed, const std::string& v1, const std::string& v2, const std::string& v3) {
    sid_song s;
    s.speed = speed;
    s.orders = {v1, v2, v3};
    s.resonance_routing = 0xA2;
    s.mode_volume = 0x1E;  // volume 14 leaves headroom: the chip model does not clip, it wraps
    s.cutoff_min = 0x10;
    s.cutoff_max = 0x60;
    s.cutoff_speed = 1;
    return s;
}

sid_tune tune(const std::string& name) {
    sid_tune t;
    t.name = name;
    t.author = "Mika Sollenthal";
    t.released = "2026 The Kestravon";
    t.instruments = bank();
    return t;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "tunegen: %s\n", what.c_str());
    std::exit(1);
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

// A pattern that must last exactly four bars of 16 ticks.
std::string bars4(const std::string& text) {
    if (notation_ticks(text) != 64) fail("pattern of " + std::to_string(notation_ticks(text)) + " ticks: " + text);
    return text;
}

int shifted(const std::string& note, int semitones) {
    const int n = sid_note_index(note);
    if (n < 0 || n + semitones < 0 || n + semitones > 95) fail("bad note " + note);
    return n + semitones;
}

std::string name_of(int index) {
    static const char* names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return std::string(names[index % 12]) + std::to_string(index / 12);
}

}  // namespace

// ---- helpers ------------------------------------------------------------------------------------

int notation_ticks(const std::string& text) {
    int ticks = 0;
    for (const std::string& w : words(text)) {
        if (w == "|") continue;
        const size_t slash = w.find('/');
        ticks += slash == std::string::npos ? 1 : std::atoi(w.c_str() + slash + 1);
    }
    return ticks;
}

std::string bass_drums(const std::vector<std::string>& roots, const std::string& rhythm) {
    if (rhythm.size() != 16) fail("a bass rhythm is 16 ticks: " + rhythm);
    std::string out;
    for (const std::string& root : roots) {
        for (char c : rhythm) {
            switch (c) {
            case 'K': out += std::to_string(kick) + ":C4 "; break;
            case 'S': out += std::to_string(snare) + ":C6 "; break;
            case 'H': out += std::to_string(hat) + ":A7 "; break;
            case 'x': out += std::to_string(bass) + ":" + name_of(shifted(root, 0)) + " "; break;
            case 'o': out += std::to_string(bass) + ":" + name_of(shifted(root, 12)) + " "; break;
            case 'f': out += std::to_string(bass) + ":" + name_of(shifted(root, 7)) + " "; break;
            case '.': out += ". "; break;
            case '-': out += "- "; break;
            default: fail(std::string("bad bass rhythm character ") + c);
            }
        }
        out += "| ";
    }
    return out;
}

std::string chord_line(const std::vector<std::string>& chords, const std::string& rhythm) {
    if (rhythm.size() != 16) fail("a chord rhythm is 16 ticks: " + rhythm);
    std::string out;
    for (const std::string& chord : chords) {
        // Root name, then the kind: "" major, "m" minor, "s" sus4, "m7", "M7".
        size_t kind_at = chord[1] == '#' || chord[1] == 'b' ? 3 : 2;
        if (chord.size() < kind_at) fail("bad chord " + chord);
        const std::string root = chord.substr(0, kind_at);
        const std::string kind = chord.substr(kind_at);
        int ins = arp_major;
        if (kind == "m") ins = arp_minor;
        else if (kind == "s") ins = arp_sus;
        else if (kind == "m7") ins = arp_m7;
        else if (kind == "M7") ins = arp_maj7;
        else if (!kind.empty()) fail("bad chord kind " + chord);
        for (char c : rhythm) {
            if (c == 'x') out += std::to_string(ins) + ":" + name_of(shifted(root, 0)) + " ";
            else if (c == '.') out += ". ";
            else if (c == '-') out += "- ";
            else fail(std::string("bad chord rhythm character ") + c);
        }
        out += "| ";
    }
    return out;
}

namespace {

// ---- tunes --------------------------------------------------------------------------------------

// 1: Harbour Lights. A minor, bright and quick.
sid_tune harbour_lights() {
    sid_tune t = tune("Harbour Lights");
    const std::vector<std::string> roots = {"A1", "F1", "C2", "G1"};
    const std::vector<std::string> chords = {"A3m", "F3", "C4", "G3"};
    t.patterns = {
        bars4(bass_drums(roots, "KxoxSxoxKxoxSxox")),
        bars4(bass_drums(roots, "KxoxSxoxKxKxSxSS")),
        bars4(chord_line(chords, "x.x.x.x.x.x.x.x.")),
        bars4("-/64"),
        bars4("6:E5/4 A5/2 G5/2 E5/4 D5/2 C5/2 | D5/6 C5/2 A4/8 | C5/4 E5/2 G5/2 A5/4 G5/2 E5/2 | D5/12 -/4"),
        bars4("6:A5/2 -/2 A5/2 C6/2 B5/4 G5/4 | A5/4 F5/4 C5/8 | E5/2 G5/2 C6/4 B5/4 G5/4 | B5/8 D6/8"),
    };
    t.songs = {song(6, "0 0 0 1 loop 0", "2 loop 0", "3 4 5 4 loop 0")};
    return t;
}

// 2: Two Rivers. Song 0 a pastoral title in D major; song 1 the chase in D minor.
sid_tune two_rivers() {
    sid_tune t = tune("Two Rivers");
    t.patterns = {
        bars4(bass_drums({"D2", "G1", "A1", "D2"}, "x...f...x...f...")),
        bars4(chord_line({"D3", "G3", "A3", "D3"}, "x.x.x.x.x.x.x.x.")),
        bars4("8:F#5/4 A5/4 B5/4 A5/4 | G5/6 F#5/2 E5/8 | E5/4 F#5/4 G5/4 A5/4 | F#5/12 -/4"),
        bars4(bass_drums({"D2", "A#1", "C2", "A1"}, "KxxoSxxoKxxoSxxo")),
        bars4(bass_drums({"D2", "A#1", "C2", "A1"}, "KxxoSxxoKxKoSSSS")),
        bars4(chord_line({"D3m", "A#2", "C3", "A2"}, "x.xxx.xxx.xxx.xx")),
        bars4("7:D5/2 F5/2 A5/4 G5/2 F5/2 E5/4 | F5/4 D5/4 A#4/8 | C5/2 E5/2 G5/4 A5/2 G5/2 E5/4 | C#5/8 E5/8"),
        bars4("7:A5/4 G5/2 F5/2 E5/4 F5/4 | D5/8 A#5/8 | G5/4 E5/4 C5/4 E5/4 | A5/16"),
    };
    sid_song title = song(7, "0 loop 0", "1 loop 0", "2 loop 0");
    title.cutoff_speed = 0;
    title.cutoff_min = title.cutoff_max = 0x50;
    t.songs = {title, song(5, "3 3 3 4 loop 0", "5 loop 0", "6 7 6 7 loop 0")};
    return t;
}

// 3: Cold Circuit. E minor, driving eighths, a saw lead.
sid_tune cold_circuit() {
    sid_tune t = tune("Cold Circuit");
    const std::vector<std::string> roots = {"E1", "E1", "C2", "D2"};
    t.patterns = {
        bars4(bass_drums(roots, "KoxoSoxoKoxoSoxo")),
        bars4(bass_drums(roots, "KoxoSoxoKoKoSSSS")),
        bars4(chord_line({"E3m", "E3m", "C3", "D3"}, "x.-xx.-xx.-xx.-x")),
        bars4("7:E5/2 -/2 E5/2 G5/2 B5/4 A5/4 | G5/4 F#5/4 E5/8 | C5/2 E5/2 G5/4 C6/4 B5/4 | A5/8 F#5/8"),
        bars4("7:B5/4 B5/2 C6/2 D6/4 B5/4 | E6/8 D6/4 B5/4 | C6/4 G5/4 E5/4 G5/4 | F#5/8 D5/8"),
    };
    t.songs = {song(5, "0 0 0 1 loop 0", "2 loop 0", "3 4 loop 0")};
    return t;
}

// 4: Twelve Small Hours. One waltz-like tune in G, twelve ways: tempo, key, lead and voice mix.
sid_tune twelve_small_hours() {
    sid_tune t = tune("Twelve Small Hours");
    t.patterns = {
        bars4(bass_drums({"G1", "E1", "C2", "D2"}, "KxxoSxfoKxxoSxfo")),
        bars4(chord_line({"G3", "E3m", "C3", "D3"}, "x.x.x.x.x.x.x.x.")),
        bars4("6:D5/4 G5/4 B5/4 A5/4 | G5/4 E5/4 B4/8 | C5/4 E5/4 G5/4 E5/4 | F#5/8 A5/8"),
        bars4("6:B5/4 A5/2 G5/2 A5/4 B5/4 | E5/8 G5/8 | E5/4 C5/4 E5/4 G5/4 | D5/16"),
        bars4("-/64"),
        bars4(bass_drums({"G1", "E1", "C2", "D2"}, "x...............")),
    };
    // Song k: the same tune; the variations step through tempo, key and instruments.
    struct variation {
        uint8_t speed;
        int8_t transpose;
        uint8_t lead_offset;  // 0 pulse, 1 saw, 2 triangle
        const char* bass;
        const char* chords;
    };
    const variation v[12] = {
        {6, 0, 0, "0 loop 0", "1 loop 0"},  {7, 0, 2, "5 loop 0", "1 loop 0"},
        {5, 2, 1, "0 loop 0", "1 loop 0"},  {6, -3, 0, "0 loop 0", "4 loop 0"},
        {8, 0, 2, "5 loop 0", "4 loop 0"},  {6, 5, 1, "0 loop 0", "1 loop 0"},
        {5, -5, 0, "0 loop 0", "1 loop 0"}, {7, 3, 2, "0 loop 0", "1 loop 0"},
        {6, -2, 1, "5 loop 0", "1 loop 0"}, {4, 0, 0, "0 loop 0", "1 loop 0"},
        {6, 7, 2, "0 loop 0", "4 loop 0"},  {5, 0, 1, "0 loop 0", "1 loop 0"},
    };
    for (const variation& x : v) {
        sid_song s = song(x.speed, x.bass, x.chords, "2 3 loop 0");
        s.transpose = {x.transpose, x.transpose, x.transpose};
        s.instrument_offset = {0, 0, x.lead_offset};
        t.songs.push_back(s);
    }
    return t;
}

// 5: Paper Kites. F major, bouncing bass, a light triangle tune.
sid_tune paper_kites() {
    sid_tune t = tune("Paper Kites");
    const std::vector<std::string> roots = {"F1", "D2", "A#1", "C2"};
    t.patterns = {
        bars4(bass_drums(roots, "KxHoSxHoKxHoSxHo")),
        bars4(chord_line({"F3", "D3m", "A#2", "C3"}, "x..x..x.x..x..x.")),
        bars4("8:C5/2 F5/2 A5/2 F5/2 C6/4 A5/4 | D5/2 F5/2 A5/2 D6/2 C6/8 | A#4/2 D5/2 F5/4 A#5/4 A5/4 | G5/12 -/4"),
        bars4("8:A5/2 A5/2 G5/2 F5/2 G5/4 A5/4 | F5/4 D5/4 A4/8 | A#4/4 D5/4 F5/2 G5/2 A5/4 | C6/8 G5/8"),
    };
    t.songs = {song(6, "0 loop 0", "1 loop 0", "2 3 loop 0")};
    return t;
}

// 6: Midnight Ferry. Song 0 a slow crossing in C minor; song 1 the same waters at speed in F minor.
sid_tune midnight_ferry() {
    sid_tune t = tune("Midnight Ferry");
    const std::vector<std::string> roots = {"C2", "G#1", "D#2", "A#1"};
    t.patterns = {
        bars4(bass_drums(roots, "K.x.S.x.K.x.S.xo")),
        bars4(chord_line({"C3m", "G#2", "D#3", "A#2"}, "x.......x.......")),
        bars4("14:G5/6 D#5/2 C5/8 | C5/4 D#5/4 G#5/8 | G5/6 F5/2 D#5/8 | D5/8 A#4/8"),
        bars4("14:C6/6 A#5/2 G5/8 | G#5/6 G5/2 F5/8 | D#5/4 F5/4 G5/4 A#5/4 | C6/16"),
        bars4(bass_drums(roots, "KxoxSxoxKxoxSxSS")),
        bars4(chord_line({"C3m", "G#2", "D#3", "A#2"}, "x.x.x.x.x.x.x.x.")),
    };
    sid_song crossing = song(8, "0 loop 0", "1 loop 0", "2 3 loop 0");
    crossing.cutoff_speed = -1;
    sid_song rush = song(5, "4 loop 0", "5 loop 0", "2 3 loop 0");
    rush.transpose = {5, 5, 5};
    // The soft lead becomes the saw lead: offsets wrap at 256.
    rush.instrument_offset = {0, 0, static_cast<uint8_t>(lead_saw - lead_soft)};
    t.songs = {crossing, rush};
    return t;
}

// 7: Rust and Chrome. D minor, heavy pulses and a hard saw.
sid_tune rust_and_chrome() {
    sid_tune t = tune("Rust and Chrome");
    const std::vector<std::string> roots = {"D2", "C2", "A#1", "A1"};
    t.patterns = {
        bars4(bass_drums(roots, "KxKxSxxoKxKxSxxo")),
        bars4(chord_line({"D3m", "C3", "A#2", "A2"}, "x.xx.xx.x.xx.xx.")),
        bars4("7:D5/4 D5/2 F5/2 A5/4 G5/4 | E5/4 C5/4 G5/8 | F5/4 D5/2 F5/2 A#5/4 A5/4 | A5/8 C#6/8"),
        bars4("7:D6/4 C6/4 A5/4 F5/4 | G5/4 E5/4 C5/8 | D5/4 F5/4 A#5/4 D6/4 | C#6/16"),
    };
    t.songs = {song(6, "0 loop 0", "1 loop 0", "2 3 loop 0")};
    return t;
}

// 8: Lantern Walk. B minor, an unhurried stroll.
sid_tune lantern_walk() {
    sid_tune t = tune("Lantern Walk");
    const std::vector<std::string> roots = {"B1", "G1", "D2", "A1"};
    t.patterns = {
        bars4(bass_drums(roots, "K.x.H.x.S.x.H.xo")),
        bars4(chord_line({"B2m", "G2", "D3", "A2"}, "x...x...x...x...")),
        bars4("6:F#5/6 E5/2 D5/4 C#5/4 | B4/8 D5/8 | F#5/4 A5/4 G5/4 F#5/4 | E5/16"),
        bars4("6:B5/6 A5/2 F#5/8 | G5/4 F#5/4 E5/8 | D5/4 F#5/4 A5/4 D6/4 | C#6/12 -/4"),
    };
    t.songs = {song(7, "0 loop 0", "1 loop 0", "2 3 loop 0")};
    return t;
}

// 9: Quiet Orbit. C major sevenths, slow and open, a triangle tune over a soft pulse bed.
sid_tune quiet_orbit() {
    sid_tune t = tune("Quiet Orbit");
    const std::vector<std::string> roots = {"C2", "F1", "A1", "G1"};
    t.patterns = {
        bars4(bass_drums(roots, "x.......o.......")),
        bars4(chord_line({"C3M7", "F3M7", "A2m7", "G3s"}, "x.x.x.x.x.x.x.x.")),
        bars4("8:E5/8 G5/8 | A5/8 C6/8 | B5/8 A5/8 | G5/16"),
        bars4("8:C6/8 B5/8 | A5/12 F5/4 | E5/8 C5/8 | D5/16"),
    };
    sid_song s = song(8, "0 loop 0", "1 loop 0", "2 3 loop 0");
    s.cutoff_min = 0x08;
    s.cutoff_max = 0x40;
    t.songs = {s};
    return t;
}

// 10: Marching Static. G minor march, snare rolls.
sid_tune marching_static() {
    sid_tune t = tune("Marching Static");
    const std::vector<std::string> roots = {"G1", "D#2", "F1", "D2"};
    t.patterns = {
        bars4(bass_drums(roots, "KxSxKxSxKxSxKSSS")),
        bars4(chord_line({"G2m", "D#3", "F3", "D3"}, "x.x.x.x.x.x.x.x.")),
        bars4("6:G5/4 G5/2 A5/2 A#5/4 A5/2 G5/2 | G5/4 D#5/4 A#4/8 | F5/4 F5/2 G5/2 A5/4 G5/2 F5/2 | F#5/8 D5/8"),
        bars4("6:D6/4 D6/2 C6/2 A#5/4 A5/4 | G5/4 A#5/4 D#6/8 | C6/4 A5/4 F5/4 A5/4 | D5/16"),
    };
    t.songs = {song(6, "0 loop 0", "1 loop 0", "2 3 loop 0")};
    return t;
}

// 11: Last Train Home. E major, warm and a little wistful.
sid_tune last_train_home() {
    sid_tune t = tune("Last Train Home");
    const std::vector<std::string> roots = {"E1", "C#2", "A1", "B1"};
    t.patterns = {
        bars4(bass_drums(roots, "KxoxSxoxKxoxSxox")),
        bars4(chord_line({"E3", "C#3m", "A2", "B2"}, "x.xxx.xxx.xxx.xx")),
        bars4("6:G#5/4 B5/4 E6/4 D#6/4 | C#6/8 G#5/8 | A5/4 C#6/4 E6/4 C#6/4 | B5/16"),
        bars4("6:E6/6 D#6/2 C#6/8 | C#6/4 B5/4 G#5/8 | A5/4 B5/4 C#6/4 A5/4 | B5/8 D#6/8"),
    };
    t.songs = {song(6, "0 loop 0", "1 loop 0", "2 3 loop 0")};
    return t;
}

// 12: Afterword. A major, a short farewell.
sid_tune afterword() {
    sid_tune t = tune("Afterword");
    const std::vector<std::string> roots = {"A1", "E2", "F#1", "D2"};
    t.patterns = {
        bars4(bass_drums(roots, "K.xoS.xoK.xoS.xo")),
        bars4(chord_line({"A2", "E3", "F#2m", "D3"}, "x.x.x.x.x.x.x.x.")),
        bars4("14:C#6/4 B5/4 A5/8 | G#5/4 B5/4 E5/8 | F#5/4 A5/4 C#6/8 | D6/8 B5/8"),
    };
    t.songs = {song(7, "0 loop 0", "1 loop 0", "2 loop 0")};
    return t;
}

}  // namespace

// ---- the list -----------------------------------------------------------------------------------

std::vector<sid_tune> intro_tunes() {
    return {harbour_lights(),  two_rivers(),   cold_circuit(),    twelve_small_hours(),
            paper_kites(),     midnight_ferry(), rust_and_chrome(), lantern_walk(),
            quiet_orbit(),     marching_static(), last_train_home(), afterword()};
}
