// The frame loop: the pointer sample and click latch, page keys after the present, the pointer's range,
// the exit test.

#include "tests/shell/magazine_fixture.h"

using FrameLoop = magazine_test;

TEST_F(FrameLoop, PointerSampleClampsToTheScreenAndLatchesUntilRelease) {
    display_state.mouse_x = 900;
    display_state.mouse_y = -5;
    display_window_proc({display_message_kind::left_down, 0, 0});
    shell_state.click_latched = 1;
    read_mouse_and_keys();
    EXPECT_EQ(std::tuple(shell_state.mouse_x, shell_state.mouse_y, shell_state.mouse_button),
              std::tuple(789, 1, 1));
    EXPECT_EQ(shell_state.click_latched, 1);  // still held
    display_window_proc({display_message_kind::left_up, 0, 0});
    read_mouse_and_keys();
    EXPECT_EQ(shell_state.click_latched, 0);
    EXPECT_EQ(shell_state.mouse_button, 0);
}

TEST_F(FrameLoop, APressHeldWhileMovingOntoAnEntryTriggersNothing) {
    // Pressed on empty screen: the menu handler uses the press up. Then moved onto "> Letters To The
    // Editor" with the button still down.
    for (auto [x, y] : {std::pair{400, 300}, std::pair{200, 85}}) {
        set_pointer(x, y, 1);
        handle_buttons();
        handle_menu_clicks();
        EXPECT_EQ(shell_state.click_latched, 1);
    }
    EXPECT_EQ(shell_state.end_line, 74);
    EXPECT_EQ(viewer_state.entry_marked[14], 0);
}

TEST_F(FrameLoop, PageKeysAreReadAfterThePresentOncePerStrike) {
    // {page to load or 0, top_line to start from or -1, key struck or 0, top_line after the read}
    const std::tuple<int, int, int, int> steps[] = {
        {4, -1, vk_next, 33}, {0, -1, 0, 33},       {0, -1, vk_end, 1358}, {0, -1, vk_next, 1358},
        {0, 20, vk_prior, 0}, {0, 700, vk_home, 0}, {7, -1, vk_end, 0},    {7, -1, vk_next, 0}};
    for (const auto& [page, from, key, top] : steps) {
        if (page) load_page(page);
        if (from >= 0) shell_state.top_line = from;
        if (key) strike_key(key);
        read_mouse_and_keys();
        EXPECT_EQ(shell_state.top_line, top) << page << " " << from << " " << key;
    }
}

TEST_F(FrameLoop, APassPresentsOneFrameAndEscapeOrQuitEndsTheLoop) {
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

TEST_F(FrameLoop, ThePointerIsDrawnOnlyInsideItsRangeAndCutAtTheFrame) {
    clear_framebuffer(0x777777);
    draw_pointer(0, 100);  // outside 0 < x < 792 and 0 < y < 592
    draw_pointer(100, 592);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) ASSERT_EQ(frame_pixel(x, y), 0x777777u);
    draw_pointer(791, 591);  // the image passes the frame's corner: cut, not wrapped into row 592
    EXPECT_EQ(frame_pixel(791, 591), 0x111133u);
    EXPECT_EQ(frame_pixel(0, 592), 0x777777u);
}
