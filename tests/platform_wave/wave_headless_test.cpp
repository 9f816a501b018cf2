// The wave-out model on the headless device: queue order, loops, position by the virtual clock, pause,
// reset, header states, refills from inside completions, forced failures and error texts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/wave_out.h"

namespace {

WAVEFORMATEX pcm(uint16_t channels) {
    auto block = static_cast<uint16_t>(2 * channels);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, 44100, 44100u * block, block, 16, 0};
}

struct event {
    uint32_t message;
    WAVEHDR* header;
    uint32_t flags;  // the header's flags when the completion arrived
    std::thread::id thread;
};

// Completions as the device delivered them.
struct recorder {
    std::mutex lock;
    std::vector<event> events;

    std::vector<event> done() {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<event> out;
        for (const event& e : events)
            if (e.message == WOM_DONE) out.push_back(e);
        return out;
    }
};

void CALLBACK_record(HWAVEOUT, uint32_t message, uintptr_t instance, uintptr_t header, uintptr_t) {
    auto* r = reinterpret_cast<recorder*>(instance);
    auto* h = reinterpret_cast<WAVEHDR*>(header);
    std::lock_guard<std::mutex> guard(r->lock);
    r->events.push_back({message, h, h ? h->dwFlags : 0, std::this_thread::get_id()});
}

HWAVEOUT open_recorded(recorder& r, uint16_t channels = 1) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX format = pcm(channels);
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<uintptr_t>(&CALLBACK_record),
                          reinterpret_cast<uintptr_t>(&r), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    return device;
}

// A header over bytes that count up from first, so order and gaps show in what was played.
struct buffer {
    std::vector<char> bytes;
    WAVEHDR header{};
    buffer(size_t size, uint8_t first, uint32_t flags = 0, uint32_t loops = 0) : bytes(size) {
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(first + i);
        header.lpData = bytes.data();
        header.dwBufferLength = static_cast<uint32_t>(size);
        header.dwFlags = flags;
        header.dwLoops = loops;
    }
    std::vector<uint8_t> as_played() const { return {bytes.begin(), bytes.end()}; }
};

