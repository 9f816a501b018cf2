// The intro tunes' composing helpers: the shared instrument bank, keys and chords, the voices'
// lines over a section's chords, the drawn melodies, and the song's patterns and order lists.
//
// Sections: bank - keys and chords - voice lines - melodies - songs - drum samples
#include "content/tunes/tune_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// ---- bank ---------------------------------------------------------------------------------------

struct pitch_set {
    int root = 0;             // pitch class 0 (C) to 11
    std::vector<int> classes; // every pitch class of the chord or scale
    int arp = ins_arp_major;  // the chord's arpeggio instrument
};

std::string name_of(int index) {
    static const char* names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return std::string(names[index % 12]) + std::to_string(index / 12);
}

// Pitch class of a note letter with an optional '#' or 'b' at text[0..]; -1 when there is none.
int pitch_class(const std::string& text, size_t& used) {
    static const int semis[7] = {9, 11, 0, 2, 4, 5, 7};
    if (text.empty() || text[0] < 'A' || text[0] > 'G') return -1;
    int pc = semis[text[0] - 'A'];
    used = 1;
    if (text.size() > 1 && (text[1] == '#' || text[1] == 'b')) {
        pc += text[1] == '#' ? 1 : 11;
        used = 2;
    }
    return pc % 12;
}

bool parse_chord(const std::string& text, pitch_set& out) {
    size_t used = 0;
    out.root = pitch_class(text, used);
    if (out.root < 0) return false;
    const std::string kind = text.substr(used);
    struct kind_row {
        const char* name;
        std::vector<int> steps;
        int arp;
    };
    static const kind_row kinds[] = {
        {"", {0, 4, 7}, ins_arp_major},      {"m", {0, 3, 7}, ins_arp_minor},
        {"7", {0, 4, 7, 10}, ins_arp_dom7},  {"m7", {0, 3, 7, 10}, ins_arp_m7},
        {"M7", {0, 4, 7, 11}, ins_arp_maj7}, {"sus", {0, 5, 7}, ins_arp_sus},
        {"dim", {0, 3, 6}, ins_arp_dim},     {"5", {0, 7}, ins_arp_power},
    };
    for (const kind_row& k : kinds) {
        if (kind != k.name) continue;
        out.classes.clear();
        for (int s : k.steps) out.classes.push_back((out.root + s) % 12);
        out.arp = k.arp;
        return true;
    }
    return false;
}

bool parse_key(const std::string& text, pitch_set& out) {
    size_t used = 0;
    out.root = pitch_class(text, used);
    if (out.root < 0 || used >= text.size() || text[used] != ' ') return false;
    const std::string mode = text.substr(used + 1);
    std::vector<int> steps;
    if (mode == "major")
        steps = {0, 2, 4, 5, 7, 9, 11};
    else if (mode == "minor")
        steps = {0, 2, 3, 5, 7, 8, 10};
    else if (mode == "harmonic")
        steps = {0, 2, 3, 5, 7, 8, 11};
    else if (mode == "dorian")
        steps = {0, 2, 3, 5, 7, 9, 10};
    else if (mode == "mixolydian")
        steps = {0, 2, 4, 5, 7, 9, 10};
    else
        return false;
    out.classes.clear();
    for (int s : steps) out.classes.push_back((out.root + s) % 12);
    return true;
}

bool contains(const std::vector<int>& classes, int note) {
    return std::find(classes.begin(), classes.end(), ((note % 12) + 12) % 12) != classes.end();
}

// The note of pitch class pc in [low, low + 11].
int place(int pc, int low) {
    return low + (((pc - low) % 12) + 12) % 12;
}

// ---- voice lines --------------------------------------------------------------------------------

struct section_bars {
    std::vector<pitch_set> chords;
    int ticks() const { return static_cast<int>(chords.size()) * 16; }
};

std::string token(int instrument, int note) {
    return std::to_string(instrument) + ":" + name_of(note) + " ";
}

