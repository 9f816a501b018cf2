// SDL wave-out device: one SDL audio device per open, whose audio callback pulls the queued headers.
//
// SDL's callback only copies bytes under the device lock; the completions of headers it used up are
// delivered by the device's own thread, outside SDL's audio lock, because a completion function may
// write, prepare and unprepare on the device. The SDL device runs from open to close and plays silence
// while the queue is empty or paused, so no SDL call is ever made under the device lock (SDL's pause and
// close take the audio lock that its callback runs under).
#include <SDL.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/common/wave_device.h"

namespace {

// 256 frames (5.8 ms at 44100 Hz) per pull: the device reads this far ahead of what it plays, so it
// must stay well under a block of the module player's two-block ring of 884-frame blocks, which a
// thread polling every 5 ms refills; at 256 frames a refill has about 14 ms to spare even when the
// thread wakes late on a busy machine.
constexpr Uint16 sdl_wave_frames = 256;

struct sdl_wave_data {
    SDL_AudioDeviceID id = 0;
    std::atomic<wave_out_device*> device{nullptr};  // set before SDL starts calling back
};

// Serialises SDL's audio subsystem start and stop between opens and closes.
std::mutex sdl_wave_lock;

void SDLCALL sdl_wave_callback(void* user, Uint8* stream, int length) {
    auto* data = static_cast<sdl_wave_data*>(user);
    size_t size = length > 0 ? static_cast<size_t>(length) : 0;
    size_t filled = 0;
    if (wave_out_device* device = data->device.load()) {
        std::lock_guard<std::mutex> guard(device->lock);
        if (!device->closing) filled = wave_device_pull(*device, stream, size);
    }
    std::memset(stream + filled, 0, size - filled);
}

}  // namespace

MMRESULT waveOutOpen(HWAVEOUT* device, uint32_t device_id, const WAVEFORMATEX* format, uintptr_t callback,
                     uintptr_t instance, uint32_t flags) {
    if (MMRESULT bad = wave_open_check(device, device_id, flags)) return bad;
    if (MMRESULT bad = wave_format_check(format)) return bad;
    std::lock_guard<std::mutex> guard(sdl_wave_lock);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return MMSYSERR_NODRIVER;
    auto* data = new (std::nothrow) sdl_wave_data;
    if (!data) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return MMSYSERR_NOMEM;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format->nSamplesPerSec);
    want.format = AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(format->nChannels);
    want.samples = sdl_wave_frames;
    want.callback = sdl_wave_callback;
    want.userdata = data;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants, we always see our own format.
    data->id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (data->id == 0) {
        delete data;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return MMSYSERR_NODRIVER;
    }
    // SDL opens its device paused, so the callback cannot run before the device pointer is in place.
    HWAVEOUT made = wave_device_create(*format, callback, instance, flags, wave_device_hooks{}, data, 0);
    if (!made) {
        SDL_CloseAudioDevice(data->id);
        delete data;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return MMSYSERR_NOMEM;
    }
    data->device = made;
    SDL_PauseAudioDevice(data->id, 0);
    *device = made;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT device) {
    if (MMRESULT refused = wave_device_begin_close(device)) return refused;
    auto* data = static_cast<sdl_wave_data*>(device->backend);
    std::lock_guard<std::mutex> guard(sdl_wave_lock);
    // Stops SDL's audio thread; the device lock is not held, so a callback in progress can finish.
    SDL_CloseAudioDevice(data->id);
    wave_device_finish_close(device);
    delete data;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return MMSYSERR_NOERROR;
}
