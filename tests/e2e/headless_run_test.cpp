// Whole-program runs on the headless backend with the content: the first screen, every page
// reached from the menus and buttons, menu switches, music and tunes, skins, and both ways out.
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "content/pages/page_data.h"
#include "intro/intro.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/keys.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/framebuffer.h"
#include "shell/frame_loop.h"
#include "shell/main_sequence.h"
#include "shell/magazine/shell_state.h"
#include "tests/e2e/whole_run.h"
#include "tools/xmwriter/xmwriter.h"
#include "viewer/skins_music.h"
#include "viewer/viewer_state.h"
#include "xm/xm_player.h"

namespace {

uint32_t frame_pixel_of(const std::vector<uint8_t>& frame, int x, int y) {
    uint32_t p;
    std::memcpy(&p, &frame[static_cast<size_t>(y) * static_cast<size_t>(headless_pitch()) + 4u * static_cast<size_t>(x)], 4);
    return p & 0xFFFFFFu;
}

// The end line the page p must get: its last "<END>" line, or 4999 without one.
int32_t expected_end_line(int p) {
    int32_t end = 4999;
    for (int n = 0; n < page_sources[p].line_count && n < 5000; ++n)
        if (std::string_view(page_sources[p].lines[n].text).substr(0, 5) == "<END>") end = n;
    return end;
}

// The magazine as the main sequence starts it, driven one pass at a time.
class Magazine : public ::testing::Test {
protected:
    void SetUp() override {
        open_magazine(1);  // the display layer's default: a window
        pass();
    }
    void TearDown() override { close_magazine(); }
    static uint64_t pass() { return magazine_pass_frames(); }
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
    static void strike(int vk) {
        headless_key(vk, true);
        headless_key(vk, false);
    }
};

// Rows of the menu panel: left column x, right column x, row k's y.
constexpr int left_x = 200, right_x = 480;
int row_y(int k) { return 54 + 12 * k; }

}  // namespace

TEST(WholeRun, TheIntroLeadsToPage11WithTheArticlesMenuTune1AndGrunge) {
    const uint64_t magazine = start_whole_run();
    headless_push({0, headless_event::mouse_move, 400, 400});
    headless_push({magazine + 20, headless_event::key_down, vk_escape});
    EXPECT_EQ(kestravon_main(), 0);
    EXPECT_EQ(headless_frame_count(), magazine + 20);  // 20 magazine passes presented; Escape ended the 21st
    EXPECT_EQ(shell_state.end_line, expected_end_line(11));
    EXPECT_EQ(shell_state.current_menu, 2);
    EXPECT_EQ(shell_state.current_song, 1);
    EXPECT_EQ(shell_state.current_skin, 1);
    EXPECT_GT(shell_state.ticker_pos, 1);
    EXPECT_EQ(viewer_state.entry_marked[11], 1);
    EXPECT_EQ(display_state.windowed, 0);
    EXPECT_EQ(display_state.close_on_escape, 0);
    EXPECT_EQ(headless_cursor_shown(), 0);
    // The intro's tune played on a 16-bit mono device, tune 1 on a stereo one; both were closed again
    // and the module freed.
    ASSERT_GE(headless_audio_opened(), 2);
    EXPECT_EQ(headless_audio_format(0).nChannels, 1);
    EXPECT_EQ(headless_audio_format(headless_audio_opened() - 1).nChannels, 2);
    EXPECT_EQ(headless_audio_open_now(), 0);
    EXPECT_EQ(xm_channel_count(), 0);
    EXPECT_FALSE(headless_open());
    // The last frame starts from the 'Grunge' picture with the articles and tune 1 buttons marked active.
    const std::vector<uint8_t>& last = headless_last_frame();
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(frame_pixel_of(last, 2, 590), viewer_state.skin_background[0][590 * 800 + 2]);
    for (const auto& [button, x, y] : {std::tuple{3, 40, 95}, std::tuple{7, 20, 140}}) {
        (void)button;
        framebuffer[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)] = viewer_state.skin_background[0][static_cast<size_t>(y) * 800 + static_cast<size_t>(x)];
        blend_box(x, y, 0, 0, 125, 125, 70, 20);
        EXPECT_EQ(frame_pixel_of(last, x, y), framebuffer[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)]);
    }
}

