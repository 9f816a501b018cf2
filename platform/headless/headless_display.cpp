// Headless backend: virtual clock, scripted input, captured frames and a chosen surface format, so that
// the whole program runs inside a test, deterministically and faster than real time.
//
// Sections: state, clock and system services, keys, display backend, test controls.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/common/key_table.h"
#include "platform/display_backend.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/system.h"

namespace {

struct headless_state_t {
    headless_options options;
    std::vector<headless_event> script;  // not yet applied, in push order
    std::deque<display_message> messages;
    std::vector<uint8_t> surface;
    std::vector<std::vector<uint8_t>> frames;
    std::vector<uint8_t> last_frame;
    std::vector<std::string> message_boxes;
    std::string title;
    uint64_t flips = 0;
    int pitch = 0;
    int width = 0, height = 0;
    bool open = false;
    bool locked = false;
    int cursor_shown = 1;
    int windowed = -1;      // as opened or last switched; -1 before the first open
    int mode_switches = 0;  // display_backend_set_windowed calls that switched
    std::thread::id main_thread = std::this_thread::get_id();
};
headless_state_t headless_state;

// Virtual time in nanoseconds; other threads (the players') read it while the main thread advances it.
std::atomic<int64_t> virtual_ns{0};
std::mutex message_box_lock;
// A test's stand-in for the time a reader takes to close a box (see headless_set_message_box_hook).
std::atomic<headless_message_box_hook> message_box_hook{nullptr};

void advance_ns(int64_t ns) { virtual_ns.fetch_add(ns, std::memory_order_relaxed); }

int pixel_bytes() { return (headless_state.options.format.bits + 7) / 8; }

// Moves every scripted event that is due into the key table or the message queue.
void apply_due_events() {
    auto& s = headless_state;
    auto due = [&](const headless_event& e) { return e.frame <= s.flips; };
    for (const headless_event& e : s.script) {
        if (!due(e)) continue;
        switch (e.kind) {
        case headless_event::key_down:
            // With Alt held (b = 1) the key goes to the window alone, as Alt+Enter does.
            if (e.b == 0) key_table_event(e.a, true);
            s.messages.push_back({display_message_kind::key_down, static_cast<uint32_t>(e.a), e.b ? 1u << 29 : 0u});
            break;
        case headless_event::key_up: key_table_event(e.a, false); break;
        case headless_event::mouse_move:
            s.messages.push_back({display_message_kind::mouse_move, 0,
                                  (static_cast<uint32_t>(e.b & 0xFFFF) << 16) | static_cast<uint32_t>(e.a & 0xFFFF)});
            break;
        case headless_event::mouse_down: s.messages.push_back({display_message_kind::left_down, 0, 0}); break;
        case headless_event::mouse_up: s.messages.push_back({display_message_kind::left_up, 0, 0}); break;
        case headless_event::wheel: {
            int notches = e.a;
            uint32_t delta = static_cast<uint32_t>(static_cast<uint16_t>(notches >= 0 ? 120 : -120)) << 16;
            for (int i = 0; i < std::abs(notches); ++i) s.messages.push_back({display_message_kind::wheel, delta, 0});
            break;
        }
        case headless_event::activate:
            s.messages.push_back({display_message_kind::activate, static_cast<uint32_t>(e.a), 0});
            break;
        case headless_event::close_request: s.messages.push_back({display_message_kind::close, 0, 0}); break;
        case headless_event::quit_signal: std::raise(SIGTERM); break;
        }
    }
    s.script.erase(std::remove_if(s.script.begin(), s.script.end(), due), s.script.end());
}

}  // namespace

// ---- clock and system services ----

double timer_seconds() { return static_cast<double>(virtual_ns.load(std::memory_order_relaxed)) * 1e-9; }

void sleep_ms(int ms) {
    // On the main thread a sleep is virtual time passing; the players' threads really sleep, so that
    // they poll the virtual clock as the main thread moves it.
    if (std::this_thread::get_id() == headless_state.main_thread) {
        advance_ns(static_cast<int64_t>(std::max(ms, 0)) * 1000000);
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0)));
    }
}

