// Shared helpers of the wave-out tests, for either backend: a mono device, counting buffers and a
// stream of two buffers that refill themselves from their completions as a streaming player does.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/wave_out.h"

inline WAVEFORMATEX pcm(uint16_t channels) {
    const auto block = static_cast<uint16_t>(2 * channels);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, 44100, 44100u * block, block, 16, 0};
}

inline HWAVEOUT open_device(wave_out_proc proc = nullptr, void* instance = nullptr) {
    HWAVEOUT device = nullptr;
    const WAVEFORMATEX format = pcm(1);
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<uintptr_t>(proc),
                          reinterpret_cast<uintptr_t>(instance), proc ? CALLBACK_FUNCTION : CALLBACK_NULL),
              MMSYSERR_NOERROR);
    return device;
}

// A header over bytes counting up from first, so that order, gaps and repeats show in what was played.
struct buffer {
    std::vector<char> bytes;
    WAVEHDR header{};
    buffer(size_t size, uint8_t first, uint32_t loop_flags = 0, uint32_t loops = 0) : bytes(size) {
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(first + i);
        header = {bytes.data(), static_cast<uint32_t>(size), 0, 0, loop_flags, loops, nullptr, 0};
    }
};

inline void queue(HWAVEOUT device, buffer& b) {
    ASSERT_EQ(waveOutPrepareHeader(device, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
}

// Polls pred every millisecond for up to ten seconds; whether it came true.
template <typename Pred> bool wait_until(Pred pred) {
    for (int ms = 0; ms < 10000 && !pred(); ++ms) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return pred();
}

inline uint32_t position(HWAVEOUT device) {
    MMTIME t{TIME_BYTES, 0};
    EXPECT_EQ(waveOutGetPosition(device, &t, sizeof(MMTIME)), MMSYSERR_NOERROR);
    return t.cb;
}

inline std::vector<uint8_t> concat(std::initializer_list<const buffer*> parts) {
    std::vector<uint8_t> out;
    for (const buffer* b : parts) out.insert(out.end(), b->bytes.begin(), b->bytes.end());
    return out;
}

// Two alternating buffers, each refilled and requeued from its own completion.
struct refill_stream {
    std::mutex lock;  // held by refills and by stop, as the player's own lock would be
    std::atomic<bool> attached{true}, in_refill{false}, on_caller{false};
    std::atomic<int> refills{0};
    std::thread::id caller = std::this_thread::get_id();
    std::vector<buffer> buffers;
};

inline void refill(HWAVEOUT device, uint32_t message, uintptr_t instance, uintptr_t param, uintptr_t) {
    auto* s = reinterpret_cast<refill_stream*>(instance);
    if (message != WOM_DONE || !s->attached.load()) return;
    auto* h = reinterpret_cast<WAVEHDR*>(param);
    EXPECT_EQ(h->dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    if (std::this_thread::get_id() == s->caller) s->on_caller = true;
    s->in_refill = true;
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->attached.load()) return;
    EXPECT_EQ(waveOutUnprepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutPrepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ++s->refills;
}

// Opens a mono device paused and queues both buffers of the given number of samples.
inline HWAVEOUT start_stream(refill_stream& s, size_t samples_per_buffer) {
    HWAVEOUT device = open_device(refill, &s);
    EXPECT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
    s.buffers.reserve(2);
    for (uint8_t i = 0; i < 2; ++i) queue(device, s.buffers.emplace_back(2 * samples_per_buffer, i));
    return device;
}
