// Display layer on the headless backend: open, present into every surface format, the
// window procedure's input state, activation and close semantics.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "platform/headless/headless.h"
#include "render/display.h"

namespace {

class Display : public ::testing::Test {
protected:
    std::vector<uint32_t> frame = std::vector<uint32_t>(800 * 600);

    void open_with(const headless_options& options) {
        display_state = display_state_t{};
        headless_reset(options);
        display_set_close_on_escape(0);
        display_configure(0, "Q", 0, 1);
        ASSERT_EQ(display_open("Test", 800, 600), 1);
    }
    void TearDown() override { display_close(); }
};

}  // namespace

TEST_F(Display, OpenFailsCleanly) {
    // A backend that cannot open, and surfaces that are no RGB format or none of the eight.
    std::vector<headless_options> failing(4);
    failing[0].fail_open = true;
    failing[1].format = {1, 8, 0, 0, 0};
    failing[2].format = {0, 32, 0xFF0000, 0xFF00, 0xFF};
    failing[3].format = {1, 16, 0xF00, 0xF0, 0xF};
    for (const headless_options& o : failing) {
        headless_reset(o);
        display_state = display_state_t{};
        EXPECT_EQ(display_open("T", 800, 600), 0) << o.format.bits;
        display_close();
        display_close();  // a second close releases nothing twice
    }
}

TEST_F(Display, PresentConvertsEveryRowAndKeepsRowEndsUntouched) {
    headless_options o;
    o.format = {1, 16, 0xF800, 0x07E0, 0x001F};
    o.pitch = 1700;  // wider than 800 x 2
    open_with(o);
    frame.assign(frame.size(), 0x808080);
    frame[0] = 0xFF0000;
    frame[599 * 800 + 799] = 0x0000FF;
    EXPECT_EQ(display_present(frame.data()), 1);
    const auto& s = headless_last_frame();
    ASSERT_EQ(s.size(), 1700u * 600u);
    auto px = [&](int x, int y) {
        return static_cast<uint16_t>(s[y * 1700 + 2 * x] | s[y * 1700 + 2 * x + 1] << 8);
    };
    EXPECT_EQ(std::tuple(px(0, 0), px(1, 0), px(5, 300), px(799, 599)),
              std::tuple(0xF800, 0x8410, 0x8410, 0x001F));
    for (int y : {0, 1, 599})
        for (int i = 1600; i < 1700; ++i) ASSERT_EQ(s[y * 1700 + i], 0xCD) << y;  // the backend's fill
}

TEST_F(Display, InactiveFramesAreDroppedAndLockFailureReturnsZero) {
    headless_options o;
    o.start_active = false;
    open_with(o);
    // {activation before the present or -1, frames shown after}: an inactive frame is dropped, not queued.
    for (auto [active, shown] : {std::pair{-1, 0u}, std::pair{1, 1u}, std::pair{0, 1u}}) {
        if (active >= 0) headless_push({headless_frame_count(), headless_event::activate, active});
        EXPECT_EQ(display_present(frame.data()), 1);
        EXPECT_EQ(headless_frame_count(), shown);
    }
    display_close();

    headless_options locked;
    locked.fail_lock = true;
    open_with(locked);
    EXPECT_EQ(display_present(frame.data()), 0);
    EXPECT_EQ(headless_frame_count(), 0u);
}

TEST_F(Display, MouseButtonAndWheelInput) {
    open_with(headless_options{});
    headless_push({0, headless_event::mouse_move, 123, 456});
    headless_push({0, headless_event::mouse_down});
    display_present(frame.data());
    EXPECT_EQ(std::tuple(display_mouse_x(), display_mouse_y(), display_left_button()),
              std::tuple(123, 456, 1));
    headless_push({1, headless_event::mouse_up});
    headless_push({1, headless_event::wheel, -3});
    display_present(frame.data());
    EXPECT_EQ(std::tuple(display_left_button(), display_wheel()),
              std::tuple(0, -3)); // the counter goes negative
    headless_push({2, headless_event::wheel, 1});
    display_present(frame.data());
    EXPECT_EQ(display_wheel(), -2);
    // Positions are taken as unsigned 16-bit halves, not clipped.
    display_window_proc({display_message_kind::mouse_move, 0, 0xFFFF0001u});
    EXPECT_EQ(std::tuple(display_mouse_x(), display_mouse_y()), std::tuple(1, 65535));
}

TEST_F(Display, EscapeAndCloseChangeNothingWithoutCloseOnEscape) {
    open_with(headless_options{});
    headless_push({0, headless_event::key_down, 0x1B});
    headless_push({0, headless_event::close_request});
    EXPECT_EQ(display_present(frame.data()), 1);
    EXPECT_TRUE(headless_open());
    EXPECT_EQ(display_present(frame.data()), 1);
}

TEST(DisplayDeath, CloseRequestEndsTheProcessWhenCloseOnEscapeIsSet) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto run = [](headless_event::kind_t kind, int key) {
        display_state = display_state_t{};
        headless_reset();
        display_open("T", 800, 600);
        headless_push({0, kind, key});
        std::vector<uint32_t> f(800 * 600);
        display_present(f.data());
        std::exit(3);  // not reached when the request closes the display
    };
    EXPECT_EXIT(run(headless_event::close_request, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(run(headless_event::key_down, 0x1B), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(run(headless_event::key_down, 0x21), ::testing::ExitedWithCode(3), "");
}
