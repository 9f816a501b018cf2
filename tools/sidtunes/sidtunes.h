// The SID player's test tunes, assembled in code: PSID files built from hand-written 6502 routines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct psid_header_fields {
    uint16_t load_address = 0;  // 0: the load address is the first two data bytes
    uint16_t init_address = 0;
    uint16_t play_address = 0;
    uint16_t songs = 1;
    uint16_t start_song = 1;  // 1-based, as the file stores it
    uint32_t speed = 0;
    std::string name;
};

// A version 2 PSID file (data offset $7C) whose data is the load address (low first) and the image.
std::vector<uint8_t> psid_build(const psid_header_fields& header, uint16_t load_address,
                                const std::vector<uint8_t>& image);

// SID frequency register value for a MIDI note number at this player's 44.1 kHz rate.
uint16_t sid_note_frequency(int midi_note);

// Three voices (pulse melody, filtered sawtooth with a cutoff sweep, triangle bass), a new note on
// every voice each 6 frames, 16 steps per bar; two songs (song 1 plays the bass an octave higher).
std::vector<uint8_t> sidtune_busy();
// Three songs; init sets voice 1 to a held triangle of song 0: A4, 1: E5, 2: A5 and stores A at $02;
// play counts its calls at $03. Start song 2.
std::vector<uint8_t> sidtune_songs();
// Play address 0: init installs the vector at $0314 and logs each call's A at $10 + call number, the
// number of calls at $04; play counts its calls at $03 and holds a pulse note.
std::vector<uint8_t> sidtune_vector();
// Volume 0 and the sample channel: a 700 Hz 4-bit sine from $2000 to $2100, repeated 200 times.
std::vector<uint8_t> sidtune_sample();
// Address of the play routine counter used by the tunes above.
constexpr uint16_t sidtune_play_counter = 0x03;
