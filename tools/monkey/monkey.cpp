// The monkey: the main sequence run step by step on the headless backend, with a seeded random reader
// acting between the magazine's passes, and the reader's own account of the magazine (page, menu,
// skin, tune, music) kept from the rules of the menus, buttons and skins and compared after every pass.
//
// Input timing the account follows: a press or key tapped before a pass is seen unless that pass wipes
// (or, for keys, the pass before it wiped, so nothing polled them in the last frame); a tap scripted
// into a wipe or a noise burst is forgotten; a press still held when polling resumes counts.
//
// Sections: reader and account - checks - the pass - actions - intro - the magazine - the whole run
#include "tools/monkey/monkey.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>

#include <unistd.h>

#include "content/modules/tune_data.h"
#include "content/pages/page_data.h"
#include "intro/intro.h"
#include "shell/magazine/content_store.h"
#include "shell/magazine/shell_state.h"
#include "platform/display_backend.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "render/display.h"
#include "render/framebuffer.h"
#include "shell/frame_loop.h"
#include "shell/main_sequence.h"
#include "viewer/skins_music.h"
#include "viewer/viewer_state.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

namespace {

// ---- reader and account ---------------------------------------------------------------------------

constexpr uint64_t wipe_frames = 150;  // a page change: 75 frames out, 75 in, inside one pass

// Entries of the menu rows: [menu - 1][column][row 1..5]; 0 for none (the right column's row 5 is the
// toggle, tested by its own rectangle).
constexpr int entry_rows[2][2][6] = {{{0, 1, 2, 3, 4, 5}, {0, 6, 7, 8, 9, 0}},
                                     {{0, 11, 13, 14, 15, 16}, {0, 17, 18, 19, 20, 0}}};

// What the reader expects to see, kept from the rules of the menus, buttons and skins.
struct account_t {
    int page = 11, marked = 11, menu = 2, skin = 1, song = 1;
    bool music_on = true;
    bool quit = false;
    std::array<int, 11> button{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // side buttons 1..10, 1 = active
    bool latch = false;
    // The pointer sample the next pass acts on.
    bool sample_button = false;
    int sample_x = 0, sample_y = 0;
    // The last pass wiped (or the intro's closing noise ran): no key was polled in its last frame.
    bool keys_unwatched = true;
    // Nothing has sampled the mouse since the intro's closing noise (the magazine's first pass).
    bool mouse_unwatched = true;
};

struct skin_key_tap {
    int vk;
    bool released;  // down and up before the pass polls it (a tap), or still held
};

struct monkey_t {
    monkey_options options;
    monkey_result result;
    std::mt19937 gen;
    account_t acc;
    // The reader's hand once every pushed event is applied.
    int mouse_x = 400, mouse_y = 300;
    bool mouse_held = false;
    bool down_pushed = false;  // a press pushed for the next pass's start
    std::vector<skin_key_tap> skin_keys;  // F1/F2 pushed for the next pass's start
    std::vector<int> held_keys;           // keys the reader holds down
    bool leaving = false;                 // Escape or the exit button is on its way

    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(gen) < p; }

    void fault(const std::string& what) {
        char where[64];
        std::snprintf(where, sizeof where, "pass %llu (%.2f s): ", static_cast<unsigned long long>(result.passes),
                      headless_time());
        result.faults.push_back(where + what);
    }

    void push_at(uint64_t frame, headless_event::kind_t kind, int a = 0, int b = 0) {
        headless_push({frame, kind, a, b});
    }
    void push_now(headless_event::kind_t kind, int a = 0, int b = 0) {
        push_at(headless_frame_count(), kind, a, b);
    }

