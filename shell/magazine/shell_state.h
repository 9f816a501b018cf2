// The shell state: the one process-wide set of variables the magazine's parts share, with their start values.
#pragma once
#include <cstdint>

constexpr int content_last_line = 5000;  // highest page line index
constexpr int content_last_page = 20;    // highest page index

struct shell_state_t {
    int32_t top_line = 0;        // first page line in the text window
    int32_t fine_offset = 0;     // pixel offset of the text window's rows, -1 to 12
    int32_t end_line = 1;        // index of the open page's "<END>" line
    int32_t current_menu = 2;    // 1 = charts menu, 2 = articles menu
    int32_t current_skin = 1;    // 1 = 'Grunge', 2 = 'Carbon'
    int32_t current_song = 1;    // background tune 1 to 4
    int32_t ticker_pos = 1;      // first character shown by the status ticker
    double ticker_sub = 0.0;     // ticker pixel phase
    double colour_phase = 0.0;   // rainbow phase; grows by 250 per second of frame time
    uint8_t pointer_kind = 1;    // 1 = normal pointer, 2 = over something clickable
    int32_t mouse_x = 0, mouse_y = 0, mouse_button = 0;  // pointer sample of this frame
    int32_t click_latched = 0;   // 1 once a press has been used, until the button is released
    double wheel_prev = 0.0, wheel_now = 0.0;  // last two wheel-counter samples
    int32_t scroll_glow = 0;     // scroll-bar highlight, 0 to 125
    int32_t dragging = 0;        // 1 while the scroll bar is dragged
    int32_t button_count = 10;   // side buttons
    int32_t quit_requested = 0;  // set by the exit button
    int32_t bar_count = 40;      // note bars
    int32_t bar_width = 12;      // pixel pitch of the note bars
    int32_t bar_rest = 147;      // screen row of an idle note bar's foot
    int32_t tune_channels = 0;   // channel count of the playing module
    int32_t key_focus = 0;       // keyboard highlight: 1.. in reading order (see key_focus.h), 0 = none
    int32_t focus_mouse_x = 0, focus_mouse_y = 0;  // where the mouse was when the highlight moved
};
extern shell_state_t shell_state;
