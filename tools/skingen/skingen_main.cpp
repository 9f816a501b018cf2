// skingen: build-time painter of the skin pictures; writes the C++ source defining skin_images.
#include <cstdio>
#include <string>
#include <vector>

#include "content/fonts/text_font.h"
#include "tools/skingen/skingen.h"
#include "tools/toolkit/tool_io.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skingen <skin parameters> <output .cpp>\n");
        return 2;
    }
    std::vector<skingen_skin> skins;
    if (!skingen_parse_file(argv[1], "skingen", skins)) return 1;
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
    return tool_write_output(argv[2], skingen_emit_cpp(images), "skingen") ? 0 : 1;
}
