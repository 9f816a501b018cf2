// SDL2 backend of the display seam: a desktop-sized window showing the 800 x 600 frame scaled with its
// aspect kept (or a plain 800 x 600 window), keys into the key table, and the window's events turned
// into the messages the display layer's window procedure reads.
//
// Sections: state, events, display backend, clock and system services.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>

#include "platform/common/key_table.h"
#include "platform/display_backend.h"
#include "platform/keys.h"
#include "platform/system.h"

namespace {

struct sdl_display_state_t {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0, height = 0;
    bool video_up = false;
    bool vsync = false;
    int refresh_hz = 0;
    std::string failure;
    std::deque<display_message> messages;
};
sdl_display_state_t sdl_display;

// Virtual-key number of an SDL key, or -1 for keys the program does not know.
int virtual_key(SDL_Keycode key) {
    switch (key) {
    case SDLK_ESCAPE: return vk_escape;
    case SDLK_PAGEUP: return vk_prior;
    case SDLK_PAGEDOWN: return vk_next;
    case SDLK_END: return vk_end;
    case SDLK_HOME: return vk_home;
    case SDLK_LEFT: return vk_left;
    case SDLK_UP: return vk_up;
    case SDLK_RIGHT: return vk_right;
    case SDLK_DOWN: return vk_down;
    case SDLK_TAB: return 0x09;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return 0x10;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 0x0D;
    case SDLK_SPACE: return 0x20;
    default: break;
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk_f1 + (key - SDLK_F1);
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    return -1;
}

uint32_t pack_position(int x, int y) {
    // The layer sees the frame's own pixels, as a full-screen surface of exactly 800 x 600 would give.
    x = std::clamp(x, 0, std::max(sdl_display.width - 1, 0));
    y = std::clamp(y, 0, std::max(sdl_display.height - 1, 0));
    return (static_cast<uint32_t>(y) << 16) | static_cast<uint32_t>(x);
}

void push(display_message_kind kind, uint32_t wparam = 0, uint32_t lparam = 0) {
    sdl_display.messages.push_back({kind, wparam, lparam});
}

// Drains SDL's queue: keys go to the key table at once (they are polled between frames, like the
// system's asynchronous key state), everything else waits for the display layer's message pump.
void drain_events() {
    if (!sdl_display.video_up) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            // The desktop's close request (the window manager's close, Alt+F4): the display layer keeps it
            // until a frame loop ends the program.
            push(display_message_kind::close);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            int vk = virtual_key(e.key.keysym.sym);
            if (vk < 0) break;
            if (vk == 0x0D && (e.key.keysym.mod & KMOD_ALT) != 0) {
                // Alt+Enter belongs to the window (full screen or not), never to the program's keys.
                if (e.type == SDL_KEYDOWN && e.key.repeat == 0)
                    push(display_message_kind::key_down, static_cast<uint32_t>(vk), 1u << 29);
                break;
            }
            key_table_event(vk, e.type == SDL_KEYDOWN);
            if (e.type == SDL_KEYDOWN) push(display_message_kind::key_down, static_cast<uint32_t>(vk));
            break;
        }
        case SDL_MOUSEMOTION: push(display_message_kind::mouse_move, 0, pack_position(e.motion.x, e.motion.y)); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.button != SDL_BUTTON_LEFT) break;
            push(display_message_kind::mouse_move, 0, pack_position(e.button.x, e.button.y));
            push(e.type == SDL_MOUSEBUTTONDOWN ? display_message_kind::left_down : display_message_kind::left_up);
            break;
        case SDL_MOUSEWHEEL: {
            int notches = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
            uint32_t delta = static_cast<uint32_t>(static_cast<uint16_t>(notches >= 0 ? 120 : -120)) << 16;
            for (int i = 0; i < std::abs(notches); ++i) push(display_message_kind::wheel, delta);
            break;
        }
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED: push(display_message_kind::activate, 1); break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                push(display_message_kind::activate, 0);
                key_table_clear();  // keys released while away would otherwise stay held
                break;
            case SDL_WINDOWEVENT_EXPOSED: push(display_message_kind::paint); break;
            case SDL_WINDOWEVENT_CLOSE: break;  // followed by SDL_QUIT for our only window
            default: break;
            }
            break;
        default: break;
        }
    }
}

}  // namespace

// ---- display backend ----

namespace {

// SDL's off-screen and dummy drivers, which it falls back to where there is no display at all (a
// console, an SSH session): a window there is never seen, so they count as no display unless asked
// for by name.
bool unseen_video_driver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return !(asked && std::strstr(asked, driver));
}

int open_failed(const std::string& why) {
    sdl_display.failure = why;
    return 0;
}

}  // namespace

const char* display_backend_failure() { return sdl_display.failure.c_str(); }

int display_backend_flip_waits(int* refresh_hz) {
    if (refresh_hz) *refresh_hz = sdl_display.refresh_hz;
    return sdl_display.vsync ? 1 : 0;
}

