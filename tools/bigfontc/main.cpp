// bigfontc: build-time compiler of the intro's big font source into a C++ source defining big_font_data.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/bigfontc/bigfontc.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bigfontc <font source> <output .cpp>\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::fprintf(stderr, "bigfontc: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string source;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) source.append(chunk, n);
    const bool read_failed = std::ferror(in) != 0;
    std::fclose(in);
    if (read_failed) {
        std::fprintf(stderr, "bigfontc: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> data;
    std::string error;
    if (!bigfontc_compile(source, argv[1], data, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // Write beside the target and rename, so a failed write never leaves a half file that looks built.
    std::string tmp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        std::string name = argv[1];
        out << bigfontc_emit_cpp(data, name.substr(name.find_last_of('/') + 1));
        if (!out.good()) {
            std::fprintf(stderr, "bigfontc: cannot write %s\n", tmp.c_str());
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "bigfontc: cannot rename %s to %s\n", tmp.c_str(), argv[2]);
        return 1;
    }
    return 0;
}
