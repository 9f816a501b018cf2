// Whole-program runs on the headless backend with the content: the first screen and the way
// out, music and tunes, and input across the stretches in which nothing polls it.
#include <cstring>

#include "shell/magazine/shell_state.h"
#include "tests/e2e/whole_run.h"
#include "viewer/viewer_state.h"

namespace {

class Magazine : public magazine_run {
protected:
    // Moves the mouse to (x, y), presses and releases; returns the frames presented by the pass that
    // took the press (1, or 151 when it opened a page).
    static uint64_t click(int x, int y) {
        headless_push({headless_frame_count(), headless_event::mouse_move, x, y});
        headless_push({headless_frame_count(), headless_event::mouse_down});
        pass();  // samples the press
        const uint64_t used = pass();
        headless_push({headless_frame_count(), headless_event::mouse_up});
        pass();
        return used;
    }
};

}  // namespace

TEST(WholeRun, TheIntroLeadsToPage11WithTheArticlesMenuTune1AndGrunge) {
    const uint64_t magazine = start_whole_run();
    headless_push({0, headless_event::mouse_move, 400, 400});
    headless_push({magazine + 20, headless_event::key_down, vk_escape});
    EXPECT_EQ(kestravon_main(), 0);
    EXPECT_EQ(headless_frame_count(), magazine + 20);  // 20 magazine passes presented; Escape ended the 21st
    EXPECT_EQ(std::tuple(shell_state.current_menu, shell_state.current_song, shell_state.current_skin),
              std::tuple(2, 1, 1));
    EXPECT_GT(shell_state.ticker_pos, 1);
    EXPECT_EQ(viewer_state.entry_marked[11], 1);
    EXPECT_EQ(std::tuple(display_state.windowed, display_state.close_on_escape), std::tuple(0, 0));
    EXPECT_EQ(headless_cursor_shown(), 0);
    // The intro's tune played on a 16-bit mono device, tune 1 on a stereo one; both were closed again
    // and the module freed.
    ASSERT_GE(headless_audio_opened(), 2);
    EXPECT_EQ(headless_audio_format(0).nChannels, 1);
    EXPECT_EQ(headless_audio_format(headless_audio_opened() - 1).nChannels, 2);
    EXPECT_EQ(std::tuple(headless_audio_open_now(), xm_channel_count(), headless_open()),
              std::tuple(0, 0, false));
    // The last frame starts from the 'Grunge' picture.
    uint32_t corner;
    std::memcpy(&corner, &headless_last_frame()[static_cast<size_t>(590 * headless_pitch() + 8)], 4);
    EXPECT_EQ(corner & 0xFFFFFF, viewer_state.skin_background[0][590 * 800 + 2]);
}

TEST(WholeRun, ADisplayThatCannotOpenEndsWithMinusOne) {
    display_state = display_state_t{};
    headless_options o;
    o.fail_open = true;
    headless_reset(o);
    headless_audio_reset();
    EXPECT_EQ(kestravon_main(), -1);
    EXPECT_EQ(headless_frame_count(), 0u);
    EXPECT_EQ(headless_audio_opened(), 0);
}

TEST_F(Magazine, MusicOffAndOnAndTunes1To4RestartTheTicker) {
    const int opened = headless_audio_opened();
    click(700, 45);  // music off
    EXPECT_EQ(viewer_state.button_state[6], 1);
    viewer_state.bar[10] = 140.0;
    pass();
    EXPECT_EQ(viewer_state.bar[10], 140.0);  // frozen while off
    click(700, 45);  // on: the same tune from its beginning
    EXPECT_EQ(viewer_state.button_state[6], 0);
    EXPECT_EQ(headless_audio_opened(), opened + 1);
    const int tune_x[5] = {0, 20, 90, 680, 740};
    for (int k : {2, 3, 4, 1}) {
        shell_state.ticker_pos = 20;
        shell_state.ticker_sub = 0.0;  // so the three passes of the click cannot move it a character on
        click(tune_x[k], 140);
        EXPECT_EQ(shell_state.current_song, k);
        EXPECT_EQ(viewer_state.button_state[static_cast<size_t>(k + 6)], 1);
        EXPECT_EQ(shell_state.ticker_pos, 1);
        EXPECT_GT(shell_state.tune_channels, 0);
    }
    EXPECT_EQ(headless_audio_opened(), opened + 5);
    EXPECT_EQ(headless_audio_open_now(), 1);
    // The chosen tune's button is active: choosing it again does nothing, not even with the music off.
    click(700, 45);
    shell_state.ticker_pos = 20;
    click(tune_x[1], 140);
    EXPECT_EQ(viewer_state.button_state[6], 1);
    EXPECT_GE(shell_state.ticker_pos, 20);
    EXPECT_EQ(headless_audio_opened(), opened + 5);
}

