// The mixer's fast loops and PCM conversion: the plain loop's arithmetic, operation for operation, done
// several frames at a time; a baseline build and an AVX2 build chosen once from a processor check.
//
// Sections: scalar frames | baseline (SSE2) loops | AVX2 loops | tables | PCM conversion.
//
// Every value is formed exactly as the plain loop forms it (t = (fraction / 2) x 2^-31; s = a + (b - a) x t;
// out += s x gain; a ramp's gain grows by one single-precision add per frame), with separate multiplies and
// adds in the same order and no fused multiply-add, so the output is the same bit for bit. Lanes hold
// consecutive frames; positions are split into an integer part and a fraction with the carry between them.
#include "xm/xm_mix_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#define KV_INLINE_BODY inline __attribute__((always_inline))

namespace {

// ---- Scalar frames: the plain loop's arithmetic (tails of the vector loops, and processors without SSE2) ----

template <bool backward, bool ramp>
KV_INLINE_BODY void scalar_frames(const int16_t* data, uint64_t& position, uint64_t step, float& gl, float& gr,
                                  float sl, float sr, float* out, int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        auto p = static_cast<uint32_t>(position >> 32);
        float t = static_cast<float>(static_cast<uint32_t>(position) >> 1) * 0x1p-31f;
        float a = data[p];
        float value = a + (static_cast<float>(data[p + 1]) - a) * t;
        out[2 * k] += value * gl;
        out[2 * k + 1] += value * gr;
        if (ramp) {
            gl += sl;
            gr += sr;
        }
        position = backward ? position - step : position + step;
    }
}

template <bool backward, bool ramp>
void scalar_run(xm_run& r, float* out, int32_t count) {
    scalar_frames<backward, ramp>(r.data, r.position, r.step, r.left_gain, r.right_gain, r.left_step, r.right_step,
                                  out, count);
}

// Integer parts and fractions of j x step for the lanes j = 0 .. n - 1, the integer parts negated for
// backward runs, so that lane j's index from the run's current integer position is offset + carry.
template <bool backward>
void lane_offsets(uint64_t step, int n, int32_t* integer, int32_t* fraction) {
    for (int j = 0; j < n; ++j) {
        uint64_t o = step * static_cast<uint64_t>(j);
        auto hi = static_cast<uint32_t>(o >> 32);
        integer[j] = static_cast<int32_t>(backward ? 0u - hi : hi);
        fraction[j] = static_cast<int32_t>(static_cast<uint32_t>(o));
    }
}

#if defined(__SSE2__)

// A ramp's gains where the vector loop's lane pair (left, right, -, -) left them.
KV_INLINE_BODY void keep_ramp_gains(xm_run& r, __m128 pair) {
    alignas(16) float g[4];
    _mm_store_ps(g, pair);
    r.left_gain = g[0];
    r.right_gain = g[1];
}

// The frames after the last whole vector pass, one by one from frame k, and the position stored back.
template <bool backward, bool ramp>
KV_INLINE_BODY void finish_run(xm_run& r, uint64_t position, float* out, int32_t k, int32_t count) {
    scalar_frames<backward, ramp>(r.data, position, r.step, r.left_gain, r.right_gain, r.left_step, r.right_step,
                                  out + 2 * k, count - k);
    r.position = position;
}

// ---- Baseline (SSE2) loops: four frames per pass ----

