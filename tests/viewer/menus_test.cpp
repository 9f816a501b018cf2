// Menus and side buttons: every entry's page, hit tests, the radio group, glows and hover boxes.

#include <algorithm>
#include <array>
#include <numeric>

#include "tests/shell/magazine_fixture.h"

namespace {
class Menus : public magazine_test {
protected:
    // A fresh press at (x, y), handled as the frame loop does; returns the frames it presented.
    static uint64_t click(int x, int y) {
        const uint64_t before = headless_frame_count();
        set_pointer(x, y, 1);
        handle_buttons();
        handle_menu_clicks();
        set_pointer(x, y, 0);
        shell_state.click_latched = 0;
        return headless_frame_count() - before;
    }
};
}  // namespace

TEST_F(Menus, EveryEntryOpensItsPageWithItsWipesOnceAndAloneIsMarked) {
    EXPECT_EQ(click(200, 66), 0u);  // the editorial's page is open already
    EXPECT_EQ(click(200, 84), 0u);  // rows are strict: y = 84 is in none
    // {column x, row, entry}; entry 0 is the toggle to the charts menu.
    const std::tuple<int, int, int> rows[] = {
        {200, 2, 13}, {200, 3, 14}, {200, 4, 15}, {200, 5, 16}, {500, 1, 17}, {500, 2, 18}, {500, 3, 19},
        {500, 4, 20}, {200, 1, 11}, {500, 5, 0},  {200, 1, 1},  {200, 2, 2},  {200, 3, 3},  {200, 4, 4},
        {200, 5, 5},  {500, 1, 6},  {500, 2, 7},  {500, 3, 8},  {500, 4, 9}};
    const std::vector<int> counts = issue_line_counts();
    for (const auto& [x, k, entry] : rows) {
        const uint64_t frames = click(x, 54 + 12 * k);
        if (entry == 0) {
            EXPECT_EQ(shell_state.current_menu, 1);
            continue;
        }
        EXPECT_EQ(frames, 150u) << entry;
        EXPECT_EQ(shell_state.end_line,
                  counts[static_cast<size_t>(entry)] ? counts[static_cast<size_t>(entry)] : 4999)
            << entry;
        EXPECT_EQ(std::accumulate(viewer_state.entry_marked.begin(), viewer_state.entry_marked.end(), 0), 1);
        EXPECT_EQ(viewer_state.entry_marked[static_cast<size_t>(entry)], 1) << entry;
    }
}

TEST_F(Menus, ClickAtY105InTheRightColumnChoosesRow4AndTogglesAndTheChartsButtonSwitchesToo) {
    click(500, 105);
    EXPECT_EQ(shell_state.end_line, 210);  // entry 20
    EXPECT_EQ(shell_state.current_menu, 1);
    EXPECT_EQ(viewer_state.button_state[3], 0);
    handle_buttons();  // the next frame marks the shown menu's button
    EXPECT_EQ(viewer_state.button_state[2], 1);
    click(500, 110);  // toggle only
    EXPECT_EQ(shell_state.current_menu, 2);
    click(40, 70);  // the charts button
    EXPECT_EQ(shell_state.current_menu, 1);
    EXPECT_EQ(std::tuple(viewer_state.button_state[2], viewer_state.button_state[3]), std::tuple(1, 0));
}

TEST_F(Menus, RulesHelpAndExitButtonsFormARadioGroupAndClearMarks) {
    // {x, y, skin, frames presented, end line after, states of buttons 1 to 5 after}; the shown menu's
    // button (3) stays active throughout.
    const std::tuple<int, int, int, uint64_t, int, std::array<int32_t, 5>> steps[] = {
        {700, 70, 1, 150, 391, {0, 0, 1, 1, 0}},  // rules
        {700, 70, 1, 0, 391, {0, 0, 1, 1, 0}},    // rules again: active, so ignored
        {700, 95, 1, 150, 117, {0, 0, 1, 0, 1}},  // help
        {200, 61, 1, 150, 74, {0, 0, 1, 0, 0}},   // the editorial again: its mark was cleared
        {672, 70, 1, 0, 74, {0, 0, 1, 0, 0}},     // on the rules button's edge: hit tests are strict
        {700, 75, 2, 150, 391, {0, 0, 1, 1, 0}},  // 'Carbon' has its own rectangles
        {30, 55, 2, 0, 391, {1, 0, 1, 0, 0}}};    // exit
    for (const auto& [x, y, skin, frames, end, states] : steps) {
        shell_state.current_skin = skin;
        EXPECT_EQ(click(x, y), frames) << x << "," << y;
        EXPECT_EQ(shell_state.end_line, end) << x << "," << y;
        std::array<int32_t, 5> now{};
        std::copy_n(&viewer_state.button_state[1], 5, now.begin());
        EXPECT_EQ(now, states) << x << "," << y;
    }
    EXPECT_EQ(shell_state.quit_requested, 1);
}

TEST_F(Menus, GlowRisesBySevenAndFallsByThreeAndStopsWhileLatched) {
    // {mouse x, latched, frames, glow of button 4 after, pointer kind}: over the rules button, then away.
    const int steps[][5] = {{700, 0, 2, 17, 2},
                            {700, 0, 30, 125, 2},
                            {700, 1, 1, 122, 2},
                            {400, 1, 1, 119, 1},
                            {400, 1, 60, 0, 1}};
    for (const auto& [x, latched, frames, glow, kind] : steps) {
        set_pointer(x, 70);
        shell_state.click_latched = latched;
        for (int i = 0; i < frames; ++i) draw_buttons();
        EXPECT_EQ(std::tuple(viewer_state.button_glow[4], int{shell_state.pointer_kind}),
                  std::tuple(glow, kind))
            << x << " " << frames;
    }
}

TEST_F(Menus, HoverBoxesLightEmptyRowsOnlyWhileUnlatchedAndTheTitleIsCentred) {
    set_pointer(600, 110);  // right row 5 holds no entry, only the toggle, left of here
    for (int latched : {0, 1}) {
        shell_state.click_latched = latched;
        shell_state.pointer_kind = 1;
        copy_skin_background();
        draw_menu();
        EXPECT_EQ(frame_pixel(600, 112), latched ? 0x484848u : 0x515161u);
        EXPECT_EQ(shell_state.pointer_kind, latched ? 1 : 2);
    }
    // No menu rows at all for a menu number other than 1 or 2.
    shell_state.current_menu = 3;
    copy_skin_background();
    draw_menu();
    EXPECT_EQ(frame_pixel(600, 112), 0x404040u);
    // The 22-character title starts at 404 - 99: nothing of it left of column 305.
    int left = 0, first = 0;
    for (int y = 42; y < 54; ++y)
        for (int x = 290; x < 314; ++x) (x < 305 ? left : first) += frame_pixel(x, y) != 0x404040u;
    EXPECT_EQ(left, 0);
    EXPECT_GT(first, 0);
}