    void move_to(int x, int y) {
        push_now(headless_event::mouse_move, x, y);
        mouse_x = x;
        mouse_y = y;
    }
    void press() {
        push_now(headless_event::mouse_down);
        mouse_held = true;
        down_pushed = true;
    }
    void release() {
        push_now(headless_event::mouse_up);
        mouse_held = false;
    }
    void key_down(int vk) {
        push_now(headless_event::key_down, vk);
        if (vk == vk_f1 || vk == vk_f1 + 1) skin_keys.push_back({vk, false});
        held_keys.push_back(vk);
    }
    void key_up(int vk) {
        push_now(headless_event::key_up, vk);
        held_keys.erase(std::remove(held_keys.begin(), held_keys.end(), vk), held_keys.end());
    }
    void tap_key(int vk) {
        push_now(headless_event::key_down, vk);
        push_now(headless_event::key_up, vk);
        if (vk == vk_f1 || vk == vk_f1 + 1) skin_keys.push_back({vk, true});
        if (acc.keys_unwatched) ++result.forgotten_inputs;
    }

    // ---- checks ---------------------------------------------------------------------------------

    static int32_t end_line_of(int p) {
        int32_t end = 4999;
        for (int n = 0; n < page_sources[p].line_count && n < 5000; ++n)
            if (std::string_view(page_sources[p].lines[n].text).substr(0, 5) == "<END>") end = n;
        return end;
    }

    // Page p is the one unpacked for the text window: its end line and its first lines' characters.
    static bool page_shown(int p) {
        if (shell_state.end_line != end_line_of(p)) return false;
        for (int n = 0; n < std::min(3, shell_state.end_line); ++n) {
            const std::string_view text = page_sources[p].lines[n].text;
            for (int k = 1; k <= page_columns; ++k) {
                const char want = static_cast<size_t>(k) <= text.size() ? text[static_cast<size_t>(k) - 1] : 0;
                if (view_char(n, k) != want) return false;
            }
        }
        return true;
    }

    // The module loaded is tune k: its header's length, channels, instruments, tempo and BPM.
    static bool tune_loaded(int k) {
        const xm_song* song = xm_player_state.current_song;
        const unsigned char* d = magazine_tunes[k].data;
        if (!song || !d) return false;
        const auto u16 = [&](size_t at) { return static_cast<int>(d[at] | (d[at + 1] << 8)); };
        return song->song_length == u16(64) && song->channel_count == u16(68) &&
               song->instrument_count == u16(72) && song->default_tempo == u16(76) && song->default_bpm == u16(78);
    }

    void check_account() {
        const auto& s = shell_state;
        const auto& v = viewer_state;
        if (!page_shown(acc.page)) fault("page " + std::to_string(acc.page) + " was clicked last but is not shown");
        if (s.current_menu != acc.menu) fault("menu " + std::to_string(s.current_menu) + ", expected " + std::to_string(acc.menu));
        if (s.current_skin != acc.skin) fault("skin " + std::to_string(s.current_skin) + ", expected " + std::to_string(acc.skin));
        if (s.current_song != acc.song || !tune_loaded(acc.song))
            fault("tune " + std::to_string(s.current_song) + " playing, expected " + std::to_string(acc.song));
        if ((v.button_state[6] == 0) != acc.music_on || headless_audio_open_now() != (acc.music_on ? 1 : 0))
            fault(std::string("the music should be ") + (acc.music_on ? "on" : "off"));
        for (int e = 1; e <= menu_entry_count + 1; ++e)
            if (v.entry_marked[static_cast<size_t>(e)] != (e == acc.marked ? 1 : 0))
                fault("entry " + std::to_string(e) + " marked wrongly");
        if (s.top_line < 0 || s.top_line > std::max(0, s.end_line - 33)) fault("top line out of range");
    }

    // ---- the pass -------------------------------------------------------------------------------