bool bass_line(const tune_section& s, const section_bars& bars, bool samples, std::string& out,
               std::string& error) {
    for (size_t b = 0; b < bars.chords.size(); ++b) {
        const std::string& rhythm = b + 1 == bars.chords.size() && !s.fill.empty() ? s.fill : s.bass;
        if (rhythm.size() != 16) {
            error = "a bass rhythm is 16 ticks: " + rhythm;
            return false;
        }
        const int root = place(bars.chords[b].root + s.shift, 16); // E1 to D#2
        for (char c : rhythm) {
            switch (c) {
            case 'K':
                out += token(samples ? ins_sample_kick : ins_kick, 48);
                break;
            case 'S':
                out += token(samples ? ins_sample_snare : ins_snare, 72);
                break;
            case 'H':
                out += token(ins_hat, 93);
                break;
            case 'O':
                out += token(ins_open_hat, 93);
                break;
            case 'x':
                out += token(ins_bass, root);
                break;
            case 'o':
                out += token(ins_bass, root + 12);
                break;
            case 'f':
                out += token(ins_bass, root + 7);
                break;
            case '.':
                out += ". ";
                break;
            case '-':
                out += "- ";
                break;
            default:
                error = std::string("bad bass rhythm character ") + c;
                return false;
            }
        }
        out += "| ";
    }
    return true;
}

bool chord_line(const tune_section& s, const section_bars& bars, std::string& out, std::string& error) {
    if (s.comp.size() != 16) {
        error = "a chord rhythm is 16 ticks: " + s.comp;
        return false;
    }
    for (const pitch_set& chord : bars.chords) {
        const int root = place(chord.root + s.shift, 43); // G3 to F#4
        for (char c : s.comp) {
            if (c == 'x')
                out += token(chord.arp, root);
            else if (c == '.' || c == '-')
                out += std::string(1, c) + " ";
            else {
                error = std::string("bad chord rhythm character ") + c;
                return false;
            }
        }
        out += "| ";
    }
    return true;
}

// Held chord roots, one a bar: the modulator of a ring-modulated lead, and a pad of its own.
std::string drone_line(const tune_section& s, const section_bars& bars) {
    std::string out;
    for (const pitch_set& chord : bars.chords)
        out += token(ins_drone, place(chord.root + s.shift + 7, 43)) + "./15 | ";
    return out;
}

// ---- melodies -----------------------------------------------------------------------------------

struct lcg {
    uint32_t state;
    int below(int n) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 16) % static_cast<uint32_t>(n));
    }
};

// The scale tone k scale steps away from note (which is first moved onto the scale).
int scale_step(const pitch_set& scale, int note, int k) {
    while (!contains(scale.classes, note)) --note;
    while (k > 0) {
        do ++note;
        while (!contains(scale.classes, note));
        --k;
    }
    while (k < 0) {
        do --note;
        while (!contains(scale.classes, note));
        ++k;
    }
    return note;
}

// The chord tone nearest to note, searching first in direction dir; with root_only, the root.
int chord_tone(const pitch_set& chord, int note, int dir, bool root_only) {
    for (int d = 0; d < 12; ++d) {
        for (int sign : {dir >= 0 ? 1 : -1, dir >= 0 ? -1 : 1}) {
            const int n = note + sign * d;
            const bool ok = root_only ? ((n % 12) + 12) % 12 == chord.root : contains(chord.classes, n);
            if (ok) return n;
        }
    }
    return note;
}