TEST(WholeRun, ExitButtonAndEscapeBothEndWithZeroAfterStoppingTheMusic) {
    for (bool by_button : {false, true}) {
        const uint64_t magazine = start_whole_run();
        if (by_button) {
            headless_push({magazine + 2, headless_event::mouse_move, 60, 50});
            headless_push({magazine + 3, headless_event::mouse_down});
        } else {
            headless_push({magazine + 3, headless_event::key_down, vk_escape});
        }
        EXPECT_EQ(kestravon_main(), 0);
        EXPECT_LE(headless_frame_count(), magazine + 6);
        EXPECT_EQ(shell_state.quit_requested, by_button ? 1 : 0);
        EXPECT_EQ(headless_audio_open_now(), 0);
        EXPECT_EQ(xm_channel_count(), 0);
        EXPECT_FALSE(headless_open());
    }
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

TEST_F(Magazine, EveryEntryAndTheRulesAndHelpButtonsOpenTheirPagesWith150WipeFrames) {
    // Articles menu: left rows 1..5 are 11, 13, 14, 15, 16; right rows 1..4 are 17..20.
    const std::tuple<int, int, int> articles[] = {{left_x, 2, 13}, {left_x, 3, 14}, {left_x, 4, 15},
                                                  {left_x, 5, 16}, {right_x, 1, 17}, {right_x, 2, 18},
                                                  {right_x, 3, 19}, {right_x, 4, 20}, {left_x, 1, 11}};
    for (const auto& [x, k, page] : articles) {
        EXPECT_EQ(click(x, row_y(k)), 151u) << "page " << page;
        EXPECT_EQ(shell_state.end_line, expected_end_line(page)) << "page " << page;
        EXPECT_EQ(viewer_state.entry_marked[static_cast<size_t>(page)], 1);
    }
    EXPECT_EQ(click(right_x, 112), 1u);  // "> Charts Menu"
    EXPECT_EQ(shell_state.current_menu, 1);
    const std::tuple<int, int, int> charts[] = {{left_x, 1, 1}, {left_x, 2, 2}, {left_x, 3, 3},
                                                {left_x, 4, 4}, {left_x, 5, 5}, {right_x, 1, 6},
                                                {right_x, 2, 7}, {right_x, 3, 8}, {right_x, 4, 9}};
    for (const auto& [x, k, page] : charts) {
        EXPECT_EQ(click(x, row_y(k)), 151u) << "page " << page;
        EXPECT_EQ(shell_state.end_line, expected_end_line(page)) << "page " << page;
    }
    EXPECT_EQ(click(700, 70), 151u);  // rules
    EXPECT_EQ(shell_state.end_line, expected_end_line(12));
    EXPECT_EQ(click(700, 95), 151u);  // help
    EXPECT_EQ(shell_state.end_line, expected_end_line(10));
    EXPECT_EQ(viewer_state.entry_marked[9], 0);
    // The pages that the viewer relies on.
    EXPECT_EQ(expected_end_line(4), 1391);
    EXPECT_EQ(expected_end_line(18), 276);
    EXPECT_EQ(expected_end_line(19), 4999);
}

TEST_F(Magazine, MenuButtonsAndTheToggleSwitchMenus) {
    click(60, 72);  // charts button
    EXPECT_EQ(shell_state.current_menu, 1);
    pass();
    EXPECT_EQ(viewer_state.button_state[2], 1);
    EXPECT_EQ(viewer_state.button_state[3], 0);
    click(60, 97);  // articles button
    EXPECT_EQ(shell_state.current_menu, 2);
    click(right_x, 112);
    click(right_x, 112);
    EXPECT_EQ(shell_state.current_menu, 2);
    EXPECT_EQ(viewer_state.button_state[3], 1);
}

TEST_F(Magazine, ScrollingPage4ByKeysWheelAndScrollBar) {
    click(left_x, row_y(4));  // to the charts menu first
    click(right_x, 112);
    click(left_x, row_y(4));  // "> Group Release Stats"
    ASSERT_EQ(shell_state.end_line, 1391);
    strike(vk_end);
    pass();
    EXPECT_EQ(shell_state.top_line, 1358);
    strike(vk_home);
    pass();
    EXPECT_EQ(shell_state.top_line, 0);
    headless_push({headless_frame_count(), headless_event::wheel, -3});
    pass();
    pass();
    EXPECT_EQ(shell_state.top_line, 12);
    headless_push({headless_frame_count(), headless_event::mouse_move, 781, 201});
    headless_push({headless_frame_count(), headless_event::mouse_down});
    pass();
    pass();
    EXPECT_EQ(shell_state.top_line, 4);
    EXPECT_EQ(shell_state.dragging, 1);
    headless_push({headless_frame_count(), headless_event::mouse_up});
    pass();
    pass();
    EXPECT_EQ(shell_state.dragging, 0);
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
        for (int i = 0; i < 30; ++i) pass();
        ASSERT_GT(shell_state.ticker_pos, 1);
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
    for (int i = 0; i < 30; ++i) pass();
    const int32_t ticker = shell_state.ticker_pos;
    click(tune_x[1], 140);
    EXPECT_EQ(viewer_state.button_state[6], 1);
    EXPECT_GE(shell_state.ticker_pos, ticker);
    EXPECT_EQ(headless_audio_opened(), opened + 5);
}

TEST_F(Magazine, ANote46HeardPushesBars0To2) {
    xmw_module m;
    m.channels = 8;
    xmw_pattern p;
    p.rows = 64;
    for (int r = 0; r < 64; ++r) xmw_set(p, 8, r, 0, {46, 1, 0, 0, 0});  // whichever row is heard, note 46
    m.patterns.push_back(p);
    xmw_instrument instrument;
    instrument.samples.push_back({});
    instrument.samples.back().data.assign(64, 30);
    m.instruments.push_back(instrument);
    const std::vector<uint8_t> bytes = xmw_build(m);
    const magazine_tune tunes[5] = {{}, {bytes.data(), bytes.size(), "T", "C"}, {}, {}, {}};
    record_tunes(tunes);
    start_tune(1);
    ASSERT_EQ(shell_state.tune_channels, 8);
    reset_note_bars();  // forget what the tune 1 pushed in the first frame
    pass();
    EXPECT_EQ(viewer_state.bar[1], 147.0 - 4 + 2);
    EXPECT_EQ(viewer_state.bar[0], 147.0 - 3 + 2);
    EXPECT_EQ(viewer_state.bar[2], 147.0 - 3 + 2);
    for (size_t b = 3; b < 40; ++b) EXPECT_EQ(viewer_state.bar[b], 149.0);
}

// Input across the stretches in which nothing polls it, and the ways a run can be asked to end.
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
        // In the intro's scene: the program ends without showing the magazine.
        start_whole_run();
        headless_reset();
        headless_push({opening + 10, kind});
        EXPECT_EQ(kestravon_main(), 0);
        EXPECT_LE(headless_frame_count(), opening + 12);
        EXPECT_EQ(headless_audio_opened(), 1);  // the intro's tune only
        EXPECT_EQ(headless_audio_open_now(), 0);
        EXPECT_FALSE(headless_open());
        // In the magazine: within a pass, the music stopped and freed.
        const uint64_t magazine = start_whole_run();
        headless_push({magazine + 5, kind});
        EXPECT_EQ(kestravon_main(), 0);
        EXPECT_LE(headless_frame_count(), magazine + 7);
        EXPECT_EQ(headless_audio_open_now(), 0);
        EXPECT_EQ(xm_channel_count(), 0);
        EXPECT_FALSE(headless_open());
    }
}

