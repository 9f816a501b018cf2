// The module writer: lays out header, patterns, instruments and sample data in the XM file format.
#include "tools/xmwriter/xmwriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>

namespace {

struct out_bytes {
    std::vector<uint8_t> b;
    void u8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void text(const std::string& s, size_t size) {
        for (size_t i = 0; i < size; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    }
    void put16(size_t at, uint32_t v) {
        b[at] = static_cast<uint8_t>(v);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
    }
};

void write_cell(out_bytes& o, const xmw_cell& c, xmw_packing packing) {
    const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
    int present = 0;
    for (uint8_t f : fields) present += f != 0;
    bool pack = packing == xmw_packing::packed || (packing == xmw_packing::mixed && present < 4) ||
                c.note >= 0x80;  // a note byte with bit 7 would read as a packing byte
    if (pack) {
        uint8_t mask = 0x80;
        for (int i = 0; i < 5; ++i)
            if (fields[i]) mask = static_cast<uint8_t>(mask | (1 << i));
        o.u8(mask);
        for (uint8_t f : fields)
            if (f) o.u8(f);
    } else {
        for (uint8_t f : fields) o.u8(f);
    }
}

void write_envelope_points(out_bytes& o, const xmw_envelope& e) {
    for (size_t i = 0; i < 12; ++i) {
        xmw_envelope_point p = i < e.points.size() ? e.points[i] : xmw_envelope_point{};
        o.u16(p.x);
        o.u16(p.y);
    }
}

// The 16-byte delta table and the nibble-packed indices of a 4-bit ADPCM sample.
void write_adpcm(out_bytes& o, const std::vector<int16_t>& data) {
    std::vector<int8_t> table;
    int8_t previous = 0;
    for (int16_t v : data) {
        auto delta = static_cast<int8_t>(static_cast<uint8_t>(v - previous));
        previous = static_cast<int8_t>(v);
        if (std::find(table.begin(), table.end(), delta) == table.end()) table.push_back(delta);
    }
    if (table.size() > 16) table = {0, 1, 2, 4, 8, 16, 32, 64, -1, -2, -4, -8, -16, -32, -64, -128};
    table.resize(16, 0);
    for (int8_t d : table) o.u8(static_cast<uint8_t>(d));
    uint8_t value = 0;  // what a reader has decoded so far
    uint8_t pending = 0;
    for (size_t k = 0; k < data.size(); ++k) {
        const auto want = static_cast<uint8_t>(data[k]);
        size_t best = 0;
        for (size_t i = 1; i < 16; ++i) {
            auto miss = [&](size_t j) { return std::abs(static_cast<int8_t>(static_cast<uint8_t>(value + table[j] - want))); };
            if (miss(i) < miss(best)) best = i;
        }
        value = static_cast<uint8_t>(value + table[best]);
        if (k % 2 == 0) {
            pending = static_cast<uint8_t>(best);
        } else {
            o.u8(pending | static_cast<uint32_t>(best << 4));
        }
    }
    if (data.size() % 2) o.u8(pending);
}

uint8_t envelope_type(const xmw_envelope& e) {
    return static_cast<uint8_t>((e.on ? 1 : 0) | (e.sustain ? 2 : 0) | (e.loop ? 4 : 0));
}

}  // namespace

void xmw_set(xmw_pattern& pattern, int channels, int row, int channel, const xmw_cell& cell) {
    size_t need = static_cast<size_t>(pattern.rows) * static_cast<size_t>(channels);
    if (pattern.cells.size() < need) pattern.cells.resize(need);
    size_t index = static_cast<size_t>(row) * static_cast<size_t>(channels) + static_cast<size_t>(channel);
    if (index < pattern.cells.size()) pattern.cells[index] = cell;
}

std::vector<uint8_t> xmw_build(const xmw_module& m) {
    out_bytes o;
    o.text("Extended Module: ", 17);
    o.text(m.name, 20);
    o.u8(0x1A);
    o.text("xmwriter", 20);
    o.u16(m.version);
    o.u32(276);  // header size from here: 20 bytes of fields and the 256-byte order table
    o.u16(static_cast<uint32_t>(m.orders.size()));
    o.u16(m.restart);
    o.u16(m.channels);
    o.u16(static_cast<uint32_t>(m.patterns.size()));
    o.u16(static_cast<uint32_t>(m.instruments.size()));
    o.u16(m.linear ? 1 : 0);
    o.u16(m.tempo);
    o.u16(m.bpm);
    for (size_t i = 0; i < 256; ++i) o.u8(i < m.orders.size() ? m.orders[i] : 0);

    for (const xmw_pattern& p : m.patterns) {
        o.u32(9);
        o.u8(0);
        o.u16(p.rows);
        size_t size_at = o.b.size();
        o.u16(0);
        if (p.packing == xmw_packing::empty) continue;
        size_t start = o.b.size();
        size_t count = static_cast<size_t>(p.rows) * m.channels;
        for (size_t i = 0; i < count; ++i) write_cell(o, i < p.cells.size() ? p.cells[i] : xmw_cell{}, p.packing);
        o.put16(size_at, static_cast<uint32_t>(o.b.size() - start));
    }

    for (const xmw_instrument& inst : m.instruments) {
        const bool has_samples = !inst.samples.empty();
        o.u32((has_samples ? 263 : 29) + inst.header_padding);
        o.text(inst.name, 22);
        o.u8(0);
        o.u16(static_cast<uint32_t>(inst.samples.size()));
        if (!has_samples) {
            o.text("", inst.header_padding);
            continue;
        }
        o.u32(40);
        for (uint8_t s : inst.sample_map) o.u8(s);
        write_envelope_points(o, inst.volume_envelope);
        write_envelope_points(o, inst.panning_envelope);
        o.u8(static_cast<uint32_t>(std::min<size_t>(inst.volume_envelope.points.size(), 12)));
        o.u8(static_cast<uint32_t>(std::min<size_t>(inst.panning_envelope.points.size(), 12)));
        o.u8(inst.volume_envelope.sustain_point);
        o.u8(inst.volume_envelope.loop_start);
        o.u8(inst.volume_envelope.loop_end);
        o.u8(inst.panning_envelope.sustain_point);
        o.u8(inst.panning_envelope.loop_start);
        o.u8(inst.panning_envelope.loop_end);
        o.u8(envelope_type(inst.volume_envelope));
        o.u8(envelope_type(inst.panning_envelope));
        o.u8(inst.vibrato_type);
        o.u8(inst.vibrato_sweep);
        o.u8(inst.vibrato_depth);
        o.u8(inst.vibrato_rate);
        o.u16(inst.fadeout);
        o.text("", 22 + inst.header_padding);  // reserved

        for (const xmw_sample& s : inst.samples) {
            uint32_t unit = s.sixteen_bit ? 2 : 1;
            o.u32(static_cast<uint32_t>(s.data.size()) * unit);
            o.u32(s.loop_start * unit);
            o.u32(s.loop_length * unit);
            o.u8(s.volume);
            o.u8(static_cast<uint8_t>(s.finetune));
            uint8_t type = s.loop == xmw_loop::forward ? 1 : s.loop == xmw_loop::pingpong ? 2 : 0;
            if (s.sixteen_bit) type |= 0x10;
            o.u8(s.raw_type ? s.raw_type : type);
            o.u8(s.panning);
            o.u8(static_cast<uint8_t>(s.relative_note));
            o.u8(s.adpcm && !s.sixteen_bit ? 0xAD : 0);
            o.text(s.name, 22);
        }
        for (const xmw_sample& s : inst.samples) {
            if (s.adpcm && !s.sixteen_bit) {
                if (!s.data.empty()) write_adpcm(o, s.data);
                continue;
            }
            // Stored as differences between neighbouring values.
            uint16_t previous = 0;
            for (int16_t v : s.data) {
                auto value = static_cast<uint16_t>(v);
                auto delta = static_cast<uint16_t>(value - previous);
                previous = value;
                if (s.sixteen_bit) o.u16(delta);
                else o.u8(delta & 0xFF);
            }
        }
    }
    return o.b;
}

bool xmw_write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
