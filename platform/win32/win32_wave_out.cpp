// wave_out.h on winmm: every call goes to the system; a handle is a small record around the system's
// device whose completion function counts the completions being delivered, so that waveOutClose can
// keep the promise the players build on (afterwards no completion runs), which winmm does not make.
#include <atomic>
#include <cstddef>
#include <new>

#include "platform/system.h"
#include "platform/wave_out.h"
#include "platform/win32/win32_winmm.h"

static_assert(sizeof(WAVEHDR) == winmm_wavehdr_size);
static_assert(offsetof(WAVEHDR, dwUser) == 16 && offsetof(WAVEHDR, dwFlags) == 24 && offsetof(WAVEHDR, lpNext) == 32);
static_assert(offsetof(WAVEFORMATEX, cbSize) == 16);

struct wave_out_device {
    void* system = nullptr;
    wave_out_proc callback = nullptr;
    uintptr_t instance = 0;
    std::atomic<int> delivering{0};         // completions inside the caller's function now
    std::atomic<bool> close_sent{false};    // WOM_CLOSE has been delivered
    std::atomic<bool> free_on_return{false};  // closed from inside its own completion
};

namespace {

// Set while this thread is inside a completion: a close from there must not wait for itself.
thread_local wave_out_device* completing = nullptr;

// How long a close waits for the system's last completion before it gives the record up anyway.
constexpr double close_wait_seconds = 2.0;

void completion(void*, uint32_t message, uintptr_t instance, uintptr_t param1, uintptr_t param2) {
    auto* device = reinterpret_cast<wave_out_device*>(instance);
    device->delivering.fetch_add(1);
    wave_out_device* outer = completing;
    completing = device;
    if (device->callback) device->callback(device, message, device->instance, param1, param2);
    completing = outer;
    if (message == WOM_CLOSE) device->close_sent.store(true);
    bool free_it = device->free_on_return.load() && message == WOM_CLOSE;
    device->delivering.fetch_sub(1);
    if (free_it) delete device;
}

}  // namespace

MMRESULT waveOutOpen(HWAVEOUT* device, uint32_t device_id, const WAVEFORMATEX* format, uintptr_t callback,
                     uintptr_t instance, uint32_t flags) {
    if (!device || !format) return MMSYSERR_INVALPARAM;
    if (flags != CALLBACK_NULL && flags != CALLBACK_FUNCTION) return MMSYSERR_INVALPARAM;
    auto* made = new (std::nothrow) wave_out_device;
    if (!made) return MMSYSERR_NOMEM;
    if (flags == CALLBACK_FUNCTION) {
        made->callback = reinterpret_cast<wave_out_proc>(callback);
        made->instance = instance;
    }
    // Our completion function is registered either way: it tells close when the last one has run.
    MMRESULT r = winmm_wave_open(&made->system, device_id, format, completion, reinterpret_cast<uintptr_t>(made));
    if (r != MMSYSERR_NOERROR) {
        delete made;
        return r;
    }
    *device = made;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t) {
    if (!device) return MMSYSERR_INVALHANDLE;
    return winmm_wave_prepare(device->system, header);
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t) {
    if (!device) return MMSYSERR_INVALHANDLE;
    return winmm_wave_unprepare(device->system, header);
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, uint32_t) {
    if (!device) return MMSYSERR_INVALHANDLE;
    return winmm_wave_write(device->system, header);
}

MMRESULT waveOutPause(HWAVEOUT device) { return device ? winmm_wave_pause(device->system) : MMSYSERR_INVALHANDLE; }

MMRESULT waveOutRestart(HWAVEOUT device) {
    return device ? winmm_wave_restart(device->system) : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutReset(HWAVEOUT device) { return device ? winmm_wave_reset(device->system) : MMSYSERR_INVALHANDLE; }

MMRESULT waveOutClose(HWAVEOUT device) {
    if (!device) return MMSYSERR_INVALHANDLE;
    if (completing == device) {
        // From inside its own completion: the record goes when WOM_CLOSE has come through.
        device->free_on_return.store(true);
        MMRESULT r = winmm_wave_close(device->system);
        if (r != MMSYSERR_NOERROR) device->free_on_return.store(false);
        return r;
    }
    MMRESULT r = winmm_wave_close(device->system);
    if (r != MMSYSERR_NOERROR) return r;
    // winmm may still be inside a completion on its own thread (the one that ran as the reset emptied
    // the queue): the caller frees the headers and buffers that completion is looking at once we return.
    double give_up = timer_seconds() + close_wait_seconds;
    while ((!device->close_sent.load() || device->delivering.load() != 0) && timer_seconds() < give_up) sleep_ms(1);
    if (device->delivering.load() == 0) delete device;  // else leaked: a completion that never returns holds it
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT device, MMTIME* time, uint32_t size) {
    if (!device) return MMSYSERR_INVALHANDLE;
    if (!time || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
    uint32_t bytes = 0;
    MMRESULT r = winmm_wave_position_bytes(device->system, &bytes);
    if (r == MMSYSERR_NOERROR) {
        time->wType = TIME_BYTES;
        time->cb = bytes;
    }
    return r;
}

namespace {
// The program's volume as last set; the system keeps its own per program, this answers waveOutGetVolume.
std::atomic<uint32_t> program_volume{0xFFFFFFFFu};
}  // namespace

MMRESULT waveOutSetVolume(HWAVEOUT device, uint32_t volume) {
    // Device 0's volume is the program's own on the systems this runs on; an open device is set too,
    // for drivers that keep one per device.
    MMRESULT r = winmm_wave_set_volume(nullptr, volume);
    if (device) {
        const MMRESULT own = winmm_wave_set_volume(device->system, volume);
        if (r != MMSYSERR_NOERROR) r = own;
    }
    if (r == MMSYSERR_NOERROR) program_volume.store(volume);
    return r;
}

MMRESULT waveOutGetVolume(HWAVEOUT, uint32_t* volume) {
    if (!volume) return MMSYSERR_INVALPARAM;
    *volume = program_volume.load();
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetErrorTextA(MMRESULT code, char* text, uint32_t size) {
    return winmm_wave_error_text(code, text, size);
}
