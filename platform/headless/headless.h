// Control of the headless backend for tests and tools: virtual clock, scripted input, captured frames,
// the surface format and pitch, and forced failures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display_backend.h"

// One scripted input event, applied when the given number of frames has been presented.
struct headless_event {
    enum kind_t : uint8_t {
        key_down, key_up, mouse_move, mouse_down, mouse_up, wheel, activate, close_request,
        quit_signal,  // the process receives the terminate signal
    };
    uint64_t frame;  // applied at the first pump after this many presents
    kind_t kind;
    int a = 0;  // key: virtual key; mouse_move: x; wheel: notches (+ up, - down); activate: flag
    int b = 0;  // mouse_move: y; key_down: 1 = with Alt held (the key reaches the window only)
};

struct headless_options {
    display_pixel_format format{1, 32, 0xFF0000, 0x00FF00, 0x0000FF};
    int pitch = 0;                 // bytes per surface row; 0 = width x pixel size
    bool fail_open = false;        // display_backend_open fails
    bool fail_lock = false;        // display_backend_lock fails
    bool start_active = true;      // the window reports itself active right after open
    double frame_seconds = 1.0 / 60.0;  // virtual time one flip takes (the vertical refresh); 0: no vsync
    bool keep_frames = false;      // keep a copy of every flipped surface (the last one is always kept)
};

// Resets the whole backend (clock to 0, no window, no events, no frames) with these options.
void headless_reset(const headless_options& options = {});
// Adds a scripted input event.
void headless_push(const headless_event& event);
// Key events applied directly, outside any frame (for tests of key polling).
void headless_key(int vk, bool down);

// Number of flips so far.
uint64_t headless_frame_count();
// The surface bytes of flip n (0-based), exactly as the layer wrote them (pitch bytes per row);
// only with keep_frames, else empty.
const std::vector<uint8_t>& headless_frame(uint64_t n);
// The last flipped surface; empty before the first flip.
const std::vector<uint8_t>& headless_last_frame();
int headless_pitch();
// True while the window is open; the title it was opened with.
bool headless_open();
std::string headless_title();
// Current virtual time (same as timer_seconds).
double headless_time();
// Moves virtual time forward, as a test's stand-in for time passing without frames.
void headless_advance(double seconds);
// Pointer visibility as last set by the program.
int headless_cursor_shown();
// 1 while the window is windowed, 0 while full screen (as opened, then as switched); -1 before any open.
int headless_windowed();
// How many times the program switched between full screen and a window.
int headless_mode_switches();
// Message boxes shown, as "caption|text".
const std::vector<std::string>& headless_messages();
// Called by every message box once it is recorded, on the thread that shows it; while the hook runs the
// box counts as open (a hook that blocks until the test lets go is a reader slow to close it).
using headless_message_box_hook = void (*)(const char* caption, const char* text);
// Installs the hook (nullptr removes it); headless_reset removes it too.
void headless_set_message_box_hook(headless_message_box_hook hook);
