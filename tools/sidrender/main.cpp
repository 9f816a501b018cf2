// sidrender [--song N] [--seconds N] INPUT.sid OUTPUT.wav: renders one song of a PSID tune through the
// player's own frame routine into a mono 16-bit 44.1 kHz WAV file, and prints what the header says.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sid/sid.h"
#include "tools/toolkit/tool_io.h"

namespace {

constexpr uint32_t rate = 44100;
constexpr uint32_t frame_samples = 882;
// The longest render whose sizes fit the WAV header's 32-bit fields (the RIFF size is 36 + data bytes).
constexpr long max_seconds = static_cast<long>((uint64_t{0xFFFFFFFF} - 36) / (rate * 2));
static_assert(36 + static_cast<uint64_t>(max_seconds) * rate * 2 <= 0xFFFFFFFFu);

int fail(const std::string& reason) {
    std::fprintf(stderr, "sidrender: %s\n", reason.c_str());
    return 1;
}

bool parse_number(const char* text, long max, long& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 0 || v > max) return false;
    out = v;
    return true;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

std::string header_text(const std::vector<uint8_t>& f, size_t at) {
    std::string s;
    for (size_t i = at; i < at + 32 && f[i]; ++i) s.push_back(static_cast<char>(f[i]));
    return s;
}

uint32_t be16(const std::vector<uint8_t>& f, size_t at) { return static_cast<uint32_t>(f[at] << 8 | f[at + 1]); }

sid_machine machine;

}  // namespace

int main(int argc, char** argv) {
    long song = -1;
    long seconds = 60;
    std::vector<const char*> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--song" || arg == "--seconds") {
            if (i + 1 >= argc) return fail(arg + " needs a number");
            long& target = arg == "--song" ? song : seconds;
            if (!parse_number(argv[++i], arg == "--song" ? 255 : max_seconds, target)) {
                return fail(arg + " takes a whole number" +
                            (arg == "--song" ? std::string(" from 0 to 255")
                                             : " up to " + std::to_string(max_seconds) + " (the longest a WAV file holds)"));
            }
        } else {
            paths.push_back(argv[i]);
        }
    }
    if (paths.size() != 2) return fail("usage: sidrender [--song N] [--seconds N] INPUT.sid OUTPUT.wav");

    std::vector<uint8_t> file;
    std::string reason;
    // A PSID file is at most 65535 bytes: anything longer is refused before it is all read.
    if (!tool_read_bytes(paths[0], file, reason, 0xFFFF)) return fail(reason);
    if (const char* problem = psid_problem(file.data(), static_cast<uint32_t>(file.size()))) {
        return fail(std::string(paths[0]) + ": " + problem);
    }

    const uint32_t songs = be16(file, 14);
    const uint32_t start_song = be16(file, 16);
    if (song < 0) song = start_song > 0 ? start_song - 1 : 0;
    std::printf("name     %s\nauthor   %s\nreleased %s\n", header_text(file, 0x16).c_str(),
                header_text(file, 0x36).c_str(), header_text(file, 0x56).c_str());
    std::printf("version  %u\nsongs    %u (start song %u)\nspeed    $%08X\n", be16(file, 4), songs, start_song,
                be16(file, 18) << 16 | be16(file, 20));

    machine_init(machine, rate);
    const uint16_t load = psid_load(machine, file.data(), static_cast<uint16_t>(file.size()));
    std::printf("load     $%04X\ninit     $%04X\nplay     $%04X%s\n", load, machine.init_address,
                machine.play_address, be16(file, 12) == 0 ? " (from the vector at $0314)" : "");
    if (static_cast<uint32_t>(song) >= songs) {
        std::fprintf(stderr, "sidrender: warning: song %ld is beyond the file's %u songs; playing it anyway\n",
                     song, songs);
    }
    std::printf("song     %ld (0-based), %ld s\n", song, seconds);
    psid_select_song(machine, static_cast<uint8_t>(song));

    const uint32_t frames = static_cast<uint32_t>(seconds) * (rate / frame_samples);
    const uint32_t data_bytes = frames * frame_samples * 2;
    std::vector<uint8_t> wav;
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    put32(wav, 36 + data_bytes);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(wav, 16);
    put16(wav, 1);  // PCM
    put16(wav, 1);  // mono
    put32(wav, rate);
    put32(wav, rate * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    put32(wav, data_bytes);

    // Written a frame at a time: the longest render is 4 GB.
    std::FILE* out = std::fopen(paths[1], "wb");
    if (!out) return fail(std::string("cannot write ") + paths[1]);
    bool written = std::fwrite(wav.data(), 1, wav.size(), out) == wav.size();
    int16_t samples[frame_samples];
    for (uint32_t f = 0; f < frames && written; ++f) {
        psid_render_frame(machine, samples, frame_samples);
        wav.clear();
        for (int16_t s : samples) put16(wav, static_cast<uint16_t>(s));
        written = std::fwrite(wav.data(), 1, wav.size(), out) == wav.size();
    }
    if (std::fclose(out) != 0 || !written) return fail(std::string("cannot write ") + paths[1]);
    return 0;
}
