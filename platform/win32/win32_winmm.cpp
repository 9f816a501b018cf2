// winmm's wave-out calls behind plain types (see win32_winmm.h).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: mmsystem.h builds on its types.
#include <mmsystem.h>

#include <cstddef>

#include "platform/win32/win32_winmm.h"

static_assert(sizeof(WAVEHDR) == winmm_wavehdr_size);
static_assert(offsetof(WAVEHDR, dwUser) == 16 && offsetof(WAVEHDR, dwFlags) == 24 && offsetof(WAVEHDR, lpNext) == 32);
static_assert(offsetof(WAVEFORMATEX, cbSize) == 16);

namespace {
HWAVEOUT handle(void* device) { return static_cast<HWAVEOUT>(device); }
WAVEHDR* header_of(void* header) { return static_cast<WAVEHDR*>(header); }
}  // namespace

uint32_t winmm_wave_open(void** device, uint32_t device_id, const void* format, winmm_wave_proc proc,
                         uintptr_t instance) {
    HWAVEOUT opened = nullptr;
    MMRESULT r = waveOutOpen(&opened, device_id, static_cast<const WAVEFORMATEX*>(format),
                             reinterpret_cast<DWORD_PTR>(proc), instance, CALLBACK_FUNCTION);
    if (r == MMSYSERR_NOERROR) *device = opened;
    return r;
}

uint32_t winmm_wave_prepare(void* device, void* header) {
    return waveOutPrepareHeader(handle(device), header_of(header), sizeof(WAVEHDR));
}
uint32_t winmm_wave_unprepare(void* device, void* header) {
    return waveOutUnprepareHeader(handle(device), header_of(header), sizeof(WAVEHDR));
}
uint32_t winmm_wave_write(void* device, void* header) {
    return waveOutWrite(handle(device), header_of(header), sizeof(WAVEHDR));
}
uint32_t winmm_wave_pause(void* device) { return waveOutPause(handle(device)); }
uint32_t winmm_wave_restart(void* device) { return waveOutRestart(handle(device)); }
uint32_t winmm_wave_reset(void* device) { return waveOutReset(handle(device)); }
uint32_t winmm_wave_close(void* device) { return waveOutClose(handle(device)); }

uint32_t winmm_wave_position_bytes(void* device, uint32_t* bytes) {
    MMTIME time{};
    time.wType = TIME_BYTES;
    MMRESULT r = waveOutGetPosition(handle(device), &time, sizeof time);
    if (r == MMSYSERR_NOERROR) *bytes = time.wType == TIME_BYTES ? time.u.cb : 0;
    return r;
}

uint32_t winmm_wave_set_volume(void* device, uint32_t volume) { return waveOutSetVolume(handle(device), volume); }

uint32_t winmm_wave_error_text(uint32_t code, char* text, uint32_t size) { return waveOutGetErrorTextA(code, text, size); }
