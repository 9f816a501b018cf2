// The program data list and its read cursor.
#include "shell/magazine/program_data.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::array<int32_t, 121 + 100> program_data = {
    // Pointer shape, 11 rows of 11: an arrow to the upper left, hot spot at the top-left pixel.
    1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
    1, 2, 3, 3, 3, 3, 3, 1, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 1, 0, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 3, 1, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 2, 3, 1, 0, 0,
    1, 4, 2, 2, 2, 2, 2, 2, 3, 1, 0,
    1, 4, 1, 4, 2, 2, 2, 2, 2, 3, 1,
    1, 1, 0, 1, 4, 2, 2, 2, 2, 1, 0,
    1, 0, 0, 0, 1, 4, 2, 2, 1, 0, 0,
    0, 0, 0, 0, 0, 1, 4, 1, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0,
    // Side buttons 1 to 10 on 'Grunge': x, y, width, height, start state, start glow.
    35, 40, 88, 19, 0, 0,     // exit
    35, 65, 88, 19, 0, 0,     // charts menu
    35, 90, 88, 19, 1, 0,     // articles menu
    672, 65, 88, 19, 0, 0,    // rules
    672, 90, 88, 19, 0, 0,    // help
    672, 40, 88, 19, 0, 0,    // music off / on
    9, 132, 57, 19, 1, 0,     // tune 1
    73, 132, 57, 19, 0, 0,    // tune 2
    665, 132, 57, 19, 0, 0,   // tune 3
    729, 132, 57, 19, 0, 0,   // tune 4
    // Side buttons 1 to 10 on 'Carbon': x, y, width, height.
    25, 49, 76, 19,
    25, 73, 76, 19,
    25, 97, 76, 19,
    698, 73, 76, 19,
    698, 97, 76, 19,
    698, 49, 76, 19,
    18, 137, 43, 8,
    79, 137, 44, 8,
    669, 137, 44, 8,
    733, 137, 43, 8,
};

size_t program_data_cursor = 0;

}  // namespace

void program_data_rewind() { program_data_cursor = 0; }

int32_t program_data_read() {
    if (program_data_cursor >= program_data.size()) return 0;
    return program_data[program_data_cursor++];
}

int program_data_remaining() { return static_cast<int>(program_data.size() - program_data_cursor); }
