// Key table: the held and pressed-since-last-poll bits behind key_state.
#include "platform/common/key_table.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {
struct key_entry {
    bool held = false;
    bool pressed = false;  // went down since the last poll
};
std::array<key_entry, 256> key_table_state{};
}  // namespace

void key_table_event(int vk, bool down) {
    if (vk < 0 || vk > 255) return;
    key_entry& key = key_table_state[static_cast<size_t>(vk)];
    if (down && !key.held) key.pressed = true;
    key.held = down;
}

short key_table_poll(int vk) {
    if (vk < 0 || vk > 255) return 0;
    key_entry& key = key_table_state[static_cast<size_t>(vk)];
    // A tap that came and went between two polls still reads as held once, so that it counts as struck.
    uint16_t state = static_cast<uint16_t>((key.held || key.pressed ? 0x8000u : 0u) | (key.pressed ? 1u : 0u));
    key.pressed = false;
    return static_cast<short>(state);
}

void key_table_clear() { key_table_state.fill(key_entry{}); }
