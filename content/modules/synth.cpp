// Sample synthesis: additive tones, detuned ensembles, bells and drums, all deterministic so that a
// build always makes the same module bytes.
//
// Sections: conversion - noise - tones - drums - shapes
#include "content/modules/synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double two_pi = 2.0 * std::numbers::pi;

// A small linear congruential generator: the same noise on every platform and standard library.
struct noise_source {
    uint32_t state = 0x1234567u;
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
};

void normalise(std::vector<float>& v, float peak) {
    float m = 0.0f;
    for (float x : v) m = std::max(m, std::fabs(x));
    if (m <= 0.0f) return;
    for (float& x : v) x = x * peak / m;
}

}  // namespace

// ---- conversion ---------------------------------------------------------------------------------

xmw_sample synth_make(const std::vector<float>& values, int8_t relative_note, uint32_t loop_start,
                      uint32_t loop_length, bool sixteen_bit, xmw_loop loop) {
    xmw_sample s;
    s.sixteen_bit = sixteen_bit;
    s.relative_note = relative_note;
    const float scale = sixteen_bit ? 32767.0f : 127.0f;
    s.data.reserve(values.size());
    for (float x : values) {
        const float c = std::clamp(x, -1.0f, 1.0f) * scale;
        s.data.push_back(static_cast<int16_t>(std::lround(c)));
    }
    if (loop_length > 0) {
        s.loop = loop;
        s.loop_start = loop_start;
        s.loop_length = loop_length;
    }
    return s;
}

// ---- tones --------------------------------------------------------------------------------------

xmw_sample synth_additive(synth_shape shape, const float* params, int harmonics, int cycles, int loop_cycles,
                          float gain, bool pingpong, bool sixteen_bit) {
    const int n = cycles * synth_cycle;
    std::vector<float> v(static_cast<size_t>(n), 0.0f);
    for (int c = 0; c < cycles; ++c) {
        // Amplitudes are held for a whole cycle so that the looped last cycle joins itself exactly.
        const double t = c * synth_cycle / synth_rate_24;
        for (int k = 1; k <= harmonics; ++k) {
            const float a = shape(k, t, params);
            if (a == 0.0f) continue;
            for (int i = 0; i < synth_cycle; ++i) {
                v[static_cast<size_t>(c * synth_cycle + i)] +=
                    a * static_cast<float>(std::sin(two_pi * k * i / synth_cycle));
            }
        }
    }
    normalise(v, gain);
    const auto loop_len = static_cast<uint32_t>(loop_cycles * synth_cycle);
    return synth_make(v, 24, static_cast<uint32_t>(n) - loop_len, loop_len, sixteen_bit,
                      pingpong ? xmw_loop::pingpong : xmw_loop::forward);
}

xmw_sample synth_ensemble(int harmonics, int spread, bool square, float gain) {
    // The loop holds 64 cycles of voice one and 64 + spread cycles of voice two, so both join.
    constexpr int loop_cycles = 64;
    const int n = loop_cycles * synth_cycle;
    std::vector<float> v(static_cast<size_t>(n), 0.0f);
    const int voice_cycles[2] = {loop_cycles, loop_cycles + spread};
    for (int cycles : voice_cycles) {
        for (int k = 1; k <= harmonics; ++k) {
            if (square && k % 2 == 0) continue;
            const double a = 1.0 / k * (0.5 + 0.5 * std::cos(std::numbers::pi * (k - 1) / harmonics));
            for (int i = 0; i < n; ++i) {
                v[static_cast<size_t>(i)] += static_cast<float>(a * std::sin(two_pi * k * cycles * i / n));
            }
        }
    }
    normalise(v, gain);
    return synth_make(v, 24, 0, static_cast<uint32_t>(n), true);
}

xmw_sample synth_bell(double seconds, float brightness, float gain) {
    const auto n = static_cast<size_t>(seconds * synth_rate_12);
    std::vector<float> v(n, 0.0f);
    const double ratios[] = {1.0, 2.0, 2.76, 4.07, 5.40, 8.93};
    const double amps[] = {1.0, 0.5, 0.6, 0.25, 0.3, 0.15};
    const double decays[] = {2.0, 3.0, 4.5, 6.0, 8.0, 12.0};
    for (size_t p = 0; p < std::size(ratios); ++p) {
        const double f = 261.63 * ratios[p];
        const double a = amps[p] * (p == 0 ? 1.0 : static_cast<double>(brightness));
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / synth_rate_12;
            v[i] += static_cast<float>(a * std::exp(-decays[p] * t) * std::sin(two_pi * f * t));
        }
    }
    // A short fade-in keeps the strike from clicking.
    for (size_t i = 0; i < std::min<size_t>(n, 40); ++i) v[i] *= static_cast<float>(i) / 40.0f;
    normalise(v, gain);
    return synth_make(v, 12, 0, 0);
}

// ---- drums --------------------------------------------------------------------------------------

