// Fuzz target: any bytes as a PSID file, loaded, initialised and played for a few frames with a small
// instruction bound per call, so that looping programs stay cheap.
#include <cstddef>
#include <cstdint>

#include "sid/sid.h"

namespace {
sid_machine machine;
int16_t frame[882];
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFF) size = 0xFFFF;
    (void)psid_problem(data, static_cast<uint32_t>(size));
    machine_init(machine, 44100);
    machine.call_limit = 20000;
    machine.play_call_limit = 20000;
    psid_load(machine, data, static_cast<uint16_t>(size));
    psid_select_song(machine, size > 0 ? data[size - 1] : 0);
    for (int f = 0; f < 4; ++f) psid_render_frame(machine, frame, 882);
    return 0;
}
