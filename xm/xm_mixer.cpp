// The mixer and output thread: voice updates, the interpolating mixer with volume ramps and partner
// voices, block mixing with sample-exact tick placement, PCM conversion, start, teardown and the thread.
//
// Sections: tempo | voice update | mixing loops | xm_mix | blocks | start and teardown | output thread.
#include "xm/xm_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/system.h"
#include "xm/xm_mix_kernels.h"

// ---- Tempo ----

void xm_set_bpm(xm_song* song, int32_t bpm) {
    if (!song) return;
    // Below 32 a tick grows past the block sizes the player is built for; 0 would divide by zero.
    bpm = std::clamp(bpm, 32, 255);
    song->bpm = bpm;
    double frames = 1000.0 / (bpm * static_cast<double>(0.4f)) * xm_mix_rate * static_cast<double>(0.001f);
    song->samples_per_tick = static_cast<int32_t>(frames);
}

// ---- Voice update ----

namespace {

xm_voice& partner_of(const xm_voice& v) {
    int32_t partner = v.index < 32 ? v.index + 32 : v.index - 32;
    return xm_player_state.voices[static_cast<size_t>(partner)];
}

void set_targets(xm_voice& v) {
    v.left_target = v.volume * v.panning / 255;
    v.right_target = (255 - v.panning) * v.volume / 255;
}

}  // namespace

void xm_update_voice(xm_channel& ch, const xm_sample* sample, xm_song* song) {
    xm_voice* v = ch.voice;
    if (!v || !song) return;
    if (int64_t{ch.period} + ch.period_delta == 0) ch.update_flags &= static_cast<uint8_t>(~xm_flag_frequency);
    uint8_t flags = ch.update_flags;

    if (flags & xm_flag_trigger) {
        if (v->sample) {
            // The old note fades out on this voice while the new one fades in on the partner.
            xm_voice& w = partner_of(*v);
            int32_t index = w.index;
            w = *v;
            w.index = index;
            v->volume = 0;
            v->left_target = 0;
            v->right_target = 0;
            ch.voice = &w;
            v = &w;
        }
        v->sample = sample;
        uint64_t loop_end = uint64_t{sample->loop_start} + sample->loop_length;
        if (v->start_offset >= loop_end) v->start_offset = 0;
        v->position_int = v->start_offset;
        v->position_frac = 0;
        v->direction = 1;
        v->start_offset = 0;
        v->left_level = 0;
        v->right_level = 0;
        v->ramp_frames_left = 0;
    }
    if (flags & xm_flag_volume) {
        double product = static_cast<double>(ch.volume + ch.volume_delta) * ch.volume_envelope.output *
                         ch.fadeout * song->global_volume;
        int32_t vol = static_cast<int32_t>(product * static_cast<double>(7.4214768e-9f));
        v->volume = std::clamp(vol, 0, 127);
        set_targets(*v);
    }
    if (flags & xm_flag_panning) {
        int32_t pan = ch.panning;
        int32_t p = ((128 - std::abs(pan - 128)) / 32) * (ch.panning_envelope.output - 32) + pan;
        v->panning = std::clamp(p, 0, 255);
        set_targets(*v);
    }
    if (flags & xm_flag_frequency) {
        double f;
        if (song->flags & 1) {
            f = std::trunc(8363.0 * std::pow(2.0, (4608.0 - ch.period + ch.period_delta) *
                                                      static_cast<double>(0.0013020834f)));
        } else {
            f = static_cast<double>(14317056 / (int64_t{ch.period} + ch.period_delta));
        }
        // Very high frequencies (periods slid far below the table) are held at 2^31 - 1 Hz.
        f = std::clamp(f, 100.0, 2147483647.0);
        auto hz = static_cast<uint32_t>(f);
        v->step_int = hz / xm_mix_rate;
        v->step_frac = static_cast<uint32_t>((uint64_t{hz % xm_mix_rate} << 32) / xm_mix_rate);
    }
    if (flags & xm_flag_restart) {
        v->position_int = 0;
        v->position_frac = 0;
        v->start_offset = 0;
    }
}

