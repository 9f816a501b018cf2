// The keyboard highlight: Tab and Shift+Tab move it through the menu entries and side buttons in
// reading order, Enter or Space use the highlighted one, M mutes the music. The highlight works by
// putting the pointer sample on the highlighted item, so it shows the hover look and acts through the
// same hit tests as the mouse.
#pragma once
#include <cstdint>

// Number of places the highlight can take: side buttons 1-3, the left menu column, the right menu
// column with its toggle, side buttons 6, 4, 5, then the tune buttons 7 to 10.
constexpr int32_t focus_places = 20;

// Screen point of place n (1..focus_places) on the current skin and menu: inside the button, or on the
// row's hit and hover areas. False for a place without an item.
bool focus_point(int32_t n, int32_t* x, int32_t* y);
// Tab, Shift+Tab, Enter and Space, after the pointer sample of this frame (real_x, real_y: the mouse as
// the display reports it). A moved mouse drops the highlight; while it is shown the sample sits on it, and
// Enter or Space make the sample a fresh press. Every frame, from read_mouse_and_keys.
void handle_focus_keys(int32_t real_x, int32_t real_y);
// M: music silent or back, without stopping the tune; the ticker says which. Every frame.
void handle_mute_key();
