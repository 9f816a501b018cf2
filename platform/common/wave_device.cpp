// The wave-out calls that behave alike on every backend: header queue and loops, pause and restart, reset,
// position, error texts, and the device thread that delivers completions outside every audio lock.
//
// Sections: handle registry, checks, device thread, create and close, pulling audio, the wave-out calls,
// error texts.
#include "platform/common/wave_device.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The program's output volume (waveOutSetVolume): low word left, high word right.
std::atomic<uint32_t> output_volume{0xFFFFFFFFu};

// Scales the 16-bit samples of out by the volume; a pull always starts on a sample frame.
void apply_volume(const wave_out_device& d, uint8_t* out, size_t bytes) {
    const uint32_t volume = output_volume.load(std::memory_order_relaxed);
    if (volume == 0xFFFFFFFFu) return;
    const uint32_t gain[2] = {volume & 0xFFFFu, volume >> 16};
    const size_t channels = d.format.nChannels == 2 ? 2 : 1;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        int16_t sample;
        std::memcpy(&sample, out + i, 2);
        const uint32_t g = gain[(i / 2) % channels];
        sample = static_cast<int16_t>(static_cast<int32_t>(sample) * static_cast<int32_t>(g) / 65535);
        std::memcpy(out + i, &sample, 2);
    }
}

// Codes the system has that no caller of ours names; only their texts are needed.
constexpr MMRESULT wave_not_enabled = 3;
constexpr MMRESULT wave_not_supported = 8;
constexpr MMRESULT wave_bad_error_number = 9;
constexpr MMRESULT wave_invalid_flag = 10;
constexpr MMRESULT wave_handle_busy = 12;
constexpr MMRESULT wave_synchronous = 35;

constexpr uint32_t mix_rate = 44100;

// ---- handle registry ----

// Handles stay checkable after close, so a stale handle gets MMSYSERR_INVALHANDLE instead of freed memory.
struct wave_registry_t {
    std::mutex lock;
    std::vector<wave_out_device*> devices;
};
wave_registry_t wave_registry;

void registry_add(wave_out_device* device) {
    std::lock_guard<std::mutex> guard(wave_registry.lock);
    wave_registry.devices.push_back(device);
}

void registry_remove(wave_out_device* device) {
    std::lock_guard<std::mutex> guard(wave_registry.lock);
    auto& d = wave_registry.devices;
    d.erase(std::remove(d.begin(), d.end(), device), d.end());
}

void send(wave_out_device& device, uint32_t message, WAVEHDR* header) {
    if (device.callback)
        device.callback(&device, message, device.instance, reinterpret_cast<uintptr_t>(header), 0);
}

// ---- device thread ----

// Delivers completions in the order headers finished, with the device lock released around the completion
// function, so that the function may prepare, write and unprepare on this device.
void device_thread(wave_out_device* device) {
    wave_out_device& d = *device;
    send(d, WOM_OPEN, nullptr);
    std::unique_lock<std::mutex> held(d.lock);
    for (;;) {
        if (!d.closing && d.hooks.catch_up) d.hooks.catch_up(d);
        if (!d.finished.empty()) {
            WAVEHDR* header = d.finished.front();
            d.finished.pop_front();
            header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
            d.delivering = true;
            held.unlock();
            send(d, WOM_DONE, header);
            held.lock();
            d.delivering = false;
            continue;
        }
        if (d.closing) break;
        if (d.poll_ms > 0) d.wake.wait_for(held, std::chrono::milliseconds(d.poll_ms));
        else d.wake.wait(held);
    }
    bool free_self = d.detached;
    held.unlock();
    send(d, WOM_CLOSE, nullptr);
    if (free_self) delete device;
}

}  // namespace

// ---- checks ----

MMRESULT wave_format_check(const WAVEFORMATEX* f) {
    if (!f) return MMSYSERR_INVALPARAM;
    if (f->wFormatTag != WAVE_FORMAT_PCM || (f->nChannels != 1 && f->nChannels != 2) ||
        f->nSamplesPerSec != mix_rate || f->wBitsPerSample != 16)
        return WAVERR_BADFORMAT;
    uint32_t block = 2u * f->nChannels;
    if (f->nBlockAlign != block || f->nAvgBytesPerSec != mix_rate * block) return WAVERR_BADFORMAT;
    return MMSYSERR_NOERROR;
}

MMRESULT wave_open_check(HWAVEOUT* device, uint32_t device_id, uint32_t flags) {
    if (!device) return MMSYSERR_INVALPARAM;
    if (flags != CALLBACK_NULL && flags != CALLBACK_FUNCTION) return MMSYSERR_INVALPARAM;
    // Only the default device exists: the mapper, or device 0.
    if (device_id != WAVE_MAPPER && device_id != 0) return MMSYSERR_BADDEVICEID;
    return MMSYSERR_NOERROR;
}

bool wave_device_valid(HWAVEOUT device) {
    if (!device) return false;
    std::lock_guard<std::mutex> guard(wave_registry.lock);
    auto& d = wave_registry.devices;
    return std::find(d.begin(), d.end(), device) != d.end();
}

