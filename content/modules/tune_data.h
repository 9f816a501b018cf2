// The magazine's four background tunes: XM modules with the title and composer the ticker credits.
// Generated at build time.
#pragma once
#include <cstddef>

struct magazine_tune {
    const unsigned char* data;
    size_t length;
    const char* title;
    const char* composer;
};

// Tunes 1 to 4; entry 0 is empty.
extern const magazine_tune magazine_tunes[5];
