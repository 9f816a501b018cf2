// Headless wave-out device: plays by the virtual clock and keeps every byte it played for tests to read.
//
// A device's clock runs from its first write (or restart) while it is not paused; by any moment it has
// played clock x bytes per second, as far as its queue reaches. A queue that ran dry owes the time: what
// is written next plays at once until it has caught up, so what is kept stays gapless and the same
// whatever the threads' real timing. A device thread polls the clock every millisecond and delivers the
// completions of headers whose end the clock has passed.
//
// Sections: state, clock, open and close, test controls.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <new>
#include <thread>

#include "platform/common/wave_device.h"
#include "platform/headless/headless_audio.h"
#include "platform/system.h"

namespace {

// ---- state ----

// One per device, reached through wave_out_device::backend; guarded by the device lock.
struct headless_device_data {
    int64_t origin_ns = 0;  // virtual time at which the clock last started running
    int64_t banked_ns = 0;  // running time before that
    bool running = false;
    size_t capture_limit = 0;
    std::vector<uint8_t> capture;
    std::vector<uint8_t> scratch;
};

struct headless_stream {
    wave_out_device* device = nullptr;  // null once closed; bytes then holds what it played
    std::vector<uint8_t> bytes;
    WAVEFORMATEX format{};
};

// Lock order: this lock, then a device lock (never the other way round).
struct headless_audio_state_t {
    std::mutex lock;
    std::vector<headless_stream> streams;  // one per device opened since the reset, in open order
    std::atomic<MMRESULT> open_result{MMSYSERR_NOERROR};
    std::atomic<MMRESULT> prepare_result{MMSYSERR_NOERROR};
    std::atomic<MMRESULT> unprepare_result{MMSYSERR_NOERROR};
    std::atomic<MMRESULT> write_result{MMSYSERR_NOERROR};
    std::atomic<size_t> capture_limit{size_t{64} << 20};
    std::atomic<int> position_failures{0};  // position calls still to fail
};
headless_audio_state_t headless_audio_state;

headless_device_data& data_of(wave_out_device& device) { return *static_cast<headless_device_data*>(device.backend); }

// ---- clock ----

int64_t now_ns() { return std::llround(timer_seconds() * 1e9); }

// Bytes the clock has played after elapsed_ns, whole frames only.
uint64_t bytes_after(int64_t elapsed_ns, const WAVEFORMATEX& format) {
    if (elapsed_ns <= 0) return 0;
    auto ns = static_cast<uint64_t>(elapsed_ns);
    uint64_t frames = ns / 1000000000u * format.nSamplesPerSec + ns % 1000000000u * format.nSamplesPerSec / 1000000000u;
    return frames * format.nBlockAlign;
}

void headless_catch_up(wave_out_device& device) {
    headless_device_data& h = data_of(device);
    if (!device.started) return;
    int64_t elapsed = h.banked_ns + (h.running ? std::max<int64_t>(0, now_ns() - h.origin_ns) : 0);
    uint64_t target = bytes_after(elapsed, device.format);
    constexpr uint64_t chunk = 1u << 16;
    while (device.played < target) {
        size_t want = static_cast<size_t>(std::min(target - device.played, chunk));
        h.scratch.resize(want);
        size_t got = wave_device_pull(device, h.scratch.data(), want);
        size_t keep = std::min(got, h.capture_limit - std::min(h.capture_limit, h.capture.size()));
        h.capture.insert(h.capture.end(), h.scratch.begin(), h.scratch.begin() + static_cast<ptrdiff_t>(keep));
        if (got < want) break;  // dry or paused: the rest is owed
    }
}

void headless_clock(wave_out_device& device, wave_clock_event event) {
    headless_device_data& h = data_of(device);
    int64_t now = now_ns();
    switch (event) {
    case wave_clock_event::first_write:
        h.banked_ns = 0;
        h.origin_ns = now;
        h.running = !device.paused;
        break;
    case wave_clock_event::pause:
        if (h.running) h.banked_ns += std::max<int64_t>(0, now - h.origin_ns);
        h.running = false;
        break;
    case wave_clock_event::restart:
        if (device.started) {
            h.origin_ns = now;
            h.running = true;
        }
        break;
    case wave_clock_event::reset:
        h.banked_ns = 0;
        h.running = false;
        break;
    }
}

MMRESULT headless_refuse(wave_device_call call) {
    auto& s = headless_audio_state;
    switch (call) {
    case wave_device_call::prepare: return s.prepare_result.load();
    case wave_device_call::unprepare: return s.unprepare_result.load();
    case wave_device_call::write: return s.write_result.load();
    case wave_device_call::position: {
        int left = s.position_failures.load();
        while (left > 0 && !s.position_failures.compare_exchange_weak(left, left - 1)) {}
        return left > 0 ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
    }
    }
    return MMSYSERR_NOERROR;
}

constexpr wave_device_hooks headless_hooks{headless_catch_up, headless_clock, headless_refuse};

headless_stream* stream_of(int device) {
    auto& streams = headless_audio_state.streams;
    if (device < 0) device = static_cast<int>(streams.size()) - 1;
    if (device < 0 || static_cast<size_t>(device) >= streams.size()) return nullptr;
    return &streams[static_cast<size_t>(device)];
}

// Copies what a stream has played so far; call with the state lock held.
void append_played(headless_stream& stream, std::vector<uint8_t>& out) {
    if (stream.device) {
        std::lock_guard<std::mutex> guard(stream.device->lock);
        const auto& capture = data_of(*stream.device).capture;
        out.insert(out.end(), capture.begin(), capture.end());
    } else {
        out.insert(out.end(), stream.bytes.begin(), stream.bytes.end());
    }
}

}  // namespace

