// Key polling with the semantics the magazine expects of the system's asynchronous key state.
#pragma once
#include <cstdint>

// Virtual-key numbers the program polls.
enum : int {
    vk_tab = 0x09,
    vk_return = 0x0D,
    vk_shift = 0x10,
    vk_escape = 0x1B,
    vk_space = 0x20,
    vk_prior = 0x21,  // Page Up
    vk_next = 0x22,   // Page Down
    vk_end = 0x23,
    vk_home = 0x24,
    vk_left = 0x25,
    vk_up = 0x26,
    vk_right = 0x27,
    vk_down = 0x28,
    vk_m = 0x4D,  // letters are their capitals' codes
    vk_f1 = 0x70,  // F1 .. F12 are 0x70 .. 0x7B
    vk_f12 = 0x7B,
};

// State of virtual key vk: bit 15 set while held now, bit 0 set when it was pressed since this key's
// last poll. A key pressed and released between two polls reads as held-and-pressed (-32767) once,
// while the program polls it every frame; a tap made while nothing polls it (a wipe, a noise burst)
// is forgotten. Polling clears bit 0. Called from the main thread between frames.
int16_t key_state(int vk);

// True when state reads as struck: held now and pressed since the last poll.
inline bool key_struck(int16_t state) { return state == -32767; }
// True when the key is held (any non-zero state).
inline bool key_held(int16_t state) { return state != 0; }
