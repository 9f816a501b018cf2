// The intro tunes' 6502 player and the builder that lays out its tables, patterns and songs behind it.
//
// Sections: player source - notation - building
#include "content/tunes/sid_music.h"

#include <cctype>
#include <cstdlib>

#include "content/tunes/asm_text.h"
#include "tools/sidtunes/sidtunes.h"
#include "tools/toolkit/tool_text.h"

namespace {

// ---- player source ------------------------------------------------------------------------------
//
// init (A = song): clears the player state, reads the song record (speed, three order lists, voice
// transpositions and instrument offsets, filter settings) and fetches each voice's first pattern.
// A tune without a play address puts a prologue before it that installs play at $0314/$0315.
// play (50 times a second): every `speed` frames is a tick; on a tick each voice whose note is over
// reads pattern bytes until the next note or rest; a note whose instrument has a sample also
// triggers it on the sample channel. Every frame each voice then runs its instrument's first-frame
// waveform, arpeggio, pitch slide, vibrato, pulse sweep and release timing and writes its seven
// registers; finally the filter cutoff moves. Each of voice 1's patterns starts the cutoff sweep
// again from its minimum, so every section opens its filter from closed and a song's whole state
// repeats with its order lists. Nothing else runs free: vibrato takes its phase from the note's
// own frame count.
//
// Pattern bytes: $00-$5F note, $60-$7F duration 1-32 ticks, $80-$9F instrument, $A0 rest, $FF end.
// Order bytes: $00-$7F pattern, $80-$BF transpose (value - $A0), $C0 p: pattern p (0-255),
// $FF n: continue at entry n.
const char* const player_source = R"(
ptr = $FB
sptr = $FD
speed = $0200
tickcnt = $0201
cutini = $0202
cut = $0203
cutspd = $0204
cutmin = $0205
cutmax = $0206
tick = $0207
tmp = $0208
dlo = $0209
dhi = $020A
flo = $020B
fhi = $020C
tad = $020D
tsr = $020E
ordlo = $0210
ordhi = $0213
ordpos = $0216
patlo = $0219
pathi = $021C
count = $021F
dur = $0222
ins = $0225
note = $0228
trans = $022B
strans = $022E
ioff = $0231
frame = $0234
pwlo = $0237
pwhi = $023A
arpst = $023D
slide = $0240
gate = $0243
ctrl = $0246
pwdir = $0249

start:  TAX
        LDA songlo,X
        STA sptr
        LDA songhi,X
        STA sptr+1
        LDA #0
        LDX #$4F
clear:  STA $0200,X
        DEX
        BPL clear
        LDY #0
        LDA (sptr),Y
        STA speed
        LDX #0
        LDY #1
lists:  LDA (sptr),Y
        STA ordlo,X
        INY
        LDA (sptr),Y
        STA ordhi,X
        INY
        INX
        CPX #3
        BNE lists
        LDX #0
voices: LDA (sptr),Y
        STA strans,X
        INY
        INY
        INY
        LDA (sptr),Y
        STA ioff,X
        DEY
        DEY
        INX
        CPX #3
        BNE voices
        INY
        INY
        INY
        LDA (sptr),Y
        STA $D417
        INY
        LDA (sptr),Y
        STA $D418
        INY
        LDA (sptr),Y
        STA cutmin
        STA cut
        INY
        LDA (sptr),Y
        STA cutmax
        INY
        LDA (sptr),Y
        STA cutspd
        STA cutini
        LDA #0
        STA $D415
        LDX #0
first:  JSR nextpat
        INX
        CPX #3
        BNE first
        RTS

nextpat: LDA ordlo,X
        STA ptr
        LDA ordhi,X
        STA ptr+1
np1:    LDY ordpos,X
        LDA (ptr),Y
        INC ordpos,X
        CMP #$FF
        BNE np2
        INY
        LDA (ptr),Y
        STA ordpos,X
        JMP np1
np2:    CMP #$80
        BCC np3
        CMP #$C0
        BNE np4
        LDY ordpos,X
        LDA (ptr),Y
        INC ordpos,X
        JMP np3
np4:    SEC
        SBC #$A0
        STA trans,X
        JMP np1
np3:    CPX #0
        BNE np5
        TAY
        LDA cutmin
        STA cut
        LDA cutini
        STA cutspd
        TYA
np5:    TAY
        LDA patptrlo,Y
        STA patlo,X
        LDA patptrhi,Y
        STA pathi,X
        RTS

fetch:  LDA patlo,X
        STA ptr
        LDA pathi,X
        STA ptr+1
        LDY #0
        LDA (ptr),Y
        INC patlo,X
        BNE f1
        INC pathi,X
f1:     RTS

sample: TAY
        LDA sstlo,Y
        STA $D41E
        LDA ssthi,Y
        STA $D41F
        LDA sendlo,Y
        STA $D43D
        LDA sendhi,Y
        STA $D43E
        LDA sperlo,Y
        STA $D45D
        LDA sperhi,Y
        STA $D45E
        LDA #0
        STA $D47D
        STA $D43F
        LDA #$FE
        STA $D41D
        RTS

play:   LDA #0
        STA tick
        LDA tickcnt
        BNE nt
        LDA speed
        STA tickcnt
        INC tick
nt:     DEC tickcnt
        LDX #0
vloop:  JSR voice
        INX
        CPX #3
        BNE vloop
        JMP filter

voice:  LDA tick
        BEQ fxj
        DEC count,X
        BPL fxj
        JMP read
fxj:    JMP fx
read:   JSR fetch
        CMP #$FF
        BNE r1
        JSR nextpat
        JMP read
r1:     CMP #$A0
        BNE r2
        LDA #0
        STA gate,X
        JMP setcnt
r2:     CMP #$80
        BCC r3
        AND #$1F
        CLC
        ADC ioff,X
        STA ins,X
        JMP read
r3:     CMP #$60
        BCC r4
        SEC
        SBC #$5F
        STA dur,X
        JMP read
r4:     CLC
        ADC trans,X
        CLC
        ADC strans,X
        STA note,X
        LDA #0
        STA frame,X
        STA arpst,X
        STA slide,X
        STA pwlo,X
        STA pwdir,X
        LDY ins,X
        LDA ipw,Y
        STA pwhi,X
        LDA #1
        STA gate,X
        LDY regoff,X
        LDA ctrl,X
        AND #$FE
        STA $D404,Y
        LDY ins,X
        LDA isamp,Y
        BEQ setcnt
        JSR sample
setcnt: LDA dur,X
        STA count,X
        DEC count,X
        JMP fx

fx:     LDY ins,X
        LDA frame,X
        BNE w2
        LDA iwave1,Y
        JMP w3
w2:     LDA iwave2,Y
w3:     AND #$FE
        ORA gate,X
        STA ctrl,X
        LDA count,X
        BNE g1
        LDA tickcnt
        CMP igate,Y
        BNE g1
        LDA #0
        STA gate,X
        LDA ctrl,X
        AND #$FE
        STA ctrl,X
g1:     LDA note,X
        STA tmp
        LDA iarp,Y
        BEQ a3
        LDA arpst,X
        BEQ a2
        CMP #1
        BNE a1
        LDA iarp,Y
        LSR A
        LSR A
        LSR A
        LSR A
        JMP aadd
a1:     LDA iarp,Y
        AND #$0F
aadd:   CLC
        ADC tmp
        STA tmp
a2:     INC arpst,X
        LDA arpst,X
        CMP #3
        BNE a3
        LDA #0
        STA arpst,X
a3:     LDY tmp
        LDA freqlo,Y
        STA flo
        LDA freqhi,Y
        STA fhi
        LDY ins,X
        LDA islide,Y
        BEQ s2
        CLC
        ADC slide,X
        BCC s1
        LDA #$FF
s1:     STA slide,X
        LDA fhi
        SEC
        SBC slide,X
        BCS s3
        LDA #0
s3:     STA fhi
s2:     LDA ivib,Y
        BEQ v9
        LDA frame,X
        CMP #8
        BCC v9
        LDA fhi
        STA dhi
        LDA flo
        STA dlo
        LDA ivib,Y
        TAY
v1:     LSR dhi
        ROR dlo
        DEY
        BNE v1
        LDA frame,X
        LSR A
        AND #3
        CMP #1
        BEQ vadd
        CMP #3
        BNE v8
        LDA flo
        SEC
        SBC dlo
        STA flo
        LDA fhi
        SBC dhi
        STA fhi
        JMP v8
vadd:   LDA flo
        CLC
        ADC dlo
        STA flo
        LDA fhi
        ADC dhi
        STA fhi
v8:     LDY ins,X
v9:     LDA ipws,Y
        BEQ p9
        LDA pwdir,X
        BNE pdown
        LDA pwlo,X
        CLC
        ADC ipws,Y
        STA pwlo,X
        LDA pwhi,X
        ADC #0
        STA pwhi,X
        CMP #$0E
        BCC p9
        LDA #1
        STA pwdir,X
        JMP p9
pdown:  LDA pwlo,X
        SEC
        SBC ipws,Y
        STA pwlo,X
        LDA pwhi,X
        SBC #0
        STA pwhi,X
        CMP #$02
        BCS p9
        LDA #0
        STA pwdir,X
p9:     INC frame,X
        BNE fr
        LDA #$80
        STA frame,X
fr:     LDA iad,Y
        STA tad
        LDA isr,Y
        STA tsr
        LDY regoff,X
        LDA flo
        STA $D400,Y
        LDA fhi
        STA $D401,Y
        LDA pwlo,X
        STA $D402,Y
        LDA pwhi,X
        STA $D403,Y
        LDA tad
        STA $D405,Y
        LDA tsr
        STA $D406,Y
        LDA ctrl,X
        STA $D404,Y
        RTS

filter: LDA cutspd
        BEQ fdone
        BMI fdown
        CLC
        ADC cut
        STA cut
        CMP cutmax
        BCC fdone
        LDA cutmax
        STA cut
        JMP flip
fdown:  CLC
        ADC cut
        STA cut
        BCC fmin
        CMP cutmin
        BCS fdone
fmin:   LDA cutmin
        STA cut
flip:   LDA cutspd
        EOR #$FF
        CLC
        ADC #1
        STA cutspd
fdone:  LDA cut
        STA $D416
        RTS
)";

