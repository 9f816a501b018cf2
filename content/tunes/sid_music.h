// The intro tunes as data: instruments, patterns in a readable notation, songs with order lists,
// and the builder that assembles the 6502 player with them into a PSID file.
//
// Pattern notation, one whitespace-separated token per tick ("|" is ignored):
//   C4, F#3, Bb5   a note (C4 is middle C) with the current instrument
//   3:C4           instrument 3 from this note on
//   .              the previous note or rest goes on for one more tick
//   -              a rest (the gate is released)
//   E5/4, -/2      a note or rest held for 4 (2) ticks: the same as "E5 . . ." ("- .")
// Order list notation: pattern numbers in playing order; "t+5" / "t-3" transposes the following
// patterns; "loop N" at the end goes back to entry N (0 is the first token).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct sid_instrument {
    uint8_t wave1 = 0x41;       // control byte of the note's first frame (gate bit is the player's)
    uint8_t wave2 = 0x41;       // control byte of the frames after
    uint8_t ad = 0x09;          // attack / decay
    uint8_t sr = 0x80;          // sustain / release
    uint8_t pulse = 0x08;       // pulse width high nibble at the start of a note
    uint8_t pulse_speed = 0;    // added to the pulse width every frame, back and forth in $200-$E00
    uint8_t arpeggio = 0;       // chord steps cycled each frame: 0, high nibble, low nibble semitones
    uint8_t slide = 0;          // per-frame growth of a downward pitch slide (drums)
    uint8_t vibrato = 0;        // depth as a shift: frequency >> vibrato; 0 for none
    uint8_t release_frames = 0; // frames of release before the next tick ends a note; 0 holds legato
    uint8_t sample = 0;         // 1-based sample of the tune that each note also plays; 0 for none
};

// A 4-bit sample for the sample channel: two nibbles a byte, low nibble first; 7 is silence.
struct sid_sample {
    std::vector<uint8_t> bytes;
    uint16_t period = 123;      // C64 clock cycles per nibble (123: 8 kHz)
};

struct sid_song {
    uint8_t speed = 6;                          // frames per tick
    std::array<std::string, 3> orders;          // one order list per voice
    std::array<int8_t, 3> transpose{};          // semitones added to every note of the voice
    std::array<uint8_t, 3> instrument_offset{}; // added to every instrument number of the voice
    uint8_t resonance_routing = 0;              // $D417
    uint8_t mode_volume = 0x0F;                 // $D418
    uint8_t cutoff_min = 0x20, cutoff_max = 0x20;
    int8_t cutoff_speed = 0;                    // per-frame cutoff change, bouncing between min and max
};

struct sid_tune {
    std::string name;
    std::string author;
    std::string released;
    std::vector<sid_instrument> instruments;  // up to 32
    std::vector<std::string> patterns;        // up to 256
    std::vector<sid_song> songs;              // up to 32
    std::vector<sid_sample> samples{};        // up to 15
    bool own_play_vector = false;             // play address 0 in the header: init installs $0314
};

// Builds the PSID file (version 2, data offset $7C, load address in the data, speed 0). On a
// mistake in the tune the result is empty and error says what and where.
std::vector<uint8_t> sid_tune_build(const sid_tune& tune, std::string& error);

// The pattern byte stream of a notation text (see above); empty with error set on a mistake.
std::vector<uint8_t> sid_encode_pattern(const std::string& text, std::string& error);
// The order list byte stream; empty with error set on a mistake.
std::vector<uint8_t> sid_encode_orders(const std::string& text, size_t pattern_count, std::string& error);
// Note index (C0 = 0, C4 = 48) of a name like "C4", "F#3", "Bb5"; -1 for anything else.
int sid_note_index(const std::string& name);

// Load address of every intro tune.
constexpr uint16_t sid_player_origin = 0x1000;