template <bool backward, bool ramp>
void sse2_run(xm_run& r, float* out, int32_t count) {
    const int16_t* data = r.data;
    uint64_t position = r.position;
    const uint64_t step = r.step;
    int32_t k = 0;
    if (count >= 4) {
        alignas(16) int32_t oi[4], of[4];
        lane_offsets<backward>(step, 4, oi, of);
        const __m128i offset_int = _mm_load_si128(reinterpret_cast<const __m128i*>(oi));
        const __m128i offset_frac = _mm_load_si128(reinterpret_cast<const __m128i*>(of));
        const __m128i sign = _mm_set1_epi32(INT32_MIN);
        const __m128 scale = _mm_set1_ps(0x1p-31f);
        const uint64_t stride = 4 * step;
        __m128 gains = _mm_setr_ps(r.left_gain, r.right_gain, r.left_gain, r.right_gain);
        __m128 pair = _mm_setr_ps(r.left_gain, r.right_gain, 0.0f, 0.0f);
        const __m128 pair_step = _mm_setr_ps(r.left_step, r.right_step, 0.0f, 0.0f);
        for (; k + 4 <= count; k += 4) {
            const __m128i base_frac = _mm_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(position)));
            __m128i frac, carry;
            if (backward) {
                frac = _mm_sub_epi32(base_frac, offset_frac);  // borrow where frac > base (unsigned)
                carry = _mm_cmpgt_epi32(_mm_xor_si128(frac, sign), _mm_xor_si128(base_frac, sign));
            } else {
                frac = _mm_add_epi32(base_frac, offset_frac);  // carry where frac < base (unsigned)
                carry = _mm_cmpgt_epi32(_mm_xor_si128(base_frac, sign), _mm_xor_si128(frac, sign));
            }
            // carry is -1 where it applies: forward adds 1, backward takes 1 away.
            const __m128i index = backward ? _mm_add_epi32(offset_int, carry) : _mm_sub_epi32(offset_int, carry);
            const int16_t* base = data + (position >> 32);
            int32_t w[4];
            std::memcpy(&w[0], base + _mm_cvtsi128_si32(index), 4);
            std::memcpy(&w[1], base + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1)), 4);
            std::memcpy(&w[2], base + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 2)), 4);
            std::memcpy(&w[3], base + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 3)), 4);
            const __m128i pairs = _mm_setr_epi32(w[0], w[1], w[2], w[3]);  // data[p] low, data[p + 1] high
            const __m128 a = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16));
            const __m128 b = _mm_cvtepi32_ps(_mm_srai_epi32(pairs, 16));
            const __m128 t = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(frac, 1)), scale);
            const __m128 v = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), t));
            __m128 g0 = gains, g1 = gains;
            if (ramp) {
                const __m128 q1 = _mm_add_ps(pair, pair_step);
                const __m128 q2 = _mm_add_ps(q1, pair_step);
                const __m128 q3 = _mm_add_ps(q2, pair_step);
                g0 = _mm_movelh_ps(pair, q1);
                g1 = _mm_movelh_ps(q2, q3);
                pair = _mm_add_ps(q3, pair_step);
            }
            float* o = out + 2 * k;
            _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_mul_ps(_mm_unpacklo_ps(v, v), g0)));
            _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_mul_ps(_mm_unpackhi_ps(v, v), g1)));
            position = backward ? position - stride : position + stride;
        }
        if (ramp) keep_ramp_gains(r, pair);
    }
    finish_run<backward, ramp>(r, position, out, k, count);
}

#endif  // __SSE2__

// ---- AVX2 loops: eight frames per pass, one gather of (data[p], data[p + 1]) per frame ----

#if defined(KV_AVX2_PATHS)

