// fontc: build-time compiler of the text font source into a C++ source defining text_font_data.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/fontc/fontc.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fontc <font source> <output .cpp>\n");
        return 2;
    }
    std::string source;
    if (!fontc_read_file(argv[1], source)) {
        std::fprintf(stderr, "fontc: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> data;
    std::string error;
    if (!fontc_compile(source, argv[1], data, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // Write beside the target and rename, so a failed write never leaves a half file that looks built.
    std::string tmp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        std::string name = argv[1];
        out << fontc_emit_cpp(data, name.substr(name.find_last_of('/') + 1));
        if (!out.good()) {
            std::fprintf(stderr, "fontc: cannot write %s\n", tmp.c_str());
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "fontc: cannot rename %s to %s\n", tmp.c_str(), argv[2]);
        return 1;
    }
    return 0;
}
