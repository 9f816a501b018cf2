// PSID tunes on the machine: set up a machine, load a tune's memory image, run its init routine for a
// song and produce one frame of audio per play call.
#include <algorithm>
#include <cstring>

#include "sid/sid.h"

namespace {

// Header byte at offset i, or 0 past the end of a short file.
uint8_t header_byte(const uint8_t* file, uint32_t length, uint32_t i) { return i < length ? file[i] : 0; }

uint16_t header_word(const uint8_t* file, uint32_t length, uint32_t i) {
    return static_cast<uint16_t>(header_byte(file, length, i) << 8 | header_byte(file, length, i + 1));
}

// Where the memory image starts in the file and where it goes: the load address is the header's when
// that is non-zero, else the first two data bytes (low first), which are then not part of the image.
struct tune_layout {
    uint32_t image_offset;
    uint32_t load_address;
    bool has_load_address;
};

tune_layout layout_of(const uint8_t* file, uint32_t length) {
    const uint32_t d = header_byte(file, length, 7);
    const uint16_t header_load = header_word(file, length, 8);
    if (header_load != 0) return {d, header_load, true};
    if (length < d + 2) return {d, 0, false};
    return {d + 2, static_cast<uint32_t>(file[d] | file[d + 1] << 8), true};
}

}  // namespace

void machine_init(sid_machine& m, uint32_t sample_rate) {
    m = sid_machine{};
    m.filter_path = 1;
    m.call_limit = cpu_call_default_limit;
    m.play_call_limit = cpu_play_call_limit;
    sid_init(m, sample_rate);
    m.memory.fill(0);
    cpu_reset(m);
}

uint16_t psid_load(sid_machine& m, const uint8_t* file, uint16_t length) {
    const uint32_t n = file ? length : 0;
    m.init_address = header_word(file, n, 10);
    m.play_address = header_word(file, n, 12);
    m.last_song = static_cast<uint8_t>(header_byte(file, n, 15) - 1u);
    m.start_song = static_cast<uint8_t>(header_byte(file, n, 17) - 1u);
    m.speed = header_byte(file, n, 21);

    const tune_layout layout = layout_of(file, n);
    m.load_address = static_cast<uint16_t>(layout.load_address);
    m.memory.fill(0);
    if (layout.has_load_address && n > layout.image_offset) {
        // Memory ends at $FFFF: whatever of the image lies beyond it is dropped.
        const uint32_t size = std::min(n - layout.image_offset, 0x10000u - layout.load_address);
        std::memcpy(m.memory.data() + layout.load_address, file + layout.image_offset, size);
    }
    if (m.play_address == 0) {
        // The tune installs its own interrupt vector: run init once to find where it points.
        cpu_call(m, m.init_address, 0);
        m.play_address = static_cast<uint16_t>(m.memory[0x0314] | m.memory[0x0315] << 8);
    }
    return m.load_address;
}

const char* psid_problem(const uint8_t* file, uint32_t length) {
    if (!file || length < 0x76) return "file too short for a PSID header";
    if (std::memcmp(file, "PSID", 4) != 0) return "not a PSID file (the first four bytes are not \"PSID\")";
    if (length > 0xFFFF) return "file longer than 65535 bytes";
    if (file[6] != 0) return "data offset above 255";
    if (file[7] < 0x76) return "data offset inside the header";
    const tune_layout layout = layout_of(file, length);
    if (layout.image_offset > length || !layout.has_load_address) return "file ends before the tune data";
    if (layout.image_offset == length) return "no tune data after the header";
    if (length - layout.image_offset > 0x10000u - layout.load_address) return "tune runs past the end of memory";
    return nullptr;
}

void psid_select_song(sid_machine& m, uint8_t song) { cpu_call(m, m.init_address, song); }

void psid_render_frame(sid_machine& m, int16_t* out, uint32_t count) {
    cpu_call(m, m.play_address, 0, m.play_call_limit);
    sid_render(m, out, count);
}
