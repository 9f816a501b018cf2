// Display layer: configuration, open and close, the present with its message pump and row conversion,
// and the window procedure that records the mouse, wheel and activation.
#include "render/display.h"

#include <cmath>
#include <cstdlib>

#include "platform/system.h"

display_state_t display_state;

void display_configure(uint8_t ask, const char* question, int32_t windowed, uint8_t borderless) {
    display_state.ask = ask;
    display_state.question = (question && question[0] != '\0') ? question : "Fullscreen Mode ?";
    if (ask == 0) display_state.windowed = windowed;
    display_state.borderless = borderless;
}

void display_set_close_on_escape(uint8_t flag) { display_state.close_on_escape = flag; }

int display_open(const char* title, int32_t width, int32_t height) {
    auto& d = display_state;
    d.width = width;
    d.height = height;
    if (d.ask == 1) d.windowed = display_backend_ask(title, d.question.c_str()) ? 0 : 1;
    if (!display_backend_open({title, width, height, d.windowed, d.borderless})) return 0;
    d.open = true;
    display_pixel_format format{};
    if (!display_backend_pixel_format(&format) || !format.rgb) return 0;
    if (!surface_layout_for(format.bits, format.red_mask, format.green_mask, format.blue_mask, &d.layout)) return 0;
    d.convert = fast_row_converter(d.layout);
    int hz = 0;
    d.flip_waits = display_backend_flip_waits(&hz) != 0;
    d.refresh_interval = 1.0 / (hz > 0 ? hz : 60);
    d.next_flip_due = 0.0;
    d.checked_flips = 0;
    return 1;
}

namespace {
// Without a flip that waits for the refresh, presents are held to the display's rate: all magazine
// motion is counted in frames, so an unpaced loop would run it many times too fast.
void wait_for_refresh() {
    auto& d = display_state;
    const double now = timer_seconds();
    // After a stall (a slow frame, a sleep) the schedule restarts instead of catching up in a burst.
    if (d.next_flip_due == 0.0 || now - d.next_flip_due > d.refresh_interval) d.next_flip_due = now;
    d.next_flip_due += d.refresh_interval;
    const double wait = d.next_flip_due - now;
    if (wait > 0.0) sleep_ms(static_cast<int>(std::ceil(wait * 1000.0)));
}

// A vsync the backend claims is checked against the clock: some drivers accept the request and then
// flip at once. Sixty flips well inside sixty refreshes mean the flips do not wait, and pacing starts.
void check_claimed_vsync() {
    auto& d = display_state;
    const double now = timer_seconds();
    if (d.checked_flips == 0) d.check_started = now;
    if (++d.checked_flips <= 60) return;
    if (now - d.check_started < 60.0 * d.refresh_interval * 0.9) d.flip_waits = false;
    d.checked_flips = 0;
}
}  // namespace

int display_present(const uint32_t* pixels) {
    auto& d = display_state;
    d.left_button.frame_mark();
    display_backend_pump(display_window_proc);
    if (d.active && d.open && d.convert) {
        display_backend_restore();
        int pitch = 0;
        uint8_t* surface = display_backend_lock(&pitch);
        if (!surface) return 0;
        for (int32_t y = 0; y < d.height; ++y)
            d.convert(pixels + static_cast<size_t>(y) * static_cast<size_t>(d.width),
                      surface + static_cast<size_t>(y) * static_cast<size_t>(pitch), d.width);
        display_backend_unlock();
        if (!d.flip_waits) wait_for_refresh();
        display_backend_flip();
        if (d.flip_waits) check_claimed_vsync();
        sleep_ms(0);
    }
    if (d.windowed) sleep_ms(1);
    // An inactive display shows nothing: the caller's loop must not spin at full speed meanwhile.
    if (!d.active) sleep_ms(10);
    return 1;
}

void display_close() {
    display_backend_close();
    display_state.open = false;
    display_state.convert = nullptr;
}

int display_toggle_windowed() {
    auto& d = display_state;
    if (!d.open) return 0;
    const int32_t windowed = d.windowed ? 0 : 1;
    if (!display_backend_set_windowed(windowed)) return 0;
    d.windowed = windowed;
    return 1;
}

int32_t display_mouse_x() { return display_state.mouse_x; }
int32_t display_mouse_y() { return display_state.mouse_y; }
int32_t display_left_button() { return display_state.left_button.poll() != 0 ? 1 : 0; }
int32_t display_wheel() { return display_state.wheel; }

bool display_quit_requested() { return display_state.close_requested != 0; }

namespace {
constexpr uint32_t alt_context_bit = 1u << 29;

// A close request (or Escape) with close-on-escape set ends the process as a normal exit; without it,
// a close request is left for the frame loops to act on.
void close_requested(bool escape) {
    if (!display_state.close_on_escape) {
        if (!escape) display_state.close_requested = 1;
        return;
    }
    display_close();
    std::exit(0);
}
}  // namespace

void display_window_proc(const display_message& m) {
    auto& d = display_state;
    switch (m.kind) {
    case display_message_kind::mouse_move:
        d.mouse_x = static_cast<int32_t>(m.lparam & 0xFFFF);
        d.mouse_y = static_cast<int32_t>((m.lparam >> 16) & 0xFFFF);
        break;
    case display_message_kind::left_down: d.left_button.event(true); break;
    case display_message_kind::left_up: d.left_button.event(false); break;
    case display_message_kind::wheel: {
        auto delta = static_cast<int16_t>(m.wparam >> 16);
        d.wheel += delta >= 0 ? 1 : -1;
        break;
    }
    case display_message_kind::activate: d.active = m.wparam != 0 ? 1 : 0; break;
    case display_message_kind::close: close_requested(false); break;
    case display_message_kind::key_down:
        if ((m.wparam & 0xFF) == 27) close_requested(true);
        // Alt+Enter: full screen or a window, at any time.
        if ((m.wparam & 0xFF) == 0x0D && (m.lparam & alt_context_bit) != 0) display_toggle_windowed();
        break;
    case display_message_kind::paint:
        // In a window the last frame is shown again; in full screen the flip chain holds it.
        if (d.windowed && d.open) display_backend_flip();
        break;
    }
}
