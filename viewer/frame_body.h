// The drawing half of a magazine frame: shared by the frame loop and the page wipes.
#pragma once

// Skin background, buttons, menu, page rules and text, note bars (music on) and ticker; no input, no
// pointer, no present.
void draw_frame_body();
