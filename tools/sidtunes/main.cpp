// sidtunes OUTDIR: writes the SID player's test tunes as PSID files (busy, songs, vector, sample).
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sidtunes/sidtunes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sidtunes OUTDIR\n");
        return 1;
    }
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> tunes = {
        {"busy.sid", sidtune_busy()},
        {"songs.sid", sidtune_songs()},
        {"vector.sid", sidtune_vector()},
        {"sample.sid", sidtune_sample()}};
    for (const auto& [name, bytes] : tunes) {
        const std::string path = std::string(argv[1]) + "/" + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            std::fprintf(stderr, "sidtunes: cannot write %s\n", path.c_str());
            if (f) std::fclose(f);
            return 1;
        }
        std::fclose(f);
    }
    return 0;
}
