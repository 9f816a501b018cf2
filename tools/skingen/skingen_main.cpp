// skingen: build-time painter of the skin pictures; writes the C++ source defining skin_images.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "content/fonts/text_font.h"
#include "tools/skingen/skingen.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skingen <skin parameters> <output .cpp>\n");
        return 2;
    }
    std::string source;
    if (!skingen_read_file(argv[1], source)) {
        std::fprintf(stderr, "skingen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<skingen_skin> skins;
    std::string error;
    if (!skingen_parse(source, argv[1], skins, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (skins.size() != 2) {
        std::fprintf(stderr, "%s: the magazine has two skins, the parameters give %zu\n", argv[1], skins.size());
        return 1;
    }
    std::vector<std::vector<unsigned char>> images;
    for (const skingen_skin& skin : skins) {
        std::vector<float> rgb;
        std::array<skingen_rect, 11> ink;
        skingen_paint(skin, text_font_data, rgb, ink);
        images.push_back(skingen_quantize(rgb));
    }
    std::string tmp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << skingen_emit_cpp(images);
        if (!out.good()) {
            std::fprintf(stderr, "skingen: cannot write %s\n", tmp.c_str());
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "skingen: cannot rename %s to %s\n", tmp.c_str(), argv[2]);
        return 1;
    }
    return 0;
}