// ---- Mixing loops ----

namespace {

struct segment {
    const int16_t* data;
    uint64_t position;
    uint64_t step;
    bool backward;
    float left_gain, right_gain;
    float left_step, right_step;
};

inline float interpolate(const int16_t* data, uint64_t position) {
    auto p = static_cast<uint32_t>(position >> 32);
    float t = static_cast<float>(static_cast<uint32_t>(position) >> 1) * 0x1p-31f;
    float a = data[p];
    return a + (static_cast<float>(data[p + 1]) - a) * t;
}

// The plain loop, the reference for the fast loops of xm_mix_kernels.cpp: one frame per pass, gains
// grow by their steps during a ramp.
void mix_plain(segment& s, float* out, int32_t count, bool ramp) {
    for (int32_t k = 0; k < count; ++k) {
        float value = interpolate(s.data, s.position);
        out[2 * k] += value * s.left_gain;
        out[2 * k + 1] += value * s.right_gain;
        if (ramp) {
            s.left_gain += s.left_step;
            s.right_gain += s.right_step;
        }
        s.position = s.backward ? s.position - s.step : s.position + s.step;
    }
}

constexpr uint64_t one_unit = 1;  // 2^-32 of a sample value in 32.32

// Brings a position that crossed a loop boundary back inside the loop; false when the sample ends.
// before and traveled describe the segment just mixed, so a backward move that went below 0 (and
// wrapped in the unsigned position) is still measured correctly.
bool wrap_position(xm_voice& v, uint64_t& position, uint64_t before, uint64_t traveled) {
    const xm_sample& s = *v.sample;
    const uint64_t start = uint64_t{s.loop_start} << 32;
    const uint64_t length = uint64_t{s.loop_length} << 32;
    const uint64_t end = start + length;
    if (s.loop_kind == xm_loop_forward) {
        if (position >= end) position -= ((position - end) / length + 1) * length;
        return true;
    }
    if (s.loop_kind == xm_loop_pingpong) {
        // Reflections at E and S (2E - p - 2^-32, 2S - p - 2^-32) repeat every twice the loop length,
        // so one reduction finds where any number of them ends.
        const uint64_t period = 2 * length;
        if (v.direction == 1) {
            if (position < end) return true;
            uint64_t over = (position - end) % period;
            if (over < length) {
                position = end - over - one_unit;
                v.direction = 2;
            } else {
                position = start + (over - length);
            }
        } else {
            uint64_t under;  // how far below the loop start the move ended, in units
            if (before >= start) {
                if (traveled <= before - start) return true;
                under = traveled - (before - start);
            } else {
                under = (start - before) + traveled;
            }
            uint64_t w = (under - one_unit) % period;
            if (w < length) {
                position = start + w;
                v.direction = 1;
            } else {
                position = end - (w - length) - one_unit;
            }
        }
        return true;
    }
    v.sample = nullptr;
    position = 0;
    return false;
}

void mix_voice(xm_voice& v, float* out, int32_t frames) {
    auto& st = xm_player_state;
    int32_t done = 0;
    uint64_t position = (uint64_t{v.position_int} << 32) | v.position_frac;
    while (done < frames && v.sample) {
        const xm_sample& smp = *v.sample;
        int32_t count = frames - done;
        bool boundary = false;
        const uint64_t step = (uint64_t{v.step_int} << 32) | v.step_frac;

        // Frames until the position crosses the next loop boundary or the sample end.
        uint64_t distance;
        if (v.direction == 1) {
            uint64_t end = (uint64_t{smp.loop_start} + smp.loop_length) << 32;
            if (position > end && uint64_t{smp.length} << 32 > position) end = uint64_t{smp.length} << 32;
            distance = end > position ? end - position : 0;
        } else {
            // Measured to the first position below the loop start, so that landing exactly on the
            // start still counts as inside and a segment always makes progress.
            uint64_t start = uint64_t{smp.loop_start} << 32;
            distance = position >= start ? position - start + one_unit : 0;
        }
        {
            // Always computed, as a full 64-bit quotient: it cannot overflow for long samples played
            // slowly, and a fast voice near the end of a very long sample still stops at its end.
            uint64_t divisor = step != 0 ? step : 0x017C6F8Cu;
            uint64_t n = distance / divisor + (distance % divisor != 0 ? 1 : 0);
            if (n <= static_cast<uint64_t>(count)) {
                count = static_cast<int32_t>(n);
                boundary = true;
            }
        }

        // Ramp towards the targets: continue the running one, or start a new one when they moved.
        bool ramp = false;
        if (v.ramp_frames_left != 0 && v.left_target == v.last_left_target && v.right_target == v.last_right_target) {
            ramp = true;
        } else {
            v.last_left_target = v.left_target;
            v.last_right_target = v.right_target;
            int32_t dl = v.left_target - v.left_level / 256;
            int32_t dr = v.right_target - v.right_level / 256;
            v.left_step = dl != 0 ? static_cast<float>(dl) / 255.0f * st.ramp_factor : 0.0f;
            v.right_step = dr != 0 ? static_cast<float>(dr) / 255.0f * st.ramp_factor : 0.0f;
            if (dl != 0 || dr != 0) {
                ramp = true;
                v.ramp_frames_left = st.ramp_frames;
            } else {
                v.ramp_frames_left = 0;
            }
        }
        bool ramp_shortened = false;
        if (ramp && v.ramp_frames_left < count) {
            count = v.ramp_frames_left;
            ramp_shortened = true;
            boundary = false;
        }

        const uint64_t before = position;
        segment s{};
        s.data = smp.data.empty() ? nullptr : smp.data.data();
        s.position = position;
        s.step = step;
        s.backward = v.direction == 2;
        if (ramp) {
            s.left_gain = static_cast<float>(v.left_level) / 256.0f / 255.0f;
            s.right_gain = static_cast<float>(v.right_level) / 256.0f / 255.0f;
            s.left_step = v.left_step;
            s.right_step = v.right_step;
        } else {
            s.left_gain = static_cast<float>(v.left_target) / 255.0f;
            s.right_gain = static_cast<float>(v.right_target) / 255.0f;
        }
        if (count > 0 && s.data) {
            float* dst = out + 2 * done;
            if (st.mix_plain_only) {
                mix_plain(s, dst, count, ramp);
            } else if (!ramp && v.left_target == 0 && v.right_target == 0) {
                // A faded-out voice runs on silently (its loop keeps moving) until it is taken again:
                // only its position needs to move.
                s.position = s.backward ? s.position - step * static_cast<uint64_t>(count)
                                        : s.position + step * static_cast<uint64_t>(count);
            } else {
                const xm_run_kernels& k = st.mix_baseline_only ? xm_baseline_kernels() : xm_fast_kernels();
                xm_run run{s.data, s.position, step, s.left_gain, s.right_gain, s.left_step, s.right_step};
                xm_run_fn fn = ramp ? (s.backward ? k.ramp_backward : k.ramp_forward)
                                    : (s.backward ? k.steady_backward : k.steady_forward);
                fn(run, dst, count);
                s.position = run.position;
                s.left_gain = run.left_gain;
                s.right_gain = run.right_gain;
            }
        }
        position = s.position;
        done += count;

        if (ramp) {
            v.left_level = static_cast<int32_t>(std::nearbyint(s.left_gain * 255.0f * 256.0f));
            v.right_level = static_cast<int32_t>(std::nearbyint(s.right_gain * 255.0f * 256.0f));
            v.ramp_frames_left -= count;
            if (v.ramp_frames_left == 0) {
                v.left_step = 0.0f;
                v.right_step = 0.0f;
                v.left_level = v.left_target * 256;
                v.right_level = v.right_target * 256;
            }
            if (ramp_shortened) continue;
        }
        if (!boundary) break;
        if (!wrap_position(v, position, before, step * static_cast<uint64_t>(count))) break;
    }
    v.position_int = static_cast<uint32_t>(position >> 32);
    v.position_frac = static_cast<uint32_t>(position);
}

}  // namespace

