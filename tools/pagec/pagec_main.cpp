// pagec: build-time compiler of the page sources into a C++ source defining page_sources.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/pagec/pagec.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: pagec <output .cpp> <page source>...\n");
        return 2;
    }
    std::vector<pagec_page> pages;
    std::vector<std::string> names;
    std::string error;
    for (int i = 2; i < argc; ++i) {
        std::string source;
        if (!pagec_read_file(argv[i], source)) {
            std::fprintf(stderr, "pagec: cannot read %s\n", argv[i]);
            return 1;
        }
        pagec_page page;
        if (!pagec_compile(source, argv[i], page, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        pages.push_back(std::move(page));
        names.emplace_back(argv[i]);
    }
    if (!pagec_check_set(pages, names, error)) {
        std::fprintf(stderr, "pagec: %s\n", error.c_str());
        return 1;
    }
    // Write beside the target and rename, so a failed write never leaves a half file that looks built.
    std::string tmp = std::string(argv[1]) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << pagec_emit_cpp(pages);
        if (!out.good()) {
            std::fprintf(stderr, "pagec: cannot write %s\n", tmp.c_str());
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), argv[1]) != 0) {
        std::fprintf(stderr, "pagec: cannot rename %s to %s\n", tmp.c_str(), argv[1]);
        return 1;
    }
    return 0;
}
