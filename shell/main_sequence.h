// The program's main sequence: build the tables, open the display, run, shut down.
#pragma once

// The whole program; returns the process exit code (0 normally, -1 when the display cannot open).
int kestravon_main();
