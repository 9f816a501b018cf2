// Busy modules for measuring the mixer: the 32-channel tone module of the block benchmark and the busiest
// module the writer makes (every channel sounding, 8- and 16-bit, forward and ping-pong, ramps running).
#pragma once
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "tools/xmwriter/xmwriter.h"

// 32 channels, each a looped tone at its own pitch and panning, with vibrato and an envelope, and a
// new note every 8 rows so ramps and partner voices are part of the load.
inline std::vector<uint8_t> busy_module() {
    xmw_module m;
    m.channels = 32;
    m.tempo = 6;
    m.bpm = 125;
    m.patterns.resize(1);
    m.patterns[0].rows = 64;
    xmw_sample s;
    s.sixteen_bit = true;
    for (int i = 0; i < 2000; ++i)
        s.data.push_back(static_cast<int16_t>(6000 * std::sin(2 * std::numbers::pi * i / 100.0)));
    s.loop = xmw_loop::forward;
    s.loop_start = 0;
    s.loop_length = 2000;
    xmw_instrument inst;
    inst.samples.push_back(s);
    inst.volume_envelope.on = true;
    inst.volume_envelope.sustain = true;
    inst.volume_envelope.points = {{0, 64}, {10, 48}, {40, 40}};
    inst.vibrato_depth = 4;
    inst.vibrato_rate = 20;
    m.instruments.push_back(inst);
    for (int r = 0; r < 64; ++r) {
        for (int c = 0; c < 32; ++c) {
            xmw_cell cell;
            if (r % 8 == 0) {
                cell.note = static_cast<uint8_t>(25 + c + r / 8);
                cell.instrument = 1;
                cell.volume = static_cast<uint8_t>(0xC0 + c % 16);
            }
            cell.effect = c % 2 ? 0x04 : 0x0A;
            cell.param = c % 2 ? 0x34 : 0x01;
            xmw_set(m.patterns[0], 32, r, c, cell);
        }
    }
    return xmw_build(m);
}

// The busiest module: 32 channels over four instruments (16-bit forward loop, 8-bit forward loop,
// 16-bit ping-pong, 8-bit ping-pong), a new note on every channel every 4 rows, volume slides up and
// down on every tick (so the voices ramp most of the time), vibrato and a panning envelope.
inline std::vector<uint8_t> busiest_module() {
    xmw_module m;
    m.channels = 32;
    m.tempo = 4;
    m.bpm = 150;
    m.patterns.resize(1);
    for (int kind = 0; kind < 4; ++kind) {
        const bool sixteen = kind % 2 == 0;
        const bool pingpong = kind >= 2;
        xmw_sample s;
        s.sixteen_bit = sixteen;
        const double amplitude = sixteen ? 9000.0 : 90.0;
        const int length = 1500 + 217 * kind;
        for (int i = 0; i < length; ++i) {
            double x = 2 * std::numbers::pi * i / (60.0 + 7 * kind);
            s.data.push_back(static_cast<int16_t>(amplitude * (0.7 * std::sin(x) + 0.3 * std::sin(3.1 * x))));
        }
        s.loop = pingpong ? xmw_loop::pingpong : xmw_loop::forward;
        s.loop_start = pingpong ? 300 : 0;
        s.loop_length = static_cast<uint32_t>(length) - s.loop_start - 1;
        xmw_instrument inst;
        inst.samples.push_back(s);
        inst.volume_envelope.on = true;
        inst.volume_envelope.sustain = true;
        inst.volume_envelope.sustain_point = 2;
        inst.volume_envelope.points = {{0, 64}, {6, 40}, {30, 52}};
        inst.panning_envelope.on = true;
        inst.panning_envelope.loop = true;
        inst.panning_envelope.loop_end = 2;
        inst.panning_envelope.points = {{0, 16}, {8, 48}, {16, 16}};
        inst.vibrato_depth = 6;
        inst.vibrato_rate = 30;
        m.instruments.push_back(inst);
    }
    for (int r = 0; r < 64; ++r) {
        for (int c = 0; c < 32; ++c) {
            xmw_cell cell;
            if (r % 4 == c % 4) {
                cell.note = static_cast<uint8_t>(30 + (c * 5 + r * 3) % 40);
                cell.instrument = static_cast<uint8_t>(1 + (c + r / 4) % 4);
                cell.volume = static_cast<uint8_t>(0x30 + c % 16);
            }
            if (c % 3 == 0) {
                cell.effect = 0x04;  // vibrato
                cell.param = 0x46;
            } else {
                cell.effect = 0x0A;  // volume slide, up then down
                cell.param = (r / 2) % 2 ? 0x20 : 0x03;
            }
            xmw_set(m.patterns[0], 32, r, c, cell);
        }
    }
    return xmw_build(m);
}
