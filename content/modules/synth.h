// Sample synthesis for the magazine's modules: tuned single-cycle and decaying instruments, drums.
//
// Pitch convention: every pitched sample is made so that XM note C-4 sounds middle C (261.6 Hz).
// A sample with relative note r plays at 8363 x 2^(r/12) values per second at C-4, so a sample made
// at that rate with a fundamental of middle C is in tune. Drums are made to sound right at C-4.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/xmwriter/xmwriter.h"

// Values per second of a sample played at C-4 with relative note 12 / 24.
constexpr double synth_rate_12 = 16726.0;
constexpr double synth_rate_24 = 33452.0;
// The period in values of one cycle of middle C at relative note 24 (261.3 Hz, 2 cents flat).
constexpr int synth_cycle = 128;

// Turns float values (-1..1, clipped) into a sample; looped when loop_length > 0. 16-bit when asked.
xmw_sample synth_make(const std::vector<float>& values, int8_t relative_note, uint32_t loop_start,
                      uint32_t loop_length, bool sixteen_bit = false, xmw_loop loop = xmw_loop::forward);

// Harmonic amplitudes of one cycle; a shape gives harmonic k's amplitude at time t (seconds).
using synth_shape = float (*)(int k, double t, const float* params);

// Additive tone at relative note 24: `cycles` cycles of synth_cycle values whose harmonics follow
// shape (up to `harmonics`); the last `loop_cycles` cycles loop. Gives plucks, e-pianos, organs.
// With pingpong, the looped cycles play forth and back (a timbre that keeps sweeping); 16-bit when asked.
xmw_sample synth_additive(synth_shape shape, const float* params, int harmonics, int cycles, int loop_cycles,
                          float gain, bool pingpong = false, bool sixteen_bit = false);

// Detuned pair of band-limited saws (or squares when square is set) over one long loop: a pad or
// a supersaw lead. `spread` is how many extra cycles the second voice makes over the loop (about
// spread/64 of a semitone's worth of beating). Soft when `harmonics` is small.
xmw_sample synth_ensemble(int harmonics, int spread, bool square, float gain);

// Bell: inharmonic partials with exponential decay, one-shot at relative note 12, `seconds` long.
xmw_sample synth_bell(double seconds, float brightness, float gain);

// Drums, one-shot, tuned for C-4.
xmw_sample synth_kick(double seconds, double start_hz, double end_hz, float click, float gain);
xmw_sample synth_snare(double seconds, double tone_hz, float noise_mix, float gain);
xmw_sample synth_hat(double seconds, float gain);
xmw_sample synth_clap(float gain);
xmw_sample synth_shaker(float gain);

// Common harmonic shapes; params as documented beside each.
// Saw-like with per-harmonic decay: params[0] brightness decay per second x k, params[1] floor.
float synth_shape_pluck(int k, double t, const float* params);
// Electric piano: strong fundamental, decaying bright partials; params[0] decay per second.
float synth_shape_epiano(int k, double t, const float* params);
// Square-ish (odd harmonics) with params[0] as the even-harmonic share (0: pure square).
float synth_shape_square(int k, double t, const float* params);
// Breathing saw: brightness swells and fades over params[0] seconds (for ping-pong loops).
float synth_shape_swell(int k, double t, const float* params);
// Sine with a touch of second and third harmonic (params[0] amount).
float synth_shape_soft(int k, double t, const float* params);
// Band-limited saw, 1/k.
float synth_shape_saw(int k, double t, const float* params);
