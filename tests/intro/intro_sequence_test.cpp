// The intro's sequence on the headless backend: the tune table and player control, the release wait,
// function keys struck and held, frame-time step and phase, and whole scripted runs.
#include <gtest/gtest.h>

#include "content/tunes/intro_tune_data.h"
#include "intro_test_support.h"
#include "platform/headless/headless_audio.h"
#include "platform/keys.h"
#include "sid/sid_player.h"

namespace {

void fresh_run(const headless_options& options = {}) {
    fresh_intro(options);
    headless_audio_reset();
}

// The first 0.1 s of what the last opened device played once the virtual clock has moved on.
std::vector<uint8_t> first_audio_of(int32_t tune) {
    select_intro_tune(tune);
    headless_advance(0.2);
    EXPECT_TRUE(headless_audio_settle());
    std::vector<uint8_t> played = headless_audio_played();
    sid_player_stop();
    played.resize(8820);
    return played;
}

// Frames presented before the intro loop starts when nothing is held: the release wait's one black
// frame and three noise bursts of the same length each.
uint64_t opening_frames(const headless_options& options = {}) {
    fresh_run(options);
    noise_burst_fine();
    return 1 + 3 * headless_frame_count();
}

}  // namespace

TEST(IntroTunes, TableRowsAndTheirFilesAndSongs) {
    EXPECT_EQ(intro_tune(1).file, 1);
    EXPECT_EQ(intro_tune(2).song, 1);
    EXPECT_EQ(intro_tune(4).file, 4);
    EXPECT_EQ(intro_tune(4).song, 11);
    EXPECT_EQ(intro_tune(11).file, 11);
    EXPECT_EQ(intro_tune(12).file, 6);  // the second song of file 6; file 12 is not played
    EXPECT_EQ(intro_tune(12).song, 1);
    EXPECT_EQ(intro_tune(0).file, 0);
    EXPECT_EQ(intro_tune(13).file, 0);
    EXPECT_EQ(intro_tune(-1).file, 0);
}

TEST(IntroTunes, SelectingRestartsThePlayerAndOtherNumbersOnlyStopIt) {
    fresh_run();
    select_intro_tune(3);
    EXPECT_EQ(headless_audio_opened(), 1);
    EXPECT_EQ(headless_audio_open_now(), 1);
    select_intro_tune(12);
    EXPECT_EQ(headless_audio_opened(), 2);
    EXPECT_EQ(headless_audio_open_now(), 1);  // the previous stream was stopped first
    select_intro_tune(13);
    EXPECT_EQ(headless_audio_open_now(), 0);
    select_intro_tune(0);
    EXPECT_EQ(headless_audio_opened(), 2);
    EXPECT_EQ(headless_audio_open_now(), 0);
}

TEST(IntroTunes, TuneTwelveIsTheSecondSongOfTheSixthFile) {
    fresh_run();
    const auto six = first_audio_of(6);
    const auto twelve = first_audio_of(12);
    const auto one = first_audio_of(1);  // a stand-in of the same tune, song 0
    EXPECT_EQ(six, one);
    EXPECT_NE(six, twelve);
    EXPECT_NE(six, std::vector<uint8_t>(six.size(), 0));
}

TEST(IntroReleaseWait, HeldEscapeKeepsTheScreenBlackUntilReleased) {
    fresh_run();
    headless_key(vk_escape, true);  // held from before the intro
    headless_push({10, headless_event::key_up, vk_escape});
    intro_release_wait();
    // Ten frames presented while held; the poll after them sees the release; then one more.
    EXPECT_EQ(headless_frame_count(), 11u);
    EXPECT_EQ(surface_pixel(headless_last_frame(), 400, 300), 0u);

    fresh_run();
    display_state.left_button = 1;  // held from before the intro
    headless_push({4, headless_event::mouse_up});  // seen by the fifth present's message pump
    intro_release_wait();
    EXPECT_EQ(headless_frame_count(), 6u);

    // Nothing held: one black frame.
    fresh_run();
    intro_release_wait();
    EXPECT_EQ(headless_frame_count(), 1u);
}

TEST(IntroRun, EscapeFromBeforeTheIntroDoesNotEndIt) {
    const uint64_t opening = opening_frames();
    fresh_run();
    headless_key(vk_escape, true);
    headless_push({20, headless_event::key_up, vk_escape});
    const uint64_t loop = 20 + opening + 10;
    headless_push({loop, headless_event::key_down, vk_escape});
    run_intro();
    // The loop ran from the release until the new press, ten frames of scene.
    EXPECT_EQ(intro_state.frames_drawn, 10u);
    EXPECT_EQ(headless_audio_open_now(), 0);
}