xmw_sample synth_kick(double seconds, double start_hz, double end_hz, float click, float gain) {
    const auto n = static_cast<size_t>(seconds * synth_rate_12);
    std::vector<float> v(n);
    noise_source noise;
    double phase = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / synth_rate_12;
        const double f = end_hz + (start_hz - end_hz) * std::exp(-t * 28.0);
        phase += two_pi * f / synth_rate_12;
        const double body = std::sin(phase) * std::exp(-t * 7.0);
        const double c = static_cast<double>(click * noise.next()) * std::exp(-t * 400.0);
        v[i] = static_cast<float>(std::tanh(1.6 * body) + c);
    }
    normalise(v, gain);
    return synth_make(v, 12, 0, 0);
}

xmw_sample synth_snare(double seconds, double tone_hz, float noise_mix, float gain) {
    const auto n = static_cast<size_t>(seconds * synth_rate_24);
    std::vector<float> v(n);
    noise_source noise;
    float low = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / synth_rate_24;
        const float x = noise.next();
        low += 0.35f * (x - low);  // keep some body, take the very top off
        const double tone = std::sin(two_pi * tone_hz * t) * std::exp(-t * 30.0);
        const double rattle = static_cast<double>(x - 0.5f * low) * std::exp(-t * 18.0);
        const double mix = static_cast<double>(noise_mix);
        v[i] = static_cast<float>((1.0 - mix) * tone + mix * rattle);
    }
    normalise(v, gain);
    return synth_make(v, 24, 0, 0);
}

xmw_sample synth_hat(double seconds, float gain) {
    const auto n = static_cast<size_t>(seconds * synth_rate_24);
    std::vector<float> v(n);
    noise_source noise;
    noise.state = 0xBEEF;
    float prev = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / synth_rate_24;
        const float x = noise.next();
        v[i] = static_cast<float>(static_cast<double>(x - prev) * std::exp(-t * (3.0 / seconds)));  // high-passed
        prev = x;
    }
    normalise(v, gain);
    return synth_make(v, 24, 0, 0);
}

xmw_sample synth_clap(float gain) {
    const auto n = static_cast<size_t>(0.25 * synth_rate_24);
    std::vector<float> v(n);
    noise_source noise;
    noise.state = 0xC1A9;
    float band = 0.0f, low = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / synth_rate_24;
        // Three quick bursts, then the room's tail.
        double env = std::exp(-std::fmod(t, 0.011) * 300.0);
        if (t >= 0.033) env = 0.8 * std::exp(-(t - 0.033) * 16.0);
        const float x = noise.next();
        low += 0.25f * (x - low);
        band += 0.3f * ((x - low) - band);
        v[i] = static_cast<float>(static_cast<double>(band) * env);
    }
    normalise(v, gain);
    return synth_make(v, 24, 0, 0);
}

xmw_sample synth_shaker(float gain) {
    const auto n = static_cast<size_t>(0.12 * synth_rate_24);
    std::vector<float> v(n);
    noise_source noise;
    noise.state = 0x5A5A;
    float prev = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / synth_rate_24;
        const float x = noise.next();
        const double env = std::sin(std::numbers::pi * std::min(1.0, t / 0.12)) * std::exp(-t * 25.0);
        v[i] = static_cast<float>(static_cast<double>(x - prev) * env);
        prev = x;
    }
    normalise(v, gain);
    return synth_make(v, 24, 0, 0);
}

// ---- shapes -------------------------------------------------------------------------------------

float synth_shape_pluck(int k, double t, const float* params) {
    const double bright = std::exp(-static_cast<double>(params[0]) * k * t);
    const double floor_share = static_cast<double>(params[1]);
    return static_cast<float>((bright * (1.0 - floor_share) + floor_share / k) / k);
}

float synth_shape_epiano(int k, double t, const float* params) {
    if (k == 1) return 1.0f;
    const double d = std::exp(-static_cast<double>(params[0]) * k * t);
    const double base = k == 2 ? 0.25 : (k == 3 ? 0.12 : 0.0);
    return static_cast<float>(base * std::exp(-t * 1.5) + 0.4 * d / k);
}

float synth_shape_swell(int k, double t, const float* params) {
    const double phase = std::sin(std::numbers::pi * std::min(1.0, t / static_cast<double>(params[0])));
    const double bright = 0.15 + 0.85 * phase;
    return static_cast<float>(std::pow(bright, 0.5 * (k - 1)) / k);
}

float synth_shape_square(int k, double, const float* params) {
    if (k % 2 == 1) return 1.0f / static_cast<float>(k);
    return params[0] / static_cast<float>(k);
}

float synth_shape_soft(int k, double, const float* params) {
    if (k == 1) return 1.0f;
    if (k == 2) return 0.5f * params[0];
    if (k == 3) return 0.25f * params[0];
    return 0.0f;
}

float synth_shape_saw(int k, double, const float*) { return 1.0f / static_cast<float>(k); }
