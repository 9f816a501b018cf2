// The sound chip at register level: three voices, envelopes, the state-variable filter, the volume and
// the sample channel, rendered in 32-bit fixed point.
//
// Sections: constants - init - register writes - sample channel - render
#include <algorithm>

#include "sid/sid.h"

int32_t sample_channel_output = 0;

// ---- constants ----------------------------------------------------------------------------------

namespace {

// Envelope sweep times in seconds per register nibble; a step is 2^24 / (time x rate).
constexpr std::array<float, 16> attack_seconds = {
    0.00225286069f, 0.00800995808f, 0.0157696046f, 0.0237795617f, 0.0372963659f, 0.0550684594f,
    0.0668330863f,  0.0783473998f,  0.0981219783f, 0.244554028f,  0.489108056f,  0.78247273f,
    0.977715433f,   2.93364692f,    4.88907814f,   7.82272482f};
constexpr std::array<float, 16> decay_seconds = {
    0.00891777687f, 0.0245940518f, 0.0484185889f, 0.0730116665f, 0.114512473f, 0.16907835f,
    0.205199435f,   0.240551978f,  0.301266134f,  0.750858247f,  1.50171554f,  2.40243673f,
    3.00189304f,    9.00721359f,   15.0109978f,   24.0182114f};

constexpr uint32_t phase_mask = 0xFFFFFFFu;
constexpr int32_t level_full = 0xFFFFFF;
constexpr int32_t release_floor = 0x40000;
constexpr uint32_t noise_seed = 0xFFFFFFu;
constexpr int32_t pal_clock_hz = 985248;

uint32_t envelope_step(float seconds, uint32_t rate) {
    return static_cast<uint32_t>(16777216.0f / (seconds * static_cast<float>(rate)));
}

// Arithmetic shift right of a signed value (defined as such since C++20).
constexpr int32_t sar(int32_t v, int bits) { return v >> bits; }

// 32-bit wrapping sum and product on signed values, done unsigned.
constexpr int32_t wrap_add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t wrap_sub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t wrap_mul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

}  // namespace

// ---- init ---------------------------------------------------------------------------------------

void sid_init(sid_machine& m, uint32_t sample_rate) {
    // A rate of 0 would divide by zero; there is no meaningful output then anyway.
    const uint32_t r = sample_rate ? sample_rate : 1;
    m.rates.frequency_multiplier = 15872000u / r;
    m.rates.cutoff_multiplier = 1411200u / r;
    m.rates.sample_rate = r;
    for (size_t i = 0; i < 16; ++i) {
        m.rates.attack_step[i] = envelope_step(attack_seconds[i], r);
        m.rates.decay_step[i] = envelope_step(decay_seconds[i], r);
    }
    m.regs = {};
    m.voice = {};
    m.filter = {};
    m.sample.accumulator = 0;
    for (sid_voice& v : m.voice) v.noise_register = noise_seed;
}

// ---- register writes ----------------------------------------------------------------------------

void sid_write_register(sid_machine& m, uint32_t reg, uint8_t value) {
    if (reg >= 25) return;
    if (reg >= 21) {
        switch (reg) {
        case 21: m.regs.cutoff_low = value; break;
        case 22: m.regs.cutoff_high = value; break;
        case 23: m.regs.resonance_routing = value; break;
        default: m.regs.mode_volume = value; break;
        }
        return;
    }
    const uint32_t v = reg / 7;
    sid_voice_registers& r = m.regs.voice[v];
    switch (reg - v * 7) {
    case 0: r.frequency = static_cast<uint16_t>((r.frequency & 0xFF00u) | value); break;
    case 1: r.frequency = static_cast<uint16_t>((r.frequency & 0x00FFu) | (value << 8)); break;
    case 2: r.pulse_width = static_cast<uint16_t>((r.pulse_width & 0xFF00u) | value); break;
    case 3: r.pulse_width = static_cast<uint16_t>((r.pulse_width & 0x00FFu) | (value << 8)); break;
    case 4:
        r.control = value;
        // Gate on only restarts a released envelope; in attack, decay or sustain it carries on.
        if ((value & 1) == 0) {
            m.voice[v].envelope_phase = envelope_release;
        } else if (m.voice[v].envelope_phase == envelope_release) {
            m.voice[v].envelope_phase = envelope_attack;
        }
        break;
    case 5: r.attack_decay = value; break;
    default: r.sustain_release = value; break;
    }
}

// ---- sample channel -----------------------------------------------------------------------------

