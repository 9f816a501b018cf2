// Menus and side buttons: drawing, hover, hit tests and the radio group of buttons 1 to 5.
//   start-up: set_menu_strings, read_button_table
//   lookups: menu_row_entry
//   per frame: draw_menu, draw_buttons, handle_buttons, handle_menu_clicks, clear_entry_marks
#include "viewer/menus.h"

#include <algorithm>
#include <cmath>

#include "content/issue/issue_names.h"
#include "render/draw.h"
#include "render/text.h"
#include "shell/magazine/program_data.h"
#include "shell/magazine/shell_state.h"
#include "viewer/page_viewer.h"
#include "viewer/skins_music.h"
#include "viewer/viewer_state.h"

namespace {

// Entries in rows 1..5 of the left and right columns; the right column's fifth row is the toggle.
constexpr int32_t charts_rows[2][6] = {{0, 1, 2, 3, 4, 5}, {0, 6, 7, 8, 9, 0}};
constexpr int32_t articles_rows[2][6] = {{0, 11, 13, 14, 15, 16}, {0, 17, 18, 19, 20, 0}};
constexpr int32_t column_text_x[2] = {148, 402};

// The menu panel's clip rectangle.
constexpr int32_t clip_left = 146, clip_right = 649, clip_top = 40, clip_bottom = 145;

void draw_menu_text(const std::string& text, int32_t x, int32_t y, int32_t style, int32_t tint) {
    draw_text_clipped(text, x, y, clip_left, clip_right, clip_top, clip_bottom, style, tint);
}

bool row_hovered(int32_t column, int32_t box_y) {
    const auto& s = shell_state;
    const bool in_x = column == 0 ? (s.mouse_x >= 149 && s.mouse_x < 393) : (s.mouse_x >= 403 && s.mouse_x < 647);
    return in_x && box_y < s.mouse_y && s.mouse_y < box_y + 10 && s.click_latched == 0;
}

void draw_menu_column(int32_t column) {
    auto& v = viewer_state;
    const int32_t menu = shell_state.current_menu;
    const int32_t x = column_text_x[column];
    for (int32_t k = 1; k <= 5; ++k) {
        const int32_t e = menu_row_entry(menu, column, k);
        if (e != 0 && v.entry_enabled[static_cast<size_t>(e)] == 1)
            draw_menu_text(v.menu_entry[static_cast<size_t>(e)], x, 60 + 12 * (k - 1), 1, 2);
    }
    if (column == 1)
        draw_menu_text(menu == 1 ? v.articles_toggle : v.charts_toggle, x, 108, 1, 1);
    // Hover boxes on all five rows, also empty ones; they tint the text drawn before them.
    for (int32_t k = 1; k <= 5; ++k) {
        const int32_t y = 61 + 12 * (k - 1);
        if (row_hovered(column, y)) {
            shell_state.pointer_kind = 2;
            blend_box(x, y, 245, 10, 125, 100, 100, 132);
        } else {
            blend_box(x, y, 245, 10, 60, 100, 100, 100);
        }
    }
    for (int32_t k = 1; k <= 5; ++k) {
        const int32_t marker = (column == 1 && k == 5) ? 21 : menu_row_entry(menu, column, k);
        if (marker != 0 && v.entry_marked[static_cast<size_t>(marker)] == 1)
            blend_box(x, 60 + 12 * (k - 1), 245, 10, 90, 200, 100, 100);
    }
}

}  // namespace

void set_menu_strings() {
    auto& v = viewer_state;
    v.menu_title = "THE KESTRAVON ISSUE 31";
    const char* entries[menu_entry_count + 1] = {
        "",
        "> Monthly Chart",
        "> Monthly Overview",
        "> Group Of The Month",
        "> Group Release Stats",
        "> Yearly Stats",
        "> Yearly Overview",
        "> Group Of The Year",
        "> Alltime Stats",
        "> Alltime Overview",
        "Help",
        "> This Issues Editorial",
        "Rules",
        "> Credits For The Charts",
        "> Letters To The Editor",
        "> This Issues Music",
        "> Improving On The Engine",
        "",
        "",
        "> New ISO/DOX rules? Part 1",
        "> New ISO/DOX rules? Part 2",
    };
    for (size_t e = 0; e <= menu_entry_count; ++e) v.menu_entry[e] = entries[e];
    v.menu_entry[17] = std::string("> Interview with ") + interviewed_group_1;
    v.menu_entry[18] = std::string("> Interview with ") + interviewed_group_2 + "!";
    v.entry_enabled.fill(1);
    v.entry_enabled[0] = 0;
    v.entry_marked.fill(0);
    v.entry_marked[11] = 1;
    v.articles_toggle = "> Articles Menu";
    v.charts_toggle = "> Charts Menu";
}

