// Windows backend of the display seam: DirectDraw loaded at run time, either exclusive full screen
// with a flip chain or a window with an off-screen surface, a clipper and a blit; the window
// procedure queueing the messages the display layer reads; keys, clock and message box.
//
// Sections: state, window procedure, display backend, keys, clock and system services.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: ddraw.h builds on its types.
#include <ddraw.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/display_backend.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "platform/win32/win32_logic.h"

static_assert(win32_dderr_surfacelost == DDERR_SURFACELOST && win32_dderr_wrongmode == DDERR_WRONGMODE);
static_assert(win32_ddpf_rgb == DDPF_RGB);
static_assert(win32_wm_paint == WM_PAINT && win32_wm_close == WM_CLOSE && win32_wm_activateapp == WM_ACTIVATEAPP);
static_assert(win32_wm_keydown == WM_KEYDOWN && win32_wm_mousemove == WM_MOUSEMOVE);
static_assert(win32_wm_syskeydown == WM_SYSKEYDOWN);
static_assert(win32_wm_lbuttondown == WM_LBUTTONDOWN && win32_wm_lbuttonup == WM_LBUTTONUP);
static_assert(win32_wm_mousewheel == WM_MOUSEWHEEL);

namespace {

using direct_draw_create = HRESULT(WINAPI*)(GUID* device, IDirectDraw** ddraw, IUnknown* outer);

struct win32_display_state_t {
    HMODULE ddraw_module = nullptr;
    IDirectDraw* ddraw = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;  // the chain's back buffer, or the window's off-screen surface
    IDirectDrawClipper* clipper = nullptr;
    HWND window = nullptr;
    bool class_registered = false;
    std::string title;
    const char* failure = "";  // why the last open failed
    int flip_waits = -1;       // measured on the first question: -1 not yet
    int width = 0, height = 0;
    int bits = 0;  // full screen: the display mode's bits per pixel
    bool windowed = false;
    // Messages the window procedure took, waiting for the layer's pump. Fixed: present never allocates.
    std::array<display_message, 256> queue{};
    size_t queued = 0;
    bool borderless = false;
    // Per virtual key: polled since the last pump, and polled during the frame before it.
    std::array<bool, 256> key_polled{};
    std::array<bool, 256> key_watched{};
};
win32_display_state_t win32_display;

// ---- window procedure ----

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    display_message m{};
    int use = win32_translate_message(message, wparam, lparam, &m);
    // Activation comes while the mode is set, before the first pump: queued, not lost.
    if ((use & win32_use_layer) && win32_display.queued < win32_display.queue.size())
        win32_display.queue[win32_display.queued++] = m;
    return (use & win32_use_default) ? DefWindowProcA(window, message, wparam, lparam) : 0;
}

// Takes every waiting message off the thread's queue and through the window procedure.
void dispatch_waiting() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Notes why the open failed; false, for the caller to return.
bool failed(const char* why) {
    win32_display.failure = why;
    return false;
}

int open_failed(const char* why) {
    failed(why);
    return 0;
}

// ---- DirectDraw calls the decisions make ----

int32_t set_mode(void*, int bits) {
    auto& s = win32_display;
    return s.ddraw->SetDisplayMode(static_cast<DWORD>(s.width), static_cast<DWORD>(s.height), static_cast<DWORD>(bits));
}

int32_t create_primary(void*, int back_buffers) {
    auto& s = win32_display;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
    if (back_buffers > 0) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = static_cast<DWORD>(back_buffers);
    }
    return s.ddraw->CreateSurface(&desc, &s.primary, nullptr);
}

int32_t lock_back(void*, uint8_t** rows, int* pitch) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    HRESULT r = win32_display.back->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_SURFACEMEMORYPTR, nullptr);
    if (r == DD_OK) {
        *rows = static_cast<uint8_t*>(desc.lpSurface);
        *pitch = static_cast<int>(desc.lPitch);
    }
    return r;
}

int32_t restore_primary(void*) { return win32_display.primary->Restore(); }

int32_t restore_surfaces(void*) {
    auto& s = win32_display;
    HRESULT r = DD_OK;
    if (s.primary && s.primary->IsLost() == DDERR_SURFACELOST)
        r = win32_restore_surface(restore_primary, set_mode, s.windowed ? 0 : s.bits, nullptr);
    // The chain's back buffer comes back with the primary; the window's own surface does not.
    if (r == DD_OK && s.windowed && s.back && s.back->IsLost() == DDERR_SURFACELOST) r = s.back->Restore();
    return r;
}