    // The account's side of one pass: what the handlers do with the sample; true when a page opens.
    bool predict_pass() {
        auto& a = acc;
        for (const skin_key_tap& t : skin_keys) {
            if (a.keys_unwatched && t.released) continue;
            if (t.vk == vk_f1 && a.skin != 1) ++result.skin_switches;
            if (t.vk != vk_f1 && a.skin != 2) ++result.skin_switches;
        }
        // F1 is tested before F2, whatever order they came in.
        const auto struck = [&](int vk) {
            return std::any_of(skin_keys.begin(), skin_keys.end(),
                               [&](const skin_key_tap& t) { return t.vk == vk && !(a.keys_unwatched && t.released); });
        };
        if (struck(vk_f1)) a.skin = 1;
        if (struck(vk_f1 + 1)) a.skin = 2;
        skin_keys.clear();

        const int x = std::clamp(a.sample_x, 1, 789), y = std::clamp(a.sample_y, 1, 589);
        const auto inside = [&](int i) {
            const button_rect_t& r = viewer_state.button_rect[static_cast<size_t>(a.skin - 1)][static_cast<size_t>(i)];
            return r.x < x && x < r.x + r.w && r.y < y && y < r.y + r.h;
        };
        const auto fresh = [&] { return a.sample_button && !a.latch; };
        bool opens = false;
        if (fresh()) {
            for (int i = 1; i <= 5; ++i) {
                if (a.button[static_cast<size_t>(i)] != 0 || !inside(i)) continue;
                a.latch = true;
                std::fill(a.button.begin() + 1, a.button.begin() + 6, 0);
                a.button[static_cast<size_t>(i)] = 1;
                if (i == 1) a.quit = true;
                if (i == 2 || i == 3) {
                    a.menu = i - 1;
                    ++result.menu_switches;
                }
                if (i == 4 || i == 5) {
                    a.page = i == 4 ? 12 : 10;
                    a.marked = 0;
                    opens = true;
                }
            }
        }
        if (fresh() && a.button[6] == 0 && inside(6)) {
            a.latch = true;
            a.music_on = false;
            a.button[6] = 1;
            ++result.music_toggles;
        }
        if (fresh() && a.button[6] == 1 && inside(6)) {
            a.latch = true;
            a.music_on = true;
            a.button[6] = 0;
            ++result.music_toggles;
        }
        for (int i = 7; i <= 10; ++i) {
            if (!fresh() || a.button[static_cast<size_t>(i)] != 0 || !inside(i)) continue;
            a.latch = true;
            std::fill(a.button.begin() + 6, a.button.end(), 0);
            a.button[static_cast<size_t>(i)] = 1;
            a.song = i - 6;
            a.music_on = true;
            ++result.tune_choices;
        }
        if (a.menu == 1) a.button[2] = 1;
        if (a.menu == 2) a.button[3] = 1;
        if (fresh()) {
            a.latch = true;  // a press that hits nothing is used up too
            for (int column = 0; column <= 1; ++column) {
                const bool in_x = column == 0 ? (146 < x && x < 391) : (400 < x && x < 645);
                for (int k = 1; k <= (column == 0 ? 5 : 4); ++k) {
                    if (!in_x || !(48 + 12 * k < y && y < 60 + 12 * k)) continue;
                    const int e = entry_rows[a.menu - 1][column][k];
                    if (e == 0 || a.marked == e) continue;
                    a.marked = e;
                    a.page = e;
                    a.button[4] = a.button[5] = 0;
                    opens = true;
                }
            }
            if (104 < y && y < 120 && 400 < x && x < 645) {
                a.button[2] = a.button[3] = 0;
                a.menu = a.menu == 1 ? 2 : 1;
                ++result.menu_switches;
            }
        }
        if (opens) ++result.page_opens;
        return opens;
    }

