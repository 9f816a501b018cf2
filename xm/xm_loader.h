// The XM loader: turns one module read through an xm_stream into an xm_song ready to play.
#pragma once
#include <cstdint>

#include "xm/xm_state.h"

// Fills the zeroed song from the stream; true when the module was accepted. On false the caller
// deletes the song, which releases everything attached to it, and xm_player_state.load_problem says why.
// Instruments keep their first 16 samples; ADPCM-packed samples are decoded; the layout of format
// versions 1.02 and older is refused.
bool xm_load(xm_song* song, xm_stream* stream);

// The cell at (row, channel) of pattern p; an empty cell for anything the pattern does not hold.
const uint8_t* xm_pattern_cell(const xm_song& song, int32_t pattern, int32_t row, int32_t channel);
// Rows of pattern p; order entries past the pattern table play as 64 empty rows.
int32_t xm_pattern_rows(const xm_song& song, int32_t pattern);