TEST(WholeRun, WithoutVerticalSyncPresentsKeepToTheRefreshRate) {
    // Flips that return at once, as from a renderer without vsync, and flips far faster than the
    // refresh from one that claims vsync but does not wait.
    for (double flip : {0.0, 0.004}) {
        headless_options o;
        o.frame_seconds = flip;
        display_state = display_state_t{};
        headless_reset(o);
        headless_audio_reset();
        magazine_start_up();
        display_set_close_on_escape(0);
        display_configure(0, "", 0, 1);
        ASSERT_EQ(display_open("pacing", 800, 600), 1);
        magazine_enter();
        for (int i = 0; i < 70; ++i) ASSERT_TRUE(magazine_pass());  // long enough to find a vsync false
        const double start = headless_time();
        const uint64_t before = headless_frame_count();
        while (headless_time() < start + 2.0) ASSERT_TRUE(magazine_pass());
        const uint64_t presents = headless_frame_count() - before;
        EXPECT_GE(presents, 110u) << flip;
        EXPECT_LE(presents, 132u) << flip;  // 60 Hz for two seconds, and no more than 10% over
        xm_stop();
        xm_free();
        display_close();
    }
}

TEST_F(Magazine, AClickBetweenTwoSamplesOpensTheEntryButNoInputCarriesAcrossAWipe) {
    // Press and release between two samples, as a touchpad's tap does: "> Letters To The Editor".
    headless_push({headless_frame_count(), headless_event::mouse_move, left_x, row_y(3)});
    headless_push({headless_frame_count(), headless_event::mouse_down});
    headless_push({headless_frame_count(), headless_event::mouse_up});
    pass();
    EXPECT_EQ(pass(), 151u);
    EXPECT_EQ(shell_state.end_line, expected_end_line(14));
    // During the next page's wipes a quick click on another entry and a Page Down tap are forgotten.
    headless_push({headless_frame_count(), headless_event::mouse_move, left_x, row_y(2)});
    headless_push({headless_frame_count(), headless_event::mouse_down});
    pass();
    const uint64_t wipe = headless_frame_count();
    headless_push({wipe + 40, headless_event::mouse_move, left_x, row_y(4)});
    headless_push({wipe + 40, headless_event::mouse_down});
    headless_push({wipe + 41, headless_event::mouse_up});
    headless_push({wipe + 90, headless_event::key_down, vk_next});
    headless_push({wipe + 91, headless_event::key_up, vk_next});
    EXPECT_EQ(pass(), 151u);  // page 13 opens
    EXPECT_EQ(shell_state.end_line, expected_end_line(13));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pass(), 1u);
    EXPECT_EQ(shell_state.end_line, expected_end_line(13));
    EXPECT_EQ(shell_state.top_line, 0);
}
