// The SID tune stream on wave-out: two eight-frame buffers that refill themselves from the device's
// completions, the start/resume/stop entry points, and the wave-out wrapper with its error box.
//
// Sections: wave-out wrapper - stream
#include <cstring>
#include <new>

#include "platform/system.h"
#include "sid/sid_player.h"

sid_player sid_player_state{};

// ---- wave-out wrapper ---------------------------------------------------------------------------

namespace {

constexpr MMRESULT wave_err_sync = 35;  // the device can only be opened synchronously

// A header and its completion record, allocated together.
struct header_block {
    WAVEHDR header;
    wave_completion completion;
};

wave_completion* completion_of(const WAVEHDR* header) {
    return reinterpret_cast<wave_completion*>(header->dwUser);
}

// Records the code's text for the "Error" box. The box itself is shown by sid_player_show_errors on
// the main thread: shown here, inside a refill, it would keep the stream lock (and so a stop) waiting
// for as long as the reader leaves it open.
void show_error(MMRESULT code) {
    sid_player& s = sid_player_state;
    std::lock_guard<std::mutex> hold(s.error_lock);
    if (s.error_count >= s.error_texts.size()) return;
    char* text = s.error_texts[s.error_count].data();
    std::memset(text, 0, 256);
    waveOutGetErrorTextA(code, text, 256);
    text[255] = 0;
    ++s.error_count;
}

}  // namespace

int wave_open(const WAVEFORMATEX* format, HWAVEOUT* device) {
    if (!format || !device) return -2;
    const size_t size = sizeof(WAVEFORMATEX) + format->cbSize;
    auto* copy = new (std::nothrow) uint8_t[size];
    if (!copy) return 4;
    std::memcpy(copy, format, size);
    HWAVEOUT opened = nullptr;
    const MMRESULT r = waveOutOpen(&opened, WAVE_MAPPER, reinterpret_cast<const WAVEFORMATEX*>(copy),
                                   reinterpret_cast<uintptr_t>(&wave_callback), 0, CALLBACK_FUNCTION);
    delete[] copy;
    switch (r) {
    case MMSYSERR_NOERROR: *device = opened; return 0;
    case MMSYSERR_BADDEVICEID: return 2;
    case MMSYSERR_ALLOCATED: return 1;
    case MMSYSERR_NODRIVER: return 3;
    case MMSYSERR_NOMEM: return 4;
    case WAVERR_BADFORMAT: return 5;
    case wave_err_sync: return 6;
    default: return 0;
    }
}

int wave_close(HWAVEOUT device) {
    if (device) {
        waveOutReset(device);
        waveOutClose(device);
    }
    return 0;
}

int wave_header_alloc(WAVEHDR** header) {
    auto* block = new (std::nothrow) header_block{};
    if (!block) return 4;
    block->header.dwUser = reinterpret_cast<uintptr_t>(&block->completion);
    *header = &block->header;
    return 0;
}

void wave_header_free(WAVEHDR* header) {
    // The header is the block's first member, so the block starts where the header does.
    delete reinterpret_cast<header_block*>(header);
}

int wave_prepare(HWAVEOUT device, WAVEHDR* header, void* buffer, uint32_t length) {
    if (!header) return 4;
    header->lpData = static_cast<char*>(buffer);
    header->dwBufferLength = length;
    header->dwBytesRecorded = 0;
    header->dwFlags = 0;
    header->dwLoops = 0;
    const MMRESULT r = waveOutPrepareHeader(device, header, sizeof(WAVEHDR));
    if (r != MMSYSERR_NOERROR) show_error(r);
    return 0;
}

int wave_unprepare(HWAVEOUT device, WAVEHDR* header) {
    if (header && (header->dwFlags & WHDR_PREPARED)) {
        const MMRESULT r = waveOutUnprepareHeader(device, header, sizeof(WAVEHDR));
        if (r != MMSYSERR_NOERROR) show_error(r);
    }
    return 0;
}

int wave_write(HWAVEOUT device, WAVEHDR* header, wave_handler handler, uint32_t argument) {
    if (!device || !header) return -2;
    wave_completion* c = completion_of(header);
    c->argument.store(argument);
    c->handler.store(handler);
    const MMRESULT r = waveOutWrite(device, header, sizeof(WAVEHDR));
    if (r != MMSYSERR_NOERROR) show_error(r);
    return 0;
}

int wave_pause(HWAVEOUT device) { return waveOutPause(device) == MMSYSERR_NOERROR ? 1 : 0; }

int wave_restart(HWAVEOUT device) { return waveOutRestart(device) == MMSYSERR_NOERROR ? 1 : 0; }

