// The SDL wave-out device on SDL's dummy driver: plays, completes, refills from its completions.
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

}  // namespace
