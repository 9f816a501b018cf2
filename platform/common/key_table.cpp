// Key table: the held and pressed-since-last-poll bits behind key_state.
#include "platform/common/key_table.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/input_latch.h"

namespace {
std::array<input_latch, 256> key_table_state{};
}  // namespace

void key_table_event(int vk, bool down) {
    if (vk < 0 || vk > 255) return;
    key_table_state[static_cast<size_t>(vk)].event(down);
}

short key_table_poll(int vk) {
    if (vk < 0 || vk > 255) return 0;
    return static_cast<short>(key_table_state[static_cast<size_t>(vk)].poll());
}

void key_table_frame_mark() {
    for (input_latch& key : key_table_state) key.frame_mark();
}

void key_table_clear() { key_table_state.fill(input_latch{}); }