    // Taps scripted into the wipe the coming pass runs, all of which must be forgotten; sometimes a
    // press that goes down in the wipe and stays down, which counts once polling resumes.
    void script_into_wipe() {
        const uint64_t start = headless_frame_count();  // the wipe's frames are start + 1 .. start + 150
        bool held = mouse_held;
        if (chance(0.5)) {  // a page key tapped as the wipe begins: it must not scroll the new page
            const int vk = chance(0.5) ? vk_next : vk_end;
            push_at(start, headless_event::key_down, vk);
            push_at(start, headless_event::key_up, vk);
            ++result.forgotten_inputs;
        }
        for (int n = between(1, 4); n > 0; --n) {
            // Offset 0 lands before the wipe's first frame: a key then is polled by the pass itself
            // (only the skin keys act on it, so they start at 1), a click in the wipe's first frame.
            const auto at = start + static_cast<uint64_t>(chance(0.25) ? 0 : between(1, static_cast<int>(wipe_frames) - 8));
            const auto up = at + static_cast<uint64_t>(between(0, 6));
            switch (between(0, 3)) {
            case 0: {  // a click on an entry or a button
                if (held) break;
                const auto [x, y] = random_target();
                push_at(at, headless_event::mouse_move, x, y);
                push_at(at, headless_event::mouse_down);
                push_at(up, headless_event::mouse_up);
                mouse_x = x;
                mouse_y = y;
                ++result.forgotten_inputs;
                break;
            }
            case 1: {  // a key the magazine polls, or any function key
                static constexpr int keys[] = {vk_f1, vk_f1 + 1, vk_prior, vk_next, vk_home, vk_end, vk_up, vk_down};
                const int vk = chance(0.8) ? keys[between(0, 7)] : vk_f1 + between(2, 11);
                if (at == start && (vk == vk_f1 || vk == vk_f1 + 1)) break;
                push_at(at, headless_event::key_down, vk);
                push_at(up, headless_event::key_up, vk);
                ++result.forgotten_inputs;
                break;
            }
            case 2:  // a wheel turn: the wheel is a counter, read by the pass after the wipe
                push_at(at, headless_event::wheel, between(-3, 3));
                break;
            default:  // a press that is still held when the wipe ends
                if (held) break;
                push_at(at, headless_event::mouse_down);
                held = true;
                break;
            }
        }
        mouse_held = held;
    }

    // One pass of the magazine loop with the account's prediction and the checks; false when the pass
    // ended the loop.
    bool pass() {
        const bool opens = predict_pass();
        if (opens && chance(0.6)) script_into_wipe();
        const uint64_t before = headless_frame_count();
        const bool going = magazine_pass();
        const uint64_t frames = headless_frame_count() - before;
        if (!going) {
            if (!leaving)
                fault(std::string("the magazine ended without Escape or the exit button (") +
                      (shell_state.quit_requested != 0 ? "exit requested" : "no exit request") +
                      (acc.quit ? ", the reader's account has the exit button pressed" : "") +
                      (display_quit_requested() ? ", close requested" : "") + ")");
            return false;
        }
        ++result.passes;
        const bool wiped = frames == wipe_frames + 1;
        if (frames != (opens ? wipe_frames + 1 : 1))
            fault("presented " + std::to_string(frames) + " frames, expected " + std::to_string(opens ? wipe_frames + 1 : 1));
        // The sample taken at the end of the pass.
        const bool tap_lost = wiped || acc.mouse_unwatched;
        if (down_pushed && tap_lost && !mouse_held) ++result.forgotten_inputs;
        acc.sample_button = mouse_held || (down_pushed && !tap_lost);
        acc.mouse_unwatched = false;
        acc.sample_x = mouse_x;
        acc.sample_y = mouse_y;
        if (!acc.sample_button) acc.latch = false;
        down_pushed = false;
        acc.keys_unwatched = wiped;
        // No tap carries across a wipe: the new page starts at its top.
        if (wiped && (shell_state.top_line != 0 || shell_state.fine_offset != 0)) fault("a wipe ended scrolled");
        check_account();
        forget_closed_devices();
        // A key tapped right after a wipe, before anything polls it again, is forgotten too.
        if (wiped && !leaving && chance(0.3)) {
            static constexpr int keys[] = {vk_f1, vk_f1 + 1, vk_prior, vk_next, vk_end};
            tap_key(keys[between(0, 4)]);
        }
        return true;
    }

    // The audio backend keeps a record of every device opened until told to forget the closed ones;
    // forgetting after every pass keeps its list, and the heap it takes, the same size all run long.
    static void forget_closed_devices() {
        headless_audio_options quiet;
        quiet.capture_limit = 0;
        headless_audio_reset(quiet);
    }

