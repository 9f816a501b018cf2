// Menus and side buttons: the menu panel's title, the charts and articles menus with their toggle, and
// the ten side buttons with their hover glows and radio group.
#pragma once
#include <cstdint>

// Sets the title, the twenty entries, their flags and the two toggle entries. Start-up step 5.
void set_menu_strings();
// Reads the side-button table (both skins) from the program data list after the pointer shape.
// Start-up step 9.
void read_button_table();
// Entry shown in row 1..5 of column 0 (left) or 1 (right) of the given menu; 0 for none.
int32_t menu_row_entry(int32_t menu, int32_t column, int32_t row);

// Draws the title, the current menu's entries with hover boxes and marks, and the two rainbow bars.
// Every frame, after draw_buttons.
void draw_menu();
// Tints every side button by its glow or marks it active; resets pointer_kind to 1 first. Every frame,
// right after the skin background.
void draw_buttons();
// F1/F2, buttons 1 to 5, the music buttons, then keeps the shown menu's button active. Every frame.
void handle_buttons();
// Takes a fresh press: opens a chosen menu entry's page and switches menus on the toggle. Every frame.
void handle_menu_clicks();
// Unmarks every menu entry.
void clear_entry_marks();
