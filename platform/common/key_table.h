// The key table both backends feed from their key events and key_state reads: held and
// pressed-since-last-poll per virtual key.
#pragma once

// Records a key going down or up (virtual-key number 0..255; others are ignored).
void key_table_event(int vk, bool down);
// Reads and clears the pressed bit; see key_state for the returned bits.
short key_table_poll(int vk);
// Marks the start of a frame (each message pump): keys not polled during the frame that ended forget
// taps made from now until they are polled again.
void key_table_frame_mark();
// Forgets every key (used when a backend is reset or the window loses the keyboard).
void key_table_clear();