// A melody over the section's bars: one value a tick, a note index, -1 rest, -2 hold.
bool draw_melody(const tune_section& s, const pitch_set& scale, const section_bars& bars,
                 std::vector<int>& out, std::string& error) {
    if (s.rhythm.size() != 64) {
        error = "a melody rhythm is 64 ticks (four bars)";
        return false;
    }
    if (bars.chords.size() % 4 != 0) {
        error = "a drawn melody needs a multiple of four bars";
        return false;
    }
    static const int steps[] = {-2, -1, -1, 1, 1, 2, 0, 3, -3, 1, -1, 2};
    const int phrase_ticks = 32;
    const int phrases = bars.ticks() / phrase_ticks;
    // Motif steps for the odd phrases; each answer its own.
    std::vector<int> motif(32), answer_a(32), answer_b(32);
    lcg r{s.seed * 2654435761u + 17u};
    for (int& m : motif) m = steps[r.below(12)];
    for (int& m : answer_a) m = steps[r.below(12)];
    for (int& m : answer_b) m = steps[r.below(12)];
    const int middle = (s.low + s.high) / 2;
    int note = middle;
    int motif_start = -1;
    out.assign(static_cast<size_t>(bars.ticks()), -2);
    for (int p = 0; p < phrases; ++p) {
        const std::vector<int>& st = p % 2 == 0 ? motif : (p % 4 == 1 ? answer_a : answer_b);
        int onset = 0;
        // Where the phrase's last onset is: it closes the phrase on a long chord tone.
        int last_onset = -1;
        for (int t = 0; t < phrase_ticks; ++t)
            if (s.rhythm[static_cast<size_t>((p * phrase_ticks + t) % 64)] == 'x') last_onset = t;
        for (int t = 0; t < phrase_ticks; ++t) {
            const int at = p * phrase_ticks + t;
            const char c = s.rhythm[static_cast<size_t>(at % 64)];
            if (c == '-') {
                out[static_cast<size_t>(at)] = -1;
                continue;
            }
            if (c == '.') {
                if (at == 0) out[0] = -1;
                continue;
            }
            if (c != 'x') {
                error = std::string("bad melody rhythm character ") + c;
                return false;
            }
            const pitch_set& chord = bars.chords[static_cast<size_t>(at / 16)];
            int step = st[static_cast<size_t>(onset % 32)];
            if (onset == 0 && p % 2 == 0) {
                // The motif starts on a chord tone: the same height each time it comes back.
                if (motif_start < 0) motif_start = chord_tone(chord, middle, 1, false);
                note = chord_tone(chord, motif_start, 1, false);
            } else {
                // Away from the middle of the range, steps lead back towards it: the line stays singable.
                if ((note > middle + 4 && step > 0) || (note < middle - 4 && step < 0)) step = -step;
                int next = scale_step(scale, note, step);
                if (next > s.high || next < s.low) next = scale_step(scale, note, -step);
                note = next;
                const bool strong = at % 8 == 0;
                if (t == last_onset)
                    note = chord_tone(chord, note, -step, p % 4 == 3);
                else if (strong)
                    note = chord_tone(chord, note, step, false);
            }
            note = std::clamp(note, s.low - 2, s.high + 2);
            out[static_cast<size_t>(at)] = note;
            ++onset;
        }
    }
    return true;
}

std::string melody_text(const std::vector<int>& notes, int instrument, int transpose) {
    std::string out;
    bool first = true;
    int held = 0; // ticks the current note has lasted: a note longer than 32 ticks is struck again
    for (size_t t = 0; t < notes.size(); ++t) {
        int n = notes[t];
        if (n == -2 && held >= 32) {
            size_t back = t;
            while (notes[back] == -2) --back;
            n = notes[back];
        }
        if (n == -1) {
            out += "- ";
            held = 0;
        } else if (n == -2) {
            out += ". ";
            ++held;
        } else {
            out += (first ? std::to_string(instrument) + ":" : std::string()) + name_of(n + transpose) + " ";
            first = false;
            held = 1;
        }
        if (t % 16 == 15) out += "| ";
    }
    return out;
}

int ticks_of(const std::string& text) {
    int ticks = 0;
    std::istringstream in(text);
    std::string w;
    while (in >> w) {
        if (w == "|") continue;
        const size_t slash = w.find('/');
        ticks += slash == std::string::npos ? 1 : std::atoi(w.c_str() + slash + 1);
    }
    return ticks;
}

// ---- songs --------------------------------------------------------------------------------------

int pattern_number(sid_tune& tune, const std::string& text) {
    for (size_t i = 0; i < tune.patterns.size(); ++i)
        if (tune.patterns[i] == text) return static_cast<int>(i);
    tune.patterns.push_back(text);
    return static_cast<int>(tune.patterns.size() - 1);
}

} // namespace