template <bool backward, bool ramp>
__attribute__((target("avx2"))) void avx2_run(xm_run& r, float* out, int32_t count) {
    const int16_t* data = r.data;
    uint64_t position = r.position;
    const uint64_t step = r.step;
    int32_t k = 0;
    if (count >= 8) {
        alignas(32) int32_t oi[8], of[8];
        lane_offsets<backward>(step, 8, oi, of);
        const __m256i offset_int = _mm256_load_si256(reinterpret_cast<const __m256i*>(oi));
        const __m256i offset_frac = _mm256_load_si256(reinterpret_cast<const __m256i*>(of));
        const __m256i sign = _mm256_set1_epi32(INT32_MIN);
        const __m256 scale = _mm256_set1_ps(0x1p-31f);
        const uint64_t stride = 8 * step;
        const __m256 gains = _mm256_setr_ps(r.left_gain, r.right_gain, r.left_gain, r.right_gain, r.left_gain,
                                            r.right_gain, r.left_gain, r.right_gain);
        __m128 pair = _mm_setr_ps(r.left_gain, r.right_gain, 0.0f, 0.0f);
        const __m128 pair_step = _mm_setr_ps(r.left_step, r.right_step, 0.0f, 0.0f);
        for (; k + 8 <= count; k += 8) {
            const __m256i base_frac = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(position)));
            __m256i frac, carry;
            if (backward) {
                frac = _mm256_sub_epi32(base_frac, offset_frac);
                carry = _mm256_cmpgt_epi32(_mm256_xor_si256(frac, sign), _mm256_xor_si256(base_frac, sign));
            } else {
                frac = _mm256_add_epi32(base_frac, offset_frac);
                carry = _mm256_cmpgt_epi32(_mm256_xor_si256(base_frac, sign), _mm256_xor_si256(frac, sign));
            }
            const __m256i index =
                backward ? _mm256_add_epi32(offset_int, carry) : _mm256_sub_epi32(offset_int, carry);
            const int16_t* base = data + (position >> 32);
            const __m256i pairs = _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), index, 2);
            const __m256 a = _mm256_cvtepi32_ps(_mm256_srai_epi32(_mm256_slli_epi32(pairs, 16), 16));
            const __m256 b = _mm256_cvtepi32_ps(_mm256_srai_epi32(pairs, 16));
            const __m256 t = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srli_epi32(frac, 1)), scale);
            const __m256 v = _mm256_add_ps(a, _mm256_mul_ps(_mm256_sub_ps(b, a), t));
            // Frames 0-3 and 4-7, each value twice (left, right).
            const __m256 lo = _mm256_unpacklo_ps(v, v);  // 0 0 1 1 | 4 4 5 5
            const __m256 hi = _mm256_unpackhi_ps(v, v);  // 2 2 3 3 | 6 6 7 7
            const __m256 f0 = _mm256_permute2f128_ps(lo, hi, 0x20);
            const __m256 f1 = _mm256_permute2f128_ps(lo, hi, 0x31);
            __m256 g0 = gains, g1 = gains;
            if (ramp) {
                const __m128 q1 = _mm_add_ps(pair, pair_step);
                const __m128 q2 = _mm_add_ps(q1, pair_step);
                const __m128 q3 = _mm_add_ps(q2, pair_step);
                const __m128 q4 = _mm_add_ps(q3, pair_step);
                const __m128 q5 = _mm_add_ps(q4, pair_step);
                const __m128 q6 = _mm_add_ps(q5, pair_step);
                const __m128 q7 = _mm_add_ps(q6, pair_step);
                g0 = _mm256_set_m128(_mm_movelh_ps(q2, q3), _mm_movelh_ps(pair, q1));
                g1 = _mm256_set_m128(_mm_movelh_ps(q6, q7), _mm_movelh_ps(q4, q5));
                pair = _mm_add_ps(q7, pair_step);
            }
            float* o = out + 2 * k;
            _mm256_storeu_ps(o, _mm256_add_ps(_mm256_loadu_ps(o), _mm256_mul_ps(f0, g0)));
            _mm256_storeu_ps(o + 8, _mm256_add_ps(_mm256_loadu_ps(o + 8), _mm256_mul_ps(f1, g1)));
            position = backward ? position - stride : position + stride;
        }
        if (ramp) keep_ramp_gains(r, pair);
    }
    finish_run<backward, ramp>(r, position, out, k, count);
}

#endif  // KV_AVX2_PATHS

// ---- Tables ----

#if defined(__SSE2__)
constexpr xm_run_kernels baseline_set{sse2_run<false, false>, sse2_run<true, false>, sse2_run<false, true>,
                                      sse2_run<true, true>};
#else
constexpr xm_run_kernels baseline_set{scalar_run<false, false>, scalar_run<true, false>, scalar_run<false, true>,
                                      scalar_run<true, true>};
#endif

#if defined(KV_AVX2_PATHS)
constexpr xm_run_kernels avx2_set{avx2_run<false, false>, avx2_run<true, false>, avx2_run<false, true>,
                                  avx2_run<true, true>};
bool avx2_available() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
#else
constexpr const xm_run_kernels& avx2_set = baseline_set;
bool avx2_available() { return false; }
#endif

}  // namespace

const xm_run_kernels& xm_fast_kernels() { return avx2_available() ? avx2_set : baseline_set; }
const xm_run_kernels& xm_baseline_kernels() { return baseline_set; }
bool xm_avx2_kernels_available() { return avx2_available(); }

// ---- PCM conversion ----

void xm_to_pcm16_fast(int16_t* destination, const float* source, int32_t frames) {
    int32_t i = 0;
    const int32_t n = 2 * frames;
#if defined(__SSE2__)
    // Clipping before rounding gives the same values as rounding first: the bounds are integers. The
    // conversion rounds in the current mode (to nearest, halves to even), as nearbyint does.
    const __m128 low = _mm_set1_ps(-32768.0f), high = _mm_set1_ps(32767.0f);
    for (; i + 8 <= n; i += 8) {
        const __m128 a = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(source + i), low), high);
        const __m128 b = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(source + i + 4), low), high);
        const __m128i packed = _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), packed);
    }
#endif
    for (; i < n; ++i) {
        float r = std::clamp(std::nearbyint(source[i]), -32768.0f, 32767.0f);
        destination[i] = static_cast<int16_t>(r);
    }
}
