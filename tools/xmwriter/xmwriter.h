// The module writer: composes XM module files from code (header, packed patterns, instruments with
// envelopes, delta-encoded 8- and 16-bit samples with forward and ping-pong loops, 4-bit ADPCM-packed
// 8-bit samples, instruments with any number of samples).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One pattern cell as a tracker shows it: note 1-96 (97 = key-off), instrument 1-128, volume-column
// byte, effect number, parameter. Zero means empty.
struct xmw_cell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t param = 0;
};

// How a pattern's cells are written: mixed picks the shorter of the packed and unpacked forms per cell,
// as trackers do; empty writes a packed size of 0 and no cell data.
enum class xmw_packing : uint8_t { mixed, packed, unpacked, empty };

struct xmw_pattern {
    uint16_t rows = 64;
    std::vector<xmw_cell> cells;  // rows x channels, row-major; missing cells are empty
    xmw_packing packing = xmw_packing::mixed;
};

struct xmw_envelope_point {
    uint16_t x = 0;
    uint16_t y = 0;
};

struct xmw_envelope {
    std::vector<xmw_envelope_point> points;  // up to 12
    bool on = false;
    bool sustain = false;
    bool loop = false;
    uint8_t sustain_point = 0;
    uint8_t loop_start = 0;
    uint8_t loop_end = 0;
};

enum class xmw_loop : uint8_t { none, forward, pingpong };

struct xmw_sample {
    std::vector<int16_t> data;  // values: -128..127 for 8-bit samples
    bool sixteen_bit = false;
    xmw_loop loop = xmw_loop::none;
    uint32_t loop_start = 0;   // in values
    uint32_t loop_length = 0;  // in values
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relative_note = 0;
    std::string name;
    uint8_t raw_type = 0;  // when non-zero, written as the type byte instead of the derived one
    // 8-bit only: packed as 4-bit ADPCM (marked 0xAD in the reserved byte): a table of 16 deltas, then
    // one table index per value, two to a byte. Exact when the values step by at most 16 distinct
    // deltas (the first step is from 0); otherwise each step takes the nearest delta of a fixed table.
    bool adpcm = false;
};

struct xmw_instrument {
    std::string name;
    std::vector<xmw_sample> samples;  // trackers write more than 16; players keep the first 16
    std::array<uint8_t, 96> sample_map{};
    xmw_envelope volume_envelope;
    xmw_envelope panning_envelope;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    uint16_t fadeout = 0;  // the file's value
    uint32_t header_padding = 0;  // extra bytes counted in the instrument header size (readers skip them)
};

struct xmw_module {
    std::string name = "kestravon";
    uint16_t version = 0x0104;  // the format version field; the layout written is always 0x0104's
    uint16_t channels = 4;
    uint16_t tempo = 6;
    uint16_t bpm = 125;
    bool linear = true;
    uint16_t restart = 0;
    std::vector<uint8_t> orders{0};
    std::vector<xmw_pattern> patterns;
    std::vector<xmw_instrument> instruments;
};

// Sets the cell of a pattern (growing its cell list to rows x channels as needed).
void xmw_set(xmw_pattern& pattern, int channels, int row, int channel, const xmw_cell& cell);
// Builds the module file.
std::vector<uint8_t> xmw_build(const xmw_module& module);
// Writes bytes to a file; false on failure.
bool xmw_write_file(const std::string& path, const std::vector<uint8_t>& bytes);
