// The player interface on the headless wave-out device: load, play, stop and free, what is heard while
// playing, the device output against the offline block sequence, and many start/stop cycles.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

struct xm_player_interface : ::testing::Test {
    void SetUp() override {
        headless_reset();
        headless_audio_reset();
    }
    void TearDown() override {
        xm_stop();
        xm_free();
        headless_audio_reset();
    }
};

// Four rows per order, a note on every row of channel 1 (note = 40 + row), speed 1.
xmw_module counting_module() {
    xmw_module m = basic_module(2, {instrument_with(sine_sample(64, 8000))});
    m.tempo = 1;
    m.patterns.resize(2);
    for (int p = 0; p < 2; ++p) {
        m.patterns[static_cast<size_t>(p)].rows = 4;
        for (int r = 0; r < 4; ++r) set(m, p, r, 1, {static_cast<uint8_t>(40 + 4 * p + r), 1, 0, 0, 0});
    }
    m.orders = {0, 1};
    return m;
}

// Moves the virtual clock in 10 ms steps (less than a block) and waits for the output thread to refill
// behind the device after each, as a real device and thread would run together. With linger, the
// thread also gets time to poll at every step, as it does on a real device, not only at a block's end.
void play_for(double seconds, bool linger = false) {
    for (double t = 0; t < seconds - 1e-9; t += 0.01) {
        headless_advance(0.01);
        if (linger) std::this_thread::sleep_for(std::chrono::milliseconds(15));
        uint64_t frames = static_cast<uint64_t>(std::llround(headless_time() * 44100.0));
        int playing = static_cast<int>((frames % 1768) / 884);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (xm_player_state.heard_block.load() != playing && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_EQ(xm_player_state.heard_block.load(), playing);
        // The virtual clock is a relaxed atomic, so it does not order the thread's refill before the
        // device's next read of the ring; taking the device's lock here does, as real time would.
        MMTIME time{TIME_BYTES, 0};
        waveOutGetPosition(xm_player_state.device, &time, sizeof time);
    }
}

// No song or no device: each fails cleanly, without a device left open.
TEST_F(xm_player_interface, calls_that_cannot_play_fail_cleanly) {
    EXPECT_EQ(std::tuple(xm_play(), xm_stop(), xm_free()), std::tuple(false, false, false));
    EXPECT_EQ(
        std::tuple(xm_channel_count(), xm_heard_cell(0), xm_heard_order(), xm_heard_row(), xm_heard_time()),
        std::tuple(0, 0, 0, 0, 0u));
    headless_audio_set_open_result(MMSYSERR_NODRIVER);
    ASSERT_NE(load(counting_module(), false), nullptr);
    EXPECT_FALSE(xm_play());
    EXPECT_EQ(std::tuple(headless_audio_open_now(), xm_player_state.thread == nullptr), std::tuple(0, true));
    EXPECT_TRUE(xm_stop());
    EXPECT_TRUE(xm_free());
}

TEST_F(xm_player_interface, heard_position_follows_the_device) {
    ASSERT_NE(load(counting_module(), false), nullptr);
    ASSERT_TRUE(xm_play());
    // Speed 1 at 125 BPM: a row per 882 frames, so the block on the speaker names row ~ block.
    // Frame 2205 is in the third block, whose last tick (at frame 2646) started row 3; 19 ms for each of
    // the three long pieces, 0 for the short ones.
    play_for(0.05);
    EXPECT_EQ(std::tuple(xm_heard_order(), xm_heard_row(), xm_heard_cell(1), xm_heard_time()),
              std::tuple(0, 3, (40 + 3) | (1 << 8), 57u));
    play_for(0.04);  // the fifth block: its last tick (the sixth) is order 1, row 1
    EXPECT_EQ(std::tuple(xm_heard_order(), xm_heard_row(), xm_heard_cell(1)),
              std::tuple(1, 1, (40 + 4 + 1) | (1 << 8)));
}

// The device plays exactly the offline block sequence, also across a failed position read (which must
// leave the ring in phase).
TEST_F(xm_player_interface, device_plays_the_offline_blocks_across_a_failed_position_read) {
    std::vector<uint8_t> bytes = xmw_build(counting_module());
    std::vector<int16_t> offline = render_blocks(bytes, 60);
    ASSERT_EQ(xm_load_from_memory(bytes.data(), bytes.size()), 1);
    ASSERT_TRUE(xm_play());
    ASSERT_NO_FATAL_FAILURE(play_for(0.1));
    // The output thread is the only caller until play_for goes on: it meets the failure.
    headless_audio_fail_positions(1);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (headless_audio_position_failures_left() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(headless_audio_position_failures_left(), 0);
    // Most steps end within 64 frames of a block's end, where a ring out of phase refills the block
    // still playing.
    ASSERT_NO_FATAL_FAILURE(play_for(0.5, true));
    ASSERT_NO_FATAL_FAILURE(play_for(0.4));
    // The device's whole output so far is exactly one second of the offline blocks.
    ASSERT_TRUE(headless_audio_settle());
    std::vector<uint8_t> played = headless_audio_played();
    ASSERT_EQ(played.size(), 44100u * 4);
    std::vector<int16_t> heard(played.size() / 2);
    std::memcpy(heard.data(), played.data(), played.size());
    offline.resize(heard.size());
    EXPECT_TRUE(heard == offline);
}

TEST_F(xm_player_interface, replay_restarts_from_the_top_and_a_new_load_releases_the_device) {
    xmw_module m = counting_module();
    // Speed 3, 144 BPM, global volume 32.
    for (auto [row, effect, param] : {std::tuple{0, 0x0F, 0x03}, {1, 0x0F, 0x90}, {2, 0x10, 0x20}})
        set(m, 0, row, 0, {0, 0, 0, uint8_t(effect), uint8_t(param)});
    xm_song* song = load(m, false);
    ASSERT_TRUE(xm_play());
    play_for(0.2);
    EXPECT_TRUE(xm_stop());
    EXPECT_EQ(std::tuple(song->bpm, song->global_volume), std::tuple(144, 32));
    ASSERT_TRUE(xm_play());  // playing again while playing restarts too
    ASSERT_TRUE(xm_play());
    EXPECT_EQ(std::tuple(song->order_position, song->global_volume, song->bpm, headless_audio_open_now()),
              std::tuple(0, 64, 125, 1));
    // Loading over the playing song stops and frees it.
    ASSERT_NE(load(basic_module(3), false), nullptr);
    EXPECT_EQ(std::tuple(headless_audio_open_now(), xm_channel_count()), std::tuple(0, 3));
}

// Play opens the device in the format the player writes and stop releases it, a thousand times over.
TEST_F(xm_player_interface, thousand_load_play_stop_free_cycles) {
    std::vector<uint8_t> bytes = xmw_build(counting_module());
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(xm_load_from_memory(bytes.data(), bytes.size()), 1);
        // Before playing: the first row; channels outside the song are bounded.
        if (i == 0) {
            EXPECT_EQ(std::tuple(xm_heard_cell(1), xm_heard_cell(2), xm_heard_cell(-1)),
                      std::tuple(40 | (1 << 8), 0, 0));
        }
        ASSERT_TRUE(xm_play());
        EXPECT_EQ(headless_audio_open_now(), 1);
        if (i % 100 == 0) headless_advance(0.01);  // let the device play into the first block now and then
        xm_heard_cell(1);
        ASSERT_TRUE(xm_stop());
        ASSERT_TRUE(xm_stop());  // stopping twice is harmless
        EXPECT_EQ(std::tuple(headless_audio_open_now(), xm_heard_row()), std::tuple(0, 0));
        ASSERT_TRUE(xm_free());
    }
    const WAVEFORMATEX f = headless_audio_format();
    EXPECT_EQ(std::tuple(f.nChannels, f.nSamplesPerSec, f.wBitsPerSample, f.nBlockAlign),
              std::tuple(2, 44100u, 16, 4));
    EXPECT_EQ(std::tuple(headless_audio_open_now(), headless_audio_opened(), xm_free()),
              std::tuple(0, 1000, false));
}

}  // namespace