    void passes(int n) {
        for (int i = 0; i < n && result.faults.empty(); ++i) pass();
    }

    // ---- actions --------------------------------------------------------------------------------

    // Somewhere inside an entry row of the menu panel (the right column's row 5 is the toggle).
    std::pair<int, int> entry_target() {
        const int column = between(0, 1), k = between(1, 5);
        const int x = column == 0 ? between(149, 390) : between(403, 644);
        const int y = column == 1 && k == 5 ? between(109, 119) : between(49 + 12 * k, 59 + 12 * k);
        return {x, y};
    }
    // Somewhere strictly inside side button i on the skin the account shows.
    std::pair<int, int> button_target(int i) {
        const button_rect_t& r = viewer_state.button_rect[static_cast<size_t>(acc.skin - 1)][static_cast<size_t>(i)];
        return {between(r.x + 1, r.x + r.w - 1), between(r.y + 1, r.y + r.h - 1)};
    }
    std::pair<int, int> random_target() { return chance(0.6) ? entry_target() : button_target(between(2, 10)); }

    void let_go() {
        if (mouse_held) {
            release();
            pass();
        }
        for (int vk : std::vector<int>(held_keys)) key_up(vk);
    }

    // A click as readers make them: a tap between two samples, a press held a while, or a press that
    // moves away before it is let go.
    void click(int x, int y) {
        let_go();
        move_to(x, y);
        switch (between(0, 2)) {
        case 0:
            press();
            release();
            passes(2);
            break;
        case 1:
            press();
            passes(between(1, 5));
            release();
            pass();
            break;
        default: {
            press();
            passes(2);
            const auto [x2, y2] = random_target();
            move_to(x2, y2);
            pass();
            release();
            pass();
            break;
        }
        }
    }

    // Clicks side button i until the account says it took (a click can land in a wipe and be lost).
    template <class Done>
    void click_button_until(int i, Done done) {
        for (int tries = 0; !done() && tries < 8 && result.faults.empty(); ++tries) {
            const auto [x, y] = button_target(i);
            let_go();
            move_to(x, y);
            press();
            release();
            passes(2);
        }
        if (!done()) fault("button " + std::to_string(i) + " would not take");
    }

    void act() {
        const int pick = between(0, 99);
        if (pick < 22) {
            const auto [x, y] = entry_target();
            click(x, y);
        } else if (pick < 40) {
            const auto [x, y] = button_target(between(2, 10));
            click(x, y);
        } else if (pick < 48) {  // skin keys: one or both, tapped or held over a pass
            const int vk = vk_f1 + between(0, 1);
            if (chance(0.7)) {
                tap_key(vk);
                if (chance(0.3)) tap_key(vk == vk_f1 ? vk_f1 + 1 : vk_f1);
                pass();
            } else {
                key_down(vk);
                passes(between(1, 3));
                key_up(vk);
                pass();
            }
        } else if (pick < 52) {  // function keys the magazine does not use
            tap_key(vk_f1 + between(2, 11));
            pass();
        } else if (pick < 60) {  // page keys
            static constexpr int keys[] = {vk_prior, vk_next, vk_home, vk_end};
            tap_key(keys[between(0, 3)]);
            passes(between(1, 2));
        } else if (pick < 67) {  // an arrow held for a while
            const int vk = chance(0.5) ? vk_down : vk_up;
            key_down(vk);
            passes(between(1, 40));
            key_up(vk);
            pass();
        } else if (pick < 74) {  // the wheel
            push_now(headless_event::wheel, chance(0.5) ? -between(1, 4) : between(1, 4));
            passes(between(1, 3));
        } else if (pick < 82) {  // the pointer wandering
            for (int n = between(1, 4); n > 0; --n) {
                move_to(between(0, 799), between(0, 599));
                passes(between(0, 3));
            }
        } else if (pick < 89) {  // a scroll-bar drag, sometimes wandering out of the zone while held
            let_go();
            move_to(783, between(201, 560));
            press();
            pass();  // the press is sampled on the bar before the hand moves
            for (int n = between(1, 12); n > 0; --n) {
                if (chance(0.85))
                    move_to(between(778, 789), between(180, 580));
                else
                    move_to(between(0, 799), between(0, 599));
                passes(between(1, 2));
            }
            release();
            pass();
        } else if (pick < 93) {  // a click on the text window, which does nothing
            click(between(30, 760), between(200, 560));
        } else {
            passes(between(1, 30));
        }
        passes(between(0, 3));
    }

