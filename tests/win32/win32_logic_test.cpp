// The Windows backend's decisions against scripted DirectDraw results: mode search order, flip chain
// fallbacks, pixel format to converter, lost surfaces and modes, and window messages into the layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/win32/win32_logic.h"
#include "render/display.h"

namespace {

constexpr int32_t refused = static_cast<int32_t>(0x80004005u);

// A fake device: records every argument it is called with and accepts only the listed ones.
struct fake_calls {
    std::vector<int> accepted;
    std::vector<int> tried;
    static int32_t call(void* context, int value) {
        auto* fake = static_cast<fake_calls*>(context);
        fake->tried.push_back(value);
        return std::ranges::count(fake->accepted, value) ? win32_dd_ok : refused;
    }
};

TEST(win32_display, mode_search_goes_32_24_16_and_flip_chains_2_1_0_stopping_at_the_first_accepted) {
    struct search_case {
        int (*search)(int32_t (*)(void*, int), void*);
        std::vector<int> accepted;
        int result;
        std::vector<int> tried;
    };
    const search_case cases[] = {
        {win32_choose_mode, {16}, 16, {32, 24, 16}}, {win32_choose_mode, {24, 16}, 24, {32, 24}},
        {win32_choose_mode, {8}, 0, {32, 24, 16}},   {win32_make_primary, {0}, 0, {2, 1, 0}},
        {win32_make_primary, {}, -1, {2, 1, 0}},
    };
    for (const search_case& c : cases) {
        fake_calls fake{c.accepted, {}};
        EXPECT_EQ(c.search(fake_calls::call, &fake), c.result);
        EXPECT_EQ(fake.tried, c.tried);
    }
}

// The converter chosen from the masks is the render suite's: here only that they arrive in order.
TEST(win32_display, an_rgb_surface_format_is_passed_on_and_a_palette_one_is_refused) {
    display_pixel_format f{};
    ASSERT_EQ(win32_pixel_format(win32_ddpf_rgb, 16, 0xF800, 0x07E0, 0x001F, &f), 1);
    EXPECT_EQ(std::tuple(f.bits, f.red_mask, f.green_mask, f.blue_mask),
              std::tuple(16, 0xF800u, 0x07E0u, 0x001Fu));
    EXPECT_EQ(win32_pixel_format(0x20, 8, 0, 0, 0, &f), 0);  // 8-bit palette: not RGB
}

// A back surface that is lost until restored, and a primary that comes back only in the right mode.
struct fake_surface {
    bool lost = true, restore_works = true, mode_right = true;
    int locks = 0, restores = 0;
    std::vector<int> modes_set{};
    uint8_t pixels[16] = {};
};

int32_t fake_lock(void* context, uint8_t** rows, int* pitch) {
    auto* s = static_cast<fake_surface*>(context);
    ++s->locks;
    if (s->lost) return win32_dderr_surfacelost;
    std::tie(*rows, *pitch) = std::tuple(s->pixels, 8);
    return win32_dd_ok;
}
int32_t fake_restore(void* context) {
    auto* s = static_cast<fake_surface*>(context);
    ++s->restores;
    if (!s->mode_right) return win32_dderr_wrongmode;
    if (!s->restore_works) return refused;
    s->lost = false;
    return win32_dd_ok;
}
int32_t fake_set_mode(void* context, int bits) {
    static_cast<fake_surface*>(context)->modes_set.push_back(bits);
    static_cast<fake_surface*>(context)->mode_right = true;
    return win32_dd_ok;
}

TEST(win32_display, lost_surfaces_are_restored_once_and_a_mode_put_back_while_inactive_is_set_again) {
    fake_surface s, gone{.restore_works = false}, full{.mode_right = false}, window{.mode_right = false};
    int pitch = 0;
    EXPECT_EQ(win32_lock_surface({fake_lock, fake_restore, &s}, &pitch), s.pixels);
    EXPECT_EQ(std::tuple(pitch, s.locks), std::tuple(8, 2));
    // One that cannot come back drops the frame after one restore, without looping.
    EXPECT_EQ(win32_lock_surface({fake_lock, fake_restore, &gone}, &pitch), nullptr);
    EXPECT_EQ(std::tuple(gone.locks, gone.restores), std::tuple(1, 1));
    EXPECT_EQ(win32_restore_surface(fake_restore, fake_set_mode, 24, &full), win32_dd_ok);
    EXPECT_TRUE(full.modes_set == std::vector<int>{24} && !full.lost);
    // A window has no mode of its own to set: the error stands (a mode set would have mended it).
    EXPECT_EQ(win32_restore_surface(fake_restore, fake_set_mode, 0, &window), win32_dderr_wrongmode);
}

TEST(win32_display, flips_that_return_at_once_leave_the_pacing_to_the_layer) {
    // Rate 0 is unknown, taken as 60 Hz.
    for (auto [seconds, hz, waits] :
         {std::tuple{1.0 / 60, 60, 1}, std::tuple{1.0 / 85, 85, 1}, std::tuple{0.0005, 60, 0},
          std::tuple{0.0005, 0, 0}, std::tuple{1.0 / 60, 0, 1}})
        EXPECT_EQ(win32_flip_waits(seconds, hz), waits) << seconds << " " << hz;
}

// Runs one window message through the translation and, when it is the layer's, its window procedure.
int deliver(uint32_t message, uint64_t wparam, int64_t lparam) {
    display_message m{};
    int use = win32_translate_message(message, wparam, lparam, &m);
    if (use & win32_use_layer) display_window_proc(m);
    return use;
}

TEST(win32_display, window_messages_go_to_the_layer_or_the_default_handling) {
    display_state = display_state_t{};
    display_set_close_on_escape(0);
    deliver(win32_wm_mousemove, 0x0001, (599 << 16) | 799);
    EXPECT_EQ(std::pair(display_mouse_x(), display_mouse_y()), std::pair(799, 599));
    // Wheel delta in the high half of the first parameter; the upper 32 bits of a 64-bit one are noise.
    deliver(win32_wm_mousewheel, 0xFFFFFFFF'FF880000ull, 0);
    deliver(win32_wm_mousewheel, 0xFF880000ull, 0);
    EXPECT_EQ(display_wheel(), -2);
    // A close request is the program's to decide, never the default handling's (which would destroy
    // the window); paint needs the default handling too, to validate the window.
    const std::tuple<uint32_t, uint64_t, int> uses[] = {
        {win32_wm_activateapp, 1, win32_use_layer}, {win32_wm_close, 0, win32_use_layer},
        {win32_wm_keydown, 27, win32_use_layer},    {win32_wm_paint, 0, win32_use_layer | win32_use_default},
        {0x0020 /* set cursor */, 0, win32_use_default}};
    for (auto [message, wparam, use] : uses) EXPECT_EQ(deliver(message, wparam, 0), use) << message;
    // Alt+Enter reaches the layer as Enter with the Alt bit (and switches mode there); other system
    // keys keep their default handling, Alt+F4 among them.
    display_message m{};
    EXPECT_EQ(win32_translate_message(win32_wm_syskeydown, 0x0D, int64_t{1} << 29, &m), win32_use_layer);
    EXPECT_TRUE(m.kind == display_message_kind::key_down && m.lparam == 1u << 29);
    EXPECT_EQ(win32_translate_message(win32_wm_syskeydown, 0x73, int64_t{1} << 29, &m), win32_use_default);
}

TEST(win32_keys, a_press_that_came_and_went_unwatched_is_forgotten_a_held_key_is_not) {
    const int16_t tapped = 0x0001, held_and_pressed = -32767, held = static_cast<int16_t>(0x8000);
    EXPECT_EQ(win32_filter_key(tapped, true), tapped);  // a quick tap while polled every frame counts
    EXPECT_EQ(win32_filter_key(tapped, false), 0);       // made during a wipe or a noise burst
    EXPECT_EQ(win32_filter_key(held_and_pressed, false), held_and_pressed);
    EXPECT_EQ(win32_filter_key(held, false), held);
}

}  // namespace