void show_message_box(const char* caption, const char* text) {
    {
        std::lock_guard<std::mutex> guard(message_box_lock);
        headless_state.message_boxes.push_back(std::string(caption ? caption : "") + "|" + (text ? text : ""));
    }
    // Outside the lock: a hook that blocks is a box left open, which must not hold up other boxes.
    if (headless_message_box_hook hook = message_box_hook.load()) hook(caption ? caption : "", text ? text : "");
}

// ---- keys ----

int16_t key_state(int vk) {
    apply_due_events();
    return key_table_poll(vk);
}

// ---- display backend ----

int display_backend_open(const display_backend_config& config) {
    auto& s = headless_state;
    if (s.options.fail_open) return 0;
    s.width = config.width;
    s.height = config.height;
    s.title = config.title ? config.title : "";
    int row = s.width * pixel_bytes();
    s.pitch = std::max(s.options.pitch, row);
    s.surface.assign(static_cast<size_t>(s.pitch) * static_cast<size_t>(s.height), 0xCD);
    s.open = true;
    s.windowed = config.windowed;
    if (s.options.start_active) s.messages.push_back({display_message_kind::activate, 1, 0});
    return 1;
}

int display_backend_ask(const char*, const char*) { return 1; }

int display_backend_set_windowed(int windowed) {
    auto& s = headless_state;
    if (!s.open) return 0;
    s.windowed = windowed ? 1 : 0;
    ++s.mode_switches;
    return 1;
}

const char* display_backend_failure() {
    return headless_state.options.fail_open ? "the headless display was told to fail" : "";
}

// A flip that takes virtual time stands for one that waits for the refresh.
int display_backend_flip_waits(int* refresh_hz) {
    if (refresh_hz) *refresh_hz = 60;
    return headless_state.options.frame_seconds > 0.0 ? 1 : 0;
}

int display_backend_pixel_format(display_pixel_format* format) {
    if (!headless_state.open || !format) return 0;
    *format = headless_state.options.format;
    return 1;
}

void display_backend_pump(void (*handler)(const display_message& message)) {
    key_table_frame_mark();
    if (quit_signal_take()) handler({display_message_kind::close, 0, 0});
    apply_due_events();
    auto& q = headless_state.messages;
    while (!q.empty()) {
        display_message m = q.front();
        q.pop_front();
        handler(m);
    }
}

void display_backend_restore() {}

uint8_t* display_backend_lock(int* pitch) {
    auto& s = headless_state;
    if (!s.open || s.options.fail_lock || s.locked) return nullptr;
    s.locked = true;
    *pitch = s.pitch;
    return s.surface.data();
}

void display_backend_unlock() { headless_state.locked = false; }

void display_backend_flip() {
    auto& s = headless_state;
    if (!s.open) return;
    if (s.options.keep_frames) s.frames.push_back(s.surface);
    s.last_frame = s.surface;
    ++s.flips;
    advance_ns(static_cast<int64_t>(s.options.frame_seconds * 1e9));
}

void display_backend_close() {
    headless_state.open = false;
    headless_state.locked = false;
}

void display_backend_show_cursor(int show) { headless_state.cursor_shown = show; }

// ---- test controls ----

void headless_reset(const headless_options& options) {
    headless_state = headless_state_t{};
    headless_state.options = options;
    virtual_ns.store(0);
    key_table_clear();
    message_box_hook.store(nullptr);
}

void headless_push(const headless_event& event) { headless_state.script.push_back(event); }
void headless_key(int vk, bool down) { key_table_event(vk, down); }
uint64_t headless_frame_count() { return headless_state.flips; }

const std::vector<uint8_t>& headless_frame(uint64_t n) {
    static const std::vector<uint8_t> none;
    return n < headless_state.frames.size() ? headless_state.frames[n] : none;
}

const std::vector<uint8_t>& headless_last_frame() { return headless_state.last_frame; }
int headless_pitch() { return headless_state.pitch; }
bool headless_open() { return headless_state.open; }
std::string headless_title() { return headless_state.title; }
double headless_time() { return timer_seconds(); }
void headless_advance(double seconds) { advance_ns(static_cast<int64_t>(seconds * 1e9)); }
int headless_cursor_shown() { return headless_state.cursor_shown; }
int headless_windowed() { return headless_state.windowed; }
int headless_mode_switches() { return headless_state.mode_switches; }
const std::vector<std::string>& headless_messages() { return headless_state.message_boxes; }
void headless_set_message_box_hook(headless_message_box_hook hook) { message_box_hook.store(hook); }
