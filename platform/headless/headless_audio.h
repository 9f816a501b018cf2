// Control of the headless wave-out device for tests: what was played, how many devices were opened, and
// forced failures. Its position follows the virtual clock of platform/headless/headless.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/wave_out.h"

struct headless_audio_options {
    MMRESULT open_result = MMSYSERR_NOERROR;  // non-zero: waveOutOpen fails with it (MMSYSERR_NODRIVER: no device)
    MMRESULT prepare_result = MMSYSERR_NOERROR;    // non-zero: waveOutPrepareHeader fails with it
    MMRESULT unprepare_result = MMSYSERR_NOERROR;  // non-zero: waveOutUnprepareHeader fails with it
    MMRESULT write_result = MMSYSERR_NOERROR;      // non-zero: waveOutWrite fails with it
    size_t capture_limit = size_t{64} << 20;  // bytes kept per device; the position counts on past it
};

// Forgets closed devices and what they played and applies the options; devices still open keep playing,
// with their kept bytes cleared. Call at the start of a test.
void headless_audio_reset(const headless_audio_options& options = {});
// Changes the forced failures while devices run (e.g. to make a refill fail midway).
void headless_audio_set_failures(MMRESULT prepare_result, MMRESULT unprepare_result, MMRESULT write_result);
// Changes the forced open failure.
void headless_audio_set_open_result(MMRESULT open_result);
// Makes the next count waveOutGetPosition calls, on any device and thread, fail with MMSYSERR_ERROR.
void headless_audio_fail_positions(int count);
// How many of those forced failures have not happened yet.
int headless_audio_position_failures_left();

// Devices opened successfully since the reset, and how many of them are open now.
int headless_audio_opened();
int headless_audio_open_now();
// The bytes device n (0-based in open order since the reset; -1 = the last one) has played so far,
// across resets of the device, in order. Empty for an unknown device.
std::vector<uint8_t> headless_audio_played(int device = -1);
// The bytes every device since the reset played, one after the other in open order.
std::vector<uint8_t> headless_audio_played_all();
// The format device n was opened with (zeroed for an unknown device).
WAVEFORMATEX headless_audio_format(int device = -1);

// Waits in real time, at most max_seconds, until every open device has played as far as the virtual
// clock and its data allow and has delivered every completion, including what those completions queued.
// True when that state was reached. Call after moving the virtual clock.
bool headless_audio_settle(double max_seconds = 5.0);
