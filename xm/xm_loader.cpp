// The XM loader: header, patterns, instruments and samples, all converted once so the player and the
// mixer see fixed five-byte cells and 16-bit sample data with a valid neighbour behind every loop end.
//
// Sections: reading helpers | header | patterns | instruments and samples | cell lookup.
#include "xm/xm_loader.h"

#include <algorithm>
#include <cstring>

#include "xm/xm_pattern_player.h"

xm_sample xm_null_sample{};
const xm_instrument xm_null_instrument{};

namespace {

// ---- Reading helpers: short reads leave zeros, as the destination starts zeroed ----

uint8_t read_u8(xm_stream* s) {
    uint8_t b = 0;
    xm_stream_read(s, &b, 1);
    return b;
}

uint16_t read_u16(xm_stream* s) {
    uint8_t b[2] = {0, 0};
    xm_stream_read(s, b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t read_u32(xm_stream* s) {
    uint8_t b[4] = {0, 0, 0, 0};
    xm_stream_read(s, b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// Bytes between the position and the end of the module.
int64_t bytes_left(xm_stream* s) {
    int32_t here = xm_stream_tell(s);
    xm_stream_seek(s, 0, 2);
    int32_t end = xm_stream_tell(s);
    xm_stream_seek(s, here, 0);
    return end > here ? end - here : 0;
}

constexpr char xm_identifier[] = "Extended Module: ";
// The order table can name patterns 0-255 only, and pattern bytes name instruments 1-128 only.
constexpr uint32_t max_patterns = 256;
constexpr uint32_t max_instruments = 128;
// The sample map names slots 0-15.
constexpr uint32_t max_samples = 16;
// The first format version with patterns before instruments (the header's version word, at 58).
constexpr uint16_t oldest_version_read = 0x0103;
constexpr uint16_t max_envelope_y = 64;

const uint8_t empty_cell[5] = {0, 0, 0, 0, 0};

// ---- Patterns ----

void load_pattern(xm_song* song, xm_stream* s, xm_pattern& pattern) {
    read_u32(s);  // header length: the fields follow at once
    read_u8(s);   // packing type
    pattern.rows = read_u16(s);
    uint16_t packed_size = read_u16(s);
    if (packed_size == 0) return;

    uint64_t cell_count = static_cast<uint64_t>(pattern.rows) * static_cast<uint64_t>(song->channel_count);
    // Every stored cell takes at least one byte of the file; cells past the end of the data read as
    // empty, so only what the file can supply is allocated.
    uint64_t limit = static_cast<uint64_t>(bytes_left(s));
    uint64_t stored = std::min(cell_count, limit);
    pattern.cells.assign(static_cast<size_t>(stored * 5), 0);
    for (uint64_t i = 0; i < stored; ++i) {
        uint8_t* cell = &pattern.cells[static_cast<size_t>(i * 5)];
        uint8_t b = read_u8(s);
        if (b & 0x80) {
            if (b & 0x01) cell[0] = read_u8(s);
            if (b & 0x02) cell[1] = read_u8(s);
            if (b & 0x04) cell[2] = read_u8(s);
            if (b & 0x08) cell[3] = read_u8(s);
            if (b & 0x10) cell[4] = read_u8(s);
        } else {
            cell[0] = b;
            xm_stream_read(s, cell + 1, 4);
        }
        if (cell[0] == 97) cell[0] = 255;
        // Notes 98-254 would index past the 96-entry sample map: no note.
        else if (cell[0] > 97 && cell[0] != 255) cell[0] = 0;
        if (cell[1] > 128) cell[1] = 0;
    }
}

// ---- Instruments and samples ----

void read_envelope(xm_stream* s, std::array<xm_envelope_point, 20>& points) {
    for (int i = 0; i < 12; ++i) {
        points[i].x = read_u16(s);
        points[i].y = read_u16(s);
    }
}

// Makes an envelope from any bytes safe to step: at most 12 points, y within 0-64, x never falling
// (so the envelope tick meets every point in turn), and no loop that would jump past the points.
void bound_envelope(std::array<xm_envelope_point, 20>& points, uint8_t& count, uint8_t& type, uint8_t& loop_start,
                    uint8_t& loop_end) {
    if (count > 12) count = 12;
    for (int i = 0; i < 12; ++i) {
        points[i].y = std::min(points[i].y, max_envelope_y);
        if (i > 0 && points[i].x < points[i - 1].x) points[i].x = points[i - 1].x;
    }
    if (count < 2) type = 0;
    if (loop_start >= count || loop_end >= count) type = static_cast<uint8_t>(type & ~xm_env_loop);
}

// The reserved byte of a sample header that marks 4-bit ADPCM data (written by one widely used tracker):
// a table of 16 signed deltas, then two 4-bit table indices per byte, low nibble first.
constexpr uint8_t adpcm_marker = 0xAD;
constexpr uint32_t adpcm_table_bytes = 16;

uint64_t adpcm_bytes(uint64_t values) { return adpcm_table_bytes + (values + 1) / 2; }

// Reads one sample's data block and converts it to 16-bit values with the guard value: delta decoding
// for plain 8- and 16-bit data, the delta table for ADPCM.
void load_sample_data(xm_stream* s, xm_sample& sample, bool adpcm) {
    uint32_t bytes_per_value = sample.bits == 16 ? 2 : 1;
    // A sample cannot be longer than the data that remains.
    uint64_t left = static_cast<uint64_t>(bytes_left(s));
    uint64_t available = adpcm ? (left > adpcm_table_bytes ? (left - adpcm_table_bytes) * 2 : 0) : left / bytes_per_value;
    if (sample.length > available) sample.length = static_cast<uint32_t>(available);
    // Keep the loop inside the sample so the guard value stays inside the buffer.
    if (sample.loop_start > sample.length) sample.loop_start = sample.length;
    if (sample.loop_length > sample.length - sample.loop_start) sample.loop_length = sample.length - sample.loop_start;
    if (sample.loop_length == 0) {
        sample.loop_start = 0;
        sample.loop_length = sample.length;
        sample.loop_kind = xm_loop_none;
    }
    if (sample.length == 0) {
        sample.bits = 16;
        return;
    }

    sample.data.assign(static_cast<size_t>(sample.length) + 8, 0);
    if (adpcm) {
        uint8_t table[adpcm_table_bytes] = {};
        xm_stream_read(s, table, adpcm_table_bytes);
        std::vector<uint8_t> packed(static_cast<size_t>((sample.length + 1ull) / 2), 0);
        xm_stream_read(s, packed.data(), static_cast<int32_t>(packed.size()));
        uint8_t value = 0;  // the 8-bit value, accumulated from 0 and wrapping
        for (uint32_t k = 0; k < sample.length; ++k) {
            uint8_t pair = packed[k / 2];
            value = static_cast<uint8_t>(value + table[k % 2 ? pair >> 4 : pair & 15]);
            sample.data[k] = static_cast<int16_t>(static_cast<uint16_t>(value << 8));
        }
    } else {
        std::vector<uint8_t> raw(static_cast<size_t>(sample.length) * bytes_per_value, 0);
        xm_stream_read(s, raw.data(), static_cast<int32_t>(raw.size()));
        uint16_t previous = 0;  // delta decoding wraps at 16 bits
        for (uint32_t k = 0; k < sample.length; ++k) {
            uint16_t value = bytes_per_value == 2 ? static_cast<uint16_t>(raw[k * 2] | (raw[k * 2 + 1] << 8))
                                                  : static_cast<uint16_t>(raw[k] << 8);
            previous = static_cast<uint16_t>(previous + value);
            sample.data[k] = static_cast<int16_t>(previous);
        }
    }
    sample.bits = 16;

    uint32_t guard = sample.loop_start + sample.loop_length;
    if (sample.loop_kind == xm_loop_forward) sample.data[guard] = sample.data[sample.loop_start];
    else if (sample.loop_kind == xm_loop_pingpong) sample.data[guard] = sample.data[guard - 1];
}

void load_instrument(xm_song* song, xm_stream* s, xm_instrument& inst) {
    int64_t start = xm_stream_tell(s);
    uint32_t size = read_u32(s);
    int64_t end = start + size;
    xm_stream_seek(s, 23, 1);  // name and type
    uint16_t sample_count = read_u16(s);
    inst.samples.fill(&xm_null_sample);
    if (sample_count == 0) {
        xm_stream_seek(s, end, 0);
        return;
    }
    // Trackers write more samples than the sample map can name: the first 16 are kept, the headers and
    // data of the rest are read past.
    const uint32_t kept = std::min<uint32_t>(sample_count, max_samples);
    inst.sample_count = kept;
    read_u32(s);  // sample header size: headers are taken as 40 bytes
    xm_stream_read(s, inst.sample_map.data(), 96);
    read_envelope(s, inst.volume_envelope);
    read_envelope(s, inst.panning_envelope);
    inst.volume_points = read_u8(s);
    inst.panning_points = read_u8(s);
    inst.volume_sustain = read_u8(s);
    inst.volume_loop_start = read_u8(s);
    inst.volume_loop_end = read_u8(s);
    inst.panning_sustain = read_u8(s);
    inst.panning_loop_start = read_u8(s);
    inst.panning_loop_end = read_u8(s);
    inst.volume_type = read_u8(s);
    inst.panning_type = read_u8(s);
    inst.vibrato_type = read_u8(s);
    inst.vibrato_sweep = read_u8(s);
    inst.vibrato_depth = read_u8(s);
    inst.vibrato_rate = read_u8(s);
    inst.fadeout = static_cast<uint16_t>(read_u16(s) * 2u);
    bound_envelope(inst.volume_envelope, inst.volume_points, inst.volume_type, inst.volume_loop_start,
                   inst.volume_loop_end);
    bound_envelope(inst.panning_envelope, inst.panning_points, inst.panning_type, inst.panning_loop_start,
                   inst.panning_loop_end);
    xm_stream_seek(s, end, 0);

    std::array<bool, max_samples> packed{};  // the kept samples' data is ADPCM
    uint64_t skipped_bytes = 0;
    for (uint32_t k = 0; k < sample_count; ++k) {
        auto sample = std::make_unique<xm_sample>();
        const uint32_t length_bytes = read_u32(s);
        sample->length = length_bytes;
        sample->loop_start = read_u32(s);
        sample->loop_length = read_u32(s);
        sample->volume = read_u8(s);
        sample->finetune = static_cast<int8_t>(read_u8(s));
        sample->loop_kind = xm_loop_none;
        sample->bits = 8;
        uint8_t type = read_u8(s);
        if (type & 1) sample->loop_kind = xm_loop_forward;
        if (type & 2) sample->loop_kind = xm_loop_pingpong;
        if (type & 0x10) sample->bits = 16;
        if (sample->loop_kind == xm_loop_none) {
            sample->loop_start = 0;
            sample->loop_length = sample->length;
        }
        if (sample->bits == 16) {
            sample->length /= 2;
            sample->loop_start /= 2;
            sample->loop_length /= 2;
        }
        if (sample->loop_length == 0) {
            sample->loop_start = 0;
            sample->loop_length = sample->length;
            sample->loop_kind = xm_loop_none;
        }
        sample->panning = read_u8(s);
        sample->relative_note = static_cast<int8_t>(read_u8(s));
        // Only 8-bit data is ever packed; a 16-bit sample with the marker is read as it stands.
        const bool adpcm = read_u8(s) == adpcm_marker && sample->bits == 8;
        xm_stream_seek(s, 22, 1);  // name
        if (k >= kept) {
            skipped_bytes += length_bytes == 0 ? 0 : adpcm ? adpcm_bytes(length_bytes) : length_bytes;
            continue;
        }
        packed[k] = adpcm;
        inst.samples[k] = sample.get();
        song->sample_store.push_back(std::move(sample));
    }
    for (uint32_t k = 0; k < kept; ++k) load_sample_data(s, *inst.samples[k], packed[k]);
    xm_stream_seek(s, static_cast<int64_t>(skipped_bytes), 1);
}

}  // namespace

bool xm_load(xm_song* song, xm_stream* stream) {
    const char*& problem = xm_player_state.load_problem;
    problem = "no module";
    if (!song || !stream) return false;

    // ---- Header ----
    xm_stream_seek(stream, 0, 0);
    char id[17] = {};
    xm_stream_read(stream, id, 17);
    problem = "not an XM module (no \"Extended Module: \" identifier)";
    if (std::memcmp(id, xm_identifier, 17) != 0) return false;
    song->tick_function = xm_tick;
    song->initial_global_volume = 64;

    // Versions 1.02 and older keep the instruments before the patterns and a one-byte row count: read
    // as this layout they would load as a module of no samples and play silence.
    xm_stream_seek(stream, 58, 0);
    problem = "format version 1.02 or older (instruments before patterns), which this player does not read";
    if (read_u16(stream) < oldest_version_read) return false;

    xm_stream_seek(stream, 60, 0);
    uint32_t header_size = read_u32(stream);
    uint16_t song_length = read_u16(stream);
    uint16_t restart = read_u16(stream);
    uint16_t channels = read_u16(stream);
    uint16_t pattern_count = read_u16(stream);
    uint16_t instrument_count = read_u16(stream);
    song->flags = read_u16(stream);
    uint16_t tempo = read_u16(stream);
    uint16_t bpm = read_u16(stream);
    xm_stream_read(stream, song->order_table.data(), 256);

    // The voice pairing gives each channel one partner voice among 64.
    problem = "more than 32 channels";
    if (channels > xm_max_channels) return false;
    problem = "more than 256 patterns or 128 instruments";
    if (pattern_count > max_patterns || instrument_count > max_instruments) return false;
    song->channel_count = static_cast<int16_t>(channels);
    song->song_length = static_cast<int16_t>(std::min<uint16_t>(song_length, 256));
    // Any restart position at or past the song's end restarts it at order 0, also one past all 256
    // orders: 256 keeps that meaning where the field's type would otherwise make it wrap or look valid.
    song->restart_position = static_cast<int16_t>(std::min<uint16_t>(restart, 256));
    song->instrument_count = static_cast<int16_t>(instrument_count);
    song->default_tempo = static_cast<int16_t>(std::min<uint16_t>(tempo, 255));
    // A BPM of 0 would divide by zero, a huge one would make a tick shorter than a frame.
    song->default_bpm = static_cast<int16_t>(std::clamp<uint16_t>(bpm, 32, 255));

    xm_stream_seek(stream, 60 + static_cast<int64_t>(header_size), 0);

    int32_t highest = 0;
    for (int32_t i = 0; i < song->song_length; ++i) highest = std::max<int32_t>(highest, song->order_table[i] + 1);
    song->highest_pattern_used = highest;
    song->pattern_table_size = std::max<int32_t>(highest, pattern_count);
    song->patterns.assign(static_cast<size_t>(song->pattern_table_size), xm_pattern{});

    // ---- Patterns ----
    for (uint32_t p = 0; p < pattern_count; ++p) load_pattern(song, stream, song->patterns[p]);
    for (int32_t p = pattern_count; p < song->pattern_table_size; ++p) song->patterns[p].rows = 64;

    // ---- Instruments ----
    song->instruments.assign(instrument_count, xm_instrument{});
    for (uint32_t i = 0; i < instrument_count; ++i) load_instrument(song, stream, song->instruments[i]);
    problem = nullptr;
    return true;
}

// ---- Cell lookup ----

int32_t xm_pattern_rows(const xm_song& song, int32_t pattern) {
    if (pattern < 0 || pattern >= static_cast<int32_t>(song.patterns.size())) return 64;
    return static_cast<int32_t>(song.patterns[pattern].rows);
}

const uint8_t* xm_pattern_cell(const xm_song& song, int32_t pattern, int32_t row, int32_t channel) {
    if (pattern < 0 || pattern >= static_cast<int32_t>(song.patterns.size())) return empty_cell;
    if (row < 0 || channel < 0 || channel >= song.channel_count) return empty_cell;
    const xm_pattern& p = song.patterns[pattern];
    uint64_t index = (static_cast<uint64_t>(row) * static_cast<uint64_t>(song.channel_count) + channel) * 5;
    if (index + 5 > p.cells.size()) return empty_cell;
    return &p.cells[static_cast<size_t>(index)];
}
