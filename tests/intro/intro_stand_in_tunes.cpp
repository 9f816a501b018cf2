// Stand-ins for the twelve intro tune files: short PSID tunes built by the SID player's test-tune
// builder, with enough songs for every row of the intro's tune table (file 4 needs twelve).
#include <cstdint>
#include <vector>

#include "content/tunes/intro_tune_data.h"
#include "tools/sidtunes/sidtunes.h"

namespace {

std::vector<uint8_t> stand_in[13];

intro_tune_file make(size_t n) {
    stand_in[n] = sidtune_busy();
    stand_in[n][15] = 12;                                    // song count (big-endian word at offset 14)
    stand_in[n][0x16] = static_cast<uint8_t>('A' + n - 1);  // tell the files apart by name
    return {stand_in[n].data(), stand_in[n].size()};
}

}  // namespace

const intro_tune_file intro_tune_files[13] = {{nullptr, 0}, make(1), make(2), make(3),  make(4),  make(5), make(6),
                                              make(7),      make(8), make(9), make(10), make(11), make(12)};
