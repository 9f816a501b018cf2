// The intro's sequence on the headless backend: the tune table and player control, the release wait,
// function keys struck and held, frame-time step and phase, and whole scripted runs.
#include <gtest/gtest.h>

#include "intro_test_support.h"
#include "platform/keys.h"
#include "sid/sid_player.h"

namespace {

// The first buffer that tune n queues (the virtual clock stands still: nothing refills it yet).
std::array<int16_t, sid_buffer_samples> first_buffer_of(int32_t tune) {
    select_intro_tune(tune);
    return sid_player_state.buffer_a;
}

// Frames presented before the scene when nothing is held: one black frame and three equal bursts.
uint64_t opening_frames(const headless_options& options = {}) {
    fresh_intro(options);
    noise_burst_fine();
    return 1 + 3 * headless_frame_count();
}

}  // namespace

TEST(IntroTunes, EachNumberPlaysItsFileAndSongOthersOnlyStop) {
    fresh_intro();
    // The stand-ins are one tune: tunes 1 and 6 (song 0) sound alike, tune 12 (song 1) does not (so
    // they are not all silent).
    const auto six = first_buffer_of(6);
    EXPECT_EQ(six, first_buffer_of(1));
    EXPECT_NE(six, first_buffer_of(12));
    // Each stream was stopped before the next; numbers without a tune only stop.
    EXPECT_EQ(std::pair(headless_audio_opened(), headless_audio_open_now()), std::pair(3, 1));
    select_intro_tune(13);
    select_intro_tune(0);
    EXPECT_EQ(std::pair(headless_audio_opened(), headless_audio_open_now()), std::pair(3, 0));
}

// A press from before the intro, of Escape or the button, keeps the screen black until released and
// does not end the intro.
TEST(IntroRun, EscapeOrButtonHeldFromBeforeTheIntroDoesNotEndIt) {
    fresh_intro();
    display_window_proc({display_message_kind::left_down, 0, 0});
    headless_push({4, headless_event::mouse_up});  // seen by the fifth present's message pump
    intro_release_wait();
    EXPECT_EQ(headless_frame_count(), 6u);  // five while held, then one more
    const uint64_t opening = opening_frames();
    fresh_intro();
    headless_key(vk_escape, true);
    headless_push({20, headless_event::key_up, vk_escape});
    headless_push({20 + opening + 10, headless_event::key_down, vk_escape});
    run_intro();
    EXPECT_EQ(intro_state.frames_drawn, 10u);  // from the release until the new press
}

TEST(IntroRun, FunctionKeysStruckSwitchTunesHeldOnesAndTapsDuringTheNoiseDoNot) {
    const uint64_t opening = opening_frames();
    fresh_intro();
    headless_push({5, headless_event::key_down, vk_escape});
    run_intro();
    // Virtual time gives every run the same seed. (That it is a tune at all the whole-program run hears.)
    const uint32_t first = intro_state.current_tune;
    const int other = first == 5 ? 6 : 5;
    fresh_intro();
    // A key tapped during the opening noise, when nothing polls it, is not acted on in the scene.
    headless_push({10, headless_event::key_down, vk_f1 + other - 1});
    headless_push({11, headless_event::key_up, vk_f1 + other - 1});
    const uint64_t f = opening + 2;
    headless_push({f, headless_event::key_down, vk_f1 + static_cast<int>(first) - 1});  // already playing
    headless_push({f + 1, headless_event::key_up, vk_f1 + static_cast<int>(first) - 1});
    headless_push({f + 3, headless_event::key_down, vk_f1 + other - 1});  // held for 20 frames
    headless_push({f + 23, headless_event::key_up, vk_f1 + other - 1});
    headless_push({f + 25, headless_event::key_down, vk_f1 + 2});  // F3 and F12 in one frame:
    headless_push({f + 25, headless_event::key_down, vk_f12});     // both handled, the highest wins
    headless_push({f + 30, headless_event::key_down, vk_escape});
    run_intro();
    EXPECT_EQ(intro_state.current_tune, 12u);
    // The first tune, the held key once, the pair twice; nothing for the tap during the noise.
    EXPECT_EQ(headless_audio_opened(), 4);
}

// That the music stops with the intro the whole-program runs check.
TEST(IntroRun, FortyMillisecondFramesThenAClickAndThreeSecondsOfNoise) {
    fresh_intro({.frame_seconds = 0.039});  // with the 1 ms sleep, a 40 ms frame
    headless_push({80, headless_event::mouse_down});
    run_intro();
    EXPECT_GT(intro_state.frames_drawn, 10u);
    EXPECT_TRUE(std::abs(intro_state.step - 10.0) < 1e-6 &&
                std::abs(intro_state.phase - 2.0 * static_cast<double>(intro_state.frames_drawn)) < 1e-6);
    // The loop began at the pause deadline and lasted phase / 50 seconds; noise and 10 ms followed.
    const double closing = headless_time() - (intro_state.pause_deadline + intro_state.phase / 50.0);
    EXPECT_TRUE(closing >= 3.01 && closing < 3.01 + 6 * 0.04 + 1e-9) << closing;
}

// The real-window run sees the scene's lines, highlights and movement.
TEST(IntroRun, TheSceneStartsOnBlack) {
    headless_options o{.frame_seconds = 0.1};  // slow frames keep the number of kept frames small
    const uint64_t opening = opening_frames(o);
    o.keep_frames = true;
    fresh_intro(o);
    headless_push({opening + 2, headless_event::key_down, vk_escape});
    run_intro();
    // The scene's first frame is drawn on black and the gradient, not over the opening noise.
    for (int y = 1; y <= 20; ++y)  // stars begin below
        for (int x = 0; x < 800; x += 7)
            ASSERT_EQ(surface_pixel(headless_frame(opening), x, y), static_cast<uint32_t>(150 - 3 * (y - 1)))
                << y;
}
