// The Windows backend's decisions, kept apart from the system calls they steer so that they are
// tested anywhere: the display mode search, the flip chain fallbacks, the surface's pixel format,
// locking a surface that may have been lost, and which window messages reach the display layer.
#pragma once
#include <cstdint>

#include "platform/display_backend.h"

// DirectDraw results the decisions look at (the system's own values; the backend checks them).
constexpr int32_t win32_dd_ok = 0;
constexpr int32_t win32_dderr_surfacelost = static_cast<int32_t>(0x887601C2u);
constexpr int32_t win32_dderr_wrongmode = static_cast<int32_t>(0x8876024Bu);
// The pixel format flag of an RGB surface.
constexpr uint32_t win32_ddpf_rgb = 0x40;

// Window messages the display layer hears of (the system's own numbers).
enum : uint32_t {
    win32_wm_paint = 0x000F,
    win32_wm_close = 0x0010,
    win32_wm_activateapp = 0x001C,
    win32_wm_keydown = 0x0100,
    win32_wm_syskeydown = 0x0104,
    win32_wm_mousemove = 0x0200,
    win32_wm_lbuttondown = 0x0201,
    win32_wm_lbuttonup = 0x0202,
    win32_wm_mousewheel = 0x020A,
};

// Sets the display mode at 32, then 24, then 16 bits per pixel through set_mode (a DirectDraw result).
// Returns the bits of the first mode accepted, or 0 when none is.
int win32_choose_mode(int32_t (*set_mode)(void* context, int bits), void* context);

// Makes the primary surface through create: a flip chain with 2 back buffers, then 1, then a single
// surface (0). Returns the back buffers of the first one made, or -1 when none could be.
int win32_make_primary(int32_t (*create)(void* context, int back_buffers), void* context);

// Fills format from a DirectDraw pixel format's flags, bit count and masks; 0 when the flags are not
// an RGB format (the layer then refuses it).
int win32_pixel_format(uint32_t flags, uint32_t bits, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask,
                       display_pixel_format* format);

// Restores a lost surface through restore. When the display came back in another mode (the system
// put the desktop's mode back while the program was inactive), sets the program's mode of bits again
// through set_mode and restores once more. The last DirectDraw result.
int32_t win32_restore_surface(int32_t (*restore)(void* context), int32_t (*set_mode)(void* context, int bits),
                              int bits, void* context);

// The surface calls win32_lock_surface makes.
struct win32_surface_calls {
    int32_t (*lock)(void* context, uint8_t** rows, int* pitch);
    int32_t (*restore)(void* context);
    void* context;
};
// Locks the back surface; one lost since the last restore is restored and locked once more.
// The first row, or nullptr when it cannot be locked.
uint8_t* win32_lock_surface(const win32_surface_calls& calls, int* pitch);

// Whether flips wait for the vertical refresh, from the time a few flips took each and the display's
// rate (0: unknown, taken as 60 Hz): some drivers (and Wine on a virtual screen) flip at once, and
// the program's motion counted in frames then needs the display layer's own pacing.
int win32_flip_waits(double seconds_per_flip, int refresh_hz);

// What the window procedure does with a message.
enum win32_message_use : int {
    win32_use_default = 1,  // hand it to the system's default handling
    win32_use_layer = 2,    // hand *out to the display layer
};
// Translates a window message for the display layer; returns a mix of win32_message_use bits. Alt+Enter
// (a system key message for Enter) reaches the layer as a key message with the Alt context bit 29.
int win32_translate_message(uint32_t message, uint64_t wparam, int64_t lparam, display_message* out);

// A key's asynchronous state as the program may act on it: a press that came and went while the
// program was not polling this key (a wipe, a noise burst: watched is false) is forgotten, as on the
// other backends; a key still held reads as the system reports it.
int16_t win32_filter_key(int16_t raw, bool watched);
