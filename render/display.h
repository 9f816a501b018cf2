// The display layer: puts the framebuffer on screen once per present, converting to the surface's
// pixel format, runs the window's message pump and reports the mouse, wheel and activation.
#pragma once
#include <cstdint>
#include <string>

#include "platform/display_backend.h"
#include "platform/input_latch.h"
#include "render/pixel_convert.h"

// All of the layer's state: configuration, the open display, and the input the window procedure records.
struct display_state_t {
    // configuration (defaults apply if never set)
    uint8_t ask = 0;
    std::string question = "Fullscreen Mode ?";
    int32_t windowed = 1;
    uint8_t borderless = 0;
    uint8_t close_on_escape = 1;
    // the open display
    int32_t width = 0, height = 0;
    bool open = false;
    surface_layout layout = surface_layout::xrgb32;
    row_converter convert = nullptr;
    bool flip_waits = true;          // the backend's flip waits for the refresh; else presents are paced
    double refresh_interval = 1.0 / 60.0;
    double next_flip_due = 0.0;      // pacing deadline, in timer seconds; 0 = none yet
    int32_t checked_flips = 0;       // flips since the last check of a claimed vsync
    double check_started = 0.0;
    // input, written only by the window procedure
    int32_t mouse_x = 0, mouse_y = 0;
    input_latch left_button;  // sampled once per frame; a quick click between samples still counts
    int32_t wheel = 0;
    int32_t active = 0;
    int32_t close_requested = 0;  // the window was asked to close while closing is left to the program
};
extern display_state_t display_state;

// Stores the start-up question settings; windowed is taken only when ask is 0. Called before open.
void display_configure(uint8_t ask, const char* question, int32_t windowed, uint8_t borderless);
// Whether a close request or Escape closes the display and ends the process. Called before open.
void display_set_close_on_escape(uint8_t flag);
// Opens the window and surface and picks the row converter. 1 on success, 0 on any failure.
int display_open(const char* title, int32_t width, int32_t height);
// Pumps the window's messages and, while active, shows the width x height 0x00RRGGBB pixels.
// 1, or 0 when the surface cannot be locked (that frame is dropped).
int display_present(const uint32_t* pixels);
// Releases the surface and window; a second close does nothing.
void display_close();

// Switches the open display between full screen and a window (Alt+Enter in the window procedure).
// 1 when the backend made the switch; the configuration then holds the new mode.
int display_toggle_windowed();

// Input getters, read between presents.
int32_t display_mouse_x();
int32_t display_mouse_y();
// 1 while the left button is held, or once after a press made since the last sample (not across a
// stretch in which nothing sampled the button).
int32_t display_left_button();
int32_t display_wheel();

// True once the program should end through its normal shutdown: the window was asked to close (the
// desktop's close, or a quit signal the pump turned into one). The frame loops check it every frame.
bool display_quit_requested();

// The window procedure: records one message into the input state (called by the message pump).
void display_window_proc(const display_message& message);
