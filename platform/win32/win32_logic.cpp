// The Windows backend's decisions without system calls: mode search, flip chain fallbacks, pixel
// format, lost surfaces and the window messages the display layer hears of.
#include "platform/win32/win32_logic.h"

#include <initializer_list>

int win32_choose_mode(int32_t (*set_mode)(void* context, int bits), void* context) {
    for (int bits : {32, 24, 16})
        if (set_mode(context, bits) == win32_dd_ok) return bits;
    return 0;
}

int win32_make_primary(int32_t (*create)(void* context, int back_buffers), void* context) {
    for (int back_buffers : {2, 1, 0})
        if (create(context, back_buffers) == win32_dd_ok) return back_buffers;
    return -1;
}

int win32_pixel_format(uint32_t flags, uint32_t bits, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask,
                       display_pixel_format* format) {
    if (!format || !(flags & win32_ddpf_rgb)) return 0;
    *format = display_pixel_format{1, static_cast<int>(bits), red_mask, green_mask, blue_mask};
    return 1;
}

int32_t win32_restore_surface(int32_t (*restore)(void* context), int32_t (*set_mode)(void* context, int bits),
                              int bits, void* context) {
    int32_t result = restore(context);
    if (result == win32_dderr_wrongmode && bits != 0 && set_mode(context, bits) == win32_dd_ok) result = restore(context);
    return result;
}

uint8_t* win32_lock_surface(const win32_surface_calls& calls, int* pitch) {
    uint8_t* rows = nullptr;
    int32_t result = calls.lock(calls.context, &rows, pitch);
    // Lost between the restore before the frame and this lock (a mode change by another program).
    if (result == win32_dderr_surfacelost && calls.restore(calls.context) == win32_dd_ok)
        result = calls.lock(calls.context, &rows, pitch);
    return result == win32_dd_ok ? rows : nullptr;
}

int win32_flip_waits(double seconds_per_flip, int refresh_hz) {
    const double period = 1.0 / (refresh_hz > 0 ? refresh_hz : 60);
    return seconds_per_flip >= 0.5 * period ? 1 : 0;
}

int win32_translate_message(uint32_t message, uint64_t wparam, int64_t lparam, display_message* out) {
    auto low = static_cast<uint32_t>(wparam);
    auto position = static_cast<uint32_t>(static_cast<uint64_t>(lparam));
    switch (message) {
    case win32_wm_mousemove: *out = {display_message_kind::mouse_move, 0, position}; return win32_use_layer;
    case win32_wm_lbuttondown: *out = {display_message_kind::left_down, 0, position}; return win32_use_layer;
    case win32_wm_lbuttonup: *out = {display_message_kind::left_up, 0, position}; return win32_use_layer;
    case win32_wm_mousewheel: *out = {display_message_kind::wheel, low, position}; return win32_use_layer;
    case win32_wm_activateapp: *out = {display_message_kind::activate, low != 0 ? 1u : 0u, 0}; return win32_use_layer;
    // Never the default handling: it would destroy the window behind the program's back.
    case win32_wm_close: *out = {display_message_kind::close, 0, 0}; return win32_use_layer;
    case win32_wm_keydown: *out = {display_message_kind::key_down, low, 0}; return win32_use_layer;
    case win32_wm_syskeydown:
        // Only Alt+Enter is the program's; other system keys keep their default handling (Alt+F4).
        if (low != 0x0D) return win32_use_default;
        *out = {display_message_kind::key_down, low, static_cast<uint32_t>(static_cast<uint64_t>(lparam)) & (1u << 29)};
        return win32_use_layer;
    // The default handling validates the window; without it the system sends paint for ever.
    case win32_wm_paint: *out = {display_message_kind::paint, 0, 0}; return win32_use_layer | win32_use_default;
    default: return win32_use_default;
    }
}

int16_t win32_filter_key(int16_t raw, bool watched) {
    const bool held = (static_cast<uint16_t>(raw) & 0x8000u) != 0;
    return held || watched ? raw : int16_t{0};
}