// ---- notation -----------------------------------------------------------------------------------

struct event {
    int note;  // -1 rest
    int instrument;
    int ticks;
};

}  // namespace

int sid_note_index(const std::string& name) {
    static const int semis[7] = {9, 11, 0, 2, 4, 5, 7};
    if (name.size() < 2) return -1;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G') return -1;
    int semi = semis[letter - 'A'];
    size_t i = 1;
    if (name[i] == '#') {
        ++semi;
        ++i;
    } else if (name[i] == 'b') {
        --semi;
        ++i;
    }
    if (i + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
    const int n = (name[i] - '0') * 12 + semi;
    return n >= 0 && n < 96 ? n : -1;
}

std::vector<uint8_t> sid_encode_pattern(const std::string& text, std::string& error) {
    std::vector<event> events;
    int instrument = -1;
    std::vector<std::string> tokens;
    for (const std::string& t : tool_notation_tokens(text)) {
        // "X/n" is X held for n ticks.
        const size_t slash = t.find('/');
        if (slash == std::string::npos) {
            tokens.push_back(t);
            continue;
        }
        char* end = nullptr;
        const long n = std::strtol(t.c_str() + slash + 1, &end, 10);
        if (*end || n < 1 || n > 256 || slash == 0) {
            error = "bad length in '" + t + "'";
            return {};
        }
        tokens.push_back(t.substr(0, slash));
        for (long i = 1; i < n; ++i) tokens.push_back(".");
    }
    for (const std::string& t : tokens) {
        if (t == ".") {
            if (events.empty()) {
                error = "a pattern cannot start with '.'";
                return {};
            }
            ++events.back().ticks;
            continue;
        }
        if (t == "-") {
            events.push_back({-1, instrument, 1});
            continue;
        }
        std::string name = t;
        if (const size_t colon = t.find(':'); colon != std::string::npos) {
            char* end = nullptr;
            const long i = std::strtol(t.c_str(), &end, 10);
            if (end != t.c_str() + colon || i < 0 || i > 31) {
                error = "bad instrument in '" + t + "'";
                return {};
            }
            instrument = static_cast<int>(i);
            name = t.substr(colon + 1);
        }
        const int n = sid_note_index(name);
        if (n < 0) {
            error = "not a note: '" + t + "'";
            return {};
        }
        if (instrument < 0) {
            error = "note '" + t + "' before any instrument";
            return {};
        }
        events.push_back({n, instrument, 1});
    }
    if (events.empty()) {
        error = "empty pattern";
        return {};
    }
    std::vector<uint8_t> out;
    int current_ins = -1, current_ticks = -1;
    for (const event& e : events) {
        int left = e.ticks;
        bool first = true;
        while (left > 0) {
            const int ticks = left > 32 ? 32 : left;
            if (!first && e.note >= 0) {
                error = "a note longer than 32 ticks";
                return {};
            }
            if (ticks != current_ticks) {
                out.push_back(static_cast<uint8_t>(0x60 + ticks - 1));
                current_ticks = ticks;
            }
            if (e.note >= 0) {
                if (e.instrument != current_ins) {
                    out.push_back(static_cast<uint8_t>(0x80 + e.instrument));
                    current_ins = e.instrument;
                }
                out.push_back(static_cast<uint8_t>(e.note));
            } else {
                out.push_back(0xA0);
            }
            left -= ticks;
            first = false;
        }
    }
    out.push_back(0xFF);
    return out;
}

std::vector<uint8_t> sid_encode_orders(const std::string& text, size_t pattern_count, std::string& error) {
    std::vector<uint8_t> out;
    const std::vector<std::string> tokens = tool_notation_tokens(text);
    std::vector<size_t> entry_offsets;  // byte offset of each token's entry
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        entry_offsets.push_back(out.size());
        if (t == "loop") {
            if (i + 2 != tokens.size()) {
                error = "'loop N' must end the order list";
                return {};
            }
            const long target = std::strtol(tokens[i + 1].c_str(), nullptr, 10);
            if (target < 0 || static_cast<size_t>(target) >= i) {
                error = "loop target out of range";
                return {};
            }
            out.push_back(0xFF);
            out.push_back(static_cast<uint8_t>(entry_offsets[static_cast<size_t>(target)]));
            return out.size() > 255 ? (error = "order list too long", std::vector<uint8_t>{}) : out;
        }
        if (t.size() > 1 && t[0] == 't' && (t[1] == '+' || t[1] == '-')) {
            const long shift = std::strtol(t.c_str() + 1, nullptr, 10);
            if (shift < -32 || shift > 31) {
                error = "transpose out of range: " + t;
                return {};
            }
            out.push_back(static_cast<uint8_t>(0xA0 + shift));
            continue;
        }
        char* end = nullptr;
        const long p = std::strtol(t.c_str(), &end, 10);
        if (t.empty() || *end || p < 0 || static_cast<size_t>(p) >= pattern_count) {
            error = "no pattern '" + t + "'";
            return {};
        }
        if (p >= 128) out.push_back(0xC0);
        out.push_back(static_cast<uint8_t>(p));
    }
    error = "order list without 'loop N'";
    return {};
}

