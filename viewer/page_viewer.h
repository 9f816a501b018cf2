// The page viewer: the 33-row text window with its rule bars, smooth scrolling by keys, wheel and
// scroll bar, and the striped wipes between pages.
#pragma once
#include <cstdint>

constexpr int window_rows = 33;

// Top screen row of window row r at the current fine offset.
int32_t window_row_y(int32_t r);
// Draws the rule bars of the 33 window rows (none past end_line). Every frame and during wipes.
void draw_page_rules();
// Draws the glyphs of the visible lines. Every frame and during wipes.
void draw_page_text();
// Arrow keys (held) and the wheel. Once per frame, before buttons and menu are handled.
void scroll_by_keys_and_wheel();
// Page Up, Page Down, End and Home (struck). From read_mouse_and_keys, after the present.
void scroll_by_page_keys();
// Draws the scroll-bar thumb when the page is longer than the window. Every frame, after the page.
void draw_scrollbar();
// Scroll-bar hover, glow and dragging. Every frame, after draw_scrollbar.
void drag_scrollbar();
// Wipes the text window out, loads the page and wipes it in (150 presented frames).
void open_page(int32_t page);
// The stripes closing over the text window, 75 presented frames.
void wipe_out();
// The stripes withdrawing over the newly loaded page, 75 presented frames.
void wipe_in();
