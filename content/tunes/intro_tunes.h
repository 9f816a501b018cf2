// The twelve intro tunes, in their stored order (file 1 first), and the helpers they are written with.
#pragma once
#include <string>
#include <vector>

#include "content/tunes/sid_music.h"

// File n (1-12) of the intro; the intro plays file 2 song 1, file 4 song 11 and file 6 songs 0 and 1.
std::vector<sid_tune> intro_tunes();

// A bass-and-drums line for voice 1: bar b plays rhythm (16 ticks) over roots[b]; characters:
// K kick, S snare, H hat, x root, o root an octave up, f fifth, . hold, - rest.
std::string bass_drums(const std::vector<std::string>& roots, const std::string& rhythm);
// Chord arpeggios for voice 2: chords[b] like "A3m", "F3", "G3s" (sus4), "D3m7", "C3M7" played
// with the arpeggio instrument of their kind on each 'x' of rhythm (16 ticks); '.' holds, '-' rests.
std::string chord_line(const std::vector<std::string>& chords, const std::string& rhythm);
// Ticks a notation text lasts.
int notation_ticks(const std::string& text);
