// The program's main sequence: build the tables, open the display, run, shut down.
#pragma once

// The whole program with its command line (none: full screen); returns the process exit code: 0
// normally, -1 when the display cannot open, 2 for a command line it does not understand, 1 when --text
// could not write its text.
int kestravon_main(int argc = 0, const char* const* argv = nullptr);
// Start-up steps 1 to 11: every table of the magazine from the compiled-in content; no display.
void magazine_start_up();
// After the intro: tune 1 starts, the frame is cleared and both skin backgrounds are rendered.
void magazine_enter();
