// wave_out.h on winmm against a fake winmm: a close returns only after the completion the system is
// still delivering on its own thread has returned (the players free headers right after it). (Calls on
// a device that never opened are met for real in the Wine run without a sound server.)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/system.h"
#include "platform/wave_out.h"
#include "platform/win32/win32_winmm.h"

// Real time for the close's wait.
double timer_seconds() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms > 0 ? ms : 0)); }

namespace {

// The fake system device. Like winmm, its close returns at once while its own thread may still be
// delivering the completion of the last header and then WOM_CLOSE.
struct fake_winmm_t {
    winmm_wave_proc proc = nullptr;
    uintptr_t instance = 0;
    void* last_header = nullptr;
    std::thread deliverer;
} fake_winmm;
}  // namespace

uint32_t winmm_wave_open(void** device, uint32_t, const void*, winmm_wave_proc proc, uintptr_t instance) {
    fake_winmm.proc = proc;
    fake_winmm.instance = instance;
    *device = &fake_winmm;
    proc(&fake_winmm, WOM_OPEN, instance, 0, 0);
    return 0;
}
uint32_t winmm_wave_prepare(void*, void*) { return 0; }
uint32_t winmm_wave_unprepare(void*, void*) { return 0; }
uint32_t winmm_wave_write(void*, void* header) { return fake_winmm.last_header = header, 0; }
uint32_t winmm_wave_pause(void*) { return 0; }
uint32_t winmm_wave_restart(void*) { return 0; }
uint32_t winmm_wave_reset(void*) { return 0; }
uint32_t winmm_wave_close(void*) {
    fake_winmm.deliverer = std::thread([] {
        fake_winmm.proc(&fake_winmm, WOM_DONE, fake_winmm.instance,
                        reinterpret_cast<uintptr_t>(fake_winmm.last_header), 0);
        fake_winmm.proc(&fake_winmm, WOM_CLOSE, fake_winmm.instance, 0, 0);
    });
    return 0;
}
uint32_t winmm_wave_position_bytes(void*, uint32_t* bytes) { return *bytes = 17640, 0; }
uint32_t winmm_wave_set_volume(void*, uint32_t) { return 0; }
uint32_t winmm_wave_error_text(uint32_t, char* text, uint32_t size) {
    return std::strncpy(text, "fake", size), 0;
}

namespace {

struct {
    std::vector<uint32_t> messages;
    std::atomic<bool> done_returned{false};
    HWAVEOUT device = nullptr;
} seen;

// A completion that takes its time over the last header, as a refill rendering eight frames does.
void slow_completion(HWAVEOUT device, uint32_t message, uintptr_t, uintptr_t, uintptr_t) {
    seen.messages.push_back(message);
    EXPECT_TRUE(message == WOM_OPEN || device == seen.device);  // our handle, not the system's
    if (message == WOM_DONE) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        seen.done_returned = true;
    }
}

const WAVEFORMATEX mono = {WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};

TEST(win32_wave_out, close_returns_after_the_last_completion_has_returned) {
    HWAVEOUT device = nullptr;
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &mono, reinterpret_cast<uintptr_t>(&slow_completion), 0,
                          CALLBACK_FUNCTION), MMSYSERR_NOERROR);
    seen.device = device;
    WAVEHDR header{};
    EXPECT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
    MMTIME time{};
    EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time), MMSYSERR_NOERROR);
    EXPECT_TRUE(time.wType == TIME_BYTES && time.cb == 17640u);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    // The header may be freed now: nothing is still looking at it.
    EXPECT_TRUE(seen.done_returned);
    fake_winmm.deliverer.join();
    EXPECT_EQ(seen.messages, (std::vector<uint32_t>{WOM_OPEN, WOM_DONE, WOM_CLOSE}));
}

}  // namespace
