// Composition helpers: turn readable note tokens and step strings into pattern cells.
#include "content/modules/compose.h"
#include "tools/toolkit/tool_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

// The composer programs are build tools: a typo in a tune is a build error, named plainly.
[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "modulegen: %s\n", what.c_str());
    std::exit(1);
}

xmw_pattern& pattern_of(composition& c, int p) {
    if (p < 0 || static_cast<size_t>(p) >= c.module.patterns.size()) fail("no pattern " + std::to_string(p));
    return c.module.patterns[static_cast<size_t>(p)];
}

xmw_cell& cell_of(composition& c, int p, int row, int channel) {
    xmw_pattern& pat = pattern_of(c, p);
    const int channels = c.module.channels;
    if (row < 0 || row >= pat.rows || channel < 0 || channel >= channels) {
        fail("cell out of range: pattern " + std::to_string(p) + " row " + std::to_string(row) + " channel " +
             std::to_string(channel));
    }
    const auto size = static_cast<size_t>(pat.rows) * static_cast<size_t>(channels);
    if (pat.cells.size() < size) pat.cells.resize(size);
    return pat.cells[static_cast<size_t>(row * channels + channel)];
}

}  // namespace

int note_number(const std::string& name) {
    static const int semis[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2) return 0;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G') return 0;
    int semi = semis[letter - 'A'];
    size_t i = 1;
    if (name[i] == '#') {
        ++semi;
        ++i;
    } else if (name[i] == 'b') {
        --semi;
        ++i;
    }
    if (i + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    const int n = (name[i] - '0') * 12 + semi + 1;
    return n >= 1 && n <= 96 ? n : 0;
}

composition compose_begin(const std::string& name, int channels, int speed, int bpm) {
    composition c;
    c.module.name = name;
    c.module.channels = static_cast<uint16_t>(channels);
    c.module.tempo = static_cast<uint16_t>(speed);
    c.module.bpm = static_cast<uint16_t>(bpm);
    c.module.linear = true;
    return c;
}

int compose_pattern(composition& c, int rows) {
    xmw_pattern p;
    p.rows = static_cast<uint16_t>(rows);
    p.cells.resize(static_cast<size_t>(rows) * c.module.channels);
    c.module.patterns.push_back(std::move(p));
    return static_cast<int>(c.module.patterns.size()) - 1;
}

int compose_instrument(composition& c, const std::string& name, xmw_sample sample) {
    xmw_instrument ins;
    ins.name = name;
    sample.name = name;
    ins.samples.push_back(std::move(sample));
    c.module.instruments.push_back(std::move(ins));
    return static_cast<int>(c.module.instruments.size());
}

void compose_volume_envelope(composition& c, int instrument, const std::vector<xmw_envelope_point>& points,
                             int sustain, uint16_t fadeout) {
    xmw_instrument& ins = c.module.instruments.at(static_cast<size_t>(instrument - 1));
    if (points.size() < 2 || points.size() > 12) fail("a volume envelope needs 2 to 12 points");
    ins.volume_envelope.points = points;
    ins.volume_envelope.on = true;
    ins.volume_envelope.sustain = sustain >= 0;
    ins.volume_envelope.sustain_point = static_cast<uint8_t>(sustain >= 0 ? sustain : 0);
    ins.fadeout = fadeout;
}

void compose_panning_envelope(composition& c, int instrument, const std::vector<xmw_envelope_point>& points,
                              int loop_start, int loop_end) {
    xmw_instrument& ins = c.module.instruments.at(static_cast<size_t>(instrument - 1));
    if (points.size() < 2 || points.size() > 12) fail("a panning envelope needs 2 to 12 points");
    ins.panning_envelope.points = points;
    ins.panning_envelope.on = true;
    ins.panning_envelope.loop = loop_end > loop_start;
    ins.panning_envelope.loop_start = static_cast<uint8_t>(loop_start);
    ins.panning_envelope.loop_end = static_cast<uint8_t>(loop_end);
}

void compose_volume_loop(composition& c, int instrument, int loop_start, int loop_end) {
    xmw_instrument& ins = c.module.instruments.at(static_cast<size_t>(instrument - 1));
    if (loop_end <= loop_start || static_cast<size_t>(loop_end) >= ins.volume_envelope.points.size())
        fail("volume loop outside the envelope");
    ins.volume_envelope.loop = true;
    ins.volume_envelope.loop_start = static_cast<uint8_t>(loop_start);
    ins.volume_envelope.loop_end = static_cast<uint8_t>(loop_end);
}

void compose_panning(composition& c, int instrument, int panning) {
    for (xmw_sample& s : c.module.instruments.at(static_cast<size_t>(instrument - 1)).samples)
        s.panning = static_cast<uint8_t>(panning);
}

void compose_autovibrato(composition& c, int instrument, uint8_t sweep, uint8_t depth, uint8_t rate) {
    xmw_instrument& ins = c.module.instruments.at(static_cast<size_t>(instrument - 1));
    ins.vibrato_type = 0;
    ins.vibrato_sweep = sweep;
    ins.vibrato_depth = depth;
    ins.vibrato_rate = rate;
}

void compose_cell(composition& c, int p, int row, int channel, const xmw_cell& cell) {
    xmw_cell& target = cell_of(c, p, row, channel);
    if (cell.note) target.note = cell.note;
    if (cell.instrument) target.instrument = cell.instrument;
    if (cell.volume) target.volume = cell.volume;
    if (cell.effect || cell.param) {
        target.effect = cell.effect;
        target.param = cell.param;
    }
}

void compose_effect(composition& c, int p, int row, int channel, uint8_t effect, uint8_t param) {
    xmw_cell& target = cell_of(c, p, row, channel);
    target.effect = effect;
    target.param = param;
}

void compose_track(composition& c, int p, int channel, int row, const std::string& text, int instrument,
                   int transpose) {
    for (const std::string& t : tool_notation_tokens(text)) {
        if (t == "^") {
            compose_cell(c, p, row, channel, {.note = 97});
        } else if (t != ".") {
            std::string name = t;
            int volume = -1;
            bool slide = false;
            if (!name.empty() && name.back() == '~') {
                slide = true;
                name.pop_back();
            }
            if (const size_t at = name.find('@'); at != std::string::npos) {
                volume = std::atoi(name.c_str() + at + 1);
                name.resize(at);
                if (volume < 0 || volume > 64) fail("volume out of range in " + t);
            }
            const int n = note_number(name);
            if (n == 0 || n + transpose < 1 || n + transpose > 96) fail("not a note: " + t);
            xmw_cell cell{.note = static_cast<uint8_t>(n + transpose),
                          .instrument = static_cast<uint8_t>(slide ? 0 : instrument)};
            if (volume >= 0) cell.volume = static_cast<uint8_t>(0x10 + volume);
            if (slide) {
                cell.effect = 3;
                cell.param = 0x30;
            }
            compose_cell(c, p, row, channel, cell);
        }
        ++row;
    }
}

void compose_steps(composition& c, int p, int channel, const std::string& steps, int instrument,
                   const std::string& note, int soft_volume) {
    const int rows = pattern_of(c, p).rows;
    const int n = note_number(note);
    if (steps.empty() || n == 0) fail("bad drum steps");
    for (int row = 0; row < rows; ++row) {
        const char s = steps[static_cast<size_t>(row) % steps.size()];
        if (s == 'x') {
            compose_cell(c, p, row, channel, {.note = static_cast<uint8_t>(n), .instrument = static_cast<uint8_t>(instrument)});
        } else if (s == 'o') {
            compose_cell(c, p, row, channel,
                         {.note = static_cast<uint8_t>(n), .instrument = static_cast<uint8_t>(instrument),
                          .volume = static_cast<uint8_t>(0x10 + soft_volume)});
        }
    }
}

void compose_echo(composition& c, int p, int from, int to, int delay, int percent) {
    const int rows = pattern_of(c, p).rows;
    for (int row = rows - 1 - delay; row >= 0; --row) {
        const xmw_cell src = cell_of(c, p, row, from);
        if (src.note == 0) continue;
        xmw_cell echo{.note = src.note, .instrument = src.instrument};
        if (src.note != 97) {
            const int v = src.volume >= 0x10 && src.volume <= 0x50 ? src.volume - 0x10 : 64;
            echo.volume = static_cast<uint8_t>(0x10 + v * percent / 100);
            if (echo.instrument == 0) echo.instrument = src.instrument;
        }
        compose_cell(c, p, row + delay, to, echo);
    }
}

void compose_vibrato_tails(composition& c, int p, int channel, int after, uint8_t param) {
    const int rows = pattern_of(c, p).rows;
    int held = -1;  // rows since the last note, -1 before any
    for (int row = 0; row < rows; ++row) {
        xmw_cell& cell = cell_of(c, p, row, channel);
        if (cell.note != 0) held = cell.note == 97 ? -1 : 0;
        else if (held >= 0) ++held;
        if (held >= after && cell.effect == 0 && cell.param == 0) {
            cell.effect = 4;
            cell.param = param;
        }
    }
}

void compose_scale_volume(composition& c, int p, int channel, int percent) {
    const int rows = pattern_of(c, p).rows;
    for (int row = 0; row < rows; ++row) {
        xmw_cell& cell = cell_of(c, p, row, channel);
        if (cell.note == 0 || cell.note == 97) continue;
        const int v = cell.volume >= 0x10 && cell.volume <= 0x50 ? cell.volume - 0x10 : 64;
        cell.volume = static_cast<uint8_t>(0x10 + std::min(64, v * percent / 100));
    }
}

void compose_orders(composition& c, const std::vector<uint8_t>& orders, int restart) {
    c.module.orders = orders;
    c.module.restart = static_cast<uint16_t>(restart);
}

std::string repeat(const std::string& tokens, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += tokens + " ";
    return out;
}

void compose_chords(composition& c, int p, const std::vector<int>& channels, const std::vector<std::string>& chords,
                    int instrument, int volume, int bar_rows) {
    for (size_t b = 0; b < chords.size(); ++b) {
        const std::vector<std::string> notes = tool_notation_tokens(chords[b]);
        for (size_t i = 0; i < notes.size() && i < channels.size(); ++i) {
            const int n = note_number(notes[i]);
            if (n == 0) fail("not a note: " + notes[i]);
            compose_cell(c, p, static_cast<int>(b) * bar_rows, channels[i],
                         {.note = static_cast<uint8_t>(n), .instrument = static_cast<uint8_t>(instrument),
                          .volume = static_cast<uint8_t>(0x10 + volume)});
        }
    }
}

void compose_bass(composition& c, int p, int channel, const std::vector<std::string>& roots,
                  const std::string& rhythm, int instrument, int volume) {
    const int bar_rows = static_cast<int>(rhythm.size());
    for (size_t b = 0; b < roots.size(); ++b) {
        const int root = note_number(roots[b]);
        if (root == 0) fail("not a note: " + roots[b]);
        for (int i = 0; i < bar_rows; ++i) {
            const char r = rhythm[static_cast<size_t>(i)];
            int n = 0;
            if (r == 'x') n = root;
            if (r == 'o') n = root + 12;
            if (r == 'f') n = root + 7;
            if (r == '^') n = 97;
            if (n == 0) continue;
            xmw_cell cell{.note = static_cast<uint8_t>(n)};
            if (n != 97) {
                cell.instrument = static_cast<uint8_t>(instrument);
                if (volume > 0) cell.volume = static_cast<uint8_t>(0x10 + volume);
            }
            compose_cell(c, p, static_cast<int>(b) * bar_rows + i, channel, cell);
        }
    }
}

void compose_arpeggio(composition& c, int p, int channel, const std::vector<std::string>& chords,
                      const std::string& figure, int step, int instrument, int volume, int transpose,
                      int bar_rows) {
    for (size_t b = 0; b < chords.size(); ++b) {
        std::vector<int> tones;
        for (const std::string& t : tool_notation_tokens(chords[b])) {
            const int n = note_number(t);
            if (n == 0) fail("not a note: " + t);
            tones.push_back(n);
        }
        if (tones.empty()) continue;
        for (size_t i = 0; i < figure.size() && static_cast<int>(i) * step < bar_rows; ++i) {
            if (figure[i] < '0' || figure[i] > '9') continue;
            const auto k = static_cast<size_t>(figure[i] - '0');
            const int n = tones[k % tones.size()] + 12 * static_cast<int>(k / tones.size()) + transpose;
            if (n < 1 || n > 96) fail("arpeggio note out of range");
            compose_cell(c, p, static_cast<int>(b) * bar_rows + static_cast<int>(i) * step, channel,
                         {.note = static_cast<uint8_t>(n), .instrument = static_cast<uint8_t>(instrument),
                          .volume = static_cast<uint8_t>(0x10 + volume)});
        }
    }
}