std::vector<sid_instrument> intro_tune_bank() {
    std::vector<sid_instrument> b(ins_bank_size);
    // clang-format off
    //                    wave1 wave2 ad    sr    pulse pwspd arp   slide vib   release sample
    b[ins_kick] =        {0x81, 0x41, 0x07, 0x00, 0x08, 0x00, 0x00, 0x02, 0, 0, 0};
    b[ins_snare] =       {0x41, 0x81, 0x07, 0x00, 0x08, 0x00, 0x00, 0x00, 0, 0, 0};
    b[ins_hat] =         {0x81, 0x81, 0x02, 0x00, 0x08, 0x00, 0x00, 0x00, 0, 0, 0};
    b[ins_bass] =        {0x41, 0x41, 0x08, 0xA8, 0x03, 0x30, 0x00, 0x00, 0, 1, 0};
    b[ins_arp_minor] =   {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x37, 0x00, 0, 1, 0};
    b[ins_arp_major] =   {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x47, 0x00, 0, 1, 0};
    b[ins_lead] =        {0x41, 0x41, 0x09, 0xC8, 0x06, 0x10, 0x00, 0x00, 7, 2, 0};
    b[ins_lead_saw] =    {0x21, 0x21, 0x09, 0xB8, 0x08, 0x00, 0x00, 0x00, 7, 2, 0};
    b[ins_lead_tri] =    {0x11, 0x11, 0x0A, 0xD9, 0x08, 0x00, 0x00, 0x00, 8, 2, 0};
    b[ins_arp_sus] =     {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x57, 0x00, 0, 1, 0};
    b[ins_arp_m7] =      {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x3A, 0x00, 0, 1, 0};
    b[ins_arp_maj7] =    {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x4B, 0x00, 0, 1, 0};
    b[ins_bass_saw] =    {0x21, 0x21, 0x08, 0x40, 0x08, 0x00, 0x00, 0x00, 0, 1, 0};
    b[ins_open_hat] =    {0x81, 0x81, 0x06, 0x00, 0x08, 0x00, 0x00, 0x00, 0, 0, 0};
    b[ins_lead_soft] =   {0x41, 0x41, 0x0A, 0x68, 0x0A, 0x08, 0x00, 0x00, 7, 2, 0};
    b[ins_organ] =       {0x41, 0x41, 0x28, 0xA8, 0x08, 0x00, 0x00, 0x00, 0, 1, 0};
    b[ins_arp_dom7] =    {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x4A, 0x00, 0, 1, 0};
    b[ins_arp_dim] =     {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x36, 0x00, 0, 1, 0};
    b[ins_arp_power] =   {0x41, 0x41, 0x03, 0x86, 0x05, 0x20, 0x7C, 0x00, 0, 1, 0};
    // Hard sync: a sawtooth an octave up, reset by voice 2 playing the melody's own pitch.
    b[ins_sync_lead] =   {0x23, 0x23, 0x08, 0xB8, 0x08, 0x00, 0x00, 0x00, 5, 2, 0};
    b[ins_sync_source] = {0x41, 0x41, 0x09, 0x98, 0x06, 0x18, 0x00, 0x00, 0, 2, 0};
    // Ring modulation: a triangle whose halves voice 2's held fifth turns over: a bell-like lead.
    b[ins_ring_lead] =   {0x15, 0x15, 0x0A, 0xC9, 0x08, 0x00, 0x00, 0x00, 7, 2, 0};
    b[ins_drone] =       {0x41, 0x41, 0x88, 0xA9, 0x04, 0x10, 0x00, 0x00, 0, 1, 0};
    b[ins_sample_kick] = {0x81, 0x41, 0x05, 0x00, 0x08, 0x00, 0x00, 0x03, 0, 0, 1};
    b[ins_sample_snare] = {0x81, 0x81, 0x04, 0x00, 0x08, 0x00, 0x00, 0x00, 0, 0, 2};
    b[ins_bell] =        {0x11, 0x11, 0x07, 0x07, 0x08, 0x00, 0x00, 0x00, 0, 0, 0};
    b[ins_lead_bright] = {0x41, 0x41, 0x08, 0xA8, 0x03, 0x40, 0x00, 0x00, 6, 2, 0};
    b[ins_bass_pluck] =  {0x21, 0x21, 0x06, 0x49, 0x08, 0x00, 0x00, 0x00, 0, 1, 0};
    // clang-format on
    return b;
}

