// The wave-out audio model both players are written against: open a PCM format on the default device,
// queue prepared headers that play in order without gaps (a looping header plays without end), pause
// and restart, reset (every queued header comes back with a completion), close, the byte position
// played, and a readable text for an error code. Names and record layouts follow the system's own.
#pragma once
#include <cstdint>

using MMRESULT = uint32_t;
using HWAVEOUT = struct wave_out_device*;

enum : MMRESULT {
    MMSYSERR_NOERROR = 0,
    MMSYSERR_ERROR = 1,
    MMSYSERR_BADDEVICEID = 2,
    MMSYSERR_ALLOCATED = 4,
    MMSYSERR_INVALHANDLE = 5,
    MMSYSERR_NODRIVER = 6,
    MMSYSERR_NOMEM = 7,
    MMSYSERR_INVALPARAM = 11,
    WAVERR_BADFORMAT = 32,
    WAVERR_STILLPLAYING = 33,
    WAVERR_UNPREPARED = 34,
};

// Header flags.
enum : uint32_t {
    WHDR_DONE = 0x01,
    WHDR_PREPARED = 0x02,
    WHDR_BEGINLOOP = 0x04,
    WHDR_ENDLOOP = 0x08,
    WHDR_INQUEUE = 0x10,
};

// Callback messages.
enum : uint32_t { WOM_OPEN = 0x3BB, WOM_CLOSE = 0x3BC, WOM_DONE = 0x3BD };

// Open flags and device selector.
constexpr uint32_t WAVE_MAPPER = 0xFFFFFFFFu;
constexpr uint32_t CALLBACK_NULL = 0x00000u;
constexpr uint32_t CALLBACK_FUNCTION = 0x30000u;
constexpr uint16_t WAVE_FORMAT_PCM = 1;
constexpr uint32_t TIME_BYTES = 4;

struct WAVEFORMATEX {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;  // extra bytes after the record
};

struct WAVEHDR {
    char* lpData;
    uint32_t dwBufferLength;
    uint32_t dwBytesRecorded;
    uintptr_t dwUser;
    uint32_t dwFlags;
    uint32_t dwLoops;
    WAVEHDR* lpNext;
    uintptr_t reserved;
};

struct MMTIME {
    uint32_t wType;  // TIME_BYTES
    uint32_t cb;     // bytes played since the first write after open or reset
};

// The completion function: (device, message, instance, first parameter, second parameter).
// For WOM_DONE the first parameter is the played header. Called on the device's own thread (WOM_OPEN first,
// then WOM_DONE as headers finish, WOM_CLOSE last), outside every lock of the device, so it may prepare,
// write and unprepare on the device; the completions of headers returned by waveOutReset come instead on
// the thread that calls reset, before it returns.
using wave_out_proc = void (*)(HWAVEOUT device, uint32_t message, uintptr_t instance, uintptr_t param1,
                               uintptr_t param2);

// Opens the device (WAVE_MAPPER = default) for the format. callback is a wave_out_proc cast to uintptr_t
// when flags is CALLBACK_FUNCTION, else 0. MMSYSERR_NOERROR on success; the handle is stored in *device.
MMRESULT waveOutOpen(HWAVEOUT* device, uint32_t device_id, const WAVEFORMATEX* format, uintptr_t callback,
                     uintptr_t instance, uint32_t flags);
// Marks a header prepared so that it may be written.
MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size);
// Releases a prepared header that is not queued; WAVERR_STILLPLAYING while it is.
MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size);
// Queues a prepared header behind those already queued.
MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, uint32_t size);
// Holds playback (also before the first write) until waveOutRestart.
MMRESULT waveOutPause(HWAVEOUT device);
MMRESULT waveOutRestart(HWAVEOUT device);
// Stops playback and returns every queued header with WHDR_DONE and a WOM_DONE completion.
// It never waits for the device thread, so it may be called while holding a lock that a completion being
// delivered there is waiting for; detach the completion's work first (its WOM_DONE for the returned
// headers runs on this thread). The position is 0 again until the next write; a pause stays in force.
MMRESULT waveOutReset(HWAVEOUT device);
// Closes the device; WAVERR_STILLPLAYING while headers are queued. Waits until a completion being
// delivered has returned and WOM_CLOSE was sent, so afterwards no completion runs: do not call it while
// holding a lock that the completion function takes. From inside a completion it closes without waiting.
MMRESULT waveOutClose(HWAVEOUT device);
// Bytes played since the first write (TIME_BYTES), growing without end.
MMRESULT waveOutGetPosition(HWAVEOUT device, MMTIME* time, uint32_t size);
// Sets the program's output volume: low word left, high word right, 0 silent to 0xFFFF full (a mono
// format uses the low word). As the system keeps one volume per program, it applies to every device open
// now or later, whichever handle (or nullptr) is given; devices go on playing and keep their position.
MMRESULT waveOutSetVolume(HWAVEOUT device, uint32_t volume);
// Reads the program's output volume into *volume (0xFFFFFFFF until it is set).
MMRESULT waveOutGetVolume(HWAVEOUT device, uint32_t* volume);
// Writes a readable NUL-terminated text for the code into text (size bytes at most).
MMRESULT waveOutGetErrorTextA(MMRESULT code, char* text, uint32_t size);
