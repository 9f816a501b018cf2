// Shared helpers of the SID player tests: a heap machine set up as the player sets it up.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sid/sid.h"

// A freshly initialised machine at 44100 Hz (the record is 64 KB: keep it off the stack).
inline std::unique_ptr<sid_machine> fresh_machine() {
    auto m = std::make_unique<sid_machine>();
    machine_init(*m, 44100);
    sample_channel_output = 0;
    return m;
}

// Places bytes in memory directly (not through the chip window).
inline void poke(sid_machine& m, uint16_t at, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) m.memory[at++] = b;
}

inline std::vector<int16_t> render(sid_machine& m, uint32_t count) {
    std::vector<int16_t> out(count);
    sid_render(m, out.data(), count);
    return out;
}

inline uint16_t load(sid_machine& m, const std::vector<uint8_t>& file) {
    return psid_load(m, file.data(), static_cast<uint16_t>(file.size()));
}

// The first frames of a song as the frame routine renders them: what every player of it must produce.
inline std::vector<int16_t> reference_frames(const std::vector<uint8_t>& tune, uint8_t song,
                                             uint32_t frames) {
    auto m = fresh_machine();
    load(*m, tune);
    psid_select_song(*m, song);
    std::vector<int16_t> out(frames * 882);
    for (uint32_t f = 0; f < frames; ++f) psid_render_frame(*m, out.data() + f * 882, 882);
    return out;
}