bool tune_write_song(sid_tune& tune, const tune_plan& plan, std::string& error) {
    pitch_set scale;
    if (!parse_key(plan.key, scale)) {
        error = "bad key '" + plan.key + "'";
        return false;
    }
    if (plan.form.empty() || plan.loop_to >= plan.form.size()) {
        error = "the loop point lies outside the form";
        return false;
    }
    std::string orders[3];
    for (char name : plan.form) {
        const tune_section* s = nullptr;
        for (const tune_section& c : plan.sections)
            if (c.name == name) s = &c;
        const std::string where = std::string("section ") + name + ": ";
        if (s == nullptr) {
            error = where + "not written";
            return false;
        }
        section_bars bars;
        std::istringstream in(s->chords);
        std::string word;
        while (in >> word) {
            pitch_set chord;
            if (!parse_chord(word, chord)) {
                error = where + "bad chord '" + word + "'";
                return false;
            }
            bars.chords.push_back(chord);
        }
        if (bars.chords.empty()) {
            error = where + "no chords";
            return false;
        }
        std::string voice[3];
        std::vector<int> melody;
        if (!bass_line(*s, bars, plan.drum_samples, voice[0], error)) {
            error = where + error;
            return false;
        }
        if (s->melody.empty()) {
            if (!draw_melody(*s, scale, bars, melody, error)) {
                error = where + error;
                return false;
            }
            for (int& n : melody)
                if (n >= 0) n += s->shift;
        }
        if (s->comp == "sync") {
            if (melody.empty()) {
                error = where + "a synced lead needs a drawn melody";
                return false;
            }
            voice[1] = melody_text(melody, ins_sync_source, 0);
            voice[2] = melody_text(melody, ins_sync_lead, 12);
        } else if (s->comp == "ring") {
            voice[1] = drone_line(*s, bars);
            voice[2] = s->melody.empty() ? melody_text(melody, ins_ring_lead, 0) : s->melody;
        } else {
            if (s->comp == "rest")
                voice[1] = "-/" + std::to_string(bars.ticks());
            else if (!chord_line(*s, bars, voice[1], error)) {
                error = where + error;
                return false;
            }
            voice[2] = s->melody.empty() ? melody_text(melody, s->lead, 0) : s->melody;
        }
        for (int v = 0; v < 3; ++v) {
            if (ticks_of(voice[v]) != bars.ticks()) {
                error = where + "voice " + std::to_string(v + 1) + " lasts " +
                        std::to_string(ticks_of(voice[v])) + " ticks, not " + std::to_string(bars.ticks());
                return false;
            }
            orders[v] += std::to_string(pattern_number(tune, voice[v])) + " ";
        }
    }
    sid_song song;
    song.speed = plan.speed;
    for (int v = 0; v < 3; ++v)
        song.orders[static_cast<size_t>(v)] = orders[v] + "loop " + std::to_string(plan.loop_to);
    song.resonance_routing = plan.resonance_routing;
    song.mode_volume = plan.mode_volume;
    song.cutoff_min = plan.cutoff_min;
    song.cutoff_max = plan.cutoff_max;
    song.cutoff_speed = plan.cutoff_speed;
    tune.songs.push_back(song);
    return true;
}

double tune_plan_loop_seconds(const tune_plan& plan) {
    double ticks = 0;
    for (size_t i = plan.loop_to; i < plan.form.size(); ++i) {
        for (const tune_section& s : plan.sections) {
            if (s.name != plan.form[i]) continue;
            std::istringstream in(s.chords);
            std::string w;
            while (in >> w) ticks += 16;
        }
    }
    return ticks * plan.speed / 50.0;
}

// ---- drum samples -------------------------------------------------------------------------------

std::vector<sid_sample> tune_drum_samples() {
    constexpr double rate = 985248.0 / 123.0;
    const auto pack = [](const std::vector<double>& x) {
        sid_sample s;
        s.period = 123;
        for (size_t i = 0; i < x.size(); i += 2) {
            uint8_t b = 0;
            for (size_t k = 0; k < 2; ++k) {
                const double v = i + k < x.size() ? x[i + k] : 0.0;
                const long n = std::clamp(std::lround(7.0 + 6.0 * v), 0L, 15L);
                b = static_cast<uint8_t>(b | n << (4 * k));
            }
            s.bytes.push_back(b);
        }
        return s;
    };
    std::vector<double> kick, snare;
    double phase = 0.0;
    for (int i = 0; i < static_cast<int>(0.22 * rate); ++i) {
        const double t = i / rate;
        phase += 2.0 * 3.14159265358979 * (45.0 + 120.0 * std::exp(-t / 0.03)) / rate;
        kick.push_back(std::sin(phase) * std::exp(-t / 0.09));
    }
    uint32_t noise = 12345;
    for (int i = 0; i < static_cast<int>(0.18 * rate); ++i) {
        const double t = i / rate;
        noise = noise * 1103515245u + 12345u;
        const double white = static_cast<double>((noise >> 8) & 0xFFFF) / 32768.0 - 1.0;
        snare.push_back(0.75 * white * std::exp(-t / 0.05) +
                        0.45 * std::sin(2.0 * 3.14159265358979 * 190.0 * t) * std::exp(-t / 0.035));
    }
    return {pack(kick), pack(snare)};
}