int wave_clear_handler(WAVEHDR* header) {
    if (!header) return 0;
    wave_completion* c = completion_of(header);
    if (c->handler.load()) {
        c->handler.store(nullptr);
        c->argument.store(0);
    }
    return 0;
}

void wave_callback(HWAVEOUT device, uint32_t message, uintptr_t, uintptr_t param1, uintptr_t) {
    if (message != WOM_DONE || param1 == 0) return;
    auto* header = reinterpret_cast<WAVEHDR*>(param1);
    wave_completion* c = completion_of(header);
    if (wave_handler handler = c->handler.load()) handler(device, header, c->argument.load());
}

// ---- stream -------------------------------------------------------------------------------------

namespace {

const WAVEFORMATEX pcm_format = {WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};

// Start under the stream lock: machine, tune, device and the two queued buffers.
void start_stream(const uint8_t* tune, uint16_t length, uint8_t song);

void render_buffer(int16_t* buffer) {
    for (uint32_t k = 0; k < sid_buffer_frames; ++k) {
        psid_render_frame(sid_player_state.machine, buffer + k * sid_frame_samples, sid_frame_samples);
    }
}

}  // namespace

void sid_refill(HWAVEOUT device, WAVEHDR* header, uint32_t argument) {
    sid_player& s = sid_player_state;
    std::lock_guard<std::mutex> hold(s.lock);
    // Stop may have detached this header while the completion waited for the lock.
    if (!completion_of(header)->handler.load()) return;
    int16_t* buffer = nullptr;
    if (header == s.header_a) buffer = s.buffer_a.data();
    if (header == s.header_b) buffer = s.buffer_b.data();
    if (!buffer) return;
    wave_unprepare(device, header);
    render_buffer(buffer);
    wave_prepare(device, header, buffer, sid_buffer_bytes);
    wave_write(device, header, &sid_refill, argument);
}

void sid_player_stop() {
    sid_player& s = sid_player_state;
    HWAVEOUT device = nullptr;
    WAVEHDR* a = nullptr;
    WAVEHDR* b = nullptr;
    {
        // Waits for a running refill; once the handlers are clear no refill renders again.
        std::lock_guard<std::mutex> hold(s.lock);
        // Headers exist without a device when the open failed; they are released all the same.
        if (!s.device && !s.header_a && !s.header_b) return;
        wave_clear_handler(s.header_a);
        wave_clear_handler(s.header_b);
        device = s.device;
        a = s.header_a;
        b = s.header_b;
        s.device = nullptr;
        s.header_a = s.header_b = nullptr;
    }
    // Outside the lock: a completion that the reset hands back may be waiting for it.
    wave_close(device);
    wave_header_free(a);
    wave_header_free(b);
    sid_player_show_errors();
}

void sid_player_start(const uint8_t* tune, uint16_t length, uint8_t song) {
    // A stream still running would go on refilling the same buffers from the new tune's machine.
    sid_player_stop();
    start_stream(tune, length, song);
    sid_player_show_errors();
}

void sid_player_show_errors() {
    sid_player& s = sid_player_state;
    std::array<std::array<char, 256>, 8> texts;
    uint32_t count = 0;
    {
        std::lock_guard<std::mutex> hold(s.error_lock);
        for (; count < s.error_count; ++count) texts[count] = s.error_texts[count];
        s.error_count = 0;
    }
    for (uint32_t i = 0; i < count; ++i) show_message_box("Error", texts[i].data());
}

namespace {

void start_stream(const uint8_t* tune, uint16_t length, uint8_t song) {
    sid_player& s = sid_player_state;
    std::lock_guard<std::mutex> hold(s.lock);
    machine_init(s.machine, 44100);
    psid_load(s.machine, tune, length);
    psid_select_song(s.machine, song);
    HWAVEOUT device = nullptr;
    wave_open(&pcm_format, &device);
    s.device = device;
    wave_pause(s.device);
    wave_header_alloc(&s.header_a);
    wave_header_alloc(&s.header_b);
    render_buffer(s.buffer_a.data());
    render_buffer(s.buffer_b.data());
    wave_prepare(s.device, s.header_a, s.buffer_a.data(), sid_buffer_bytes);
    wave_prepare(s.device, s.header_b, s.buffer_b.data(), sid_buffer_bytes);
    wave_write(s.device, s.header_a, &sid_refill, 0);
    wave_write(s.device, s.header_b, &sid_refill, 0);
}

}  // namespace

void sid_player_resume() {
    if (sid_player_state.device) wave_restart(sid_player_state.device);
}