// ---- open and close ----

MMRESULT waveOutOpen(HWAVEOUT* device, uint32_t device_id, const WAVEFORMATEX* format, uintptr_t callback,
                     uintptr_t instance, uint32_t flags) {
    if (MMRESULT bad = wave_open_check(device, device_id, flags)) return bad;
    if (MMRESULT bad = wave_format_check(format)) return bad;
    auto& s = headless_audio_state;
    if (MMRESULT refused = s.open_result.load()) return refused;
    auto* data = new (std::nothrow) headless_device_data;
    if (!data) return MMSYSERR_NOMEM;
    data->capture_limit = s.capture_limit.load();
    HWAVEOUT made = wave_device_create(*format, callback, instance, flags, headless_hooks, data, 1);
    if (!made) {
        delete data;
        return MMSYSERR_NOMEM;
    }
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.streams.push_back(headless_stream{made, {}, made->format});
    }
    *device = made;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT device) {
    if (MMRESULT refused = wave_device_begin_close(device)) return refused;
    // From here on no hook runs, so the capture is the device's last word.
    auto* data = static_cast<headless_device_data*>(device->backend);
    {
        std::lock_guard<std::mutex> guard(headless_audio_state.lock);
        for (headless_stream& stream : headless_audio_state.streams) {
            if (stream.device != device) continue;
            stream.bytes = std::move(data->capture);
            stream.device = nullptr;
        }
    }
    wave_device_finish_close(device);
    delete data;
    return MMSYSERR_NOERROR;
}

// ---- test controls ----

void headless_audio_reset(const headless_audio_options& options) {
    auto& s = headless_audio_state;
    s.open_result = options.open_result;
    s.prepare_result = options.prepare_result;
    s.unprepare_result = options.unprepare_result;
    s.write_result = options.write_result;
    s.capture_limit = options.capture_limit;
    s.position_failures = 0;
    waveOutSetVolume(nullptr, 0xFFFFFFFFu);  // a test starts at full volume, as a fresh program does
    std::lock_guard<std::mutex> guard(s.lock);
    auto closed = [](const headless_stream& stream) { return stream.device == nullptr; };
    s.streams.erase(std::remove_if(s.streams.begin(), s.streams.end(), closed), s.streams.end());
    for (headless_stream& stream : s.streams) {
        std::lock_guard<std::mutex> device_guard(stream.device->lock);
        data_of(*stream.device).capture.clear();
        data_of(*stream.device).capture_limit = options.capture_limit;
    }
}

void headless_audio_set_failures(MMRESULT prepare_result, MMRESULT unprepare_result, MMRESULT write_result) {
    headless_audio_state.prepare_result = prepare_result;
    headless_audio_state.unprepare_result = unprepare_result;
    headless_audio_state.write_result = write_result;
}

void headless_audio_set_open_result(MMRESULT open_result) { headless_audio_state.open_result = open_result; }

void headless_audio_fail_positions(int count) { headless_audio_state.position_failures = count; }

int headless_audio_position_failures_left() { return headless_audio_state.position_failures.load(); }

int headless_audio_opened() {
    std::lock_guard<std::mutex> guard(headless_audio_state.lock);
    return static_cast<int>(headless_audio_state.streams.size());
}

int headless_audio_open_now() {
    std::lock_guard<std::mutex> guard(headless_audio_state.lock);
    const auto& streams = headless_audio_state.streams;
    return static_cast<int>(
        std::count_if(streams.begin(), streams.end(), [](const headless_stream& st) { return st.device != nullptr; }));
}

std::vector<uint8_t> headless_audio_played(int device) {
    std::lock_guard<std::mutex> guard(headless_audio_state.lock);
    std::vector<uint8_t> out;
    if (headless_stream* stream = stream_of(device)) append_played(*stream, out);
    return out;
}

std::vector<uint8_t> headless_audio_played_all() {
    std::lock_guard<std::mutex> guard(headless_audio_state.lock);
    std::vector<uint8_t> out;
    for (headless_stream& stream : headless_audio_state.streams) append_played(stream, out);
    return out;
}

WAVEFORMATEX headless_audio_format(int device) {
    std::lock_guard<std::mutex> guard(headless_audio_state.lock);
    headless_stream* stream = stream_of(device);
    return stream ? stream->format : WAVEFORMATEX{};
}

bool headless_audio_settle(double max_seconds) {
    using clock = std::chrono::steady_clock;
    auto deadline = clock::now() + std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(max_seconds));
    for (;;) {
        bool idle = true;
        wave_device_for_each(
            [](wave_out_device& device, void* arg) {
                std::lock_guard<std::mutex> guard(device.lock);
                if (device.closing) return;
                headless_catch_up(device);
                if (!device.finished.empty() || device.delivering) *static_cast<bool*>(arg) = false;
            },
            &idle);
        if (idle) return true;
        if (clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
