// The SDL wave-out device on SDL's dummy driver (plays, completes, loops, refills from its completions)
// and on a driver that cannot open (a clean failure).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/wave_out.h"

namespace {

WAVEFORMATEX pcm(uint16_t channels) {
    auto block = static_cast<uint16_t>(2 * channels);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, 44100, 44100u * block, block, 16, 0};
}

uint32_t position(HWAVEOUT device) {
    MMTIME t{TIME_BYTES, 0};
    EXPECT_EQ(waveOutGetPosition(device, &t, sizeof(MMTIME)), MMSYSERR_NOERROR);
    return t.cb;
}

template <typename Pred>
bool wait_until(Pred pred, double seconds = 10.0) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Two buffers that requeue themselves from their completions until told to stop.
struct stream {
    std::mutex lock;
    std::atomic<bool> attached{true};
    std::atomic<int> completions{0};
    std::atomic<bool> on_main_thread{false};
    std::thread::id main = std::this_thread::get_id();
    std::vector<char> data[2];
    WAVEHDR headers[2]{};
};

void stream_proc(HWAVEOUT device, uint32_t message, uintptr_t instance, uintptr_t param, uintptr_t) {
    auto* s = reinterpret_cast<stream*>(instance);
    if (message != WOM_DONE) return;
    auto* h = reinterpret_cast<WAVEHDR*>(param);
    if ((h->dwFlags & (WHDR_DONE | WHDR_INQUEUE)) != WHDR_DONE) ADD_FAILURE() << "flags " << h->dwFlags;
    if (std::this_thread::get_id() == s->main) s->on_main_thread = true;
    ++s->completions;
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->attached.load()) return;
    EXPECT_EQ(waveOutUnprepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutPrepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
}

TEST(WaveSdl, DummyDriverPlaysRefillsFromCompletionsAndCloses) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    stream s;
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    wave_out_proc fn = stream_proc;
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, reinterpret_cast<uintptr_t>(fn), reinterpret_cast<uintptr_t>(&s),
                          CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
    for (int i = 0; i < 2; ++i) {
        s.data[i].assign(1764, static_cast<char>(i + 1));  // 20 ms each
        s.headers[i].lpData = s.data[i].data();
        s.headers[i].dwBufferLength = 1764;
        ASSERT_EQ(waveOutPrepareHeader(device, &s.headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(device, &s.headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(position(device), 0u);  // paused before the first write: nothing handed out
    EXPECT_EQ(s.completions.load(), 0);
    ASSERT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
    EXPECT_TRUE(wait_until([&] { return s.completions.load() >= 10; }));
    EXPECT_GE(position(device), 10u * 1764);
    EXPECT_FALSE(s.on_main_thread.load());
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.attached = false;
    }
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(position(device), 0u);
    for (const WAVEHDR& h : s.headers) EXPECT_EQ(h.dwFlags & WHDR_INQUEUE, 0u);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST(WaveSdl, DummyDriverLoopsARingUntilReset) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(2);
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    std::vector<char> ring(7072);
    WAVEHDR h{};
    h.lpData = ring.data();
    h.dwBufferLength = 7072;
    ASSERT_EQ(waveOutPrepareHeader(device, &h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    h.dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
    h.dwLoops = 0xFFFFFFFFu;
    ASSERT_EQ(waveOutWrite(device, &h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_TRUE(wait_until([&] { return position(device) > 3 * 7072; }));
    EXPECT_EQ(h.dwFlags & (WHDR_INQUEUE | WHDR_DONE), WHDR_INQUEUE);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(h.dwFlags & (WHDR_INQUEUE | WHDR_DONE), WHDR_DONE);
    EXPECT_EQ(waveOutUnprepareHeader(device, &h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST(WaveSdl, MissingDriverFailsCleanly) {
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL);
    EXPECT_TRUE(result == MMSYSERR_NODRIVER || result == MMSYSERR_BADDEVICEID) << result;
    EXPECT_EQ(device, nullptr);
    char text[256];
    EXPECT_EQ(waveOutGetErrorTextA(result, text, sizeof text), MMSYSERR_NOERROR);
    // A second try fails the same way: nothing was left half open.
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), result);
    f.nSamplesPerSec = 48000;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
}

}  // namespace