TEST(IntroRun, FunctionKeysStruckSwitchTunesHeldOnesDoNot) {
    const uint64_t opening = opening_frames();
    fresh_run();
    headless_push({5, headless_event::key_down, vk_escape});
    run_intro();
    const uint32_t first = intro_state.current_tune;  // the same seed every run: same first tune
    ASSERT_GE(first, 1u);
    ASSERT_LE(first, 12u);
    const int other = first == 5 ? 6 : 5;
    fresh_run();
    const uint64_t f = opening + 2;  // a few frames into the scene
    headless_push({f, headless_event::key_down, vk_f1 + static_cast<int>(first) - 1});  // already playing
    headless_push({f + 1, headless_event::key_up, vk_f1 + static_cast<int>(first) - 1});
    headless_push({f + 3, headless_event::key_down, vk_f1 + other - 1});  // held for 20 frames
    headless_push({f + 23, headless_event::key_up, vk_f1 + other - 1});
    headless_push({f + 25, headless_event::key_down, vk_f1 + 2});   // F3 and F12 in one frame:
    headless_push({f + 25, headless_event::key_down, vk_f12});      // both handled, the highest wins
    headless_push({f + 30, headless_event::key_down, vk_escape});
    run_intro();
    EXPECT_EQ(intro_state.current_tune, 12u);
    // The first tune, one restart for the held key, and two for the pair.
    EXPECT_EQ(headless_audio_opened(), 4);
    EXPECT_EQ(headless_audio_open_now(), 0);
}

TEST(IntroRun, ScriptedRunThroughOpeningSceneAndClosingNoise) {
    headless_options o;
    o.frame_seconds = 0.039;  // with the 1 ms sleep, a 40 ms frame
    fresh_run(o);
    headless_push({60, headless_event::mouse_move, 400, 300});
    headless_push({80, headless_event::mouse_down});
    run_intro();
    EXPECT_GT(intro_state.frames_drawn, 10u);
    // A 40 ms frame sets step to 10 and adds 2 to the phase.
    EXPECT_NEAR(intro_state.step, 10.0, 1e-6);
    EXPECT_NEAR(intro_state.phase, 2.0 * static_cast<double>(intro_state.frames_drawn), 1e-6);
    // The loop began at the pause deadline and lasted phase / 50 seconds; 3 s of noise and 10 ms followed.
    const double closing = headless_time() - (intro_state.pause_deadline + intro_state.phase / 50.0);
    EXPECT_GE(closing, 3.01);
    EXPECT_LT(closing, 3.01 + 6 * 0.04 + 1e-9);
    // The music played while the scene ran and is stopped now.
    EXPECT_EQ(headless_audio_open_now(), 0);
    const auto audio = headless_audio_played_all();
    EXPECT_NE(std::count(audio.begin(), audio.end(), 0), static_cast<std::ptrdiff_t>(audio.size()));
}

TEST(IntroRun, TheSceneShowsBarsStarsLinesAndTheScroller) {
    headless_options o;
    o.frame_seconds = 0.1;  // slow frames keep the number of kept frames small
    const uint64_t opening = opening_frames(o);
    o.keep_frames = true;
    fresh_run(o);
    intro_state.scroll_index = 70;  // the welcome text is on screen from the first frame
    const uint64_t last = opening + 12;  // seen by the poll after the twelfth scene frame
    headless_push({last, headless_event::key_down, vk_escape});
    run_intro();
    ASSERT_EQ(intro_state.frames_drawn, 12u);
    const auto& scene = headless_frame(last - 1);
    const auto& earlier = headless_frame(last - 6);
    // Background gradient, a title line's highlight, and a bar's pure blue somewhere on the left edge.
    EXPECT_EQ(surface_pixel(scene, 0, 1), 0x96u);
    bool highlight = false, blue = false, wave = false;
    for (int y = 90; y < 130; ++y)
        for (int x = 0; x < 800; ++x) highlight = highlight || surface_pixel(scene, x, y) == 0xFFFFFFu;
    for (int y = 250; y < 600; ++y) {
        const uint32_t p = surface_pixel(scene, 0, y);
        blue = blue || (p > 0 && p <= 224);
    }
    for (int y = 400; y < 520; ++y)
        for (int x = 0; x < 800; ++x) wave = wave || surface_pixel(scene, x, y) == intro_state.scroller_gradient[static_cast<size_t>(y)];
    EXPECT_TRUE(highlight);
    EXPECT_TRUE(blue);
    EXPECT_TRUE(wave);
    EXPECT_NE(scene, earlier);  // it moves
}
