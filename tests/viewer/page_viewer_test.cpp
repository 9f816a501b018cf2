// The page viewer: scrolling by keys, wheel and scroll bar with their limits, the rule bars and glyphs
// of the window, and the wipes.
#include <gtest/gtest.h>

#include "platform/keys.h"
#include "render/framebuffer.h"
#include "tests/shell/magazine_fixture.h"
#include "viewer/page_viewer.h"

namespace {
class PageViewer : public ::testing::Test {
protected:
    fixture_pages pages;
    void SetUp() override { set_up_magazine(pages, issue_line_counts()); }
    static void wheel_to(int counter) { display_state.wheel = counter; }
};
}  // namespace

TEST_F(PageViewer, HoldingDownMovesSixPixelsAFrameAndStopsWithTheLastLineInTheLastRow) {
    load_page(4);
    headless_key(vk_down, true);
    scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 1);
    EXPECT_EQ(shell_state.fine_offset, 6);
    scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 2);
    EXPECT_EQ(shell_state.fine_offset, 12);
    scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 2);
    EXPECT_EQ(shell_state.fine_offset, 6);
    for (int i = 0; i < 4000; ++i) scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 1358);
    EXPECT_GE(shell_state.fine_offset, -1);
    EXPECT_LE(shell_state.fine_offset, 12);
    headless_key(vk_down, false);
    headless_key(vk_up, true);
    for (int i = 0; i < 4000; ++i) scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 0);
    EXPECT_GE(shell_state.fine_offset, -1);
    EXPECT_LE(shell_state.fine_offset, 12);
    headless_key(vk_up, false);
}

TEST_F(PageViewer, WheelScrollsFourLinesANotchWithinTheLimits) {
    load_page(4);
    wheel_to(-1);
    scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 4);
    wheel_to(-4);
    scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 16);
    EXPECT_EQ(shell_state.fine_offset, 0);
    wheel_to(10);
    scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 0);
    wheel_to(-1000);
    scroll_by_keys_and_wheel();
    EXPECT_EQ(shell_state.top_line, 1358);
    // Short pages do not move at all.
    load_page(7);
    wheel_to(-1010);
    headless_key(vk_down, true);
    scroll_by_keys_and_wheel();
    headless_key(vk_down, false);
    EXPECT_EQ(shell_state.top_line, 0);
    EXPECT_EQ(shell_state.fine_offset, 0);
}

TEST_F(PageViewer, DraggingOnPage4FollowsThePointerAndIgnoresTheLatch) {
    load_page(4);
    shell_state.mouse_x = 780;
    shell_state.mouse_y = 201;
    shell_state.mouse_button = 1;
    shell_state.click_latched = 1;
    drag_scrollbar();
    EXPECT_EQ(shell_state.top_line, 4);
    EXPECT_EQ(shell_state.dragging, 1);
    EXPECT_EQ(shell_state.pointer_kind, 1);
    shell_state.mouse_y = 560;
    drag_scrollbar();
    EXPECT_EQ(shell_state.top_line, 1358);
    // Still dragging outside the zone until the button goes up.
    shell_state.mouse_x = 100;
    shell_state.mouse_y = 300;
    drag_scrollbar();
    EXPECT_EQ(shell_state.top_line, 386);
    shell_state.mouse_button = 0;
    drag_scrollbar();
    EXPECT_EQ(shell_state.dragging, 0);
    EXPECT_EQ(shell_state.top_line, 386);
    // 'Carbon' shifts the zone right by 5.
    shell_state.current_skin = 2;
    shell_state.mouse_x = 785;
    shell_state.pointer_kind = 1;
    drag_scrollbar();
    EXPECT_EQ(shell_state.pointer_kind, 2);
    shell_state.mouse_button = 1;
    shell_state.mouse_y = 200 + 10;
    drag_scrollbar();
    EXPECT_EQ(shell_state.top_line, 39);  // nearest(10 * 1359 / 352)
}

TEST_F(PageViewer, ShortPagesNeitherDrawTheThumbNorDrag) {
    load_page(7);
    shell_state.end_line = 33;
    clear_framebuffer(0x101010);
    draw_scrollbar();
    for (int y = 190; y < 580; ++y) ASSERT_EQ(frame_pixel(782, y), 0x101010u);
    shell_state.mouse_x = 780;
    shell_state.mouse_y = 500;
    shell_state.mouse_button = 1;
    drag_scrollbar();
    EXPECT_EQ(shell_state.top_line, 0);
}

