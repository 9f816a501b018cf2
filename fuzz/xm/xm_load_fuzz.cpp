// Fuzz target: any bytes through xm_load_from_memory, then a few blocks of playing when accepted, so
// the player is exercised on whatever the loader lets through.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Most mutations would die at the identifier; give every input one so the fuzzer explores the rest.
    std::vector<uint8_t> bytes(17 + size);
    std::memcpy(bytes.data(), "Extended Module: ", 17);
    if (size) std::memcpy(bytes.data() + 17, data, size);
    if (xm_load_from_memory(bytes.data(), bytes.size())) {
        xm_song* song = xm_player_state.current_song;
        if (xm_prepare_song(song)) {
            for (int b = 0; b < 8; ++b) xm_mix_block();
            for (int c = 0; c < song->channel_count; ++c) xm_heard_cell(c);
        }
        xm_free();
    }
    return 0;
}