TEST(WholeRun, AnImpatientSecondEscapeDuringTheClosingNoiseDoesNotEndTheMagazine) {
    const uint64_t magazine = start_whole_run();
    headless_push({magazine - 60, headless_event::key_down, vk_escape});
    headless_push({magazine - 58, headless_event::key_up, vk_escape});
    headless_push({magazine + 30, headless_event::key_down, vk_escape});
    EXPECT_EQ(kestravon_main(), 0);
    EXPECT_EQ(headless_frame_count(), magazine + 30);
}

TEST(WholeRun, QuitSignalsAndCloseRequestsEndIntroOrMagazineThroughTheNormalShutdown) {
    const uint64_t opening = opening_frames();
    for (auto kind : {headless_event::quit_signal, headless_event::close_request}) {
        // In the intro's scene: the program ends without showing the magazine. In the magazine: within
        // a pass, the music stopped and freed.
        for (bool in_intro : {true, false}) {
            const uint64_t magazine = start_whole_run();
            if (in_intro) headless_reset();
            headless_push({in_intro ? opening + 10 : magazine + 5, kind});
            EXPECT_EQ(kestravon_main(), 0);
            EXPECT_LE(headless_frame_count(), in_intro ? opening + 12 : magazine + 7);
            EXPECT_EQ(headless_audio_opened(), in_intro ? 1 : 2);  // the intro's tune, then tune 1
            EXPECT_EQ(std::tuple(headless_audio_open_now(), xm_channel_count(), headless_open()),
                      std::tuple(0, 0, false));
        }
    }
}

TEST(WholeRun, WithoutVerticalSyncPresentsKeepToTheRefreshRate) {
    // Flips that return at once, as from a renderer without vsync, and flips far faster than the
    // refresh from one that claims vsync but does not wait.
    for (double flip : {0.0, 0.004}) {
        headless_options o;
        o.frame_seconds = flip;
        open_magazine(o);
        for (int i = 0; i < 70; ++i) ASSERT_TRUE(magazine_pass());  // long enough to find a vsync false
        const double start = headless_time();
        const uint64_t before = headless_frame_count();
        while (headless_time() < start + 2.0) ASSERT_TRUE(magazine_pass());
        const uint64_t presents = headless_frame_count() - before;
        EXPECT_GE(presents, 110u) << flip;
        EXPECT_LE(presents, 132u) << flip;  // 60 Hz for two seconds, and no more than 10% over
        close_magazine();
    }
}

TEST_F(Magazine, AClickBetweenTwoSamplesOpensTheEntryButNoInputCarriesAcrossAWipe) {
    // Press and release between two samples, as a touchpad's tap does: "> Letters To The Editor".
    headless_push({headless_frame_count(), headless_event::mouse_move, 200, 90});
    headless_push({headless_frame_count(), headless_event::mouse_down});
    headless_push({headless_frame_count(), headless_event::mouse_up});
    pass();
    EXPECT_EQ(pass(), 151u);
    EXPECT_EQ(viewer_state.entry_marked[14], 1);
    // During the next page's wipes a quick click on another entry and a Page Down tap are forgotten.
    headless_push({headless_frame_count(), headless_event::mouse_move, 200, 78});
    headless_push({headless_frame_count(), headless_event::mouse_down});
    pass();
    const uint64_t wipe = headless_frame_count();
    headless_push({wipe + 40, headless_event::mouse_move, 200, 102});
    headless_push({wipe + 40, headless_event::mouse_down});
    headless_push({wipe + 41, headless_event::mouse_up});
    headless_push({wipe + 90, headless_event::key_down, vk_next});
    headless_push({wipe + 91, headless_event::key_up, vk_next});
    EXPECT_EQ(pass(), 151u);  // page 13 opens
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pass(), 1u);
    EXPECT_EQ(viewer_state.entry_marked[13], 1);
    EXPECT_EQ(shell_state.top_line, 0);
}
