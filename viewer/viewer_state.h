// The viewer's state: menu strings and flags, side buttons, skin pictures and backgrounds, tunes, the
// ticker lines and the note bars. One instance for the whole run, built at start-up.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int menu_entry_count = 20;
constexpr int side_button_count = 10;
constexpr int tune_count = 4;

// A side button's rectangle on one skin.
struct button_rect_t {
    int32_t x = 0, y = 0, w = 0, h = 0;
};

struct viewer_state_t {
    // Menus (1-based; index 0 empty).
    std::string menu_title;
    std::array<std::string, menu_entry_count + 1> menu_entry{};
    std::array<int32_t, menu_entry_count + 1> entry_enabled{};  // entry 0 is never enabled
    std::array<int32_t, menu_entry_count + 2> entry_marked{};   // 21: the right column's fifth row
    std::string articles_toggle, charts_toggle;
    // Side buttons 1..10; [skin - 1][button].
    std::array<std::array<button_rect_t, side_button_count + 1>, 2> button_rect{};
    std::array<int32_t, side_button_count + 1> button_state{};
    std::array<int32_t, side_button_count + 1> button_glow{};
    // Skins: palettes as 0x00RRGGBB, pictures as widened indices, backgrounds ready to copy.
    std::array<std::vector<uint32_t>, 2> skin_palette;
    std::array<std::vector<uint32_t>, 2> skin_indices;
    std::array<std::vector<uint32_t>, 2> skin_background;
    // Tunes 1..4.
    std::array<const unsigned char*, tune_count + 1> tune_data{};
    std::array<size_t, tune_count + 1> tune_length{};
    // Ticker lines 1..5 (5: the help line alone).
    std::array<std::string, tune_count + 2> ticker_line{};
    // A short notice the ticker shows instead of its line ("Music off"), and for how many more frames.
    std::string ticker_notice;
    int32_t ticker_notice_frames = 0;
    // Note bars 0..bar_count and their colour per screen row, [skin - 1][row 0..148].
    std::vector<double> bar;
    std::array<std::array<uint32_t, 149>, 2> bar_gradient{};
};
extern viewer_state_t viewer_state;

// 0 for 'Grunge', 1 for 'Carbon': the index of the current skin's tables.
int skin_slot();
// True when the pointer sample is strictly inside side button i's rectangle on the current skin.
bool pointer_in_button(int32_t i);
