// Display layer: configuration, open and close, the present with its message pump and row conversion,
// and the window procedure that records the mouse, wheel and activation.
#include "render/display.h"

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
    return 1;
}

int display_present(const uint32_t* pixels) {
    auto& d = display_state;
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
        display_backend_flip();
        sleep_ms(0);
    }
    if (d.windowed) sleep_ms(1);
    return 1;
}

void display_close() {
    display_backend_close();
    display_state.open = false;
    display_state.convert = nullptr;
}

int32_t display_mouse_x() { return display_state.mouse_x; }
int32_t display_mouse_y() { return display_state.mouse_y; }
int32_t display_left_button() { return display_state.left_button; }
int32_t display_wheel() { return display_state.wheel; }

namespace {
// A close request (or Escape) with close-on-escape set ends the process as a normal exit.
void close_requested() {
    if (!display_state.close_on_escape) return;
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
    case display_message_kind::left_down: d.left_button = 1; break;
    case display_message_kind::left_up: d.left_button = 0; break;
    case display_message_kind::wheel: {
        auto delta = static_cast<int16_t>(m.wparam >> 16);
        d.wheel += delta >= 0 ? 1 : -1;
        break;
    }
    case display_message_kind::activate: d.active = m.wparam != 0 ? 1 : 0; break;
    case display_message_kind::close: close_requested(); break;
    case display_message_kind::key_down:
        if ((m.wparam & 0xFF) == 27) close_requested();
        break;
    case display_message_kind::paint:
        // In a window the last frame is shown again; in full screen the flip chain holds it.
        if (d.windowed && d.open) display_backend_flip();
        break;
    }
}
