// The magazine's frame loop: input, the frame body, the pointer, present, and the pointer sample.
#pragma once

// Runs the magazine until Escape is struck or the exit button is used. Called once by the main sequence.
void run_magazine_loop();
// One pass of the loop; false (having done nothing) when Escape is struck or quit was requested.
bool magazine_pass();
// Samples the pointer and the left button with the click latch, then the page keys. After each present.
void read_mouse_and_keys();