void sample_channel_write(sid_machine& m, uint16_t address, uint8_t value) {
    sample_channel& c = m.sample;
    auto set_low = [value](uint32_t& latch) { latch = (latch & 0xFF00u) | value; };
    auto set_high = [value](uint32_t& latch) { latch = (latch & 0x00FFu) | (static_cast<uint32_t>(value) << 8); };
    switch (address) {
    case 0xD41D:
        c.repeat_count = static_cast<int32_t>(c.latch_repeat_count);
        c.address = static_cast<int32_t>(c.latch_start);
        c.start = static_cast<int32_t>(c.latch_start);
        c.end = static_cast<int32_t>(c.latch_end);
        c.repeat_address = static_cast<int32_t>(c.latch_repeat_address);
        c.period = static_cast<int32_t>(c.latch_period);
        c.nibble_order = static_cast<int32_t>(c.latch_nibble_order);
        if (value == 0xFD) c.active = 0;
        if (value >= 0xFE) c.active = 1;
        break;
    case 0xD41E: set_low(c.latch_start); break;
    case 0xD41F: set_high(c.latch_start); break;
    case 0xD43D: set_low(c.latch_end); break;
    case 0xD43E: set_high(c.latch_end); break;
    case 0xD43F: c.latch_repeat_count = value; break;
    case 0xD45D: set_low(c.latch_period); break;
    case 0xD45E: set_high(c.latch_period); break;
    case 0xD45F: c.latch_spare = value; break;
    case 0xD47D: c.latch_nibble_order = value; break;
    case 0xD47E: set_low(c.latch_repeat_address); break;
    case 0xD47F: set_high(c.latch_repeat_address); break;
    default: break;
    }
}

// Repeat rule: when a nibble advance carries the address to the end and repeats are left, the address
// returns to the repeat address and one repeat is used up; with none left the channel falls silent at
// the end. A count of N therefore plays the sample once and the part from the repeat address N more
// times. A repeat address outside [start, end) ends the sample at the next sample's range check.
int32_t sample_channel_mix(sid_machine& m, int32_t y) {
    sample_channel& c = m.sample;
    // Period 0 has no rate at all: the channel stays silent rather than divide by zero.
    if (!c.active || c.address < c.start || c.address >= c.end || c.period == 0) return y;
    const int32_t step = pal_clock_hz / c.period;
    const int32_t result = y + sample_channel_output;
    c.accumulator += step;
    const auto rate = static_cast<int32_t>(m.rates.sample_rate);
    if (c.accumulator > rate) {
        c.accumulator %= rate;
        if (c.nibble_order == 0) {
            if (++c.nibble_index >= 2) {
                c.nibble_index = 0;
                ++c.address;
            }
        } else if (--c.nibble_index < 0) {
            c.nibble_index = 1;
            ++c.address;
        }
        if (c.address >= c.end && c.repeat_count > 0) {
            --c.repeat_count;
            c.address = c.repeat_address;
        }
        const uint8_t byte = m.memory[static_cast<uint32_t>(c.address) & 0xFFFFu];
        const int32_t n = c.nibble_index == 1 ? byte >> 4 : byte & 0x0F;
        sample_channel_output = (n - 7) * 1024;
    }
    return result;
}

// ---- render -------------------------------------------------------------------------------------

