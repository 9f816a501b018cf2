// fontc: build-time compiler of the text font source into a C++ source defining text_font_data.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/fontc/fontc.h"
#include "tools/toolkit/tool_io.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fontc <font source> <output .cpp>\n");
        return 2;
    }
    std::vector<unsigned char> data;
    if (!fontc_compile_file(argv[1], "fontc", data)) return 1;
    return tool_write_output(argv[2], fontc_emit_cpp(data, tool_base_name(argv[1])), "fontc") ? 0 : 1;
}
