// The page viewer: scrolling by keys, wheel and scroll bar with their limits, the rule bars and glyphs
// of the window, and the wipes.

#include <cstring>

#include "tests/shell/magazine_fixture.h"

namespace {
class PageViewer : public magazine_test {
protected:
    static void scroll(int frames) {
        for (int i = 0; i < frames; ++i) scroll_by_keys_and_wheel();
    }
};
}  // namespace

TEST_F(PageViewer, ArrowsMoveSixPixelsAFrameAndTheWheelFourLinesANotchWithinTheLimits) {
    load_page(4);
    headless_key(vk_down, true);
    const int expected[][2] = {{1, 6}, {2, 12}, {2, 6}};  // top_line, fine_offset after frames 1 to 3
    for (const auto& [top, fine] : expected) {
        scroll(1);
        EXPECT_EQ(std::tuple(shell_state.top_line, shell_state.fine_offset), std::tuple(top, fine));
    }
    // Held to the end the last line sits in the last row; held back up to the first line.
    for (int key : {vk_down, vk_up}) {
        headless_key(vk_down, key == vk_down);
        headless_key(vk_up, key == vk_up);
        scroll(4000);
        EXPECT_EQ(shell_state.top_line, key == vk_down ? 1358 : 0);
        EXPECT_GE(shell_state.fine_offset, -1);
        EXPECT_LE(shell_state.fine_offset, 12);
    }
    headless_key(vk_up, false);
    const int32_t fine = shell_state.fine_offset;  // the wheel leaves it
    const int steps[][2] = {{-1, 4}, {-4, 16}, {10, 0}, {-1000, 1358}};  // wheel counter, top_line
    for (const auto& [counter, top] : steps) {
        display_state.wheel = counter;
        scroll(1);
        EXPECT_EQ(std::tuple(shell_state.top_line, shell_state.fine_offset), std::tuple(top, fine))
            << counter;
    }
    // A short page moves neither way.
    load_page(7);
    display_state.wheel = -1010;
    headless_key(vk_down, true);
    scroll(1);
    headless_key(vk_down, false);
    EXPECT_EQ(std::tuple(shell_state.top_line, shell_state.fine_offset), std::tuple(0, 0));
}

TEST_F(PageViewer, DraggingOnPage4FollowsThePointerAndIgnoresTheLatch) {
    load_page(4);
    auto& s = shell_state;
    s.click_latched = 1;
    // {skin, x, y, button, then top_line, dragging, pointer kind}: still dragging outside the zone until
    // the button goes up; 'Carbon' shifts the zone right by 5 (10 * 1359 / 352 is nearest 39).
    const int steps[][7] = {{1, 780, 201, 1, 4, 1, 1},   {1, 780, 560, 1, 1358, 1, 1},
                            {1, 100, 300, 1, 386, 1, 1}, {1, 100, 300, 0, 386, 0, 1},
                            {2, 785, 300, 0, 386, 0, 2}, {2, 785, 210, 1, 39, 1, 1}};
    for (const auto& [skin, x, y, button, top, dragging, kind] : steps) {
        s.current_skin = skin;
        set_pointer(x, y, button);
        drag_scrollbar();
        EXPECT_EQ(std::tuple(s.top_line, s.dragging, int{s.pointer_kind}), std::tuple(top, dragging, kind))
            << x << "," << y;
    }
    // A page of 33 lines draws no thumb and does not drag.
    load_page(7);
    s.end_line = 33;
    clear_framebuffer(0x101010);
    draw_scrollbar();
    for (int y = 190; y < 580; ++y) ASSERT_EQ(frame_pixel(782, y), 0x101010u);
    set_pointer(780, 500, 1);
    drag_scrollbar();
    EXPECT_EQ(s.top_line, 0);
}

TEST_F(PageViewer, ScrollGlowRisesInTheZoneAndFalls) {
    load_page(4);
    const int steps[][3] = {{780, 40, 125}, {700, 10, 75}, {700, 40, 0}};  // mouse x, frames, glow
    for (const auto& [x, frames, glow] : steps) {
        set_pointer(x, 300);
        for (int i = 0; i < frames; ++i) drag_scrollbar();
        EXPECT_EQ(shell_state.scroll_glow, glow);
    }
}