TEST_F(PageViewer, ScrollGlowRisesInTheZoneAndFalls) {
    load_page(4);
    shell_state.mouse_x = 780;
    shell_state.mouse_y = 300;
    for (int i = 0; i < 40; ++i) drag_scrollbar();
    EXPECT_EQ(shell_state.scroll_glow, 125);
    EXPECT_EQ(shell_state.pointer_kind, 2);
    shell_state.mouse_x = 700;
    for (int i = 0; i < 10; ++i) drag_scrollbar();
    EXPECT_EQ(shell_state.scroll_glow, 75);
    for (int i = 0; i < 40; ++i) drag_scrollbar();
    EXPECT_EQ(shell_state.scroll_glow, 0);
}

TEST_F(PageViewer, RuleBarsStopAtTheEndLine) {
    pages = fixture_pages{};
    pages.add(1, "", std::string(80, '1'), std::string(80, '1'), "3");  // green bar on line 1
    pages.add(1, "", std::string(80, '1'), std::string(80, '1'), "3");
    pages.add(1, "<END>");
    for (int i = 0; i < 10; ++i) pages.add(2, "", std::string(80, '1'), std::string(80, '1'), "2");
    create_content_tables();
    fill_page_tables(pages.finish());
    load_page(2);
    load_page(1);  // lines 3.. keep nothing red: they were unpacked empty; the marker line keeps "2"
    EXPECT_EQ(view_rule(2), '2');
    clear_framebuffer(0);
    draw_page_rules();
    EXPECT_EQ(frame_pixel(100, window_row_y(1) + 6), 0x00FF00u);
    EXPECT_EQ(frame_pixel(100, window_row_y(2) + 6), 0u);  // the marker line's stale code is not drawn
}

TEST_F(PageViewer, InnerRowsPaintWholeCellsAndEdgeRowsAreTransparent) {
    pages = fixture_pages{};
    for (int i = 0; i < 40; ++i) pages.add(1, std::string(80, 'M'));
    pages.add(1, "<END>");
    create_content_tables();
    fill_page_tables(pages.finish());
    load_page(1);
    clear_framebuffer(0x00FF00FF);
    draw_page_text();
    // Row 1 is inside the band: its cell is painted, its empty pixels black.
    bool painted_black = false;
    for (int y = window_row_y(1); y < window_row_y(1) + 12; ++y)
        for (int x = 32; x < 41; ++x) painted_black |= frame_pixel(x, y) == 0;
    EXPECT_TRUE(painted_black);
    // Row 0 lies above the band: nothing drawn there, glyphs clipped at row 193.
    for (int y = 175; y < 193; ++y) ASSERT_EQ(frame_pixel(40, y), 0x00FF00FFu);
    // Row 31 (partly below the band) keeps the background between glyph pixels.
    bool kept = false;
    for (int y = window_row_y(31); y < 570; ++y)
        for (int x = 32; x < 41; ++x) kept |= frame_pixel(x, y) == 0x00FF00FFu;
    EXPECT_TRUE(kept);
}

TEST_F(PageViewer, OpeningAPageWipesOver75FramesEachWayAndLoadsIt) {
    headless_options o;
    o.keep_frames = true;
    headless_reset(o);
    display_state = display_state_t{};
    display_open("test", 800, 600);
    shell_state.top_line = 10;
    open_page(14);
    EXPECT_EQ(headless_frame_count(), 150u);
    EXPECT_EQ(shell_state.end_line, 88);
    EXPECT_EQ(shell_state.top_line, 0);
    auto blue = [](uint64_t frame, int x, int y) {
        const auto& f = headless_frame(frame);
        return f[static_cast<size_t>(y) * static_cast<size_t>(headless_pitch()) + 4u * static_cast<size_t>(x)];
    };
    // First frame: one stripe at each edge. Widest: every other column to the far side. Last: back at the edges.
    EXPECT_EQ(blue(0, 20, 400), 0);
    EXPECT_EQ(blue(0, 767, 400), 0);
    EXPECT_EQ(blue(0, 700, 400), fixture_background_level);
    EXPECT_EQ(blue(74, 700, 400), 0);
    EXPECT_EQ(blue(74, 21, 400), fixture_background_level);
    EXPECT_EQ(blue(74, 700, 191), fixture_background_level);  // above the wiped rows
    EXPECT_EQ(blue(75, 766, 400), 0);
    EXPECT_EQ(blue(149, 26, 400), 0);
    EXPECT_EQ(blue(149, 700, 400), fixture_background_level);
}
