// The wave-out device on the headless backend: format and header-state rules, queue order, position by
// the virtual clock, pause, reset, close and reset from inside or against completions. (The endless
// looping buffer the module player queues is heard in its own tests.)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/wave_out.h"

namespace {

const WAVEFORMATEX mono = {WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};

HWAVEOUT open_device(wave_out_proc proc = nullptr, void* instance = nullptr) {
    HWAVEOUT device = nullptr;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &mono, reinterpret_cast<uintptr_t>(proc),
                          reinterpret_cast<uintptr_t>(instance), proc ? CALLBACK_FUNCTION : CALLBACK_NULL),
              MMSYSERR_NOERROR);
    return device;
}

// A header over size bytes of silence.
struct buffer {
    std::vector<char> bytes;
    WAVEHDR header{};
    explicit buffer(size_t size) : bytes(size) {
        header = {bytes.data(), static_cast<uint32_t>(size), 0, 0, 0, 0, nullptr, 0};
    }
};

void queue(HWAVEOUT device, buffer& b) {
    ASSERT_EQ(waveOutPrepareHeader(device, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
}

// Polls pred every millisecond for up to ten seconds; whether it came true.
template <typename Pred> bool wait_until(Pred pred) {
    for (int ms = 0; ms < 10000 && !pred(); ++ms) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return pred();
}

uint32_t position(HWAVEOUT device) {
    MMTIME t{TIME_BYTES, 0};
    EXPECT_EQ(waveOutGetPosition(device, &t, sizeof(MMTIME)), MMSYSERR_NOERROR);
    return t.cb;
}


// What a completion saw: the message, the header and its flags then, and whether it came on the
// test's own thread.
struct event {
    uint32_t message;
    WAVEHDR* header;
    uint32_t flags;
    bool on_caller;
};

struct recorder {
    std::mutex lock;
    std::vector<event> events;
    std::thread::id caller = std::this_thread::get_id();
    std::vector<WAVEHDR*> done() {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<WAVEHDR*> out;
        for (const event& e : events)
            if (e.message == WOM_DONE) out.push_back(e.header);
        return out;
    }
    static void proc(HWAVEOUT, uint32_t message, uintptr_t instance, uintptr_t header, uintptr_t) {
        auto* r = reinterpret_cast<recorder*>(instance);
        auto* h = reinterpret_cast<WAVEHDR*>(header);
        std::lock_guard<std::mutex> guard(r->lock);
        r->events.push_back({message, h, h ? h->dwFlags : 0, std::this_thread::get_id() == r->caller});
    }
};

void advance(double seconds) {
    headless_advance(seconds);
    ASSERT_TRUE(headless_audio_settle());
}

struct WaveHeadless : ::testing::Test {
    recorder r;
    void SetUp() override {
        headless_reset();
        headless_audio_reset();
    }
};

// The players only ever open 16-bit PCM at 44100 Hz: one other format stands for the refusals.
TEST_F(WaveHeadless, OpenRefusesOtherFormatsAndHeadersFollowTheStateRules) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = mono;
    f.wBitsPerSample = 8;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
    device = open_device();

    buffer a(100);
    EXPECT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    queue(device, a);
    EXPECT_EQ(waveOutUnprepareHeader(device, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);  // a stale handle
}

TEST_F(WaveHeadless, HeadersPlayInOrderWithoutGapsAndCompleteWhenTheClockPassesTheirEnd) {
    HWAVEOUT device = open_device(recorder::proc, &r);
    buffer a(882), b(1764), c(646);  // 10 ms, 20 ms and a piece
    for (buffer* x : {&a, &b, &c}) queue(device, *x);
    advance(0.009);
    EXPECT_TRUE(r.done().empty());  // 10 ms have not passed yet
    advance(0.002);
    EXPECT_EQ(r.done(), std::vector<WAVEHDR*>{&a.header});
    advance(0.1);  // what was played, in order and whole, the stream and module player tests hear
    EXPECT_EQ(r.done(), (std::vector<WAVEHDR*>{&a.header, &b.header, &c.header}));
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    ASSERT_TRUE(r.events.size() == 5u && r.events.front().message == WOM_OPEN &&
                r.events.back().message == WOM_CLOSE);
    for (const event& e : r.events) EXPECT_FALSE(e.on_caller);
    EXPECT_EQ(r.events[1].flags & (WHDR_DONE | WHDR_INQUEUE | WHDR_PREPARED), WHDR_DONE | WHDR_PREPARED);
}

TEST_F(WaveHeadless, PositionFollowsTheClockFromTheFirstWriteAndPauseHoldsIt) {
    HWAVEOUT device = open_device(recorder::proc, &r);
    headless_advance(1.0);  // time before the first write does not count
    buffer a(1764), b(1000);
    queue(device, a);
    headless_advance(0.010);
    EXPECT_EQ(position(device), 441u * 2);
    ASSERT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
    advance(0.5);
    EXPECT_TRUE(position(device) == 441u * 2 && r.done().empty());
    ASSERT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
    headless_advance(0.005);
    EXPECT_EQ(position(device), 661u * 2);  // 220.5 more frames: whole frames only
    advance(0.5);
    // The queue ran dry long ago: what comes now plays at once, so the kept stream has no hole.
    queue(device, b);
    EXPECT_EQ(position(device), 2764u);
    EXPECT_EQ(headless_audio_played().size(), 2764u);
    ASSERT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, ResetReturnsEveryHeaderOnTheCallerBeforeItReturnsAndStopsPlayback) {
    HWAVEOUT device = open_device(recorder::proc, &r);
    buffer a(882), b(882), c(882);
    for (buffer* x : {&a, &b, &c}) queue(device, *x);
    advance(0.005);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    // All three came on this thread, marked done and out of the queue.
    EXPECT_EQ(r.done(), (std::vector<WAVEHDR*>{&a.header, &b.header, &c.header}));
    for (const event& e : r.events)
        EXPECT_TRUE(e.message != WOM_DONE ||
                    (e.on_caller && (e.flags & (WHDR_DONE | WHDR_INQUEUE)) == WHDR_DONE));
    advance(0.1);
    EXPECT_EQ(headless_audio_played().size(), 440u);  // 5 ms were heard
    // (Both players close a device right after resetting it: none queues on it again.)
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, CloseFromInsideACompletionDoesNotWaitForItself) {
    static std::atomic<int> closed, close_messages;
    closed = close_messages = 0;
    auto proc = [](HWAVEOUT device, uint32_t message, uintptr_t, uintptr_t, uintptr_t) {
        if (message == WOM_DONE && waveOutClose(device) == MMSYSERR_NOERROR) ++closed;
        if (message == WOM_CLOSE) ++close_messages;
    };
    HWAVEOUT device = open_device(proc);
    buffer a(10);
    queue(device, a);
    headless_advance(0.01);
    EXPECT_TRUE(wait_until([] { return close_messages.load() > 0; }));
    EXPECT_EQ(closed.load() + close_messages.load(), 2);
    EXPECT_EQ(headless_audio_open_now(), 0);
}

// Two buffers, each refilled and requeued from its own completion under a lock that stop holds too,
// as the players do.
struct refill_stream {
    std::mutex lock;
    std::atomic<bool> attached{true}, in_refill{false};
    std::atomic<int> refills{0};
    static void proc(HWAVEOUT device, uint32_t message, uintptr_t instance, uintptr_t param, uintptr_t) {
        auto* s = reinterpret_cast<refill_stream*>(instance);
        if (message != WOM_DONE || !s->attached.load()) return;
        auto* h = reinterpret_cast<WAVEHDR*>(param);
        s->in_refill = true;
        std::lock_guard<std::mutex> guard(s->lock);
        if (!s->attached.load()) return;
        EXPECT_EQ(waveOutUnprepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        EXPECT_EQ(waveOutPrepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        EXPECT_EQ(waveOutWrite(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ++s->refills;
    }
};

TEST_F(WaveHeadless, ResetUnderTheCallersLockWhileACompletionWaitsForThatLockDoesNotDeadlock) {
    refill_stream s;
    buffer a(882), b(882);  // 10 ms each
    HWAVEOUT device = open_device(refill_stream::proc, &s);
    queue(device, a);
    queue(device, b);
    std::unique_lock<std::mutex> held(s.lock);
    headless_advance(0.011);  // the first buffer ends; its refill blocks on our lock
    ASSERT_TRUE(wait_until([&] { return s.in_refill.load(); }));
    s.attached = false;
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(b.header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    held.unlock();
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);  // waits for the refill, which now sees the stop
    EXPECT_EQ(s.refills.load(), 0);
}

}  // namespace