void wave_device_for_each(void (*fn)(wave_out_device& device, void* arg), void* arg) {
    std::lock_guard<std::mutex> guard(wave_registry.lock);
    for (wave_out_device* device : wave_registry.devices) fn(*device, arg);
}

// ---- create and close ----

HWAVEOUT wave_device_create(const WAVEFORMATEX& format, uintptr_t callback, uintptr_t instance, uint32_t flags,
                            const wave_device_hooks& hooks, void* backend, int poll_ms) {
    auto* device = new (std::nothrow) wave_out_device;
    if (!device) return nullptr;
    device->format = format;
    device->format.cbSize = 0;  // the extra bytes of a PCM format carry nothing
    if (flags == CALLBACK_FUNCTION) device->callback = reinterpret_cast<wave_out_proc>(callback);
    device->instance = instance;
    device->hooks = hooks;
    device->backend = backend;
    device->poll_ms = poll_ms;
    // Registered first, so that even WOM_OPEN's completion may use the handle; the thread takes the lock
    // only after this block, so it finds its own id set.
    registry_add(device);
    {
        std::lock_guard<std::mutex> guard(device->lock);
        try {
            device->thread = std::thread(device_thread, device);
        } catch (...) {
            device->thread = std::thread();
        }
        device->thread_id = device->thread.get_id();
    }
    if (!device->thread.joinable()) {
        registry_remove(device);
        delete device;
        return nullptr;
    }
    return device;
}

MMRESULT wave_device_begin_close(HWAVEOUT device) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    {
        std::lock_guard<std::mutex> guard(device->lock);
        if (!device->queue.empty()) return WAVERR_STILLPLAYING;
        device->closing = true;
    }
    registry_remove(device);
    return MMSYSERR_NOERROR;
}

void wave_device_finish_close(HWAVEOUT device) {
    {
        std::lock_guard<std::mutex> guard(device->lock);
        device->closing = true;
        if (std::this_thread::get_id() == device->thread_id) {
            // Closed from inside its own completion: the thread cannot wait for itself, so it frees the
            // device once the completion function has returned.
            device->detached = true;
            device->thread.detach();
            return;
        }
        device->wake.notify_all();
    }
    device->thread.join();
    delete device;
}

// ---- pulling audio ----

size_t wave_device_pull(wave_out_device& d, uint8_t* out, size_t size) {
    size_t copied = 0;
    bool ended = false;
    while (!d.paused && copied < size && d.cursor < d.queue.size()) {
        WAVEHDR* h = d.queue[d.cursor];
        if (d.offset == 0 && !d.loop_active && (h->dwFlags & WHDR_BEGINLOOP)) {
            d.loop_active = true;
            d.loop_begin = d.cursor;
            d.loops_left = std::max<uint32_t>(h->dwLoops, 1);
            d.loop_pass_bytes = 0;
        }
        // The length is read afresh each time; a header shortened while queued ends where it now ends.
        uint32_t length = h->lpData ? h->dwBufferLength : 0;
        size_t take = std::min<size_t>(length > d.offset ? length - d.offset : 0, size - copied);
        if (take > 0) {
            std::memcpy(out + copied, h->lpData + d.offset, take);
            copied += take;
            d.offset += static_cast<uint32_t>(take);
            d.played += take;
            if (d.loop_active) d.loop_pass_bytes += take;
        }
        if (d.offset < length) break;
        d.offset = 0;
        if (d.loop_active && (h->dwFlags & WHDR_ENDLOOP)) {
            if (d.loops_left > 1 && d.loop_pass_bytes > 0) {
                --d.loops_left;
                d.loop_pass_bytes = 0;
                d.cursor = d.loop_begin;
                continue;
            }
            d.loop_active = false;
        }
        ++d.cursor;
        if (!d.loop_active) {
            // Everything before the cursor is played and held by no loop: it is done.
            for (; d.cursor > 0; --d.cursor) {
                d.finished.push_back(d.queue.front());
                d.queue.pop_front();
            }
            ended = true;
        }
    }
    if (ended) d.wake.notify_all();
    apply_volume(d, out, copied);
    return copied;
}

// ---- the wave-out calls ----

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    if (!header->lpData && header->dwBufferLength > 0) return MMSYSERR_INVALPARAM;
    if (device->hooks.refuse) {
        if (MMRESULT refused = device->hooks.refuse(wave_device_call::prepare)) return refused;
    }
    std::lock_guard<std::mutex> guard(device->lock);
    if (device->closing) return MMSYSERR_INVALHANDLE;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    if (device->hooks.refuse) {
        if (MMRESULT refused = device->hooks.refuse(wave_device_call::unprepare)) return refused;
    }
    std::lock_guard<std::mutex> guard(device->lock);
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    if (device->hooks.refuse) {
        if (MMRESULT refused = device->hooks.refuse(wave_device_call::write)) return refused;
    }
    std::lock_guard<std::mutex> guard(device->lock);
    if (device->closing) return MMSYSERR_INVALHANDLE;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    header->lpNext = nullptr;
    device->queue.push_back(header);
    if (!device->started) {
        device->started = true;
        if (device->hooks.clock) device->hooks.clock(*device, wave_clock_event::first_write);
    }
    device->wake.notify_all();  // a clock-driven device may owe time that this header can fill at once
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPause(HWAVEOUT device) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> guard(device->lock);
    if (!device->paused) {
        if (device->hooks.catch_up && !device->closing) device->hooks.catch_up(*device);
        device->paused = true;
        if (device->hooks.clock && !device->closing) device->hooks.clock(*device, wave_clock_event::pause);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutRestart(HWAVEOUT device) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> guard(device->lock);
    if (device->paused) {
        device->paused = false;
        if (device->hooks.clock && !device->closing) device->hooks.clock(*device, wave_clock_event::restart);
        device->wake.notify_all();
    }
    return MMSYSERR_NOERROR;
}

