// Stand-ins for the twelve intro tune files: short PSID tunes built by the SID player's test-tune
// builder, with enough songs for every row of the intro's tune table (file 4 needs twelve).
#include <array>
#include <cstdint>
#include <vector>

#include "content/tunes/intro_tune_data.h"
#include "tools/sidtunes/sidtunes.h"

namespace {

std::array<std::vector<uint8_t>, 13> make_files() {
    std::array<std::vector<uint8_t>, 13> files;
    for (size_t n = 1; n <= 12; ++n) {
        std::vector<uint8_t> f = sidtune_busy();
        f[15] = 12;  // song count (big-endian word at offset 14)
        f[0x16] = static_cast<uint8_t>('A' + n - 1);  // tell the files apart by name
        files[n] = f;
    }
    return files;
}

const std::array<std::vector<uint8_t>, 13> stand_in_files = make_files();


}  // namespace

const intro_tune_file intro_tune_files[13] = {
    {nullptr, 0},
    {stand_in_files[1].data(), stand_in_files[1].size()},
    {stand_in_files[2].data(), stand_in_files[2].size()},
    {stand_in_files[3].data(), stand_in_files[3].size()},
    {stand_in_files[4].data(), stand_in_files[4].size()},
    {stand_in_files[5].data(), stand_in_files[5].size()},
    {stand_in_files[6].data(), stand_in_files[6].size()},
    {stand_in_files[7].data(), stand_in_files[7].size()},
    {stand_in_files[8].data(), stand_in_files[8].size()},
    {stand_in_files[9].data(), stand_in_files[9].size()},
    {stand_in_files[10].data(), stand_in_files[10].size()},
    {stand_in_files[11].data(), stand_in_files[11].size()},
    {stand_in_files[12].data(), stand_in_files[12].size()},
};