int display_backend_open(const display_backend_config& config) {
    auto& s = sdl_display;
    s.width = config.width;
    s.height = config.height;
    s.failure.clear();
    if (!s.video_up) {
        // Interrupt and terminate signals stay with the program, which ends through its own shutdown.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return open_failed(std::string("no display: ") + SDL_GetError());
        s.video_up = true;
        if (unseen_video_driver()) {
            const std::string driver = SDL_GetCurrentVideoDriver();
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            s.video_up = false;
            return open_failed("no display: only SDL's " + driver + " video driver is available");
        }
    }
    Uint32 flags = SDL_WINDOW_SHOWN;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED, w = config.width, h = config.height;
    SDL_Rect desktop{};
    if (config.windowed == 0 && SDL_GetDisplayBounds(0, &desktop) == 0) {
        // Made desktop-sized and borderless first, so that the frame fills the screen even where no
        // window manager honours the full-screen request; then asked for full screen proper.
        x = desktop.x, y = desktop.y, w = desktop.w, h = desktop.h;
        flags |= SDL_WINDOW_BORDERLESS;
    } else if (config.windowed != 0 && config.borderless) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    s.window = SDL_CreateWindow(config.title, x, y, w, h, flags);
    if (s.window && config.windowed == 0) SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!s.window) return open_failed(std::string("no window: ") + SDL_GetError());
    s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!s.renderer) s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
    if (!s.renderer) return open_failed(std::string("no renderer: ") + SDL_GetError());
    // Whether presents wait for the refresh is the renderer's to confirm; the display layer paces
    // presents itself when it does not.
    SDL_RendererInfo info{};
    s.vsync = SDL_GetRendererInfo(s.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    SDL_DisplayMode mode{};
    const int screen = SDL_GetWindowDisplayIndex(s.window);
    s.refresh_hz = screen >= 0 && SDL_GetCurrentDisplayMode(screen, &mode) == 0 ? mode.refresh_rate : 0;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // Scaling with the aspect kept; SDL maps mouse positions back into these logical pixels.
    if (SDL_RenderSetLogicalSize(s.renderer, config.width, config.height) != 0)
        return open_failed(std::string("no scaling: ") + SDL_GetError());
    s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, config.width,
                                  config.height);
    if (!s.texture) return open_failed(std::string("no texture: ") + SDL_GetError());
    SDL_DisableScreenSaver();
    SDL_RaiseWindow(s.window);
    // The system tells a freshly shown window that it is active; focus events keep it current.
    push(display_message_kind::activate, 1);
    return 1;
}

int display_backend_set_windowed(int windowed) {
    auto& s = sdl_display;
    if (!s.window) return 0;
    if (windowed) {
        if (SDL_SetWindowFullscreen(s.window, 0) != 0) return 0;
        SDL_SetWindowBordered(s.window, SDL_TRUE);
        SDL_SetWindowSize(s.window, s.width, s.height);
        SDL_SetWindowPosition(s.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        SDL_Rect desktop{};
        const int screen = std::max(SDL_GetWindowDisplayIndex(s.window), 0);
        if (SDL_GetDisplayBounds(screen, &desktop) == 0) {
            // As at open: desktop-sized and borderless first, for window managers that ignore the request.
            SDL_SetWindowBordered(s.window, SDL_FALSE);
            SDL_SetWindowPosition(s.window, desktop.x, desktop.y);
            SDL_SetWindowSize(s.window, desktop.w, desktop.h);
        }
        if (SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return 0;
    }
    SDL_RaiseWindow(s.window);
    return 1;
}

int display_backend_ask(const char* title, const char* question) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    std::string text = question ? question : "";
    std::replace(text.begin(), text.end(), '\r', '\n');
    SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, nullptr, title, text.c_str(), 2, buttons, nullptr};
    int answer = 1;
    if (SDL_ShowMessageBox(&data, &answer) != 0) return 1;
    return answer == 0 ? 0 : 1;
}

int display_backend_pixel_format(display_pixel_format* format) {
    if (!sdl_display.texture || !format) return 0;
    Uint32 pixel_format = 0;
    if (SDL_QueryTexture(sdl_display.texture, &pixel_format, nullptr, nullptr, nullptr) != 0) return 0;
    int bits = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (!SDL_PixelFormatEnumToMasks(pixel_format, &bits, &r, &g, &b, &a)) return 0;
    *format = display_pixel_format{SDL_ISPIXELFORMAT_INDEXED(pixel_format) ? 0 : 1, bits, r, g, b};
    return 1;
}

void display_backend_pump(void (*handler)(const display_message& message)) {
    key_table_frame_mark();
    if (quit_signal_take()) handler({display_message_kind::close, 0, 0});
    drain_events();
    auto& q = sdl_display.messages;
    while (!q.empty()) {
        display_message m = q.front();
        q.pop_front();
        handler(m);
    }
}

void display_backend_restore() {}

uint8_t* display_backend_lock(int* pitch) {
    void* pixels = nullptr;
    if (!sdl_display.texture || SDL_LockTexture(sdl_display.texture, nullptr, &pixels, pitch) != 0) return nullptr;
    return static_cast<uint8_t*>(pixels);
}

void display_backend_unlock() {
    if (sdl_display.texture) SDL_UnlockTexture(sdl_display.texture);
}

void display_backend_flip() {
    auto& s = sdl_display;
    if (!s.renderer) return;
    SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
    SDL_RenderClear(s.renderer);
    SDL_RenderCopy(s.renderer, s.texture, nullptr, nullptr);
    SDL_RenderPresent(s.renderer);
}

void display_backend_close() {
    auto& s = sdl_display;
    if (s.texture) SDL_DestroyTexture(s.texture);
    if (s.renderer) SDL_DestroyRenderer(s.renderer);
    if (s.window) SDL_DestroyWindow(s.window);
    s.texture = nullptr;
    s.renderer = nullptr;
    s.window = nullptr;
    s.messages.clear();
    if (s.video_up) {
        SDL_EnableScreenSaver();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        s.video_up = false;
    }
}

void display_backend_show_cursor(int show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

// ---- keys, clock and system services ----

int16_t key_state(int vk) {
    drain_events();
    return key_table_poll(vk);
}

double timer_seconds() {
    using clock = std::chrono::steady_clock;
    static const clock::time_point start = clock::now();
    return std::chrono::duration<double>(clock::now() - start).count();
}

void sleep_ms(int ms) {
    if (ms <= 0) std::this_thread::yield();
    else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void show_message_box(const char* caption, const char* text) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}