// Every header still in the device, whether waiting, playing or awaiting its completion, is marked done
// under the lock, so the caller may unprepare and close as soon as reset returns. Their WOM_DONE
// completions are delivered on the calling thread before reset returns, in queue order. Reset never
// waits for the device thread, so it cannot deadlock on a lock the caller holds and a completion being
// delivered there wants; a completion function that takes such a lock itself should be detached first.
MMRESULT waveOutReset(HWAVEOUT device) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    std::vector<WAVEHDR*> returned;
    {
        std::lock_guard<std::mutex> guard(device->lock);
        wave_out_device& d = *device;
        returned.assign(d.finished.begin(), d.finished.end());
        returned.insert(returned.end(), d.queue.begin(), d.queue.end());
        d.finished.clear();
        d.queue.clear();
        d.cursor = 0;
        d.offset = 0;
        d.loop_active = false;
        d.loops_left = 0;
        d.loop_pass_bytes = 0;
        d.played = 0;
        d.started = false;
        for (WAVEHDR* h : returned) h->dwFlags = (h->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
        if (d.hooks.clock && !d.closing) d.hooks.clock(d, wave_clock_event::reset);
    }
    for (WAVEHDR* h : returned) send(*device, WOM_DONE, h);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT device, MMTIME* time, uint32_t size) {
    if (!wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    if (!time || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
    if (device->hooks.refuse) {
        if (MMRESULT refused = device->hooks.refuse(wave_device_call::position)) return refused;
    }
    std::lock_guard<std::mutex> guard(device->lock);
    if (device->hooks.catch_up && !device->closing) device->hooks.catch_up(*device);
    // Bytes is the one unit kept; a request for another gets bytes, with the type saying so.
    time->wType = TIME_BYTES;
    time->cb = static_cast<uint32_t>(device->played);
    return MMSYSERR_NOERROR;
}

// The volume is the program's, not one device's: the handle is only checked when one is given.
MMRESULT waveOutSetVolume(HWAVEOUT device, uint32_t volume) {
    if (device && !wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    output_volume.store(volume, std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetVolume(HWAVEOUT device, uint32_t* volume) {
    if (device && !wave_device_valid(device)) return MMSYSERR_INVALHANDLE;
    if (!volume) return MMSYSERR_INVALPARAM;
    *volume = output_volume.load(std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

// ---- error texts ----

MMRESULT waveOutGetErrorTextA(MMRESULT code, char* text, uint32_t size) {
    if (!text || size == 0) return MMSYSERR_INVALPARAM;
    const char* message = nullptr;
    switch (code) {
    case MMSYSERR_NOERROR: message = "The operation completed successfully."; break;
    case MMSYSERR_ERROR: message = "An unspecified error occurred in the sound device."; break;
    case MMSYSERR_BADDEVICEID: message = "The sound device number is out of range."; break;
    case wave_not_enabled: message = "The sound driver is not enabled."; break;
    case MMSYSERR_ALLOCATED: message = "The sound device is already in use by another program."; break;
    case MMSYSERR_INVALHANDLE: message = "The sound device handle is not valid (closed, or never opened)."; break;
    case MMSYSERR_NODRIVER: message = "No sound device or driver is available."; break;
    case MMSYSERR_NOMEM: message = "There is not enough memory for the sound device."; break;
    case wave_not_supported: message = "The sound device does not support this operation."; break;
    case wave_bad_error_number: message = "The error number is not one of the sound device's codes."; break;
    case wave_invalid_flag: message = "An invalid flag was passed to the sound device."; break;
    case MMSYSERR_INVALPARAM: message = "An invalid parameter was passed to the sound device."; break;
    case wave_handle_busy: message = "The sound device handle is busy on another thread."; break;
    case WAVERR_BADFORMAT: message = "The sound device cannot play this wave format."; break;
    case WAVERR_STILLPLAYING: message = "The sound buffer is still playing or queued."; break;
    case WAVERR_UNPREPARED: message = "The sound buffer has not been prepared."; break;
    case wave_synchronous: message = "The sound device is synchronous and cannot queue buffers."; break;
    default: break;
    }
    if (!message) {
        std::snprintf(text, size, "Unknown sound device error %u.", static_cast<unsigned>(code));
        return wave_bad_error_number;
    }
    std::snprintf(text, size, "%s", message);
    return MMSYSERR_NOERROR;
}
