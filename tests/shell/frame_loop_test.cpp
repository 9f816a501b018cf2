// The frame loop: the pointer sample and click latch, page keys after the present, the exit test.
#include <gtest/gtest.h>

#include "platform/keys.h"
#include "shell/frame_loop.h"
#include "tests/shell/magazine_fixture.h"

namespace {
void strike(int vk) {
    headless_key(vk, true);
    headless_key(vk, false);
}
}  // namespace

TEST(PointerSample, ClampsToTheScreenAndLatchesUntilRelease) {
    fixture_pages pages;
    set_up_magazine(pages, issue_line_counts());
    display_state.mouse_x = 900;
    display_state.mouse_y = -5;
    display_window_proc({display_message_kind::left_down, 0, 0});
    shell_state.click_latched = 1;
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.mouse_x, 789);
    EXPECT_EQ(shell_state.mouse_y, 1);
    EXPECT_EQ(shell_state.mouse_button, 1);
    EXPECT_EQ(shell_state.click_latched, 1);  // still held
    display_window_proc({display_message_kind::left_up, 0, 0});
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.click_latched, 0);
    EXPECT_EQ(shell_state.mouse_button, 0);
}

TEST(PointerSample, APressHeldWhileMovingOntoAnEntryTriggersNothing) {
    fixture_pages pages;
    set_up_magazine(pages, issue_line_counts());
    // Pressed on empty screen: the menu handler uses the press up.
    shell_state.mouse_x = 400;
    shell_state.mouse_y = 300;
    shell_state.mouse_button = 1;
    handle_buttons();
    handle_menu_clicks();
    EXPECT_EQ(shell_state.click_latched, 1);
    // Moved onto "> Letters To The Editor" with the button still down.
    shell_state.mouse_x = 200;
    shell_state.mouse_y = 85;
    handle_buttons();
    handle_menu_clicks();
    EXPECT_EQ(shell_state.end_line, 74);
    EXPECT_EQ(viewer_state.entry_marked[14], 0);
}

TEST(PageKeys, AreReadAfterThePresentByTheirStrikeRules) {
    fixture_pages pages;
    set_up_magazine(pages, issue_line_counts());
    load_page(4);
    strike(vk_next);
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.top_line, 33);
    read_mouse_and_keys();  // no second strike
    EXPECT_EQ(shell_state.top_line, 33);
    strike(vk_end);
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.top_line, 1358);
    strike(vk_next);
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.top_line, 1358);
    shell_state.top_line = 20;
    strike(vk_prior);
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.top_line, 0);
    shell_state.top_line = 700;
    strike(vk_home);
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.top_line, 0);
    load_page(7);  // 22 lines
    strike(vk_end);
    strike(vk_next);
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.top_line, 0);
}

TEST(MagazinePass, PresentsOneFrameAndStopsOnEscapeOrQuit) {
    fixture_pages pages;
    set_up_magazine(pages, issue_line_counts());
    render_skin_backgrounds(0, 0, 799, 599, 0, 0);
    const uint64_t before = headless_frame_count();
    const double phase = shell_state.colour_phase;
    EXPECT_TRUE(magazine_pass());
    EXPECT_EQ(headless_frame_count(), before + 1);
    EXPECT_GT(shell_state.colour_phase, phase);
    shell_state.quit_requested = 1;
    EXPECT_FALSE(magazine_pass());
    shell_state.quit_requested = 0;
    headless_key(0x1B, true);
    EXPECT_FALSE(magazine_pass());
    headless_key(0x1B, false);
    EXPECT_EQ(headless_frame_count(), before + 1);
}
