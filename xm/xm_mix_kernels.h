// The mixer's fast loops: interpolated runs of one voice added into interleaved stereo floats, and the
// PCM conversion, with a baseline build and (on x86-64 outside Windows) an AVX2 build picked at run time.
#pragma once
#include <cstdint>

// One run of a voice: frames that cross no loop boundary and in which the ramp (if any) does not end.
struct xm_run {
    const int16_t* data;
    uint64_t position;  // 32.32, moved on by the run
    uint64_t step;      // 32.32 values per frame
    float left_gain, right_gain;  // moved on by the ramp loops
    float left_step, right_step;  // per frame during a ramp
};

// Mixes count frames of a run into out (2 x count floats).
using xm_run_fn = void (*)(xm_run& run, float* out, int32_t count);

// The four loops of one build: steady gains or ramping gains, moving forward or backward.
struct xm_run_kernels {
    xm_run_fn steady_forward;
    xm_run_fn steady_backward;
    xm_run_fn ramp_forward;
    xm_run_fn ramp_backward;
};

// The loops for this processor: the AVX2 build where it runs and is built, else the baseline.
const xm_run_kernels& xm_fast_kernels();
// The baseline build, on every processor (tests hold it equal to the plain loop too).
const xm_run_kernels& xm_baseline_kernels();
// True when the AVX2 build exists and the processor runs it.
bool xm_avx2_kernels_available();
// The vectorised xm_to_pcm16: rounds halves to even and clips 2 x frames values into 16-bit PCM.
void xm_to_pcm16_fast(int16_t* destination, const float* source, int32_t frames);