void xm_mix(float* out, int32_t frames) {
    if (frames < 1 || !out) return;
    for (auto& v : xm_player_state.voices) {
        if (v.sample) mix_voice(v, out, frames);
    }
}

// ---- Blocks ----

void xm_to_pcm16(int16_t* destination, const float* source, int32_t frames) {
    for (int32_t i = 0; i < 2 * frames; ++i) {
        float r = std::nearbyint(source[i]);
        r = std::clamp(r, -32768.0f, 32767.0f);
        destination[i] = static_cast<int16_t>(r);
    }
}

void xm_mix_block() {
    auto& st = xm_player_state;
    xm_song* song = st.playing_song;
    if (!song || !st.mix || st.ring.empty()) return;
    const size_t base = static_cast<size_t>(st.write_block) * static_cast<size_t>(st.block_frames) * 2;
    float* block = st.mix.get() + base;
    std::fill(block, block + 2 * st.block_frames, 0.0f);

    int32_t done = 0;
    int32_t left = song->samples_left_in_tick;
    while (done < st.block_frames) {
        if (left <= 0) {
            song->tick_function(song);
            left = std::max(song->samples_per_tick, 1);
        }
        int32_t n = std::min(left, st.block_frames - done);
        xm_mix(block + 2 * done, n);
        done += n;
        left -= n;
        song->elapsed_ms += static_cast<uint32_t>(n * static_cast<double>(st.frame_time) * 1000.0);
    }
    xm_block_info& info = st.block_info[static_cast<size_t>(st.write_block)];
    info.order_position.store(static_cast<uint8_t>(song->order_position), std::memory_order_relaxed);
    info.row.store(static_cast<uint8_t>(song->row), std::memory_order_relaxed);
    info.elapsed_ms.store(song->elapsed_ms, std::memory_order_relaxed);
    song->samples_left_in_tick = left;
    if (st.mix_plain_only) xm_to_pcm16(st.ring.data() + base, block, st.block_frames);
    else xm_to_pcm16_fast(st.ring.data() + base, block, st.block_frames);
    st.write_block += 1;
    if (st.write_block >= st.blocks) st.write_block = 0;
}

