// The mixer and output thread: voices from channels, interpolating ramped mixing into a float buffer,
// 16-bit conversion, the two-block looping device ring and the thread that keeps it filled.
#pragma once
#include <cstdint>

#include "xm/xm_state.h"

// Starts playback of the song on the device with its output thread; false for a null song, one without
// a tick function, a missing stream callback, no audio device or no thread.
bool xm_start_song(xm_song* song);
// Sets up voices, channels, song position and buffers as xm_start_song does, without device or thread,
// so that xm_mix_block can be driven directly (offline rendering and tests).
bool xm_prepare_song(xm_song* song);
// Stops the thread, releases the device and buffers; false only for a null song.
bool xm_stop_song(xm_song* song);
// Sets the song's BPM (bounded to 32-255) and the frames per tick that follow from it.
void xm_set_bpm(xm_song* song, int32_t bpm);
// Applies a channel's update flags to its voice; called by the pattern player after each channel's tick.
void xm_update_voice(xm_channel& channel, const xm_sample* sample, xm_song* song);
// Adds every sounding voice into frames stereo frames of the float buffer at out.
void xm_mix(float* out, int32_t frames);
// Mixes the next ring block, calling the tick function at the exact frames where ticks fall.
void xm_mix_block();
// Rounds (halves to even) and clips 2 x frames float values into 16-bit PCM.
void xm_to_pcm16(int16_t* destination, const float* source, int32_t frames);
// The output thread: refills the block that is not playing until stop is requested.
void xm_output_thread(void* unused);
