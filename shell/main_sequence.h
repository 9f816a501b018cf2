// The program's main sequence: build the tables, open the display, run, shut down.
#pragma once

// The whole program; returns the process exit code (0 normally, -1 when the display cannot open).
int kestravon_main();
// Start-up steps 1 to 11: every table of the magazine from the compiled-in content; no display.
void magazine_start_up();
// After the intro: tune 1 starts, the frame is cleared and both skin backgrounds are rendered.
void magazine_enter();