// ---- Start and teardown ----

namespace {

void teardown() {
    auto& st = xm_player_state;
    st.stop_requested.store(1);
    while (st.mixing_busy.load()) std::this_thread::yield();
    if (st.thread) {
        // Joining (rather than polling thread_finished alone) also orders the thread's last writes
        // before the frees below.
        thread_join(st.thread);
        st.thread = nullptr;
    }
    st.mix.reset();
    if (st.device_open) {
        waveOutReset(st.device);
        if (st.header_prepared) waveOutUnprepareHeader(st.device, &st.header, sizeof(WAVEHDR));
    }
    st.header_prepared = false;
    st.header = WAVEHDR{};
    st.ring.clear();
    st.ring.shrink_to_fit();
    st.playing_song = nullptr;
    st.block_info.reset();
    if (st.device_open) waveOutClose(st.device);
    st.device_open = false;
    st.device = nullptr;
    st.write_block = 0;
    st.heard_block.store(0);
}

}  // namespace

bool xm_stop_song(xm_song* song) {
    if (!song) return false;
    teardown();
    return true;
}

bool xm_prepare_song(xm_song* song) {
    auto& st = xm_player_state;
    // Without a tick function the mixer would call through a null reference.
    if (!song || !song->tick_function) return false;
    teardown();
    if (!xm_io_complete()) return false;

    st.block_frames = (xm_mix_rate * 20 / 1000 + 3) & ~3;
    st.ring_frames = 2 * (xm_latency_setting / 1000) * st.block_frames;
    st.blocks = st.ring_frames / st.block_frames;
    st.ramp_frames = xm_mix_rate * 128 / 44100;
    st.ramp_factor = 1.0f / static_cast<float>(st.ramp_frames);
    st.frame_time = 1.0f / static_cast<float>(xm_mix_rate);

    for (int32_t i = 0; i < xm_voice_count; ++i) {
        st.voices[static_cast<size_t>(i)] = xm_voice{};
        st.voices[static_cast<size_t>(i)].index = i;
        st.voices[static_cast<size_t>(i)].direction = 1;
    }

    song->global_volume = song->initial_global_volume;
    song->next_row = -1;
    song->next_order_position = -1;
    song->speed = song->default_tempo;
    song->row = 0;
    song->order_position = 0;
    song->samples_left_in_tick = 0;
    song->tick_counter = 0;
    song->pattern_delay_ticks = 0;
    song->elapsed_ms = 0;
    xm_set_bpm(song, song->default_bpm);

    for (int32_t i = 0; i < xm_max_channels; ++i) {
        st.channels[static_cast<size_t>(i)] = xm_channel{};
        st.channels[static_cast<size_t>(i)].voice = &st.voices[static_cast<size_t>(i)];
    }

    st.playing_song = song;
    st.block_info = std::make_unique<xm_block_info[]>(static_cast<size_t>(st.blocks));
    st.ring.assign(static_cast<size_t>(st.ring_frames) * 2, 0);
    st.mix = std::make_unique<float[]>(static_cast<size_t>(st.ring_frames) * 2);
    st.write_block = 0;
    st.heard_block.store(0);
    st.position_last = 0;
    st.position_bytes = 0;
    return true;
}

