// Composition helpers for the magazine's modules: note names, one-token-per-row tracks, drum steps,
// instruments with envelopes, and an echo channel.
//
// Track notation (one whitespace-separated token per row): "C4", "F#3" a note (octave as trackers
// number it: C-4 is middle C); "." nothing; "^" key-off; a note may carry "@vv" (volume 0-64) and
// "~" (slide into it with tone portamento). Bars are usually written 16 tokens long; "|" is ignored
// and only helps reading.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/xmwriter/xmwriter.h"

// The module being composed and its channel count.
struct composition {
    xmw_module module;
};

// XM note number of a name like "C4", "C#4" or "Bb3" (C-0 is 1); 0 for anything else.
int note_number(const std::string& name);

// Starts a module with the given name, channel count, speed and BPM (linear frequency table).
composition compose_begin(const std::string& name, int channels, int speed, int bpm);
// Appends an empty pattern of `rows` rows; returns its number.
int compose_pattern(composition& c, int rows = 64);
// Appends an instrument holding one sample (mapped to every note); returns its number (1-based).
int compose_instrument(composition& c, const std::string& name, xmw_sample sample);
// Sets a volume envelope from (tick, level) pairs; sustain at point `sustain` when >= 0.
void compose_volume_envelope(composition& c, int instrument, const std::vector<xmw_envelope_point>& points,
                             int sustain, uint16_t fadeout);
// Sets a panning envelope from (tick, position) pairs, position 0-64 with 32 the centre; it loops from
// point loop_start to point loop_end when loop_end > loop_start, and otherwise holds its last point.
void compose_panning_envelope(composition& c, int instrument, const std::vector<xmw_envelope_point>& points,
                              int loop_start = 0, int loop_end = 0);
// Makes the volume envelope loop from point loop_start to point loop_end (a pulse or a slow swell).
void compose_volume_loop(composition& c, int instrument, int loop_start, int loop_end);
// Sets the default panning of the instrument's samples (0-255; 255 is fully left in this player).
void compose_panning(composition& c, int instrument, int panning);
// Sets the instrument's autovibrato (type 0 sine).
void compose_autovibrato(composition& c, int instrument, uint8_t sweep, uint8_t depth, uint8_t rate);

// Writes the cell fields given (non-zero) into pattern p, row, channel; zero fields stay as they are.
void compose_cell(composition& c, int p, int row, int channel, const xmw_cell& cell);
// Sets an effect on a cell.
void compose_effect(composition& c, int p, int row, int channel, uint8_t effect, uint8_t param);
// Writes a track in the notation above from row `row` on, transposed by `transpose` semitones.
void compose_track(composition& c, int p, int channel, int row, const std::string& tokens, int instrument,
                   int transpose = 0);
// Drum steps: 'x' a hit at full volume, 'o' a softer hit, '.' nothing; repeated to fill the pattern.
void compose_steps(composition& c, int p, int channel, const std::string& steps, int instrument,
                   const std::string& note = "C4", int soft_volume = 36);
// Copies channel `from` into channel `to` of pattern p, `delay` rows later, at `percent` of the
// volume (notes without a volume count as 64): a tape echo.
void compose_echo(composition& c, int p, int from, int to, int delay, int percent);
// Vibrato on held notes: on channel ch, every note followed by at least `after` empty rows gets effect
// 4 with `param` from `after` rows in until the next note (cells that carry an effect are left alone).
void compose_vibrato_tails(composition& c, int p, int channel, int after, uint8_t param);
// Volume of every note on a channel of pattern p scaled by percent (notes without a volume count as 64).
void compose_scale_volume(composition& c, int p, int channel, int percent);
// Sets the order list and restart position.
void compose_orders(composition& c, const std::vector<uint8_t>& orders, int restart);
// Repeats a token string n times.
std::string repeat(const std::string& tokens, int n);

// Chords held on several channels: chords[b] ("A3 C4 E4") starts at bar b (bar_rows rows each) on
// channels[0..]; `volume` 0-64.
void compose_chords(composition& c, int p, const std::vector<int>& channels, const std::vector<std::string>& chords,
                    int instrument, int volume, int bar_rows = 16);
// A bass line: for bar b, rhythm characters 'x' play roots[b], 'o' an octave up, 'f' the fifth,
// '^' key-off, '.' nothing; the rhythm covers one bar.
void compose_bass(composition& c, int p, int channel, const std::vector<std::string>& roots,
                  const std::string& rhythm, int instrument, int volume = 0);
// Broken chords: for bar b, each character of `figure` (one per `step` rows) names a tone of
// chords[b]: digit i is tone i, counting on into the next octave past the chord's last tone; '.'
// rests. Tones are transposed by `transpose` semitones.
void compose_arpeggio(composition& c, int p, int channel, const std::vector<std::string>& chords,
                      const std::string& figure, int step, int instrument, int volume, int transpose = 0,
                      int bar_rows = 16);