void queue(HWAVEOUT device, buffer& b) {
    uint32_t loop_flags = b.header.dwFlags;
    b.header.dwFlags = 0;
    ASSERT_EQ(waveOutPrepareHeader(device, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    b.header.dwFlags |= loop_flags;
    ASSERT_EQ(waveOutWrite(device, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
}

uint32_t position(HWAVEOUT device) {
    MMTIME t{TIME_BYTES, 0};
    EXPECT_EQ(waveOutGetPosition(device, &t, sizeof(MMTIME)), MMSYSERR_NOERROR);
    return t.cb;
}

std::vector<uint8_t> concat(std::initializer_list<const buffer*> parts) {
    std::vector<uint8_t> out;
    for (const buffer* b : parts) out.insert(out.end(), b->bytes.begin(), b->bytes.end());
    return out;
}

void advance(double seconds) {
    headless_advance(seconds);
    ASSERT_TRUE(headless_audio_settle());
}

class WaveHeadless : public ::testing::Test {
protected:
    void SetUp() override {
        headless_reset();
        headless_audio_reset();
    }
};

// ---- open ----

TEST_F(WaveHeadless, OpenRejectsEveryFormatButSixteenBitPcmAt44100) {
    HWAVEOUT device = nullptr;
    std::vector<WAVEFORMATEX> bad;
    for (int i = 0; i < 6; ++i) bad.push_back(pcm(2));
    bad[0].wFormatTag = 3;
    bad[1].nChannels = 3;
    bad[2].nSamplesPerSec = 22050;
    bad[3].wBitsPerSample = 8;
    bad[4].nBlockAlign = 2;
    bad[5].nAvgBytesPerSec = 88200;
    for (const WAVEFORMATEX& f : bad)
        EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
    WAVEFORMATEX good = pcm(2);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &good, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, nullptr, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutOpen(&device, 7, &good, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &good, 0, 0, 0x50000), MMSYSERR_INVALPARAM);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(headless_audio_opened(), 0);

    WAVEFORMATEX mono = pcm(1);
    mono.cbSize = 22;  // extra bytes of a PCM format are ignored
    ASSERT_EQ(waveOutOpen(&device, 0, &mono, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(headless_audio_opened(), 1);
    EXPECT_EQ(headless_audio_format().nChannels, 1);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(headless_audio_open_now(), 0);
}

TEST_F(WaveHeadless, ForcedOpenFailureLeavesNoDevice) {
    headless_audio_set_open_result(MMSYSERR_NODRIVER);
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(headless_audio_opened(), 0);
    headless_audio_set_open_result(MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

// ---- queue ----

TEST_F(WaveHeadless, HeadersPlayInOrderWithoutGapsAndCompleteOnTheDeviceThread) {
    recorder r;
    HWAVEOUT device = open_recorded(r);
    buffer a(1000, 0), b(2000, 100), c(646, 200);
    queue(device, a);
    queue(device, b);
    queue(device, c);
    advance(0.1);  // 8820 bytes of clock: more than the 3646 queued
    EXPECT_EQ(headless_audio_played(), concat({&a, &b, &c}));
    EXPECT_EQ(position(device), 3646u);
    auto done = r.done();
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done[0].header, &a.header);
    EXPECT_EQ(done[1].header, &b.header);
    EXPECT_EQ(done[2].header, &c.header);
    for (const event& e : done) {
        EXPECT_EQ(e.flags & (WHDR_DONE | WHDR_INQUEUE | WHDR_PREPARED), WHDR_DONE | WHDR_PREPARED);
        EXPECT_NE(e.thread, std::this_thread::get_id());
    }
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    std::lock_guard<std::mutex> guard(r.lock);
    EXPECT_EQ(r.events.front().message, WOM_OPEN);
    EXPECT_EQ(r.events.back().message, WOM_CLOSE);
}

TEST_F(WaveHeadless, CompletionArrivesOnlyOnceTheClockPassesTheHeaderEnd) {
    recorder r;
    HWAVEOUT device = open_recorded(r);
    buffer a(882, 0), b(882, 50);  // 10 ms each, mono
    queue(device, a);
    queue(device, b);
    advance(0.009);
    EXPECT_EQ(r.done().size(), 0u);
    advance(0.002);
    EXPECT_EQ(r.done().size(), 1u);
    advance(0.009);
    EXPECT_EQ(r.done().size(), 2u);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

// ---- position and pause ----

TEST_F(WaveHeadless, PositionFollowsTheVirtualClockAndPauseStopsIt) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(2);
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    headless_advance(1.0);  // time before the first write does not count
    buffer big(176400, 0);
    queue(device, big);
    EXPECT_EQ(position(device), 0u);
    headless_advance(0.010);
    EXPECT_EQ(position(device), 441u * 4);
    ASSERT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
    headless_advance(0.5);
    EXPECT_EQ(position(device), 441u * 4);
    ASSERT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
    headless_advance(0.020);
    EXPECT_EQ(position(device), 1323u * 4);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(position(device), 0u);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, PauseBeforeTheFirstWriteHoldsPlaybackUntilRestart) {
    recorder r;
    HWAVEOUT device = open_recorded(r);
    ASSERT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
    buffer a(1764, 0), b(1764, 1);
    queue(device, a);
    queue(device, b);
    advance(1.0);
    EXPECT_EQ(position(device), 0u);
    EXPECT_TRUE(headless_audio_played().empty());
    EXPECT_EQ(r.done().size(), 0u);
    ASSERT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
    advance(0.020);
    EXPECT_EQ(position(device), 1764u);
    EXPECT_EQ(r.done().size(), 1u);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, ADryQueueOwesTheTimeSoLateDataStaysGapless) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    buffer a(1000, 0), b(1000, 7);
    queue(device, a);
    headless_advance(1.0);
    EXPECT_EQ(position(device), 1000u);
    queue(device, b);
    EXPECT_EQ(position(device), 2000u);
    EXPECT_EQ(headless_audio_played(), concat({&a, &b}));
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

// ---- loops ----

TEST_F(WaveHeadless, LoopingRingPlaysWithoutEndUntilReset) {
    recorder r;
    HWAVEOUT device = open_recorded(r, 2);
    buffer ring(7072, 3, WHDR_BEGINLOOP | WHDR_ENDLOOP, 0xFFFFFFFFu);  // 2 x 884 stereo frames
    queue(device, ring);
    advance(3.5 * 1768 / 44100.0 + 1e-7);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), ring.bytes.begin(), ring.bytes.end());
    expected.insert(expected.end(), ring.bytes.begin(), ring.bytes.begin() + 3536);
    EXPECT_EQ(headless_audio_played(), expected);
    EXPECT_EQ(position(device), 3u * 7072 + 3536);
    EXPECT_EQ(r.done().size(), 0u);
    EXPECT_EQ(ring.header.dwFlags & WHDR_INQUEUE, WHDR_INQUEUE);

    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    auto done = r.done();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].header, &ring.header);
    EXPECT_EQ(ring.header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    EXPECT_EQ(waveOutUnprepareHeader(device, &ring.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, CountedLoopsOverOneAndOverSeveralHeaders) {
    recorder r;
    HWAVEOUT device = open_recorded(r);
    buffer once(10, 0, WHDR_BEGINLOOP | WHDR_ENDLOOP, 3);
    buffer first(4, 40, WHDR_BEGINLOOP, 2), second(6, 80, WHDR_ENDLOOP);
    buffer tail(2, 120);
    queue(device, once);
    queue(device, first);
    queue(device, second);
    queue(device, tail);
    advance(0.1);
    EXPECT_EQ(headless_audio_played(), concat({&once, &once, &once, &first, &second, &first, &second, &tail}));
    auto done = r.done();
    ASSERT_EQ(done.size(), 4u);
    EXPECT_EQ(done[0].header, &once.header);
    EXPECT_EQ(done[1].header, &first.header);
    EXPECT_EQ(done[2].header, &second.header);
    EXPECT_EQ(done[3].header, &tail.header);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, EmptyEndlessLoopDoesNotHangTheDevice) {
    recorder r;
    HWAVEOUT device = open_recorded(r);
    buffer empty(0, 0, WHDR_BEGINLOOP | WHDR_ENDLOOP, 0xFFFFFFFFu), after(100, 9);
    queue(device, empty);
    queue(device, after);
    advance(0.1);
    EXPECT_EQ(headless_audio_played(), after.as_played());
    EXPECT_EQ(r.done().size(), 2u);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

// ---- reset and close ----

TEST_F(WaveHeadless, ResetReturnsEveryHeaderBeforeItReturnsAndStopsPlayback) {
    recorder r;
    HWAVEOUT device = open_recorded(r);
    buffer a(882, 0), b(882, 1), c(882, 2);
    queue(device, a);
    queue(device, b);
    queue(device, c);
    advance(0.005);  // half of a played
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    auto done = r.done();
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done[0].header, &a.header);
    EXPECT_EQ(done[2].header, &c.header);
    for (const event& e : done) {
        EXPECT_EQ(e.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
        EXPECT_EQ(e.thread, std::this_thread::get_id());  // the reset's own completions come on the caller
    }
    EXPECT_EQ(position(device), 0u);
    advance(0.1);
    EXPECT_EQ(headless_audio_played().size(), 440u);  // 220 whole frames

    // The device plays again from a fresh position after a new write.
    queue(device, b);
    advance(0.001);
    EXPECT_EQ(position(device), 88u);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, HeaderStateRulesAndStaleHandles) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    buffer a(100, 0);
    EXPECT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    EXPECT_EQ(waveOutPrepareHeader(device, &a.header, sizeof(WAVEHDR) - 1), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutPrepareHeader(device, nullptr, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
    WAVEHDR no_data{};
    no_data.dwBufferLength = 10;
    EXPECT_EQ(waveOutPrepareHeader(device, &no_data, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);

    queue(device, a);
    EXPECT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(device, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutPrepareHeader(device, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(headless_audio_open_now(), 1);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(a.header.dwFlags & WHDR_PREPARED, 0u);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);

    MMTIME t{};
    EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutPrepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutPause(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutGetPosition(device, &t, sizeof(t)), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveHeadless, CloseFromInsideACompletion) {
    struct closer {
        std::atomic<int> closed{0};
        std::atomic<int> close_messages{0};
    } c;
    auto proc = [](HWAVEOUT device, uint32_t message, uintptr_t instance, uintptr_t, uintptr_t) {
        auto* s = reinterpret_cast<closer*>(instance);
        if (message == WOM_DONE && waveOutClose(device) == MMSYSERR_NOERROR) ++s->closed;
        if (message == WOM_CLOSE) ++s->close_messages;
    };
    wave_out_proc fn = proc;
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, reinterpret_cast<uintptr_t>(fn), reinterpret_cast<uintptr_t>(&c),
                          CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    buffer a(10, 0);
    queue(device, a);
    headless_advance(0.01);
    for (int i = 0; i < 2000 && c.close_messages.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(c.closed.load(), 1);
    EXPECT_EQ(c.close_messages.load(), 1);
    EXPECT_EQ(headless_audio_open_now(), 0);
}

// ---- refills from inside the completion ----

// Two alternating buffers, each refilled and requeued from its own completion, as a streaming player
// does; the stream carries a running 16-bit counter so that any gap or repeat shows.
struct refill_stream {
    std::mutex lock;  // held by refills and by stop, as a player's own lock would be
    std::atomic<bool> attached{true};
    std::atomic<bool> in_refill{false};
    uint16_t next = 0;
    std::vector<int16_t> samples[2];
    WAVEHDR headers[2]{};
    int refills = 0;

    void fill(int i) {
        for (int16_t& s : samples[i]) s = static_cast<int16_t>(next++);
        headers[i] = WAVEHDR{};
        headers[i].lpData = reinterpret_cast<char*>(samples[i].data());
        headers[i].dwBufferLength = static_cast<uint32_t>(samples[i].size() * 2);
        headers[i].dwUser = static_cast<uintptr_t>(i);
    }
};

void refill_proc(HWAVEOUT device, uint32_t message, uintptr_t instance, uintptr_t param, uintptr_t) {
    auto* s = reinterpret_cast<refill_stream*>(instance);
    if (message != WOM_DONE || !s->attached.load()) return;
    s->in_refill = true;
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->attached.load()) return;
    auto* h = reinterpret_cast<WAVEHDR*>(param);
    int i = static_cast<int>(h->dwUser);
    EXPECT_EQ(waveOutUnprepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    s->fill(i);
    EXPECT_EQ(waveOutPrepareHeader(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ++s->refills;
}

HWAVEOUT start_refill_stream(refill_stream& s, size_t samples_per_buffer) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    wave_out_proc fn = refill_proc;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, reinterpret_cast<uintptr_t>(fn), reinterpret_cast<uintptr_t>(&s),
                          CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
    for (int i = 0; i < 2; ++i) {
        s.samples[i].resize(samples_per_buffer);
        s.fill(i);
        EXPECT_EQ(waveOutPrepareHeader(device, &s.headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        EXPECT_EQ(waveOutWrite(device, &s.headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
    return device;
}

void expect_counter_stream(const std::vector<uint8_t>& played, size_t samples) {
    ASSERT_EQ(played.size(), samples * 2);
    for (size_t i = 0; i < samples; ++i) {
        uint16_t v = static_cast<uint16_t>(played[2 * i] | (played[2 * i + 1] << 8));
        if (v != static_cast<uint16_t>(i)) {
            ADD_FAILURE() << "sample " << i << " is " << v;
            return;
        }
    }
}

TEST_F(WaveHeadless, RefillFromInsideTheCompletionRunsGaplessForManyBuffers) {
    refill_stream s;
    HWAVEOUT device = start_refill_stream(s, 882);
    for (int step = 0; step < 300; ++step) advance(0.010);  // 3 s: 150 buffers of 20 ms
    expect_counter_stream(headless_audio_played(), 300 * 441);
    {
        std::lock_guard<std::mutex> guard(s.lock);
        EXPECT_GE(s.refills, 148);
        s.attached = false;
    }
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, ResetUnderTheCallersLockWhileACompletionWaitsForItDoesNotDeadlock) {
    refill_stream s;
    HWAVEOUT device = start_refill_stream(s, 441);
    std::unique_lock<std::mutex> held(s.lock);
    headless_advance(0.011);  // the first buffer ends; its refill blocks on our lock
    for (int i = 0; i < 2000 && !s.in_refill.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(s.in_refill.load());
    s.attached = false;
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(s.headers[1].dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    held.unlock();
    // The blocked refill sees the stream detached and returns; close waits for it.
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(s.refills, 0);
}

// ---- forced failures and error texts ----

TEST_F(WaveHeadless, ForcedHeaderFailuresAreReturnedUntilCleared) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX f = pcm(1);
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    buffer a(100, 0);
    headless_audio_set_failures(MMSYSERR_NOMEM, MMSYSERR_NOERROR, MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutPrepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOMEM);
    EXPECT_EQ(a.header.dwFlags, 0u);
    headless_audio_set_failures(MMSYSERR_NOERROR, MMSYSERR_ERROR, MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutPrepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutUnprepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_ERROR);
    headless_audio_set_failures(MMSYSERR_NOERROR, MMSYSERR_NOERROR, MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveHeadless, ErrorTextsAreDistinctAndTruncatedSafely) {
    const MMRESULT codes[] = {MMSYSERR_NOERROR,    MMSYSERR_ERROR,     MMSYSERR_BADDEVICEID, MMSYSERR_ALLOCATED,
                              MMSYSERR_INVALHANDLE, MMSYSERR_NODRIVER, MMSYSERR_NOMEM,       MMSYSERR_INVALPARAM,
                              WAVERR_BADFORMAT,    WAVERR_STILLPLAYING, WAVERR_UNPREPARED};
    std::set<std::string> texts;
    for (MMRESULT code : codes) {
        char text[256];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(waveOutGetErrorTextA(code, text, sizeof text), MMSYSERR_NOERROR) << code;
        ASSERT_NE(std::memchr(text, 0, sizeof text), nullptr);
        EXPECT_GT(std::strlen(text), 10u);
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(codes));

    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, small, 5), MMSYSERR_NOERROR);
    EXPECT_EQ(std::strlen(small), 4u);
    EXPECT_EQ(small[5], 'x');
    EXPECT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, nullptr, 5), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, small, 0), MMSYSERR_INVALPARAM);
    char unknown[64];
    EXPECT_NE(waveOutGetErrorTextA(4711, unknown, sizeof unknown), MMSYSERR_NOERROR);
    EXPECT_NE(std::string(unknown).find("4711"), std::string::npos);
}

// ---- what the test controls keep ----

TEST_F(WaveHeadless, EachDeviceKeepsItsOwnStreamWithinTheLimit) {
    headless_audio_reset(headless_audio_options{.capture_limit = 300});
    WAVEFORMATEX f = pcm(1);
    buffer a(200, 0), b(200, 50), c(200, 100);
    HWAVEOUT first = nullptr, second = nullptr;
    ASSERT_EQ(waveOutOpen(&first, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    queue(first, a);
    queue(first, b);
    advance(0.1);
    EXPECT_EQ(position(first), 400u);
    EXPECT_EQ(waveOutClose(first), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutOpen(&second, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    queue(second, c);
    advance(0.1);
    std::vector<uint8_t> kept = concat({&a, &b});
    kept.resize(300);
    EXPECT_EQ(headless_audio_played(0), kept);
    EXPECT_EQ(headless_audio_played(), c.as_played());
    kept.insert(kept.end(), c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(headless_audio_played_all(), kept);
    EXPECT_EQ(headless_audio_opened(), 2);

    headless_audio_reset();  // forgets the closed device, keeps the open one with its bytes cleared
    EXPECT_EQ(headless_audio_opened(), 1);
    EXPECT_TRUE(headless_audio_played().empty());
    EXPECT_EQ(waveOutClose(second), MMSYSERR_NOERROR);
}

}  // namespace
