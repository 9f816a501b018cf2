// The four background tunes, each composed by one function, with the credit the ticker shows.
#pragma once
#include "content/modules/compose.h"

// A tune is composed in code (compose set) or is a module file saved by a tracker (source_file, a name
// in content/modules; compose null).
struct module_tune {
    composition (*compose)();
    const char* source_file;
    const char* title;
    const char* composer;
    const char* file_name;  // of the .xm the generator also writes, for listening
};

// Tune 1: an upbeat chip-flavoured opener in A minor.
composition compose_neon_harbour();
// Tune 2: a mellow downtempo piece with electric piano in C.
composition compose_slow_tide();
// Tune 3: a driving electro piece in E minor.
composition compose_voltage_parade();
// Tune 4: a calm ambient piece of bells and pads in F.
composition compose_glass_meadows();

// Tunes 1 to 4 in order.
extern const module_tune module_tunes[4];
