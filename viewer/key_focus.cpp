// The keyboard highlight over the menus and side buttons, and the mute key.
#include "viewer/key_focus.h"

#include "shell/magazine/shell_state.h"
#include "platform/keys.h"
#include "platform/wave_out.h"
#include "viewer/menus.h"
#include "viewer/viewer_state.h"

namespace {

// Reading order: the left buttons top down, the menu's two columns, the right buttons top down, the
// tune buttons left to right. Positive: a side button; negative: -(10 * column + row) of a menu row.
constexpr int32_t places[focus_places + 1] = {0,   1,   2,   3,   -1,  -2,  -3, -4, -5, -11, -12,
                                              -13, -14, -15, 6,   4,   5,   7,  8,  9,  10};

constexpr int32_t notice_frames = 180;  // about three seconds

}  // namespace

bool focus_point(int32_t n, int32_t* x, int32_t* y) {
    if (n < 1 || n > focus_places) return false;
    const int32_t place = places[n];
    if (place > 0) {
        if (place > shell_state.button_count) return false;
        const auto& v = viewer_state;
        const button_rect_t& r = v.button_rect[static_cast<size_t>(skin_slot())][static_cast<size_t>(place)];
        *x = r.x + r.w / 2;
        *y = r.y + r.h / 2;
        return true;
    }
    const int32_t column = -place / 10, row = -place % 10;
    // Row 5 of the right column is the toggle, shown in both menus.
    const bool toggle = column == 1 && row == 5;
    if (!toggle) {
        const int32_t e = menu_row_entry(shell_state.current_menu, column, row);
        if (e == 0 || viewer_state.entry_enabled[static_cast<size_t>(e)] != 1) return false;
    } else if (shell_state.current_menu != 1 && shell_state.current_menu != 2) {
        return false;
    }
    // Inside both the row's hit area and its hover box.
    *x = column == 0 ? 270 : 524;
    *y = 54 + 12 * row;
    return true;
}

void handle_focus_keys(int32_t real_x, int32_t real_y) {
    auto& s = shell_state;
    if (s.key_focus != 0 && (real_x != s.focus_mouse_x || real_y != s.focus_mouse_y)) s.key_focus = 0;
    if (key_struck(key_state(vk_tab))) {
        const int32_t step = key_held(key_state(vk_shift)) ? -1 : 1;
        int32_t n = s.key_focus;
        int32_t x = 0, y = 0;
        for (int32_t tries = 0; tries < focus_places; ++tries) {
            n += step;
            if (n > focus_places) n = 1;
            if (n < 1) n = focus_places;
            if (focus_point(n, &x, &y)) break;
        }
        s.key_focus = n;
        s.focus_mouse_x = real_x;
        s.focus_mouse_y = real_y;
    }
    // Both keys are polled every frame, so a tap counts whether or not something is highlighted.
    const bool use = key_struck(key_state(vk_return)) | key_struck(key_state(vk_space));
    int32_t x = 0, y = 0;
    if (s.key_focus == 0 || !focus_point(s.key_focus, &x, &y)) return;
    s.mouse_x = x;
    s.mouse_y = y;
    if (use && s.mouse_button == 0 && s.click_latched == 0) s.mouse_button = 1;
}

void handle_mute_key() {
    if (!key_struck(key_state(vk_m))) return;
    uint32_t volume = 0xFFFFFFFFu;
    waveOutGetVolume(nullptr, &volume);
    const bool mute = volume != 0;
    waveOutSetVolume(nullptr, mute ? 0u : 0xFFFFFFFFu);
    viewer_state.ticker_notice = mute ? "Music off" : "Music on";
    viewer_state.ticker_notice_frames = notice_frames;
}