void read_button_table() {
    auto& v = viewer_state;
    for (size_t i = 1; i <= side_button_count; ++i) {
        button_rect_t& r = v.button_rect[0][i];
        r.x = program_data_read();
        r.y = program_data_read();
        r.w = program_data_read();
        r.h = program_data_read();
        v.button_state[i] = program_data_read();
        v.button_glow[i] = program_data_read();
    }
    for (size_t i = 1; i <= side_button_count; ++i) {
        button_rect_t& r = v.button_rect[1][i];
        r.x = program_data_read();
        r.y = program_data_read();
        r.w = program_data_read();
        r.h = program_data_read();
    }
}

int32_t menu_row_entry(int32_t menu, int32_t column, int32_t row) {
    if (column < 0 || column > 1 || row < 1 || row > 5) return 0;
    if (menu == 1) return charts_rows[column][row];
    if (menu == 2) return articles_rows[column][row];
    return 0;
}

void draw_menu() {
    const auto& v = viewer_state;
    const double half = 9.0 * static_cast<double>(v.menu_title.size()) / 2.0;
    draw_menu_text(v.menu_title, static_cast<int32_t>(std::nearbyint(404.0 - half)), 42, 1, 25);
    if (shell_state.current_menu == 1 || shell_state.current_menu == 2) {
        draw_menu_column(0);
        draw_menu_column(1);
    }
    draw_bar_line(57, 144, 507, 8, shell_state.colour_phase);
    draw_bar_line(122, 144, 507, 8, shell_state.colour_phase);
}

void draw_buttons() {
    auto& s = shell_state;
    auto& v = viewer_state;
    s.pointer_kind = 1;
    const bool carbon = skin_slot() == 1;
    const int32_t count = std::clamp(s.button_count, 0, side_button_count);
    for (int32_t i = 1; i <= count; ++i) {
        const auto bi = static_cast<size_t>(i);
        const button_rect_t& r = v.button_rect[static_cast<size_t>(skin_slot())][bi];
        int32_t& glow = v.button_glow[bi];
        glow = std::max(0, glow - 3);
        if (v.button_state[bi] != 1) {
            if (carbon)
                blend_box(r.x, r.y, r.w, r.h, glow, 50, 100, 250);
            else
                blend_box(r.x, r.y, r.w, r.h, glow, 30, 50, 125);
            if (pointer_in_button(i)) {
                s.pointer_kind = 2;
                if (s.click_latched != 1) glow += 10;
            }
            glow = std::min(glow, 125);
        } else if (carbon) {
            blend_box(r.x, r.y, r.w, r.h, 95, 100, 150, 250);
        } else {
            blend_box(r.x, r.y, r.w, r.h, 125, 125, 70, 20);
        }
    }
}

void handle_buttons() {
    auto& s = shell_state;
    auto& v = viewer_state;
    handle_skin_keys();
    if (s.mouse_button != 0 && s.click_latched == 0) {
        for (int32_t i = 1; i <= 5; ++i) {
            if (v.button_state[static_cast<size_t>(i)] != 0 || !pointer_in_button(i)) continue;
            s.click_latched = 1;
            for (size_t j = 1; j <= 5; ++j) v.button_state[j] = 0;
            v.button_state[static_cast<size_t>(i)] = 1;
            switch (i) {
                case 1: s.quit_requested = 1; break;
                case 2: s.current_menu = 1; break;
                case 3: s.current_menu = 2; break;
                case 4: open_page(12); clear_entry_marks(); break;
                default: open_page(10); clear_entry_marks(); break;
            }
        }
    }
    handle_music_buttons();
    if (s.current_menu == 1) v.button_state[2] = 1;
    if (s.current_menu == 2) v.button_state[3] = 1;
}

void handle_menu_clicks() {
    auto& s = shell_state;
    auto& v = viewer_state;
    const int32_t menu = s.current_menu;
    if (s.mouse_button == 0 || s.click_latched != 0) return;
    s.click_latched = 1;  // used up whether or not it hits anything
    for (int32_t column = 0; column <= 1; ++column) {
        const bool in_x = column == 0 ? (146 < s.mouse_x && s.mouse_x < 391) : (400 < s.mouse_x && s.mouse_x < 645);
        const int32_t rows = column == 0 ? 5 : 4;
        for (int32_t k = 1; k <= rows; ++k) {
            if (!in_x || !(48 + 12 * k < s.mouse_y && s.mouse_y < 60 + 12 * k)) continue;
            const auto e = static_cast<size_t>(menu_row_entry(menu, column, k));
            if (v.entry_enabled[e] == 1 && v.entry_marked[e] == 0) {
                clear_entry_marks();
                v.entry_marked[e] = 1;
                v.button_state[4] = 0;
                v.button_state[5] = 0;
                open_page(static_cast<int32_t>(e));
            }
        }
    }
    if (104 < s.mouse_y && s.mouse_y < 120 && 400 < s.mouse_x && s.mouse_x < 645) {
        v.button_state[2] = 0;
        v.button_state[3] = 0;
        s.current_menu += 1;
        if (s.current_menu > 2) s.current_menu = 1;
    }
}

void clear_entry_marks() {
    for (size_t e = 1; e <= menu_entry_count + 1; ++e) viewer_state.entry_marked[e] = 0;
}
