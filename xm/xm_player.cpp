// The module player interface and the player's one state instance.
#include "xm/xm_player.h"

#include <limits>
#include <thread>

#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"
#include "xm/xm_state.h"
#include "xm/xm_stream.h"

xm_player xm_player_state;

void xm_free_song(xm_song* song) {
    if (!song) return;
    while (xm_player_state.mixing_busy.load()) std::this_thread::yield();
    xm_stop_song(song);
    delete song;
}

int xm_load_from_memory(const void* data, size_t length) {
    auto& st = xm_player_state;
    // Keeping an earlier song would leak it and leave the thread playing it.
    if (st.current_song) xm_free();
    st.load_problem = "no module data, or more than 2 GB";
    if (!data || length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return 0;
    xm_set_memory_source(static_cast<const uint8_t*>(data), static_cast<int32_t>(length));
    xm_set_io(xm_memory_open, xm_memory_close, xm_memory_read, xm_memory_seek, xm_memory_tell);
    xm_stream* stream = xm_stream_open(nullptr, 0, 0);
    if (!stream) return 0;
    auto* song = new xm_song{};
    bool ok = xm_load(song, stream);
    xm_stream_close(stream);
    if (!ok) {
        xm_free_song(song);
        return 0;
    }
    st.current_song = song;
    return 1;
}

bool xm_play() {
    if (!xm_player_state.current_song) return false;
    return xm_start_song(xm_player_state.current_song);
}

bool xm_stop() { return xm_stop_song(xm_player_state.current_song); }

bool xm_free() {
    auto& st = xm_player_state;
    if (!st.current_song) return false;
    xm_free_song(st.current_song);
    st.current_song = nullptr;
    return true;
}

int xm_channel_count() {
    const xm_song* song = xm_player_state.current_song;
    return song ? song->channel_count : 0;
}

namespace {
const xm_block_info* heard_info() {
    auto& st = xm_player_state;
    if (!st.current_song || !st.block_info) return nullptr;
    int32_t block = st.heard_block.load(std::memory_order_relaxed);
    if (block < 0 || block >= st.blocks) return nullptr;
    return &st.block_info[static_cast<size_t>(block)];
}
}  // namespace

int xm_heard_cell(int channel) {
    const xm_song* song = xm_player_state.current_song;
    if (!song) return 0;
    const xm_block_info* info = heard_info();
    int order = info ? info->order_position.load(std::memory_order_relaxed) : 0;
    int row = info ? info->row.load(std::memory_order_relaxed) : 0;
    const uint8_t* cell = xm_pattern_cell(*song, song->order_table[static_cast<size_t>(order)], row, channel);
    return cell[0] | (cell[1] << 8);
}

int xm_heard_order() {
    const xm_block_info* info = heard_info();
    return info ? info->order_position.load(std::memory_order_relaxed) : 0;
}

int xm_heard_row() {
    const xm_block_info* info = heard_info();
    return info ? info->row.load(std::memory_order_relaxed) : 0;
}

uint32_t xm_heard_time() {
    const xm_block_info* info = heard_info();
    return info ? info->elapsed_ms.load(std::memory_order_relaxed) : 0;
}