    // ---- intro ----------------------------------------------------------------------------------

    // Scripts the intro before it runs: function-key taps and pointer moves through the scene, taps in
    // the opening and closing noise (forgotten), and a click that leaves. Returns the intro tune the
    // reader chose last, 0 for none.
    int script_intro(uint64_t opening) {
        const uint64_t leave = opening + static_cast<uint64_t>(between(90, 420));
        for (int n = between(4, 10); n > 0; --n) {  // in the opening noise
            const auto at = static_cast<uint64_t>(between(2, static_cast<int>(opening) - 3));
            const int vk = vk_f1 + between(0, 11);
            push_at(at, headless_event::key_down, vk);
            push_at(at + static_cast<uint64_t>(between(0, 2)), headless_event::key_up, vk);
            ++result.forgotten_inputs;
        }
        uint64_t last_frame = 0;
        int last_tune = 0;
        for (int n = between(2, 14); n > 0; --n) {  // in the scene
            const auto at = static_cast<uint64_t>(between(static_cast<int>(opening) + 3, static_cast<int>(leave) - 3));
            const int tune = between(1, 12);
            push_at(at, headless_event::key_down, vk_f1 + tune - 1);
            push_at(at, headless_event::key_up, vk_f1 + tune - 1);
            // Of several keys struck in one frame the highest wins.
            if (at > last_frame || (at == last_frame && tune > last_tune)) {
                last_frame = at;
                last_tune = tune;
            }
        }
        for (uint64_t at = opening; at < leave; at += static_cast<uint64_t>(between(3, 20))) {
            mouse_x = between(0, 799);
            mouse_y = between(0, 599);
            push_at(at, headless_event::mouse_move, mouse_x, mouse_y);
        }
        push_at(leave, headless_event::mouse_down);
        push_at(leave, headless_event::mouse_up);
        for (int n = between(3, 8); n > 0; --n) {  // in the closing noise: the skin keys must not reach the magazine
            const auto at = leave + static_cast<uint64_t>(between(4, 100));
            const int vk = chance(0.7) ? vk_f1 + between(0, 1) : vk_f1 + between(0, 11);
            push_at(at, headless_event::key_down, vk);
            push_at(at, headless_event::key_up, vk);
            ++result.forgotten_inputs;
        }
        return last_tune;
    }

    // ---- the magazine ---------------------------------------------------------------------------

    void settle() {
        let_go();
        for (int i = 0; i < 4 && (acc.sample_button || acc.latch); ++i) pass();
    }

    // The process's resident set in KiB from /proc (0 where there is none).
    static long resident_kib() {
        std::FILE* f = std::fopen("/proc/self/statm", "r");
        if (!f) return 0;
        long size = 0, resident = 0;
        const int got = std::fscanf(f, "%ld %ld", &size, &resident);
        std::fclose(f);
        return got == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : 0;
    }

    // Live heap with the music off and the audio backend holding no closed device.
    static alloc_counts quiet_memory() {
        forget_closed_devices();
        return alloc_live();
    }