bool open_full_screen() {
    auto& s = win32_display;
    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = s.title.c_str();
    s.class_registered = RegisterClassA(&wc) != 0;
    SetCursor(nullptr);
    s.window = CreateWindowExA(0, s.title.c_str(), s.title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               wc.hInstance, nullptr);
    if (!s.window) return failed("no window");
    // Shown, so that the window owns the screen and gets the activation back after a message box;
    // an unmapped window never shows a flip and never becomes active again.
    ShowWindow(s.window, SW_SHOW);
    if (s.ddraw->SetCooperativeLevel(s.window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK)
        return failed("exclusive full screen refused");
    s.bits = win32_choose_mode(set_mode, nullptr);
    if (s.bits == 0) return failed("no 800 x 600 mode at 32, 24 or 16 bits per pixel");
    if (win32_make_primary(create_primary, nullptr) < 0) return failed("no primary surface");
    DDSCAPS caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (s.primary->GetAttachedSurface(&caps, &s.back) != DD_OK) return failed("no back buffer");
    return true;
}

bool open_window(bool borderless) {
    auto& s = win32_display;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the standard arrow
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = s.title.c_str();
    s.class_registered = RegisterClassA(&wc) != 0;
    RECT outer{0, 0, s.width, s.height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    int w = outer.right - outer.left, h = outer.bottom - outer.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) >> 1, y = (GetSystemMetrics(SM_CYSCREEN) - h) >> 1;
    if (borderless) {
        w -= 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
        h -= 2 * GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION);
        s.window = CreateWindowExA(0, s.title.c_str(), s.title.c_str(), WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    } else {
        s.window = CreateWindowExA(0, s.title.c_str(), s.title.c_str(), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x,
                                   y, w, h, nullptr, nullptr, wc.hInstance, nullptr);
    }
    if (!s.window) return failed("no window");
    ShowWindow(s.window, SW_SHOWNORMAL);
    if (s.ddraw->SetCooperativeLevel(s.window, DDSCL_NORMAL) != DD_OK) return failed("cooperative level refused");
    if (create_primary(nullptr, 0) != DD_OK) return failed("no primary surface");
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = static_cast<DWORD>(s.width);
    desc.dwHeight = static_cast<DWORD>(s.height);
    if (s.ddraw->CreateSurface(&desc, &s.back, nullptr) != DD_OK) return failed("no off-screen surface");
    if (s.ddraw->CreateClipper(0, &s.clipper, nullptr) != DD_OK || s.clipper->SetHWnd(0, s.window) != DD_OK ||
        s.primary->SetClipper(s.clipper) != DD_OK)
        return failed("no clipper");
    return true;
}

template <typename T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

// ---- display backend ----

int display_backend_open(const display_backend_config& config) {
    auto& s = win32_display;
    s.title = config.title ? config.title : "";
    s.width = config.width;
    s.height = config.height;
    s.windowed = config.windowed != 0;
    s.borderless = config.borderless != 0;
    s.queued = 0;
    s.key_watched.fill(true);
    s.failure = "";
    s.flip_waits = -1;
    s.ddraw_module = LoadLibraryA("ddraw.dll");
    if (!s.ddraw_module) return open_failed("ddraw.dll not found");
    auto create = reinterpret_cast<direct_draw_create>(
        reinterpret_cast<void*>(GetProcAddress(s.ddraw_module, "DirectDrawCreate")));
    if (!create) return open_failed("ddraw.dll has no DirectDrawCreate");
    if (create(nullptr, &s.ddraw, nullptr) != DD_OK) return open_failed("no DirectDraw object");
    if (!(s.windowed ? open_window(config.borderless != 0) : open_full_screen())) return 0;
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
    return 1;
}

const char* display_backend_failure() { return win32_display.failure; }

namespace {
// Releases the surfaces and the window, keeping DirectDraw itself, for a switch of mode.
void release_surfaces_and_window() {
    auto& s = win32_display;
    if (s.windowed) release(s.back);
    s.back = nullptr;  // a chain's back buffer goes with the primary
    release(s.primary);
    release(s.clipper);
    if (s.ddraw) {
        s.ddraw->RestoreDisplayMode();
        s.ddraw->SetCooperativeLevel(s.window, DDSCL_NORMAL);
    }
    if (s.window) {
        DestroyWindow(s.window);
        s.window = nullptr;
        dispatch_waiting();
    }
    if (s.class_registered) {
        UnregisterClassA(s.title.c_str(), GetModuleHandleA(nullptr));
        s.class_registered = false;
    }
}
}  // namespace

int display_backend_set_windowed(int windowed) {
    auto& s = win32_display;
    if (!s.ddraw) return 0;
    // Exclusive full screen and a window with a clipper are different surfaces: both are made anew.
    release_surfaces_and_window();
    s.windowed = windowed != 0;
    s.flip_waits = -1;
    if (s.windowed ? open_window(s.borderless) : open_full_screen()) return 1;
    // The other way failed: back to the way that worked, if it still does.
    release_surfaces_and_window();
    s.windowed = !s.windowed;
    if (s.windowed) open_window(s.borderless);
    else open_full_screen();
    return 0;
}

int display_backend_flip_waits(int* refresh_hz) {
    auto& s = win32_display;
    DWORD hz = 0;
    if (!s.ddraw || s.ddraw->GetMonitorFrequency(&hz) != DD_OK) hz = 0;
    if (refresh_hz) *refresh_hz = static_cast<int>(hz);
    // A window's copy never waits for the refresh.
    if (s.windowed || !s.primary || !s.back) return 0;
    if (s.flip_waits < 0) {
        // A few black frames, timed after two that warm the driver up: a flip that returns at once does
        // not wait for the refresh.
        DDBLTFX fill{};
        fill.dwSize = sizeof fill;
        constexpr int warm_up = 2, flips = 4;
        double start = 0.0;
        for (int i = 0; i < warm_up + flips; ++i) {
            if (i == warm_up) start = timer_seconds();
            s.back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
            s.primary->Flip(nullptr, DDFLIP_WAIT);
        }
        s.flip_waits = win32_flip_waits((timer_seconds() - start) / flips, static_cast<int>(hz));
    }
    return s.flip_waits;
}

int display_backend_ask(const char* title, const char* question) {
    // A carriage return alone is the question's line break; the box wants it with a line feed.
    std::string text;
    for (const char* c = question ? question : ""; *c; ++c) {
        text += *c;
        if (*c == '\r' && c[1] != '\n') text += '\n';
    }
    return MessageBoxA(nullptr, text.c_str(), title, MB_YESNO | MB_ICONQUESTION) == IDNO ? 0 : 1;
}

int display_backend_pixel_format(display_pixel_format* format) {
    if (!win32_display.primary) return 0;
    DDPIXELFORMAT pf{};
    pf.dwSize = sizeof pf;
    if (win32_display.primary->GetPixelFormat(&pf) != DD_OK) return 0;
    return win32_pixel_format(pf.dwFlags, pf.dwRGBBitCount, pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, format);
}

void display_backend_pump(void (*handler)(const display_message& message)) {
    auto& s = win32_display;
    // Ctrl+C in a console, a logging-off session: a close request, for the program's own shutdown.
    if (quit_signal_take()) handler({display_message_kind::close, 0, 0});
    s.key_watched = s.key_polled;
    s.key_polled.fill(false);
    dispatch_waiting();
    // The handler may close the display (and end the process); take each message off first.
    for (size_t i = 0; i < s.queued; ++i) {
        display_message m = s.queue[i];
        handler(m);
    }
    s.queued = 0;
}

void display_backend_restore() { restore_surfaces(nullptr); }

uint8_t* display_backend_lock(int* pitch) {
    if (!win32_display.back) return nullptr;
    return win32_lock_surface({lock_back, restore_surfaces, nullptr}, pitch);
}

void display_backend_unlock() {
    if (win32_display.back) win32_display.back->Unlock(nullptr);
}

void display_backend_flip() {
    auto& s = win32_display;
    if (!s.primary || !s.back) return;
    if (!s.windowed) {
        s.primary->Flip(nullptr, DDFLIP_WAIT);
        return;
    }
    RECT source{0, 0, s.width, s.height};
    RECT client{};
    GetClientRect(s.window, &client);
    POINT origin{0, 0};
    ClientToScreen(s.window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    s.primary->Blt(&client, s.back, &source, DDBLT_WAIT, nullptr);
}

void display_backend_close() {
    auto& s = win32_display;
    // What the window's destroy posts is dispatched there: it must not stay pending into the process's end.
    release_surfaces_and_window();
    release(s.ddraw);
    if (s.ddraw_module) {
        FreeLibrary(s.ddraw_module);
        s.ddraw_module = nullptr;
    }
    s.queued = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
}

void display_backend_show_cursor(int show) { ShowCursor(show ? TRUE : FALSE); }

// ---- keys, clock and system services ----

int16_t key_state(int vk) {
    if (vk < 0 || vk > 255) return 0;
    auto& s = win32_display;
    s.key_polled[static_cast<size_t>(vk)] = true;
    return win32_filter_key(GetAsyncKeyState(vk), s.key_watched[static_cast<size_t>(vk)]);
}

double timer_seconds() {
    static const double period = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1.0 / static_cast<double>(frequency.QuadPart);
    }();
    static const LONGLONG start = [] {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start) * period;
}

void sleep_ms(int ms) { Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

void show_message_box(const char* caption, const char* text) {
    MessageBoxA(nullptr, text ? text : "", caption ? caption : "", MB_OK | MB_TASKMODAL);
    // The box has no owner, so closing it need not hand the activation back to the full-screen
    // window, which the box's activation minimised: the program takes the screen back itself.
    if (HWND window = win32_display.window) {
        if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    }
}