namespace {

// Register-derived values for one call: everything here is fixed for all samples of the call.
void render_setup(sid_machine& m) {
    const sid_register_shadow& r = m.regs;
    for (size_t v = 0; v < 3; ++v) {
        sid_voice& voice = m.voice[v];
        const sid_voice_registers& vr = r.voice[v];
        voice.increment = vr.frequency * m.rates.frequency_multiplier;
        voice.pulse_threshold = (vr.pulse_width & 0xFFFu) * 65536u;
        voice.control = vr.control;
        voice.filtered = static_cast<uint8_t>((r.resonance_routing >> v) & 1u);
        voice.attack_step = m.rates.attack_step[vr.attack_decay >> 4];
        voice.decay_step = m.rates.decay_step[vr.attack_decay & 15u];
        voice.sustain_level = vr.sustain_release & 0xF0u;
        voice.release_step = m.rates.decay_step[vr.sustain_release & 15u];
    }
    // The high byte counts 16 times, so the top half of its range already saturates the cutoff.
    const uint32_t w = ((r.cutoff_low & 7u) + r.cutoff_high * 16u) * m.rates.cutoff_multiplier;
    m.filter.w = static_cast<int32_t>(std::min<uint32_t>(w, 65536u));
    m.filter.lowpass_on = static_cast<uint8_t>((r.mode_volume >> 4) & 1u);
    m.filter.bandpass_on = static_cast<uint8_t>((r.mode_volume >> 5) & 1u);
    m.filter.highpass_on = static_cast<uint8_t>((r.mode_volume >> 6) & 1u);
    m.filter.voice3_audible = static_cast<uint8_t>((r.mode_volume & 0x80u) == 0);
    m.filter.volume = r.mode_volume & 15u;
    m.filter.q = sar(78643 - 2621 * (r.resonance_routing >> 4), 8);
}

// Waveform byte of one voice for this sample; advances its phase, sync and noise.
inline uint8_t voice_waveform(sid_voice& voice, const sid_voice& source) {
    voice.phase_counter = (voice.phase_counter + voice.increment) & phase_mask;
    if (voice.control & 0x08) {
        voice.phase_counter = 0;
        voice.noise_clock = 0;
        voice.noise_register = noise_seed;
    }
    // The source wrapped on its latest advance exactly when its counter is below its increment.
    if ((voice.control & 0x02) && source.phase_counter < source.increment) {
        // In 64 bits: the product of a counter (28 bits) and an increment overflows 32.
        voice.phase_counter = static_cast<uint32_t>(uint64_t{source.phase_counter} * voice.increment / source.increment);
    }
    const uint32_t counter = voice.phase_counter;
    uint8_t triangle = static_cast<uint8_t>(counter >> 19);
    if (counter >= 0x8000000u) triangle ^= 0xFF;
    const auto sawtooth = static_cast<uint8_t>(counter >> 20);
    const uint8_t pulse = counter <= voice.pulse_threshold ? 0xFF : 0x00;

    const uint32_t clock = counter >> 23;
    if (clock != voice.noise_clock) {
        voice.noise_clock = clock;
        const uint32_t old = voice.noise_register;
        voice.noise_register = old * 2u + (((old >> 22) ^ (old >> 17)) & 1u);
        const uint32_t n = voice.noise_register;
        voice.noise_output = static_cast<uint8_t>(((n >> 22) & 1u) << 7 | ((n >> 20) & 1u) << 6 |
                                                  ((n >> 16) & 1u) << 5 | ((n >> 13) & 1u) << 4 |
                                                  ((n >> 11) & 1u) << 3 | ((n >> 7) & 1u) << 2 |
                                                  ((n >> 4) & 1u) << 1 | ((n >> 2) & 1u));
    }
    if ((voice.control & 0x04) && source.phase_counter < 0x8000000u) triangle ^= 0xFF;

    uint8_t o = 0xFF;
    if (voice.control & 0x10) o = triangle;
    if (voice.control & 0x20) o &= sawtooth;
    if (voice.control & 0x40) o &= pulse;
    if (voice.control & 0x80) o &= voice.noise_output;
    return o;
}

inline void voice_envelope(sid_voice& voice) {
    const auto sustain = static_cast<int32_t>(voice.sustain_level * 65536u);
    switch (voice.envelope_phase) {
    case envelope_attack:
        voice.envelope_level += static_cast<int32_t>(voice.attack_step);
        if (voice.envelope_level >= level_full) {
            voice.envelope_level = level_full;
            voice.envelope_phase = envelope_decay;
        }
        break;
    case envelope_decay:
        voice.envelope_level -= static_cast<int32_t>(voice.decay_step);
        if (voice.envelope_level <= sustain) {
            voice.envelope_level = sustain;
            voice.envelope_phase = envelope_sustain;
        }
        break;
    case envelope_sustain:
        // A lowered sustain level is decayed to; a raised one is jumped to on the next sample.
        if (voice.envelope_level != sustain) voice.envelope_phase = envelope_decay;
        break;
    default:
        voice.envelope_level -= static_cast<int32_t>(voice.release_step);
        if (voice.envelope_level < release_floor) voice.envelope_level = release_floor;
        break;
    }
}

}  // namespace

void sid_render(sid_machine& m, int16_t* out, uint32_t count) {
    render_setup(m);
    sid_filter& f = m.filter;
    const int32_t w8 = sar(f.w, 8);
    const auto volume = static_cast<int32_t>(f.volume);
    for (uint32_t i = 0; i < count; ++i) {
        int32_t direct = 0;
        int32_t filter_input = 0;
        for (size_t v = 0; v < 3; ++v) {
            sid_voice& voice = m.voice[v];
            const uint8_t o = voice_waveform(voice, m.voice[v == 0 ? 2 : v - 1]);
            voice_envelope(voice);
            if (v < 2 || f.voice3_audible) {
                const int32_t x = sar((static_cast<int32_t>(o) - 128) * voice.envelope_level, 22);
                (voice.filtered ? filter_input : direct) += x;
            }
        }
        f.hp = wrap_sub(wrap_sub(wrap_mul(filter_input, 65536), wrap_mul(sar(f.bp, 8), f.q)), f.lp);
        f.bp = wrap_add(f.bp, wrap_mul(w8, sar(f.hp, 8)));
        f.lp = wrap_add(f.lp, wrap_mul(w8, sar(f.bp, 8)));
        int32_t filtered = 0;
        if (f.lowpass_on) filtered += sar(f.lp, 16);
        if (f.bandpass_on) filtered += sar(f.bp, 16);
        if (f.highpass_on) filtered += sar(f.hp, 16);
        int32_t y = (direct + filtered) * volume;
        y = sample_channel_mix(m, y);
        // Loud filter resonance can exceed 16 bits: clip instead of letting the sample wrap around.
        out[i] = static_cast<int16_t>(std::clamp(y, -32768, 32767));
    }
}
