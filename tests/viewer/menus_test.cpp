// Menus and side buttons: hit tests, hover boxes, the radio group, glows and the click latch.
#include <gtest/gtest.h>

#include "render/framebuffer.h"
#include "tests/shell/magazine_fixture.h"
#include "viewer/frame_body.h"

namespace {
class Menus : public ::testing::Test {
protected:
    fixture_pages pages;
    void SetUp() override { set_up_magazine(pages, issue_line_counts()); }
    // A fresh press at (x, y), handled as the frame loop does.
    static void click(int x, int y) {
        auto& s = shell_state;
        s.mouse_x = x;
        s.mouse_y = y;
        s.mouse_button = 1;
        s.click_latched = 0;
        handle_buttons();
        handle_menu_clicks();
        s.mouse_button = 0;
        s.click_latched = 0;
    }
    static int marked_count() {
        int n = 0;
        for (int m : viewer_state.entry_marked) n += m;
        return n;
    }
};
}  // namespace

TEST_F(Menus, EntriesOpenTheirPagesOnceAndMarkThem) {
    click(200, 85);  // left row 3 of the articles menu
    EXPECT_EQ(shell_state.end_line, 88);
    EXPECT_EQ(viewer_state.entry_marked[14], 1);
    EXPECT_EQ(marked_count(), 1);
    const uint64_t frames = headless_frame_count();
    click(200, 85);  // the open page's entry does nothing
    EXPECT_EQ(headless_frame_count(), frames);
    // Row bounds are strict: y = 84 belongs to no row.
    click(200, 84);
    EXPECT_EQ(headless_frame_count(), frames);
    click(500, 74);  // right row 2: the second interview
    EXPECT_EQ(shell_state.end_line, 276);
}

TEST_F(Menus, ChartsEntriesAreNeitherShownNorHitInTheArticlesMenu) {
    click(200, 61);  // left row 1 in the articles menu is the editorial, already open
    EXPECT_EQ(shell_state.end_line, 74);
    click(40, 70);  // charts button
    EXPECT_EQ(shell_state.current_menu, 1);
    EXPECT_EQ(viewer_state.button_state[2], 1);
    EXPECT_EQ(viewer_state.button_state[3], 0);
    click(200, 61);
    EXPECT_EQ(shell_state.end_line, 38);  // "> Monthly Chart"
}

TEST_F(Menus, ClickAtY105InTheRightColumnChoosesRow4AndToggles) {
    click(500, 105);
    EXPECT_EQ(shell_state.end_line, 210);  // entry 20
    EXPECT_EQ(shell_state.current_menu, 1);
    EXPECT_EQ(viewer_state.button_state[3], 0);
    handle_buttons();  // the next frame marks the shown menu's button
    EXPECT_EQ(viewer_state.button_state[2], 1);
    click(500, 110);  // toggle only
    EXPECT_EQ(shell_state.current_menu, 2);
}

TEST_F(Menus, RulesAndHelpButtonsFormARadioGroupAndClearMarks) {
    click(700, 70);  // rules
    EXPECT_EQ(shell_state.end_line, 391);
    EXPECT_EQ(viewer_state.button_state[4], 1);
    EXPECT_EQ(viewer_state.button_state[3], 1);  // the shown menu's button stays active
    EXPECT_EQ(marked_count(), 0);
    const uint64_t frames = headless_frame_count();
    click(700, 70);  // active: ignored
    EXPECT_EQ(headless_frame_count(), frames);
    click(700, 95);  // help
    EXPECT_EQ(shell_state.end_line, 117);
    EXPECT_EQ(viewer_state.button_state[4], 0);
    EXPECT_EQ(viewer_state.button_state[5], 1);
    click(200, 61);  // the editorial opens again, its mark having been cleared
    EXPECT_EQ(shell_state.end_line, 74);
    EXPECT_EQ(viewer_state.button_state[5], 0);
    EXPECT_EQ(viewer_state.entry_marked[11], 1);
    // Hit tests are strict and follow the skin.
    click(672, 70);
    EXPECT_EQ(viewer_state.button_state[4], 0);
    shell_state.current_skin = 2;
    click(700, 75);
    EXPECT_EQ(viewer_state.button_state[4], 1);
}

TEST_F(Menus, ExitButtonRequestsQuit) {
    click(50, 45);
    EXPECT_EQ(shell_state.quit_requested, 1);
    EXPECT_EQ(viewer_state.button_state[1], 1);
}

TEST_F(Menus, GlowRisesBySevenAndFallsByThreeAndStopsWhileLatched) {
    shell_state.mouse_x = 700;
    shell_state.mouse_y = 70;
    draw_buttons();
    EXPECT_EQ(viewer_state.button_glow[4], 10);
    EXPECT_EQ(shell_state.pointer_kind, 2);
    draw_buttons();
    EXPECT_EQ(viewer_state.button_glow[4], 17);
    for (int i = 0; i < 30; ++i) draw_buttons();
    EXPECT_EQ(viewer_state.button_glow[4], 125);
    shell_state.click_latched = 1;
    draw_buttons();
    EXPECT_EQ(viewer_state.button_glow[4], 122);
    EXPECT_EQ(shell_state.pointer_kind, 2);  // still the hover pointer
    shell_state.mouse_x = 400;
    draw_buttons();
    EXPECT_EQ(viewer_state.button_glow[4], 119);
    EXPECT_EQ(shell_state.pointer_kind, 1);
    for (int i = 0; i < 60; ++i) draw_buttons();
    EXPECT_EQ(viewer_state.button_glow[4], 0);
}

TEST_F(Menus, HoverBoxesTintRowsOnlyWhileUnlatchedAndTheTitleIsCentred) {
    // An empty row (right column, row 5 is the toggle; use left row 5 with the pointer) lights up too.
    shell_state.mouse_x = 300;
    shell_state.mouse_y = 110;
    copy_skin_background();
    draw_menu();
    const uint32_t hovered = frame_pixel(380, 112);
    EXPECT_EQ(shell_state.pointer_kind, 2);
    shell_state.pointer_kind = 1;
    shell_state.click_latched = 1;
    copy_skin_background();
    draw_menu();
    EXPECT_NE(frame_pixel(380, 112), hovered);
    EXPECT_EQ(shell_state.pointer_kind, 1);
    // No menu rows at all for a menu number other than 1 or 2.
    shell_state.current_menu = 3;
    copy_skin_background();
    draw_menu();
    EXPECT_EQ(frame_pixel(380, 112), 0x404040u);
    // The 22-character title starts at 404 - 99: nothing of it left of column 305.
    bool lit_left = false, lit_first = false;
    for (int y = 42; y < 54; ++y) {
        for (int x = 290; x < 305; ++x) lit_left |= frame_pixel(x, y) != 0x404040u;
        for (int x = 305; x < 314; ++x) lit_first |= frame_pixel(x, y) != 0x404040u;
    }
    EXPECT_FALSE(lit_left);
    EXPECT_TRUE(lit_first);
}
