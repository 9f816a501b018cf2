// The engine's test card: every drawing and text routine on one screen, with the pointer following the
// mouse. It stands in for the magazine until the magazine's own screens land.
#pragma once

// Draws one frame of the test card into the framebuffer at the given rainbow phase.
void draw_test_card(double colour_phase);
// Runs the test card until Escape is struck.
void run_test_card();
