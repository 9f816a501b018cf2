// The module player's face to the program: load one module from memory, play, stop, free, and report
// what is being heard.
#pragma once
#include <cstddef>
#include <cstdint>

// Loads the module at data (length bytes) as the current song; 1 on success, 0 when it is rejected
// (xm_player_state.load_problem then says why). An earlier current song is stopped and freed first.
int xm_load_from_memory(const void* data, size_t length);
// Starts the current song from its beginning on the output thread; false without a song, a complete
// stream callback set or an audio device.
bool xm_play();
// Stops playback of the current song; false only when there is no current song.
bool xm_stop();
// Stops and frees the current song and clears the reference; false when there is no current song.
bool xm_free();
// The current song's channel count; 0 without a song.
int xm_channel_count();
// Note (bits 0-7) and instrument (bits 8-15) of the given channel in the row being heard; 0 without a
// song or for a channel outside the song.
int xm_heard_cell(int channel);
// Order position byte of the block being heard; 0 when nothing plays.
int xm_heard_order();
// Row byte of the block being heard; 0 when nothing plays.
int xm_heard_row();
// Elapsed playing time in milliseconds stored with the block being heard; 0 when nothing plays.
uint32_t xm_heard_time();
// Frees a song and everything attached to it, stopping playback first. Safe with nullptr.
void xm_free_song(struct xm_song* song);
