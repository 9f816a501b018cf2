// Whole-program runs on the headless backend: the intro's frame counts on the virtual clock and the
// scripted Escape that leads from the intro to the magazine.
#pragma once
#include <gtest/gtest.h>

#include "intro/intro.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/keys.h"
#include "platform/wave_out.h"
#include "render/display.h"
#include "shell/frame_loop.h"
#include "shell/main_sequence.h"
#include "xm/xm_player.h"

// Opens the headless display as the program does: full screen (no extra sleep per present) or a window.
inline void open_like_the_program(int windowed = 0, const headless_options& options = {}) {
    display_state = display_state_t{};
    headless_reset(options);
    headless_audio_reset();
    display_set_close_on_escape(0);
    display_configure(0, "", windowed, windowed ? 0 : 1);
    display_open("intro", 800, 600);
}

// Frames the intro presents before its scene: the black frame after the release wait and three equal
// noise bursts (deterministic on the virtual clock; a window sleeps a little more per present).
inline uint64_t opening_frames(int windowed = 0) {
    open_like_the_program(windowed);
    noise_burst_fine();
    const uint64_t burst = headless_frame_count();
    display_close();
    return 1 + 3 * burst;
}

// Scripts an Escape tap on the intro scene's second frame.
inline void tap_escape_in_the_scene(uint64_t opening) {
    headless_push({opening + 1, headless_event::key_down, vk_escape});
    headless_push({opening + 2, headless_event::key_up, vk_escape});
}

// Resets the backend and scripts the Escape tap that leaves the intro; returns the number of frames
// the intro presents, after which the magazine's first pass presents.
inline uint64_t start_whole_run(int windowed = 0) {
    const uint64_t opening = opening_frames(windowed);
    open_like_the_program(windowed);
    build_intro_texts();
    tap_escape_in_the_scene(opening);
    run_intro();
    const uint64_t intro = headless_frame_count();
    display_close();
    display_state = display_state_t{};
    headless_reset();
    headless_audio_reset();
    tap_escape_in_the_scene(opening);
    return intro;
}

// The magazine as the main sequence starts it, full screen, ready for passes one at a time.
inline void open_magazine(const headless_options& options = {}) {
    open_like_the_program(0, options);
    magazine_start_up();
    magazine_enter();
}

// Ends what open_magazine started, as the main sequence does.
inline void close_magazine() {
    xm_stop();
    xm_free();
    display_close();
}

// The magazine as the main sequence starts it, full screen, driven one pass at a time after its first.
class magazine_run : public ::testing::Test {
protected:
    void SetUp() override {
        open_magazine();
        pass();
    }
    void TearDown() override {
        close_magazine();
        waveOutSetVolume(nullptr, 0xFFFFFFFFu);
    }
    // Runs one loop pass; returns the frames it presented.
    static uint64_t pass() {
        const uint64_t before = headless_frame_count();
        EXPECT_TRUE(magazine_pass());
        return headless_frame_count() - before;
    }
    // A key tapped between two passes, then the pass that reads it; returns the frames it presented.
    static uint64_t tap(int vk) {
        headless_key(vk, true);
        headless_key(vk, false);
        return pass();
    }
};