// ---- building -----------------------------------------------------------------------------------

namespace {

void put_bytes(asm6502& a, const std::string& label, const std::vector<uint8_t>& bytes) {
    asm_label(a, label);
    a.code.insert(a.code.end(), bytes.begin(), bytes.end());
}

void put_text(std::vector<uint8_t>& file, size_t at, const std::string& text) {
    for (size_t i = 0; i < text.size() && i < 31; ++i) file[at + i] = static_cast<uint8_t>(text[i]);
}

// Walks a voice's order list once (up to its loop) and checks every note it would play.
bool check_voice_range(const std::vector<uint8_t>& orders, const std::vector<std::vector<uint8_t>>& patterns,
                       int song_transpose, std::string& error) {
    int transpose = 0;
    for (size_t i = 0; i < orders.size(); ++i) {
        const uint8_t b = orders[i];
        if (b == 0xFF) break;
        size_t pattern = b;
        if (b == 0xC0) {
            pattern = orders[++i];
        } else if (b >= 0x80) {
            transpose = b - 0xA0;
            continue;
        }
        for (uint8_t p : patterns[pattern]) {
            if (p >= 0x60) continue;
            const int n = p + transpose + song_transpose;
            if (n < 0 || n > 95) {
                error = "a note leaves the eight octaves after transposition";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::vector<uint8_t> sid_tune_build(const sid_tune& tune, std::string& error) {
    if (tune.instruments.empty() || tune.instruments.size() > 32 || tune.patterns.empty() ||
        tune.patterns.size() > 256 || tune.songs.empty() || tune.songs.size() > 32 || tune.samples.size() > 15) {
        error = tune.name + ": needs 1-32 instruments, 1-256 patterns, 1-32 songs and at most 15 samples";
        return {};
    }
    asm6502 a = asm_begin(sid_player_origin);
    const std::string prologue = tune.own_play_vector
                                     ? "init: PHA\n LDA #<play\n STA $0314\n LDA #>play\n STA $0315\n PLA\n"
                                     : "init:\n";
    std::string source = player_source;
    source.insert(source.find("start:"), prologue);
    if (std::string e = asm_text(a, source); !e.empty()) {
        error = "player: " + e;
        return {};
    }

    asm_label(a, "regoff");
    asm_bytes(a, {0, 7, 14});
    std::vector<uint8_t> lo, hi;
    for (int n = 0; n < 96; ++n) {
        const uint16_t f = sid_note_frequency(n + 12);
        lo.push_back(static_cast<uint8_t>(f));
        hi.push_back(static_cast<uint8_t>(f >> 8));
    }
    put_bytes(a, "freqlo", lo);
    put_bytes(a, "freqhi", hi);

    // Instrument columns, indexed by instrument number.
    std::vector<uint8_t> col[11];
    for (const sid_instrument& i : tune.instruments) {
        col[10].push_back(i.sample);
        if (i.sample > tune.samples.size()) {
            error = tune.name + ": an instrument names a sample the tune does not have";
            return {};
        }
        col[0].push_back(i.wave1);
        col[1].push_back(i.wave2);
        col[2].push_back(i.ad);
        col[3].push_back(i.sr);
        col[4].push_back(i.pulse);
        col[5].push_back(i.pulse_speed);
        col[6].push_back(i.arpeggio);
        col[7].push_back(i.slide);
        col[8].push_back(i.vibrato);
        col[9].push_back(i.release_frames == 0 ? 0xFF : static_cast<uint8_t>(i.release_frames - 1));
        if (i.vibrato > 15) {
            error = tune.name + ": vibrato shift above 15";
            return {};
        }
    }
    const char* names[11] = {"iwave1", "iwave2", "iad", "isr", "ipw", "ipws", "iarp", "islide", "ivib", "igate", "isamp"};
    for (int c = 0; c < 11; ++c) put_bytes(a, names[c], col[c]);

    std::vector<std::vector<uint8_t>> patterns;
    for (size_t p = 0; p < tune.patterns.size(); ++p) {
        std::string e;
        patterns.push_back(sid_encode_pattern(tune.patterns[p], e));
        if (patterns.back().empty()) {
            error = tune.name + ": pattern " + std::to_string(p) + ": " + e;
            return {};
        }
    }
    // Lay out the rest by hand: pointer tables, song records, order lists, then patterns.
    std::vector<std::array<std::vector<uint8_t>, 3>> orders;
    for (size_t s = 0; s < tune.songs.size(); ++s) {
        std::array<std::vector<uint8_t>, 3> lists;
        for (int v = 0; v < 3; ++v) {
            std::string e;
            lists[static_cast<size_t>(v)] = sid_encode_orders(tune.songs[s].orders[static_cast<size_t>(v)], patterns.size(), e);
            if (lists[static_cast<size_t>(v)].empty()) {
                error = tune.name + ": song " + std::to_string(s) + " voice " + std::to_string(v + 1) + ": " + e;
                return {};
            }
            if (!check_voice_range(lists[static_cast<size_t>(v)], patterns, tune.songs[s].transpose[static_cast<size_t>(v)], e)) {
                error = tune.name + ": song " + std::to_string(s) + " voice " + std::to_string(v + 1) + ": " + e;
                return {};
            }
        }
        orders.push_back(std::move(lists));
    }
    constexpr size_t record_size = 18;
    const size_t song_count = tune.songs.size();
    const size_t pattern_count = patterns.size();
    size_t at = asm_here(a) + 2 * pattern_count + 2 * song_count;
    const size_t records_at = at;
    at += record_size * song_count;
    std::vector<std::array<size_t, 3>> order_at(song_count);
    for (size_t s = 0; s < song_count; ++s) {
        for (size_t v = 0; v < 3; ++v) {
            order_at[s][v] = at;
            at += orders[s][v].size();
        }
    }
    std::vector<size_t> pattern_at;
    for (const std::vector<uint8_t>& p : patterns) {
        pattern_at.push_back(at);
        at += p.size();
    }
    // Sample tables (entry 0 unused: samples count from 1), then the sample bytes.
    const size_t sample_tables_at = at;
    at += 6 * (tune.samples.size() + 1);
    std::vector<size_t> sample_at;
    for (const sid_sample& smp : tune.samples) {
        sample_at.push_back(at);
        at += smp.bytes.size();
        if (smp.period == 0 || smp.bytes.empty()) {
            error = tune.name + ": a sample without bytes or with period 0";
            return {};
        }
    }
    if (at > 0xCFFF) {
        error = tune.name + ": the tune does not fit below $D000";
        return {};
    }
    for (size_t p : pattern_at) a.code.push_back(static_cast<uint8_t>(p));
    for (size_t p : pattern_at) a.code.push_back(static_cast<uint8_t>(p >> 8));
    for (size_t s = 0; s < song_count; ++s) a.code.push_back(static_cast<uint8_t>(records_at + s * record_size));
    for (size_t s = 0; s < song_count; ++s) a.code.push_back(static_cast<uint8_t>((records_at + s * record_size) >> 8));
    for (size_t s = 0; s < song_count; ++s) {
        const sid_song& song = tune.songs[s];
        if (song.speed == 0) {
            error = tune.name + ": song " + std::to_string(s) + " has speed 0";
            return {};
        }
        a.code.push_back(song.speed);
        for (size_t v = 0; v < 3; ++v) {
            a.code.push_back(static_cast<uint8_t>(order_at[s][v]));
            a.code.push_back(static_cast<uint8_t>(order_at[s][v] >> 8));
        }
        for (int8_t t : song.transpose) a.code.push_back(static_cast<uint8_t>(t));
        for (uint8_t o : song.instrument_offset) a.code.push_back(o);
        a.code.push_back(song.resonance_routing);
        a.code.push_back(song.mode_volume);
        a.code.push_back(song.cutoff_min);
        a.code.push_back(song.cutoff_max);
        a.code.push_back(static_cast<uint8_t>(song.cutoff_speed));
        // The cutoff must bounce without wrapping past 0 or 255.
        const int speed = song.cutoff_speed < 0 ? -song.cutoff_speed : song.cutoff_speed;
        if (song.cutoff_min > song.cutoff_max || song.cutoff_max + speed > 255) {
            error = tune.name + ": song " + std::to_string(s) + ": cutoff range";
            return {};
        }
    }
    for (size_t s = 0; s < song_count; ++s) {
        for (size_t v = 0; v < 3; ++v) a.code.insert(a.code.end(), orders[s][v].begin(), orders[s][v].end());
    }
    for (const std::vector<uint8_t>& p : patterns) a.code.insert(a.code.end(), p.begin(), p.end());
    const size_t sample_count = tune.samples.size() + 1;
    std::vector<uint32_t> table[3] = {{0}, {0}, {0}};  // start, end, period
    for (size_t i = 0; i < tune.samples.size(); ++i) {
        table[0].push_back(static_cast<uint32_t>(sample_at[i]));
        table[1].push_back(static_cast<uint32_t>(sample_at[i] + tune.samples[i].bytes.size()));
        table[2].push_back(tune.samples[i].period);
    }
    for (const std::vector<uint32_t>& column : table) {
        for (uint32_t v : column) a.code.push_back(static_cast<uint8_t>(v));
        for (uint32_t v : column) a.code.push_back(static_cast<uint8_t>(v >> 8));
    }
    for (const sid_sample& smp : tune.samples) a.code.insert(a.code.end(), smp.bytes.begin(), smp.bytes.end());
    // Labels the player refers to but that are laid out by hand.
    a.labels.push_back({"patptrlo", static_cast<uint16_t>(records_at - 2 * song_count - 2 * pattern_count)});
    a.labels.push_back({"patptrhi", static_cast<uint16_t>(records_at - 2 * song_count - pattern_count)});
    a.labels.push_back({"songlo", static_cast<uint16_t>(records_at - 2 * song_count)});
    a.labels.push_back({"songhi", static_cast<uint16_t>(records_at - song_count)});
    const char* sample_labels[6] = {"sstlo", "ssthi", "sendlo", "sendhi", "sperlo", "sperhi"};
    for (size_t c = 0; c < 6; ++c)
        a.labels.push_back({sample_labels[c], static_cast<uint16_t>(sample_tables_at + c * sample_count)});
    if (!asm_finish(a)) {
        error = "player: " + a.error;
        return {};
    }

    psid_header_fields header;
    header.songs = static_cast<uint16_t>(song_count);
    header.start_song = 1;
    header.name = tune.name;
    for (const asm6502::label_def& l : a.labels) {
        if (l.name == "init") header.init_address = l.address;
        if (l.name == "play" && !tune.own_play_vector) header.play_address = l.address;
    }
    std::vector<uint8_t> file = psid_build(header, a.origin, a.code);
    put_text(file, 0x36, tune.author);
    put_text(file, 0x56, tune.released);
    error.clear();
    return file;
}
