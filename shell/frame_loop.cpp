// The magazine's frame loop as a plain list of steps, and the pointer sample with its click latch.
#include "shell/frame_loop.h"

#include <algorithm>

#include "platform/keys.h"
#include "platform/system.h"
#include "render/display.h"
#include "render/framebuffer.h"
#include "shell/magazine/pointer.h"
#include "shell/magazine/shell_state.h"
#include "viewer/frame_body.h"
#include "viewer/key_focus.h"
#include "viewer/menus.h"
#include "viewer/page_viewer.h"
#include "viewer/skins_music.h"
#include "viewer/viewer_state.h"

bool magazine_pass() {
    auto& s = shell_state;
    if (key_struck(key_state(vk_escape)) || s.quit_requested != 0 || display_quit_requested()) return false;
    const double noted = timer_seconds();
    scroll_by_keys_and_wheel();
    handle_buttons();
    handle_menu_clicks();
    draw_frame_body();
    draw_scrollbar();
    drag_scrollbar();
    draw_pointer(s.mouse_x, s.mouse_y);
    display_present(framebuffer.data());
    read_mouse_and_keys();
    sleep_ms(1);
    s.colour_phase += (timer_seconds() - noted) * 250.0;
    return true;
}

void run_magazine_loop() {
    while (magazine_pass()) {
    }
}

void read_mouse_and_keys() {
    auto& s = shell_state;
    const int32_t button = display_left_button();
    if (button == 0 && s.click_latched == 1) s.click_latched = 0;
    const int32_t x = display_mouse_x(), y = display_mouse_y();
    s.mouse_x = std::clamp(x, 1, 789);
    s.mouse_y = std::clamp(y, 1, 589);
    s.mouse_button = button;
    scroll_by_page_keys();
    handle_focus_keys(x, y);
    handle_mute_key();
}
