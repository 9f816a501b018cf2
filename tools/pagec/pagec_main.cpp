// pagec: build-time compiler of the page sources into a C++ source defining page_sources.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/pagec/pagec.h"
#include "tools/toolkit/tool_io.h"

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
        if (!tool_read_source(argv[i], source, "pagec")) return 1;
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
    return tool_write_output(argv[1], pagec_emit_cpp(pages), "pagec") ? 0 : 1;
}
