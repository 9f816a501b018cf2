// The sine scroller: its text, the advance with its cap, the pause at a marker, the wrap, and which
// characters it draws.
#include <gtest/gtest.h>

#include <algorithm>

#include "intro_test_support.h"

namespace {

// An unpaused scroller on text at the given index and position.
void scroller_on(const std::string& text, int32_t index, double position, double step) {
    intro_state.scroll_text = text;
    intro_state.scroll_index = index;
    intro_state.scroll_position = position;
    intro_state.step = step;
    intro_state.pause_deadline = headless_time() - 1.0;
    update_intro_tables();
}

const std::vector<uint32_t> black(800 * 600, 0u);

}  // namespace

TEST(ScrollText, SevenMarkersAndUpperCaseNames) {
    fresh_intro();
    const std::string& t = intro_state.scroll_text;
    // Pauses at the welcome, the title, both groups and the three credits; no other lower case, so
    // a name such as the second group's cannot pause the scroller halfway.
    EXPECT_EQ(std::count(t.begin(), t.end(), 'a'), 7);
    EXPECT_EQ(
        std::count_if(t.begin(), t.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); }),
        7);
}

TEST(Scroller, AdvancesPastMinus32AtMostFivePixelsAFrameWrapsPausesAtMarkersAndDrawsFromTheIndex) {
    fresh_intro();
    scroller_on("ABCDEF", 1, -32.5, 0.0);
    draw_scroller();
    EXPECT_EQ(std::pair(intro_state.scroll_index, intro_state.scroll_position), std::pair(2, -0.5));
    intro_state.step = 25.0;  // a 100 ms frame moves 5 pixels, not 25
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -5.5);
    // After the last character it starts over at index 1, where the real text shows its 66 spaces.
    build_intro_texts();
    scroller_on(intro_state.scroll_text, static_cast<int32_t>(intro_state.scroll_text.size()), -31.0, 5.0);
    EXPECT_EQ(drawn([] { draw_scroller(); }), black);
    EXPECT_EQ(std::pair(intro_state.scroll_index, intro_state.scroll_position), std::pair(1, -4.0));

    // A marker coming first holds the scroller for four seconds.
    scroller_on("XYaBCD", 2, -30.0, 5.0);
    draw_scroller();  // -35: index 3, the marker, comes first at -3
    headless_advance(3.99);
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -3.0);
    headless_advance(0.02);
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -8.0);
    // An upper-case A is an ordinary letter.
    scroller_on("XYABCD", 2, -30.0, 5.0);
    draw_scroller();
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -8.0);

    // Drawn from the index at the floored position; index 0 draws nothing.
    scroller_on("HELLO", 0, 0.0, 0.0);
    EXPECT_EQ(drawn([] { draw_scroller(); }), black);
    scroller_on("HELLO", 2, -10.5, 0.0);
    EXPECT_EQ(drawn([] { draw_scroller(); }), drawn([] { draw_scroller_text("ELLO", -11); }));
    // The marker is a blank cell; characters without a glyph take no room; other lower case is upper.
    EXPECT_EQ(drawn([] { draw_scroller_text("aB", 100); }), drawn([] { draw_scroller_text(" B", 100); }));
    EXPECT_EQ(drawn([] { draw_scroller_text("b[z~", 100); }), drawn([] {
                  draw_wave_glyph(big_glyph_column('B'), 100);
                  draw_wave_glyph(big_glyph_column('Z'), 132);
              }));
}
