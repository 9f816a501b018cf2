// The four background tunes in the magazine's order, with the credit the ticker shows. A tune saved by
// a tracker is listed as {nullptr, "file.xm", title, composer, "file.xm"} with the file in this folder.
#include "content/modules/tunes.h"

const module_tune module_tunes[4] = {
    {compose_neon_harbour, nullptr, "Neon Harbour", "Tove Rannick", "neon_harbour.xm"},
    {compose_slow_tide, nullptr, "Slow Tide Letters", "Ilse Marrow", "slow_tide_letters.xm"},
    {compose_voltage_parade, nullptr, "Voltage Parade", "Dex Kallio", "voltage_parade.xm"},
    {compose_glass_meadows, nullptr, "Glass Meadows", "Ona Pellervo", "glass_meadows.xm"},
};
