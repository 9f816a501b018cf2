// The tune stream on the headless wave-out device: frame order across the two refilling buffers,
// the "Error" box, and many start/stop cycles racing the refills.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "sid/sid_player.h"
#include "tests/sid/sid_test_support.h"
#include "tools/sidtunes/sidtunes.h"

namespace {

struct stream : ::testing::Test {
    std::vector<uint8_t> tune = sidtune_busy();
    void SetUp() override {
        headless_reset();
        headless_audio_reset();
    }
    void TearDown() override {
        sid_player_stop();
        headless_audio_reset();
    }
    // Starts song on a new device (stopping what plays) and, unless told otherwise, resumes it.
    void start(uint8_t song = 0, bool resume = true) {
        sid_player_start(tune.data(), static_cast<uint16_t>(tune.size()), song);
        if (resume) sid_player_resume();
    }
    // Lets the virtual clock run and waits until the device has played and refilled up to it.
    static void play(double seconds) {
        headless_advance(seconds);
        ASSERT_TRUE(headless_audio_settle());
    }
};

// That the stream goes on refilling the error-box test sees; that the play routine runs once a frame
// the frame-routine test.
TEST_F(stream, buffers_alternate_and_refill_with_the_following_frames) {
    start(1);
    play(0.48);  // buffer A, buffer B, then A refilled
    const std::vector<uint8_t> played = headless_audio_played();
    const std::vector<int16_t> expected = reference_frames(tune, 1, 3 * sid_buffer_frames);
    ASSERT_GE(played.size(), 2 * expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(static_cast<int16_t>(played[2 * i] | played[2 * i + 1] << 8), expected[i])
            << "frame " << i / 882 + 1;
}

TEST_F(stream, device_failures_show_the_error_box_and_the_stream_goes_on) {
    headless_audio_set_failures(WAVERR_UNPREPARED, MMSYSERR_NOERROR, MMSYSERR_NOERROR);
    start(0, false);
    ASSERT_EQ(headless_messages().size(), 4u);  // both prepares, then both writes of unprepared headers
    char text[256] = {};
    waveOutGetErrorTextA(WAVERR_UNPREPARED, text, sizeof text);
    EXPECT_EQ(headless_messages()[0], std::string("Error|") + text);

    // A write that fails loses that buffer: the stream falls silent once both have failed.
    sid_player_stop();
    headless_audio_reset();
    start();
    headless_audio_set_failures(MMSYSERR_NOERROR, MMSYSERR_NOERROR, MMSYSERR_ERROR);
    play(2.0);
    EXPECT_EQ(headless_audio_played().size(), 2u * sid_buffer_bytes);
}

// A message box a reader leaves open until told: whoever shows it waits inside it.
std::atomic<bool> box_up, box_closed;
std::atomic<std::thread::id> box_shown_on;
void open_box(const char*, const char*) {
    box_shown_on = std::this_thread::get_id();
    box_up = true;
    while (!box_closed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(stream, an_error_box_left_open_holds_up_neither_the_stream_nor_stop) {
    box_up = box_closed = false;
    headless_set_message_box_hook(&open_box);
    start();
    play(0.2);
    headless_audio_set_failures(MMSYSERR_NOERROR, MMSYSERR_ERROR, MMSYSERR_NOERROR);
    headless_advance(0.4);
    headless_audio_settle();  // two refills meet the failing unprepare, and still render and requeue
    EXPECT_GT(headless_audio_played().size(), 3u * sid_buffer_bytes);
    headless_audio_set_failures(MMSYSERR_NOERROR, MMSYSERR_NOERROR, MMSYSERR_NOERROR);
    // The frame loop shows what the refills recorded; the reader leaves the box open.
    std::thread frame_loop([] { sid_player_show_errors(); });
    const std::thread::id frame_loop_id = frame_loop.get_id();
    for (int i = 0; i < 3000 && !box_up; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(box_up);
    auto stopped = std::async(std::launch::async, [] { sid_player_stop(); });
    const bool returned = stopped.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    box_closed = true;
    frame_loop.join();
    stopped.wait();
    EXPECT_TRUE(returned);
    EXPECT_EQ(box_shown_on.load(), frame_loop_id);  // not on the device's thread
}

// (The handler's argument is passed through unused by the stream: it is not checked.)
int handler_calls = 0;
void count_call(HWAVEOUT, WAVEHDR*, uint32_t) {
    ++handler_calls;
}

// A cleared handler is what keeps a late completion from refilling a stopped stream.
TEST_F(stream, wrapper_refuses_bad_arguments_and_calls_the_handler_only_for_done_until_cleared) {
    handler_calls = 0;
    EXPECT_EQ(wave_open(nullptr, nullptr), -2);
    EXPECT_EQ(wave_write(nullptr, nullptr, &count_call, 0), -2);
    WAVEHDR* h = nullptr;
    ASSERT_EQ(wave_header_alloc(&h), 0);
    reinterpret_cast<wave_completion*>(h->dwUser)->handler = &count_call;
    wave_callback(nullptr, WOM_OPEN, 0, reinterpret_cast<uintptr_t>(h), 0);
    wave_callback(nullptr, WOM_DONE, 0, reinterpret_cast<uintptr_t>(h), 0);
    EXPECT_EQ(handler_calls, 1);
    wave_clear_handler(h);
    wave_callback(nullptr, WOM_DONE, 0, reinterpret_cast<uintptr_t>(h), 0);
    EXPECT_EQ(handler_calls, 1);
    wave_header_free(h);
}

TEST_F(stream, many_start_stop_cycles_race_the_refills_cleanly) {
    tune = sidtune_songs();
    for (int i = 0; i < 1000; ++i) {
        start(static_cast<uint8_t>(i % 3));
        // Let completions arrive on the device thread while the main thread stops.
        if (i % 2 == 0) headless_advance(0.17);
        if (i % 4 == 0) headless_audio_settle(0.01);
        sid_player_stop();
    }
    EXPECT_EQ(std::pair(headless_audio_opened(), headless_audio_open_now()), std::pair(1000, 0));
    EXPECT_TRUE(headless_messages().empty());
}

}  // namespace