    void magazine() {
        // The first page switch, then the baseline with the music off.
        while (acc.page == 11 && result.faults.empty() && result.passes < 40) {
            const auto [x, y] = entry_target();
            click(x, y);
        }
        settle();
        click_button_until(6, [&] { return !acc.music_on; });
        settle();
        result.baseline = quiet_memory();
        click_button_until(6, [&] { return acc.music_on; });

        double next_sample = headless_time();
        while (headless_time() < options.seconds && result.faults.empty()) {
            if (options.rss_every > 0.0 && headless_time() >= next_sample) {
                result.rss.push_back({headless_time(), resident_kib()});
                next_sample += options.rss_every;
            }
            act();
        }
        if (options.rss_every > 0.0) result.rss.push_back({headless_time(), resident_kib()});

        // Back to the baseline's tune with the music off, and the same measurement.
        settle();
        click_button_until(7, [&] { return acc.song == 1; });
        click_button_until(6, [&] { return !acc.music_on; });
        settle();
        result.end = quiet_memory();
    }
};

// ---- the whole run ------------------------------------------------------------------------------

// Frames the intro presents before its scene: the black frame after the release wait and three equal
// noise bursts (deterministic on the virtual clock).
uint64_t intro_opening_frames() {
    display_state = display_state_t{};
    headless_reset();
    display_set_close_on_escape(0);
    display_configure(0, "", 0, 1);
    display_open("opening", screen_width, screen_height);
    noise_burst_fine();
    const uint64_t burst = headless_frame_count();
    display_close();
    return 1 + 3 * burst;
}

}  // namespace

monkey_result monkey_run(const monkey_options& options) {
    monkey_t m;
    m.options = options;
    // The reader's own lists never grow during the measured stretch.
    m.skin_keys.reserve(64);
    m.held_keys.reserve(64);
    if (options.rss_every > 0.0) m.result.rss.reserve(static_cast<size_t>(options.seconds / options.rss_every) + 2);
    m.gen.seed(options.seed);
    headless_audio_options quiet;
    quiet.capture_limit = 0;  // the backend keeps nothing of what plays, so its memory stays flat
    headless_audio_reset(quiet);
    const uint64_t opening = intro_opening_frames();
    display_state = display_state_t{};
    headless_reset();
    const int intro_tune = m.script_intro(opening);

    // The main sequence as the program runs it, taken step by step so the reader can act between passes.
    quit_signals_install();
    magazine_start_up();
    display_set_close_on_escape(0);
    display_configure(0, "", 0, 1);
    if (!display_open("The Kestravon - Issue 31", screen_width, screen_height)) {
        m.result.faults.push_back("the display did not open");
        m.result.exit_code = -1;
        return m.result;
    }
    display_backend_show_cursor(0);
    run_intro();
    if (intro_tune != 0 && intro_state.current_tune != static_cast<uint32_t>(intro_tune))
        m.fault("intro tune " + std::to_string(intro_state.current_tune) + " playing at the end, expected " +
                std::to_string(intro_tune));
    if (headless_audio_open_now() != 0) m.fault("the intro's tune still plays after the intro");
    m.result.intro_tune_choices = intro_tune != 0 ? 1 : 0;
    if (!display_quit_requested()) {
        magazine_enter();
        m.magazine();
        // The reader leaves: Escape, or the exit button.
        m.let_go();
        m.leaving = true;
        if (m.options.escape_at_end) {
            m.key_down(vk_escape);
        } else {
            m.click_button_until(1, [&] { return m.acc.quit; });
        }
        int more = 0;
        while (m.pass() && ++more < 8) {
        }
        if (more >= 8) m.fault("the magazine did not end");
    }
    xm_stop();
    xm_free();
    display_close();
    m.result.exit_code = 0;
    if (headless_audio_open_now() != 0 || xm_channel_count() != 0 || headless_open())
        m.fault("the shutdown left the music or the display open");
    m.result.frames = headless_frame_count();
    m.result.seconds = headless_time();
    if (m.result.baseline.bytes != m.result.end.bytes || m.result.baseline.blocks != m.result.end.blocks)
        m.fault("heap in use went from " + std::to_string(m.result.baseline.bytes) + " bytes in " +
                std::to_string(m.result.baseline.blocks) + " blocks to " + std::to_string(m.result.end.bytes) +
                " bytes in " + std::to_string(m.result.end.blocks));
    return m.result;
}
