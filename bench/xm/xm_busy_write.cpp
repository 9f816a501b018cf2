// xm_busy_write OUTPUT.xm: writes the busiest benchmark module as a file, for timing xmrender end to end.
#include <cstdio>

#include "bench/xm/xm_busy_modules.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xm_busy_write OUTPUT.xm\n");
        return 1;
    }
    return xmw_write_file(argv[1], busiest_module()) ? 0 : 1;
}
