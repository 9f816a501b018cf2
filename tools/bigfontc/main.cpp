// bigfontc: build-time compiler of the intro's big font source into a C++ source defining big_font_data.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/bigfontc/bigfontc.h"
#include "tools/toolkit/tool_io.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bigfontc <font source> <output .cpp>\n");
        return 2;
    }
    std::string source;
    if (!tool_read_source(argv[1], source, "bigfontc")) return 1;
    std::vector<unsigned char> data;
    std::string error;
    if (!bigfontc_compile(source, argv[1], data, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return tool_write_output(argv[2], bigfontc_emit_cpp(data, tool_base_name(argv[1])), "bigfontc") ? 0 : 1;
}
