// The SDL wave-out device on SDL's dummy driver (plays, completes, refills from its completions)
// and on a driver that cannot open (a clean failure).
#include <cstdlib>

#include "tests/platform_wave/wave_test_support.h"

namespace {

TEST(WaveSdl, DummyDriverPlaysRefillsFromCompletionsAndCloses) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    refill_stream s;
    HWAVEOUT device = start_stream(s, 882);  // 20 ms each, paused before the first write
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(position(device), 0u);  // nothing handed out while paused
    EXPECT_EQ(s.refills.load(), 0);
    ASSERT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
    EXPECT_TRUE(wait_until([&] { return s.refills.load() >= 10; }));
    EXPECT_GE(position(device), 10u * 1764);
    EXPECT_FALSE(s.on_caller.load());
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.attached = false;
    }
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(position(device), 0u);
    for (const buffer& b : s.buffers) EXPECT_EQ(b.header.dwFlags & WHDR_INQUEUE, 0u);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST(WaveSdl, MissingDriverFailsCleanly) {
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    const MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL);
    EXPECT_TRUE(result == MMSYSERR_NODRIVER || result == MMSYSERR_BADDEVICEID) << result;
    EXPECT_EQ(device, nullptr);
    // A second try fails the same way: nothing was left half open.
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), result);
    f.nSamplesPerSec = 48000;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
}

}  // namespace
