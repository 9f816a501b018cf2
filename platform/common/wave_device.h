// The wave-out device shared by the backends: header queue with loops, pause, position and the device
// thread that delivers completions. A backend adds how bytes leave the queue (an audio callback or a clock).
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/wave_out.h"

// What happened to a device's play clock; a backend whose position follows a clock of its own tracks these.
enum class wave_clock_event : uint8_t { first_write, pause, restart, reset };

// The calls a backend may refuse (a test device does, to exercise callers' error paths).
enum class wave_device_call : uint8_t { prepare, unprepare, write, position };

// Backend hooks, each called with the device lock held. Any of them may be null.
struct wave_device_hooks {
    void (*catch_up)(wave_out_device& device);  // moves the queue on to "now" (device thread, position reads)
    void (*clock)(wave_out_device& device, wave_clock_event event);
    MMRESULT (*refuse)(wave_device_call call);  // non-zero: the call fails with it (no lock held)
};

struct wave_out_device {
    std::mutex lock;
    std::condition_variable wake;  // the device thread waits on it for finished headers or closing
    WAVEFORMATEX format{};
    wave_out_proc callback = nullptr;
    uintptr_t instance = 0;
    wave_device_hooks hooks{};
    void* backend = nullptr;  // the backend's own record
    int poll_ms = 0;          // > 0: the device thread also wakes this often to call catch_up

    std::deque<WAVEHDR*> queue;     // written and not yet played through, in order
    std::deque<WAVEHDR*> finished;  // played through, completion not yet delivered
    size_t cursor = 0;              // header of queue being played; those before it wait for their loop
    uint32_t offset = 0;            // bytes of that header already played
    bool loop_active = false;
    size_t loop_begin = 0;
    uint32_t loops_left = 0;
    uint64_t loop_pass_bytes = 0;  // a loop pass that yields nothing ends the loop instead of spinning

    uint64_t played = 0;  // bytes handed out since the first write after open or reset
    bool started = false;
    bool paused = false;
    bool closing = false;
    bool delivering = false;  // the device thread is inside the completion function
    bool detached = false;    // closed from its own thread: the thread frees the device when it ends

    std::thread thread;
    std::thread::id thread_id;
};

// Checks the one PCM format the backends play: 16-bit signed, mono or stereo, 44100 Hz, consistent sizes.
MMRESULT wave_format_check(const WAVEFORMATEX* format);

// Checks waveOutOpen's arguments other than the format: device pointer, device id and callback flags.
MMRESULT wave_open_check(HWAVEOUT* device, uint32_t device_id, uint32_t flags);

// Makes a device, registers its handle and starts its thread (which first sends WOM_OPEN); null when out
// of memory or threads. Called by a backend's waveOutOpen once the output itself is ready.
HWAVEOUT wave_device_create(const WAVEFORMATEX& format, uintptr_t callback, uintptr_t instance, uint32_t flags,
                            const wave_device_hooks& hooks, void* backend, int poll_ms);

// First half of a close: fails with WAVERR_STILLPLAYING while headers are queued, else marks the device
// closing and unregisters the handle, after which no hook is called again. Called by waveOutClose.
MMRESULT wave_device_begin_close(HWAVEOUT device);
// Second half: the device thread delivers what is pending and WOM_CLOSE, then the device is freed (at
// once, or by its own thread when the close came from inside a completion).
void wave_device_finish_close(HWAVEOUT device);

// Copies up to size bytes of queued audio in order (nothing while paused), moving headers that end to the
// finished list and waking the device thread. Returns the bytes copied. Call with the device lock held.
size_t wave_device_pull(wave_out_device& device, uint8_t* out, size_t size);

// True when the handle names an open device.
bool wave_device_valid(HWAVEOUT device);

// Calls fn(device, arg) for every open device, under the registry lock (so a device cannot close meanwhile).
void wave_device_for_each(void (*fn)(wave_out_device& device, void* arg), void* arg);
