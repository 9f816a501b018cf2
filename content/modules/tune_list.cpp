// The four background tunes in the magazine's order, with the credit the ticker shows.
#include "content/modules/tunes.h"

const module_tune module_tunes[4] = {
    {compose_neon_harbour, "Neon Harbour", "Tove Rannick", "neon_harbour.xm"},
    {compose_slow_tide, "Slow Tide Letters", "Ilse Marrow", "slow_tide_letters.xm"},
    {compose_voltage_parade, "Voltage Parade", "Dex Kallio", "voltage_parade.xm"},
    {compose_glass_meadows, "Glass Meadows", "Ona Pellervo", "glass_meadows.xm"},
};
