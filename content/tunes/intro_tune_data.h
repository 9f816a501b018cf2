// The intro's twelve C64 tunes: PSID files. Generated or embedded at build time.
#pragma once
#include <cstddef>

struct intro_tune_file {
    const unsigned char* data;
    size_t length;
};

// Files 1 to 12; entry 0 is empty.
extern const intro_tune_file intro_tune_files[13];