bool xm_start_song(xm_song* song) {
    auto& st = xm_player_state;
    if (!xm_prepare_song(song)) return false;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = xm_mix_rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = xm_mix_rate * 4;
    format.cbSize = 0;
    if (waveOutOpen(&st.device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        st.device = nullptr;
        return false;
    }
    st.device_open = true;

    st.header = WAVEHDR{};
    st.header.lpData = reinterpret_cast<char*>(st.ring.data());
    st.header.dwBufferLength = static_cast<uint32_t>(st.ring.size() * sizeof(int16_t));
    st.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    st.header.dwLoops = 0xFFFFFFFFu;
    if (waveOutPrepareHeader(st.device, &st.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
    st.header_prepared = true;

    do {
        xm_mix_block();
    } while (st.write_block != 0);

    if (waveOutWrite(st.device, &st.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
    st.stop_requested.store(0);
    // Set before the thread exists so that a stop right after start cannot miss a running thread.
    st.thread_finished.store(0);
    st.thread = thread_start(xm_output_thread, nullptr);
    if (!st.thread) {
        st.thread_finished.store(1);
        teardown();
        return false;
    }
    thread_raise_priority(st.thread);  // falls back silently to normal priority
    return true;
}

// ---- Output thread ----

void xm_output_thread(void*) {
    auto& st = xm_player_state;
    st.thread_finished.store(0);
    while (!st.stop_requested.load()) {
        MMTIME time{};
        time.wType = TIME_BYTES;
        // The device counts bytes in 32 bits; extend to 64 so the ring phase survives the wrap. A failed
        // read (or one in another unit) keeps the last position: taken as 0 it would add 2^32 bytes and
        // leave the ring 64 frames out of phase for the rest of the song.
        if (waveOutGetPosition(st.device, &time, sizeof(MMTIME)) == MMSYSERR_NOERROR && time.wType == TIME_BYTES) {
            st.position_bytes += static_cast<uint32_t>(time.cb - st.position_last);
            st.position_last = time.cb;
        }
        uint64_t frames = st.position_bytes / 4;
        auto playing = static_cast<int32_t>((frames % static_cast<uint64_t>(st.ring_frames)) /
                                            static_cast<uint64_t>(st.block_frames));
        while (st.write_block != playing && !st.stop_requested.load()) {
            st.mixing_busy.store(1);
            xm_mix_block();
            int32_t heard = st.heard_block.load(std::memory_order_relaxed) + 1;
            st.heard_block.store(heard >= st.blocks ? 0 : heard);
            st.mixing_busy.store(0);
        }
        sleep_ms(5);
    }
    st.thread_finished.store(1);
}
