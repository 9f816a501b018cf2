// winmm's wave-out calls behind plain types, so that the file implementing wave_out.h on them need not
// see the system's headers (whose record and constant names wave_out.h itself uses).
#pragma once
#include <cstdint>

// The system's completion function shape (x64 has one calling convention, so ours matches).
using winmm_wave_proc = void (*)(void* device, uint32_t message, uintptr_t instance, uintptr_t param1,
                                 uintptr_t param2);

// waveOutOpen with a completion function (CALLBACK_FUNCTION).
uint32_t winmm_wave_open(void** device, uint32_t device_id, const void* format, winmm_wave_proc proc,
                         uintptr_t instance);
// The header calls; header is a WAVEHDR of the system's layout.
uint32_t winmm_wave_prepare(void* device, void* header);
uint32_t winmm_wave_unprepare(void* device, void* header);
uint32_t winmm_wave_write(void* device, void* header);
// The device calls.
uint32_t winmm_wave_pause(void* device);
uint32_t winmm_wave_restart(void* device);
uint32_t winmm_wave_reset(void* device);
uint32_t winmm_wave_close(void* device);
// waveOutGetPosition in bytes.
uint32_t winmm_wave_position_bytes(void* device, uint32_t* bytes);
// waveOutSetVolume; device nullptr is device 0 (the program's own volume).
uint32_t winmm_wave_set_volume(void* device, uint32_t volume);
// waveOutGetErrorTextA.
uint32_t winmm_wave_error_text(uint32_t code, char* text, uint32_t size);
// The size of the system's WAVEHDR and the offsets wave_out.h's record must share with it.
constexpr uint32_t winmm_wavehdr_size = 48;
