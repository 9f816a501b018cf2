// The sine scroller: its text, advance, the pause at a marker, the per-frame cap, the wrap, and which
// characters it draws.
#include <gtest/gtest.h>

#include <algorithm>

#include "content/issue/issue_names.h"
#include "intro_test_support.h"

namespace {

// A scroller on a short text, unpaused, at the given index and position.
void scroller_on(const std::string& text, int32_t index, double position, double step) {
    intro_state.scroll_text = text;
    intro_state.scroll_index = index;
    intro_state.scroll_position = position;
    intro_state.step = step;
    intro_state.pause_deadline = headless_time() - 1.0;
    update_intro_tables();
}

template <typename F>
std::vector<uint32_t> drawn(F draw) {
    clear_framebuffer(0);
    draw();
    return frame_copy();
}

}  // namespace

TEST(ScrollText, SpacesThenThePiecesWithMarkersAndUpperCaseNames) {
    fresh_intro();
    const std::string& t = intro_state.scroll_text;
    ASSERT_GT(t.size(), 66u);
    EXPECT_EQ(t.substr(0, 66), std::string(66, ' '));
    EXPECT_EQ(t.substr(66, 11), "a     ** WE");
    EXPECT_TRUE(t.ends_with("   *******************************************************"));
    // Seven pauses: welcome, title, two groups, three credits; nothing else is lower case.
    EXPECT_EQ(std::count(t.begin(), t.end(), 'a'), 7);
    EXPECT_TRUE(std::none_of(t.begin(), t.end(), [](char c) { return c != 'a' && std::islower(static_cast<unsigned char>(c)); }));
    std::string g1 = interviewed_group_1, g2 = interviewed_group_2;
    for (char& c : g1) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : g2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const size_t at_g1 = t.find(g1), at_g2 = t.find(g2), at_and = t.find("          AND             ");
    ASSERT_NE(at_g1, std::string::npos);
    ASSERT_NE(at_g2, std::string::npos);
    EXPECT_LT(at_g1, at_and);
    EXPECT_LT(at_and, at_g2);
    // A paused piece shows its name alone: the marker and the name fill the 25 visible cells.
    const size_t marker = t.rfind('a', at_g1);
    EXPECT_EQ(t.find_first_not_of(' ', marker + 1), at_g1);
    EXPECT_GE(t.find("          AND"), marker + 25);
    EXPECT_NE(t.find("ISSUE 31"), std::string::npos);
    EXPECT_NE(t.find("RELEASED BY THE KESTRAVON STAFF ON 17 JUNE 2009!!"), std::string::npos);
}

TEST(Scroller, AdvancesOnlyPastMinus32) {
    fresh_intro();
    scroller_on("ABCDEF", 1, -32.0, 0.0);
    draw_scroller();
    EXPECT_EQ(intro_state.scroll_index, 1);
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -32.0);
    scroller_on("ABCDEF", 1, -32.5, 0.0);
    draw_scroller();
    EXPECT_EQ(intro_state.scroll_index, 2);
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -0.5);
}

TEST(Scroller, MovesAtMostFivePixelsAFrame) {
    fresh_intro();
    scroller_on("ABCDEF", 1, 0.0, 25.0);  // a 100 ms frame
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -5.0);
    intro_state.step = 2.5;
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -7.5);
}

TEST(Scroller, StandsStillForFourSecondsWhenAMarkerComesFirst) {
    fresh_intro();
    scroller_on("XYaBCD", 2, -30.0, 5.0);
    draw_scroller();  // -35: index 3 is the marker
    EXPECT_EQ(intro_state.scroll_index, 3);
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -3.0);
    EXPECT_DOUBLE_EQ(intro_state.pause_deadline, headless_time() + 4.0);
    headless_advance(3.99);
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -3.0);
    headless_advance(0.02);
    draw_scroller();
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -8.0);

    // An upper-case A is an ordinary letter.
    scroller_on("XYABCD", 2, -30.0, 5.0);
    const double before = intro_state.pause_deadline;
    draw_scroller();
    EXPECT_EQ(intro_state.scroll_index, 3);
    EXPECT_DOUBLE_EQ(intro_state.pause_deadline, before);
}

TEST(Scroller, StartsOverAtIndexOneAfterTheLastCharacter) {
    fresh_intro();
    scroller_on("ABC", 3, -31.0, 5.0);
    draw_scroller();
    EXPECT_EQ(intro_state.scroll_index, 1);
    EXPECT_DOUBLE_EQ(intro_state.scroll_position, -4.0);
    // The real text repeats from its 66 spaces: the first screen after the wrap is blank.
    fresh_intro();
    intro_state.scroll_index = static_cast<int32_t>(intro_state.scroll_text.size());
    intro_state.scroll_position = -32.5;
    intro_state.pause_deadline = headless_time() + 100.0;
    update_intro_tables();
    clear_framebuffer(0);
    draw_scroller();
    EXPECT_EQ(intro_state.scroll_index, 1);
    EXPECT_EQ(frame_copy(), std::vector<uint32_t>(800 * 600, 0u));
}

TEST(Scroller, IndexZeroShowsNothingAndDrawsAtTheFlooredPosition) {
    fresh_intro();
    scroller_on("HELLO", 0, 0.0, 0.0);
    const auto nothing = drawn([] { draw_scroller(); });
    EXPECT_EQ(nothing, std::vector<uint32_t>(800 * 600, 0u));

    scroller_on("HELLO", 2, -10.5, 0.0);
    const auto scrolled = drawn([] { draw_scroller(); });
    EXPECT_EQ(scrolled, drawn([] { draw_scroller_text("ELLO", -11); }));
}

TEST(ScrollerText, MarkerIsABlankCellAndCharactersWithoutGlyphsTakeNoRoom) {
    fresh_intro();
    update_intro_tables();
    EXPECT_EQ(drawn([] { draw_scroller_text("aB", 100); }), drawn([] { draw_scroller_text(" B", 100); }));
    EXPECT_EQ(drawn([] { draw_scroller_text("A[B~C", 100); }), drawn([] { draw_scroller_text("ABC", 100); }));
    EXPECT_EQ(drawn([] { draw_scroller_text("AB", 100); }), drawn([] {
                  draw_wave_glyph(big_glyph_column('A'), 100);
                  draw_wave_glyph(big_glyph_column('B'), 132);
              }));
    // Lower case other than the marker draws as upper case.
    EXPECT_EQ(drawn([] { draw_scroller_text("bz", 0); }), drawn([] { draw_scroller_text("BZ", 0); }));
}
