// The SID tune stream: start, resume and stop a tune on the wave-out device, which plays two alternating
// buffers of eight 20 ms frames, each refilled on the device's completion thread; and the thin wave-out
// wrapper underneath, which records a failing prepare, unprepare or write for the "Error" message box.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/wave_out.h"
#include "sid/sid.h"

constexpr uint32_t sid_frame_samples = 882;                             // 20 ms at 44100 Hz
constexpr uint32_t sid_buffer_frames = 8;
constexpr uint32_t sid_buffer_samples = sid_frame_samples * sid_buffer_frames;  // 7056
constexpr uint32_t sid_buffer_bytes = sid_buffer_samples * 2;                 // 14112

// Called when the device has played a header: (device, header, argument).
using wave_handler = void (*)(HWAVEOUT device, WAVEHDR* header, uint32_t argument);

// The record a header's user value points at. Stop clears it from the main thread while the device's
// thread may be reading it, hence atomics.
struct wave_completion {
    std::atomic<wave_handler> handler;
    std::atomic<uint32_t> argument;
};

struct sid_player {
    sid_machine machine;
    HWAVEOUT device;  // null while no stream is open
    WAVEHDR* header_a;
    WAVEHDR* header_b;
    std::array<int16_t, sid_buffer_samples> buffer_a;
    std::array<int16_t, sid_buffer_samples> buffer_b;
    // Held by start, stop and every refill, so that no refill renders while a start reinitialises the
    // machine and none is still rendering when stop returns.
    std::mutex lock;
    // Texts of the wave-out failures not yet shown. A refill records them under the stream lock on the
    // device's thread; the boxes are shown on the main thread, where a modal box holds up nothing else.
    std::mutex error_lock;  // taken inside lock, never the other way round
    std::array<std::array<char, 256>, 8> error_texts;
    uint32_t error_count;  // a device that keeps failing fills the list; the rest are dropped
};

extern sid_player sid_player_state;

// ---- entry points (main thread) -----------------------------------------------------------------

// Stops any stream, loads the tune, runs init for song (zero-based) and queues 16 rendered frames on a
// new paused device. The intro calls it after sid_player_stop, followed by sid_player_resume.
void sid_player_start(const uint8_t* tune, uint16_t length, uint8_t song);
// Starts playback of the queued stream; nothing without an open device.
void sid_player_resume();
// Detaches the refills, resets and closes the device; harmless when nothing plays.
void sid_player_stop();
// Shows the "Error" box for each wave-out failure recorded since the last call, one after the other.
// Main thread only: start and stop call it themselves, the intro's frame loop once per frame.
void sid_player_show_errors();

// ---- stream internals ---------------------------------------------------------------------------

// Completion handler of both buffers: renders the next eight frames into the header's buffer and
// queues it again. Runs on the device's thread.
void sid_refill(HWAVEOUT device, WAVEHDR* header, uint32_t argument);

// ---- wave-out wrapper ---------------------------------------------------------------------------

// Opens the default device with a copy of the format and wave_callback; 0 on success, else a small code
// (-2 null argument, 1 allocated, 2 bad device, 3 no driver, 4 no memory, 5 bad format, 6 synchronous).
int wave_open(const WAVEFORMATEX* format, HWAVEOUT* device);
// Resets and closes the device (nothing for null); 0.
int wave_close(HWAVEOUT device);
// A zeroed header with its zeroed completion record in the user value; 0, or 4 without memory.
int wave_header_alloc(WAVEHDR** header);
// Releases a header made by wave_header_alloc (null is fine); only once its device is closed.
void wave_header_free(WAVEHDR* header);
// The three calls below record a failure of the device call for sid_player_show_errors.
// Points the header at the buffer and prepares it; 0, or 4 for a null header.
int wave_prepare(HWAVEOUT device, WAVEHDR* header, void* buffer, uint32_t length);
// Unprepares a prepared header; 0.
int wave_unprepare(HWAVEOUT device, WAVEHDR* header);
// Sets the header's completion handler and queues it; 0, or -2 for a null device or header.
int wave_write(HWAVEOUT device, WAVEHDR* header, wave_handler handler, uint32_t argument);
// Pause / restart playback; 1 on success, 0 on failure (no message).
int wave_pause(HWAVEOUT device);
int wave_restart(HWAVEOUT device);
// Detaches the header's completion handler so that its next completion does nothing; 0.
int wave_clear_handler(WAVEHDR* header);
// The device's completion function: calls the played header's handler for WOM_DONE.
void wave_callback(HWAVEOUT device, uint32_t message, uintptr_t instance, uintptr_t param1, uintptr_t param2);
