// The pattern player: walks the order table row by row and tick by tick and drives one channel record
// per pattern channel through notes, envelopes, fadeout, autovibrato and every effect.
#pragma once
#include <cstdint>

#include "xm/xm_state.h"

// One tick of the song; the mixer calls it through the song's tick function every samples-per-tick frames.
void xm_tick(xm_song* song);
// The row tick (tick counter 0): reads the row's cells and applies notes, instruments and row effects.
void xm_process_row(xm_song* song);
// Every later tick of a row: envelopes, fadeout, the volume column's tick form and the effects' tick actions.
void xm_process_tick(xm_song* song);
// Advances one envelope of a channel by one tick; volume = true for the volume envelope.
void xm_envelope_step(xm_channel& channel, const xm_instrument& instrument, bool volume);
// The Amiga period of a 0-based note with a finetune (-128..127).
int32_t xm_amiga_period(int32_t note, int32_t finetune);