TEST_F(PageViewer, RuleBarsStopAtTheEndLineInnerRowsPaintWholeCellsAndEdgeRowsAreTransparent) {
    // Page 1: 32 lines of 'M', a green bar on line 2, its end marker in row 32 keeping page 2's red code.
    pages = fixture_pages{};
    for (int i = 0; i < 40; ++i) pages.add(2, "", std::string(80, '1'), std::string(80, '1'), "2");
    for (int i = 0; i < 32; ++i)
        pages.add(1, std::string(80, 'M'), std::string(80, '1'), std::string(80, '1'), i == 2 ? "3" : "0");
    pages.add(1, "<END>");
    create_content_tables();
    fill_page_tables(pages.finish());
    load_page(2);
    load_page(1);
    EXPECT_EQ(view_rule(32), '2');
    clear_framebuffer(0x00FF00FF);
    draw_page_rules();
    draw_page_text();
    EXPECT_EQ(frame_pixel(21, window_row_y(2) + 6), 0x00FF00u);
    EXPECT_EQ(frame_pixel(21, window_row_y(32) + 6), 0x00FF00FFu);  // the stale code is not drawn
    // Row 1 is inside the band: its cell is painted, its empty pixels black. Row 31 (partly below the
    // band) keeps the background between glyph pixels.
    bool painted_black = false, kept = false;
    for (int x = 32; x < 41; ++x) {
        for (int y = window_row_y(1); y < window_row_y(1) + 12; ++y) painted_black |= frame_pixel(x, y) == 0;
        for (int y = window_row_y(31); y < 570; ++y) kept |= frame_pixel(x, y) == 0x00FF00FFu;
    }
    EXPECT_TRUE(painted_black);
    EXPECT_TRUE(kept);
    // Row 0 lies above the band: nothing drawn there, glyphs clipped at row 193.
    for (int y = 175; y < 193; ++y) ASSERT_EQ(frame_pixel(40, y), 0x00FF00FFu);
}

TEST_F(PageViewer, AWipeTakes75FramesEachWayWhileTheTickerAndTheNoteBarsMoveOn) {
    headless_options o;
    o.keep_frames = true;
    headless_reset(o);
    display_state = display_state_t{};
    display_open("test", 800, 600);
    const magazine_tune tunes[5] = {{}, {nullptr, 0, "T", "C"}, {}, {}, {}};
    build_ticker_lines(tunes);
    shell_state.ticker_pos = 66;  // the help line's text, past its spaces
    viewer_state.bar[5] = 133.0;  // pushed as far as a bar goes
    shell_state.top_line = 10;
    shell_state.fine_offset = 7;
    open_page(14);
    EXPECT_EQ(headless_frame_count(), 150u);
    EXPECT_EQ(std::tuple(shell_state.end_line, shell_state.top_line, shell_state.fine_offset),
              std::tuple(88, 0, 0));
    auto at = [](uint64_t frame, int x, int y) {
        uint32_t p;
        std::memcpy(&p, &headless_frame(frame)[static_cast<size_t>(y * headless_pitch() + 4 * x)], 4);
        return p & 0xFFFFFFu;
    };
    constexpr uint32_t grey = 0x404040;
    // First frame: one stripe at each edge. Widest: every other column to the far side. Last: back at the
    // edges.
    const std::tuple<uint64_t, int, int, uint32_t> wipe[] = {
        {0, 20, 400, 0},   {0, 767, 400, 0},    {0, 700, 400, grey},
        {74, 700, 400, 0}, {74, 21, 400, grey}, {74, 700, 191, grey},
        {75, 766, 400, 0}, {149, 26, 400, 0},   {149, 700, 400, grey}};
    for (const auto& [frame, x, y, colour] : wipe)
        EXPECT_EQ(at(frame, x, y), colour) << frame << " " << x << "," << y;
    // The ticker moves a pixel left in every frame, across the page change too.
    int lit = 0;
    for (uint64_t frame : {0u, 74u, 148u})
        for (int y = 124; y < 133; ++y)
            for (int x = 146; x < 648; ++x) {
                ASSERT_EQ(at(frame + 1, x, y), at(frame, x + 1, y)) << frame << " " << x << "," << y;
                lit += at(frame, x, y) != grey;
            }
    EXPECT_GT(lit, 100);
    // Bar 5 sinks back two rows a frame: its top row is 135 + 2f (its colours are the note bar test's).
    for (int f = 0; f < 7; ++f) {
        EXPECT_NE(at(static_cast<uint64_t>(f), 223, 135 + 2 * f), grey) << f;
        EXPECT_EQ(at(static_cast<uint64_t>(f), 223, 134 + 2 * f), grey) << f;
    }
    EXPECT_EQ(at(7, 223, 147), grey);
}
