// xmrender: renders an XM module to a 16-bit stereo 44.1 kHz WAV file through the player's own block
// mixing, so a content author hears exactly what the magazine will play.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"
#include "tools/toolkit/tool_io.h"

namespace {

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

std::vector<uint8_t> wav_header(uint32_t data_bytes) {
    std::vector<uint8_t> h;
    for (char c : std::string("RIFF")) h.push_back(static_cast<uint8_t>(c));
    put32(h, 36 + data_bytes);
    for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<uint8_t>(c));
    put32(h, 16);
    put16(h, 1);
    put16(h, 2);
    put32(h, xm_mix_rate);
    put32(h, xm_mix_rate * 4);
    put16(h, 4);
    put16(h, 16);
    for (char c : std::string("data")) h.push_back(static_cast<uint8_t>(c));
    put32(h, data_bytes);
    return h;
}

// The longest render: an hour, whose sizes (rounded up to whole blocks) fit the WAV header easily.
constexpr double max_seconds = 3600.0;
static_assert(36 + (max_seconds * xm_mix_rate + 884) * 4 < 4294967295.0);

int usage() {
    std::fprintf(stderr, "usage: xmrender [--seconds N] INPUT.xm OUTPUT.wav\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 60.0;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0) {
            if (i + 1 >= argc) return usage();
            char* end = nullptr;
            seconds = std::strtod(argv[++i], &end);
            if (!end || *end != '\0' || !(seconds > 0.0) || seconds > max_seconds) {
                std::fprintf(stderr, "xmrender: --seconds wants a number of seconds from 0 to 3600\n");
                return 1;
            }
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != 2) return usage();

    std::vector<uint8_t> bytes;
    std::string reason;
    if (!tool_read_bytes(files[0], bytes, reason)) {
        std::fprintf(stderr, "xmrender: %s\n", reason.c_str());
        return 1;
    }
    if (bytes.size() < 17 || std::memcmp(bytes.data(), "Extended Module: ", 17) != 0) {
        std::fprintf(stderr, "xmrender: %s: not an XM module (no \"Extended Module: \" identifier)\n", files[0]);
        return 1;
    }
    if (!xm_load_from_memory(bytes.data(), bytes.size())) {
        const char* problem = xm_player_state.load_problem;
        std::fprintf(stderr, "xmrender: %s: module rejected: %s\n", files[0], problem ? problem : "unknown reason");
        return 1;
    }
    xm_song* song = xm_player_state.current_song;
    uint32_t sample_total = 0;
    for (const auto& inst : song->instruments) sample_total += inst.sample_count;
    std::printf("%s: %d channels, %d patterns, %d instruments, %u samples, %s frequency table, "
                "speed %d, BPM %d, %d orders\n",
                files[0], song->channel_count, song->pattern_table_size, song->instrument_count, sample_total,
                (song->flags & 1) ? "linear" : "Amiga", song->default_tempo, song->default_bpm, song->song_length);

    if (!xm_prepare_song(song)) {
        std::fprintf(stderr, "xmrender: cannot set up the mixer\n");
        return 1;
    }
    auto& st = xm_player_state;
    const auto frames_wanted = static_cast<uint64_t>(seconds * xm_mix_rate);
    const uint64_t blocks = (frames_wanted + static_cast<uint64_t>(st.block_frames) - 1) / st.block_frames;
    const uint64_t frames = blocks * static_cast<uint64_t>(st.block_frames);
    std::FILE* out = std::fopen(files[1], "wb");
    if (!out) {
        std::fprintf(stderr, "xmrender: cannot write %s: %s\n", files[1], std::strerror(errno));
        return 1;
    }
    std::vector<uint8_t> header = wav_header(static_cast<uint32_t>(frames * 4));
    bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();
    // The same block sequence the device plays: each call mixes the ring block at the write index.
    std::vector<uint8_t> block(static_cast<size_t>(st.block_frames) * 4);
    for (uint64_t b = 0; b < blocks && ok; ++b) {
        const int16_t* pcm = st.ring.data() + static_cast<size_t>(st.write_block) * st.block_frames * 2;
        xm_mix_block();
        for (size_t i = 0; i < static_cast<size_t>(st.block_frames) * 2; ++i) {
            auto v = static_cast<uint16_t>(pcm[i]);
            block[2 * i] = static_cast<uint8_t>(v);
            block[2 * i + 1] = static_cast<uint8_t>(v >> 8);
        }
        ok = std::fwrite(block.data(), 1, block.size(), out) == block.size();
    }
    ok = std::fclose(out) == 0 && ok;
    xm_stop_song(song);
    xm_free();
    if (!ok) {
        std::fprintf(stderr, "xmrender: cannot write %s\n", files[1]);
        return 1;
    }
    std::printf("%s: %.2f s, %llu frames\n", files[1], static_cast<double>(frames) / xm_mix_rate,
                static_cast<unsigned long long>(frames));
    return 0;
}
