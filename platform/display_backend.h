// The seam between the display layer and a window system: a surface to lock, convert into and flip,
// and the window's messages in the shape the layer's window procedure understands.
#pragma once
#include <cstdint>

// A window message as the layer's window procedure sees it.
enum class display_message_kind : uint8_t {
    mouse_move,   // lparam: x in the low 16 bits, y in the high 16 bits (framebuffer pixels)
    left_down,
    left_up,
    wheel,        // wparam: wheel delta in the high 16 bits, signed
    activate,     // wparam: non-zero = the application became active
    close,        // the user asked to close the window
    key_down,     // wparam: virtual-key code; lparam bit 29: Alt was held (the system's context bit)
    paint,
};
struct display_message {
    display_message_kind kind;
    uint32_t wparam;
    uint32_t lparam;
};

// The RGB layout of the surface the backend hands out.
struct display_pixel_format {
    int rgb;  // 0: not an RGB format (palette or other); the layer refuses it
    int bits; // 16, 24 or 32 for the formats the layer converts into
    uint32_t red_mask, green_mask, blue_mask;
};

// What the layer asks of the backend at open time.
struct display_backend_config {
    const char* title;
    int width, height;
    int windowed;   // 0: full screen
    int borderless; // windowed only: a frameless popup
};

// Opens the window and its surface. Returns 1, or 0 when no window or surface can be made.
int display_backend_open(const display_backend_config& config);
// Why the last open failed, in one line for the user; empty after a successful open.
const char* display_backend_failure();
// Whether a flip waits for the display's vertical refresh (1) or returns at once (0); refresh_hz is the
// display's rate, 0 when unknown. Asked once after open.
int display_backend_flip_waits(int* refresh_hz);
// Switches the open window between full screen (0) and an 800 x 600 window (1), keeping the surface's
// size and format, so the frame, the pointer mapping and everything else carry on. 1 when done.
int display_backend_set_windowed(int windowed);
// Asks the Yes/No question of the optional start-up box; 1 = Yes. Backends without one answer Yes.
int display_backend_ask(const char* title, const char* question);
// Reads the surface's pixel format; 0 when it cannot be read.
int display_backend_pixel_format(display_pixel_format* format);
// Hands every waiting message to handler, in order, until none is left.
void display_backend_pump(void (*handler)(const display_message& message));
// Brings back a surface lost while inactive. Called before each lock.
void display_backend_restore();
// Locks the back surface; returns its first row and the byte pitch, or nullptr when it cannot be locked.
uint8_t* display_backend_lock(int* pitch);
// Unlocks the back surface after the rows are written.
void display_backend_unlock();
// Shows the back surface (flip in full screen, copy to the window otherwise).
void display_backend_flip();
// Releases the surface and destroys the window; safe to call twice.
void display_backend_close();
// Shows or hides the system pointer over the window.
void display_backend_show_cursor(int show);
