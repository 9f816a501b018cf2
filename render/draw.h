// Drawing primitives: the translucent box and the three-row bar line (seven colours and the rainbow).
#pragma once
#include <cstdint>

// Tints columns x..x+w and rows y..y+h (both ends included) towards (r, g, b) with weight alpha/256.
// Callers pass alpha 0 to 125 and keep the box inside the frame.
void blend_box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t alpha, int32_t r, int32_t g, int32_t b);

// Draws a bar on rows y-1, y and y+1 from column x: styles 1 to 7 are fixed colours over length
// pixels, style 8 the rainbow over length + 1 pixels, coloured from colour_phase (which grows by 250
// per second of frame time). Other styles draw nothing.
void draw_bar_line(int32_t y, int32_t x, int32_t length, int32_t style, double colour_phase);

// Middle-row colour of rainbow pixel i at the given phase (bright), or of the rows around it (dim).
uint32_t rainbow_colour(double colour_phase, int32_t i, bool bright);
