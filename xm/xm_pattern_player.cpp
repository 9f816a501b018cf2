// The pattern player: order and row walking, the row and tick processing of every channel, the volume
// column, the effects, envelopes, modulations and the Amiga period table.
//
// Sections: helpers | modulations | envelopes | volume column | row | later ticks | xm_tick.
#include "xm/xm_pattern_player.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"

namespace {

// ---- Helpers ----

enum : uint8_t {
    fx_arpeggio = 0, fx_porta_up = 1, fx_porta_down = 2, fx_tone_porta = 3, fx_vibrato = 4,
    fx_tone_porta_slide = 5, fx_vibrato_slide = 6, fx_tremolo = 7, fx_panning = 8, fx_offset = 9,
    fx_volume_slide = 10, fx_jump = 11, fx_volume = 12, fx_break = 13, fx_extended = 14, fx_speed = 15,
    fx_global_volume = 16, fx_global_slide = 17, fx_key_off = 20, fx_envelope_position = 21,
    fx_panning_slide = 25, fx_multi_retrigger = 27, fx_tremor = 29, fx_extra_fine = 33,
};

constexpr uint8_t no_update_mask = xm_flag_frequency | xm_flag_volume | xm_flag_panning | xm_flag_trigger;

// Periods slide without a floor or ceiling in several effects; keeping them within +/-2^24 changes
// nothing audible (the frequency is long clamped by then) and keeps the arithmetic defined.
int32_t bound_period(int64_t period) {
    return static_cast<int32_t>(std::clamp<int64_t>(period, -(int64_t{1} << 24), int64_t{1} << 24));
}

struct lookup {
    const xm_instrument* instrument;
    xm_sample* sample;
};

// The channel's instrument and the sample its map gives for the channel's note, or the null records.
lookup find_sample(const xm_song& song, const xm_channel& ch) {
    if (ch.instrument >= song.instrument_count) return {&xm_null_instrument, &xm_null_sample};
    const xm_instrument& inst = song.instruments[ch.instrument];
    uint8_t slot = ch.note < 96 ? inst.sample_map[ch.note] : 0;
    xm_sample* sample = slot < 16 ? inst.samples[slot] : nullptr;
    return {&inst, sample ? sample : &xm_null_sample};
}

// What the channel's voice plays: the instrument and sample of its last started note, or the null records.
lookup playing(const xm_channel& ch) {
    return {ch.playing_instrument ? ch.playing_instrument : &xm_null_instrument,
            ch.playing_sample ? ch.playing_sample : &xm_null_sample};
}

void start_playing(xm_channel& ch, const lookup& found) {
    ch.playing_instrument = found.instrument;
    ch.playing_sample = found.sample;
}

const uint8_t* current_cell(const xm_song& song, int32_t channel) {
    int32_t pattern = song.order_table[static_cast<size_t>(song.order_position) & 255];
    return xm_pattern_cell(song, pattern, song.row, channel);
}

int32_t clamp_volume(int32_t v) { return std::clamp(v, 0, 64); }

// ---- Modulations ----

// |sin| of the vibrato position, scaled to 0-255.
int32_t sine_table_value(int32_t p) {
    return static_cast<int32_t>(std::fabs(std::sin(2.0 * p * 0.049087375)) * 256.0);
}

int32_t waveform_value(int32_t waveform, int32_t p) {
    switch (waveform & 3) {
        case 0: return sine_table_value(p);
        case 1: {
            int32_t v = (p * 8) & 255;
            return p < 0 ? 255 - v : v;
        }
        default: return 255;
    }
}

int8_t advance_position(int8_t p, uint8_t speed) {
    int32_t next = p + static_cast<int8_t>(speed);
    if (next > 31) next -= 64;
    return static_cast<int8_t>(next);
}

void vibrato_step(xm_channel& ch) {
    int32_t p = ch.vibrato_position;
    int32_t v = waveform_value(ch.waveform_control & 0x0F, p);
    int32_t d = ((ch.vibrato_depth * v) >> 5) & ~3;
    ch.period_delta = p < 0 ? d : -d;
    ch.update_flags |= xm_flag_frequency;
}

void tremolo_step(xm_channel& ch) {
    int32_t p = ch.tremolo_position;
    int32_t wave = (ch.waveform_control >> 4) & 3;
    int32_t v = wave == 3 ? waveform_value(0, p) : waveform_value(wave, p);
    int32_t d = (ch.tremolo_depth * v) / 64;
    if (p >= 0) ch.volume_delta = std::min(d, 64 - ch.volume);
    else ch.volume_delta = std::max(-d, -ch.volume);
    ch.tremolo_position = advance_position(ch.tremolo_position, ch.tremolo_speed);
    ch.update_flags |= xm_flag_volume;
}

void tremor_step(xm_channel& ch) {
    if (ch.tremor_counter >= ch.tremor_on_ticks) ch.volume_delta = -ch.volume;
    ch.tremor_counter = static_cast<uint8_t>(ch.tremor_counter + 1);
    if (ch.tremor_counter >= ch.tremor_on_ticks + ch.tremor_off_ticks) ch.tremor_counter = 0;
    ch.update_flags |= xm_flag_volume;
}

// The glide keeps the direction its note set (rising once the target is reached), so a period that a
// slide carried past the target lands on it at once instead of gliding back.
void tone_portamento_step(xm_channel& ch) {
    int32_t speed = ch.tone_portamento_speed * 4;
    int32_t target = ch.tone_portamento_target;
    if (ch.tone_portamento_falling) {
        ch.period = std::max(ch.period - speed, target);
        if (ch.period == target) ch.tone_portamento_falling = 0;
    } else {
        ch.period = std::min(ch.period + speed, target);
    }
    ch.update_flags |= xm_flag_frequency;
}

void volume_slide(xm_channel& ch) {
    uint8_t m = ch.volume_slide_memory;
    if (m >> 4) ch.volume = std::min(ch.volume + (m >> 4), 64);
    else if (m & 15) ch.volume = std::max(ch.volume - (m & 15), 0);
    ch.update_flags |= xm_flag_volume;
}

void autovibrato(xm_channel& ch, const xm_instrument& inst) {
    int32_t p = ch.autovibrato_position;
    int32_t v = 0;
    switch (inst.vibrato_type) {
        case 0: v = static_cast<int32_t>(std::sin(p * static_cast<double>(0.024543688f)) * 64.0); break;
        case 1: v = p < 128 ? 64 : -64; break;
        case 2: v = (128 - ((p + 128) & 255)) >> 1; break;
        case 3: v = (128 - ((384 - p) & 255)) >> 1; break;
        default: v = 0; break;  // no waveform is defined for other types: no autovibrato
    }
    int32_t d = inst.vibrato_depth * v;
    if (inst.vibrato_sweep != 0) d = ch.autovibrato_sweep * d / inst.vibrato_sweep;
    ch.period_delta += d >> 6;
    if (ch.autovibrato_sweep < inst.vibrato_sweep) ++ch.autovibrato_sweep;
    p += inst.vibrato_rate;
    if (p > 255) p -= 256;
    ch.autovibrato_position = p;
    ch.update_flags |= xm_flag_frequency;
}

// Restores a channel's volume, panning and envelopes from its sample (instrument byte, or a delayed note).
void reset_from_sample(xm_channel& ch, const xm_sample& sample) {
    ch.volume = sample.volume;
    ch.panning = static_cast<int32_t>(sample.panning);
    // The value stays: until the first point is reached (when its x is above 0) the envelope holds the
    // level the channel had, rather than dropping to silence and jumping back.
    for (xm_envelope_state* env : {&ch.volume_envelope, &ch.panning_envelope}) {
        env->point = 0;
        env->tick = 0;
        env->slope = 0;
        env->finished = 0;
    }
    ch.volume_envelope.output = 64;
    ch.panning_envelope.output = 32;
    ch.key_off = 0;
    ch.fadeout = 65536;
    ch.autovibrato_position = 0;
    ch.autovibrato_sweep = 0;
    if ((ch.waveform_control & 0x0F) < 4) ch.vibrato_position = 0;
    if ((ch.waveform_control >> 4) < 4) ch.tremolo_position = 0;
    ch.tremor_counter = 0;
    ch.update_flags |= xm_flag_volume | xm_flag_panning;
}

// ---- Envelopes ----

void envelope_position(xm_channel& ch, const xm_instrument& inst, int32_t q) {
    const auto& pts = inst.volume_envelope;
    int32_t count = inst.volume_points;
    auto& env = ch.volume_envelope;
    int32_t i = 0;
    while (i < count && pts[i + 1].x < q) ++i;
    if (i < count - 1) {
        env.finished = 0;
        env.tick = q;
        int32_t dx = pts[i + 1].x - pts[i].x;
        env.slope = dx == 0 ? 0 : (pts[i + 1].y - pts[i].y) * 65536 / dx;
        env.point = i + 1;
        // A position before the first point would extrapolate; the value stays within 0-64.
        int64_t value = static_cast<int64_t>(q - pts[i].x) * env.slope + pts[i].y * 65536;
        env.value = static_cast<int32_t>(std::clamp<int64_t>(value, 0, 64 * 65536));
        env.output = env.value >> 16;
    } else {
        env.point = i;
        env.output = count > 0 ? pts[count - 1].y : 0;
        env.finished = 1;
    }
}

void envelope_step_on(xm_channel& ch, const xm_instrument& inst, bool volume) {
    xm_envelope_state& env = volume ? ch.volume_envelope : ch.panning_envelope;
    if (env.finished) return;
    xm_envelope_step(ch, inst, volume);
}

// ---- Volume column ----

void volume_column_row(xm_channel& ch, uint8_t byte) {
    uint8_t y = byte & 15;
    switch (byte >> 4) {
        case 1: case 2: case 3: case 4: case 5:
            if (byte <= 0x50) {
                ch.volume = byte - 0x10;
                ch.update_flags |= xm_flag_volume;
            }
            break;
        // The slides 6x, 7x, Dx and Ex wait for the later ticks, as effect A does; 8x and 9x act once.
        case 8:
            ch.volume = std::max(ch.volume - y, 0);
            ch.update_flags |= xm_flag_volume;
            break;
        case 9:
            ch.volume = std::min(ch.volume + y, 64);
            ch.update_flags |= xm_flag_volume;
            break;
        case 0xA: ch.vibrato_speed = y; break;
        case 0xB: ch.vibrato_depth = y; break;
        case 0xC:
            ch.panning = y * 16;
            ch.update_flags |= xm_flag_panning;
            break;
        case 0xF:
            if (y) ch.tone_portamento_speed = static_cast<uint8_t>(y * 16);
            ch.tone_portamento_target = ch.note_period;
            ch.update_flags &= static_cast<uint8_t>(~xm_flag_trigger);
            break;
        default: break;
    }
}

void volume_column_tick(xm_channel& ch, uint8_t byte) {
    uint8_t y = byte & 15;
    switch (byte >> 4) {
        case 6:
            ch.volume = std::max(ch.volume - y, 0);
            ch.update_flags |= xm_flag_volume;
            break;
        case 7:
            ch.volume = std::min(ch.volume + y, 64);
            ch.update_flags |= xm_flag_volume;
            break;
        case 0xB:
            ch.vibrato_depth = y;
            vibrato_step(ch);
            ch.vibrato_position = advance_position(ch.vibrato_position, ch.vibrato_speed);
            break;
        case 0xD:
            ch.panning -= y;
            ch.update_flags |= xm_flag_panning;
            break;
        case 0xE:
            ch.panning += y;
            ch.update_flags |= xm_flag_panning;
            break;
        case 0xF: tone_portamento_step(ch); break;
        default: break;
    }
}

// ---- Row ----

void retrigger_volume(xm_channel& ch) {
    int32_t v = ch.volume;
    switch (ch.retrigger_volume_change) {
        case 0: return;
        case 1: v -= 1; break;
        case 2: v -= 2; break;
        case 3: v -= 4; break;
        case 4: v -= 8; break;
        case 5: v -= 16; break;
        case 6: v = v * 2 / 3; break;
        case 7: v >>= 1; break;
        case 8: break;
        case 9: v += 1; break;
        case 10: v += 2; break;
        case 11: v += 4; break;
        case 12: v += 8; break;
        case 13: v += 16; break;
        case 14: v = v * 3 / 2; break;
        default: v *= 2; break;
    }
    ch.volume = clamp_volume(v);
    ch.update_flags |= xm_flag_volume;
}

// A key-off (note 97, K00 on the row tick, Kxx on tick xx). Without a volume envelope it silences the
// note once, through the volume, so a later volume command brings it back; an instrument number or a
// volume in the same cell keeps the volume.
void key_off_now(xm_channel& ch, const xm_instrument& inst, const uint8_t* cell) {
    ch.key_off = 1;
    bool sets_volume = cell[2] >= 0x10 && cell[2] <= 0x50;
    if (!(inst.volume_type & xm_env_on) && cell[1] == 0 && !sets_volume) {
        ch.volume = 0;
        ch.update_flags |= xm_flag_volume;
    }
}

// `found` is what the channel plays after this row's note (row_effect runs after the note is taken).
void row_effect(xm_song* song, xm_channel& ch, const uint8_t* cell, const lookup& found, bool& jump_seen,
                int32_t remembered_volume, int32_t remembered_period, int32_t remembered_panning) {
    uint8_t effect = cell[3];
    uint8_t param = cell[4];
    uint8_t x = param >> 4;
    uint8_t y = param & 15;
    switch (effect) {
        case fx_porta_up:
            if (param) ch.portamento_up_memory = param;
            break;
        case fx_porta_down:
            if (param) ch.portamento_down_memory = param;
            break;
        case fx_tone_porta:
            if (param) ch.tone_portamento_speed = param;
            ch.tone_portamento_target = ch.note_period;
            ch.update_flags &= static_cast<uint8_t>(~(xm_flag_frequency | xm_flag_trigger));
            break;
        case fx_vibrato:
            if (x) ch.vibrato_speed = x;
            if (y) ch.vibrato_depth = y;
            vibrato_step(ch);
            break;
        case fx_tone_porta_slide:
            ch.tone_portamento_target = ch.note_period;
            if (param) ch.volume_slide_memory = param;
            ch.update_flags &= static_cast<uint8_t>(~(xm_flag_frequency | xm_flag_trigger));
            break;
        case fx_vibrato_slide:
            if (param) ch.volume_slide_memory = param;
            vibrato_step(ch);
            break;
        case fx_tremolo:
            if (x) ch.tremolo_speed = x;
            if (y) ch.tremolo_depth = y;
            break;
        case fx_panning:
            ch.panning = param;
            ch.update_flags |= xm_flag_panning;
            break;
        case fx_offset: {
            if (param) ch.offset_memory = param;
            // A note without a sample is silence, which an offset must not restart.
            if (!ch.voice || found.sample == &xm_null_sample) break;
            uint32_t offset = ch.offset_memory * 256;
            if (offset < found.sample->loop_start + found.sample->loop_length) {
                ch.voice->start_offset = offset;
            } else {
                ch.update_flags &= static_cast<uint8_t>(~xm_flag_trigger);
                ch.update_flags |= xm_flag_restart;
            }
            break;
        }
        case fx_volume_slide:
            if (param) ch.volume_slide_memory = param;
            break;
        case fx_jump:
            song->next_row = 0;
            song->next_order_position = param >= song->song_length ? 0 : param;
            jump_seen = true;
            break;
        case fx_volume:
            // Modules of this format expect the volume limited to 64, as G is.
            ch.volume = std::min<int32_t>(param, 64);
            ch.update_flags |= xm_flag_volume;
            break;
        case fx_break: {
            int32_t row = x * 10 + y;
            song->next_row = row > 63 ? 0 : row;
            if (!jump_seen) song->next_order_position = song->order_position + 1;
            if (song->next_order_position >= song->song_length) song->next_order_position = 0;
            break;
        }
        case fx_extended:
            switch (x) {
                case 1:
                    if (y) ch.fine_portamento_up_memory = y;
                    ch.period = bound_period(int64_t{ch.period} - ch.fine_portamento_up_memory * 4);
                    break;
                case 2:
                    if (y) ch.fine_portamento_down_memory = y;
                    ch.period = bound_period(int64_t{ch.period} + ch.fine_portamento_down_memory * 4);
                    break;
                case 4: ch.waveform_control = static_cast<uint8_t>((ch.waveform_control & 0xF0) | y); break;
                case 5:
                    // The shared null sample stays untouched.
                    if (found.sample != &xm_null_sample) found.sample->finetune = static_cast<int8_t>(y);
                    break;
                case 6:
                    if (y == 0) {
                        ch.pattern_loop_row = song->row;
                    } else {
                        ch.pattern_loop_counter = ch.pattern_loop_counter == 0 ? y : ch.pattern_loop_counter - 1;
                        if (ch.pattern_loop_counter != 0) song->next_row = ch.pattern_loop_row;
                    }
                    break;
                case 7: ch.waveform_control = static_cast<uint8_t>((ch.waveform_control & 0x0F) | (y << 4)); break;
                case 8:
                    ch.panning = y * 16;
                    ch.update_flags |= xm_flag_panning;
                    break;
                case 9:
                    // E90 has no memory: one retrigger on the row tick.
                    if (y == 0) ch.update_flags |= xm_flag_frequency | xm_flag_volume | xm_flag_trigger;
                    break;
                case 0xA:
                    if (y) ch.fine_volume_up_memory = y;
                    ch.volume = std::min(ch.volume + ch.fine_volume_up_memory, 64);
                    ch.update_flags |= xm_flag_volume;
                    break;
                case 0xB:
                    if (y) ch.fine_volume_down_memory = y;
                    ch.volume = std::max(ch.volume - ch.fine_volume_down_memory, 0);
                    ch.update_flags |= xm_flag_volume;
                    break;
                case 0xD:
                    ch.update_flags &= static_cast<uint8_t>(~no_update_mask);
                    ch.volume = remembered_volume;
                    ch.period = remembered_period;
                    ch.panning = remembered_panning;
                    break;
                case 0xE: song->pattern_delay_ticks = song->speed * y; break;
                default: break;
            }
            break;
        case fx_speed:
            if (param < 32) song->speed = param;
            else xm_set_bpm(song, param);
            break;
        case fx_global_volume:
            song->global_volume = std::min<int32_t>(param, 64);
            ch.update_flags |= xm_flag_volume;
            break;
        case fx_global_slide:
            if (param) song->global_volume_slide_memory = param;
            break;
        case fx_envelope_position:
            if (found.instrument->volume_type & xm_env_on) envelope_position(ch, *found.instrument, param);
            break;
        case fx_panning_slide:
            if (param) {
                ch.panning_slide_memory = param;
                ch.update_flags |= xm_flag_panning;
            }
            break;
        case fx_multi_retrigger:
            if (param) {
                ch.retrigger_volume_change = x;
                ch.retrigger_interval = y;
            }
            break;
        case fx_tremor:
            if (param) {
                ch.tremor_on_ticks = static_cast<uint8_t>(x + 1);
                ch.tremor_off_ticks = static_cast<uint8_t>(y + 1);
            }
            tremor_step(ch);
            break;
        case fx_extra_fine:
            if (x == 1) {
                if (y) ch.extra_fine_up_memory = y;
                ch.period = bound_period(int64_t{ch.period} - ch.extra_fine_up_memory);
            } else if (x == 2) {
                if (y) ch.extra_fine_down_memory = y;
                ch.period = bound_period(int64_t{ch.period} + ch.extra_fine_down_memory);
            }
            break;
        default: break;
    }
}

void process_row_channel(xm_song* song, int32_t c, bool& jump_seen) {
    xm_channel& ch = xm_player_state.channels[static_cast<size_t>(c)];
    const uint8_t* cell = current_cell(*song, c);
    uint8_t note = cell[0], instrument = cell[1], volume_byte = cell[2], effect = cell[3], param = cell[4];
    bool delay = effect == fx_extended && (param >> 4) == 0xD;
    // K00 is a key-off on the row tick and its cell's note is not played; Kxx waits for tick xx.
    bool key_off = note == 255 || (effect == fx_key_off && param == 0);
    bool has_note = note != 0 && !key_off;
    // A tone portamento in the volume column glides like effect 3 does (taking its note as a new note
    // would jump to the target at once), except beside a note delay: then it is no portamento at all
    // and the delayed note starts anew.
    if (delay && volume_byte >= 0xF0) volume_byte = 0;
    bool porta = effect == fx_tone_porta || effect == fx_tone_porta_slide || volume_byte >= 0xF0;

    // The instrument number is kept for the next note; only a note switches what the voice plays.
    if (instrument != 0 && !porta && !key_off) ch.instrument = static_cast<uint8_t>(instrument - 1);
    if (has_note && !porta) ch.note = static_cast<uint8_t>(note - 1);
    lookup found = find_sample(*song, ch);
    if (has_note && !porta && !delay) start_playing(ch, found);
    lookup play = playing(ch);
    int32_t remembered_period = ch.period, remembered_volume = ch.volume, remembered_panning = ch.panning;
    if (ch.last_effect == fx_tremolo && effect != fx_tremolo) ch.volume += ch.volume_delta;
    ch.volume_delta = 0;
    ch.update_flags = 0;
    ch.last_effect = effect;

    if (has_note) {
        // A glide's target is tuned like the sample that glides; a new note like its own sample.
        const xm_sample& tuning = porta ? *play.sample : *found.sample;
        ch.real_note = static_cast<uint8_t>(tuning.relative_note + note - 1);
        bool linear = song->flags & 1;
        ch.note_period = linear ? 7680 - 64 * ch.real_note - tuning.finetune / 2
                                : xm_amiga_period(ch.real_note, tuning.finetune);
        if (!porta) {
            ch.period = ch.note_period;
            ch.update_flags = xm_flag_trigger;
        } else {
            ch.tone_portamento_falling = ch.period > ch.note_period ? 1 : 0;
        }
    }
    ch.period_delta = 0;
    ch.update_flags |= xm_flag_frequency | xm_flag_volume;
    // An instrument number restores the playing sample's volume and panning and restarts the playing
    // instrument's envelopes and fadeout; beside a key-off it restores volume and panning only.
    if (instrument != 0 && key_off) {
        ch.volume = play.sample->volume;
        ch.panning = static_cast<int32_t>(play.sample->panning);
        ch.update_flags |= xm_flag_volume | xm_flag_panning;
    } else if (instrument != 0) {
        reset_from_sample(ch, *play.sample);
    }
    if (volume_byte != 0) volume_column_row(ch, volume_byte);
    const xm_instrument& inst = *play.instrument;
    if (key_off) key_off_now(ch, inst, cell);

    if (inst.volume_type & xm_env_on) envelope_step_on(ch, inst, true);
    if (inst.panning_type & xm_env_on) envelope_step_on(ch, inst, false);
    if (ch.key_off) {
        ch.fadeout = std::max(ch.fadeout - inst.fadeout, 0);
        ch.update_flags |= xm_flag_volume;
    }
    row_effect(song, ch, cell, play, jump_seen, remembered_volume, remembered_period, remembered_panning);
    autovibrato(ch, inst);
    xm_update_voice(ch, play.sample, song);
}

// ---- Later ticks ----

void process_tick_channel(xm_song* song, int32_t c) {
    xm_channel& ch = xm_player_state.channels[static_cast<size_t>(c)];
    const uint8_t* cell = current_cell(*song, c);
    uint8_t volume_byte = cell[2], effect = cell[3], param = cell[4];
    uint8_t x = param >> 4, y = param & 15;
    int32_t tick = song->tick_counter;
    // Beside a note delay the volume column's portamento is no portamento (see process_row_channel).
    bool delayed_new_note = effect == fx_extended && x == 0xD && volume_byte >= 0xF0;
    if (delayed_new_note) volume_byte = 0;

    lookup found = playing(ch);
    const xm_instrument& inst = *found.instrument;
    ch.volume_delta = 0;
    ch.period_delta = 0;
    ch.update_flags = 0;
    if (effect == fx_key_off && param == tick) key_off_now(ch, inst, cell);
    if (inst.volume_type & xm_env_on) envelope_step_on(ch, inst, true);
    if (inst.panning_type & xm_env_on) envelope_step_on(ch, inst, false);
    if (ch.key_off) {
        ch.fadeout = std::max(ch.fadeout - inst.fadeout, 0);
        ch.update_flags |= xm_flag_volume;
    }
    volume_column_tick(ch, volume_byte);

    switch (effect) {
        case fx_arpeggio:
            if (param) {
                int32_t semitones = tick % 3 == 0 ? 0 : tick % 3 == 1 ? x : y;
                if (song->flags & 1) ch.period_delta = semitones * 64;
                else ch.period_delta = semitones == 0 ? 0
                                                      : xm_amiga_period(ch.real_note + semitones, found.sample->finetune) -
                                                            xm_amiga_period(ch.real_note, found.sample->finetune);
                ch.update_flags |= xm_flag_frequency;
            }
            break;
        case fx_porta_up:
            ch.period = std::max(ch.period - ch.portamento_up_memory * 4, 56);
            ch.period_delta = 0;
            ch.update_flags |= xm_flag_frequency;
            break;
        case fx_porta_down:
            ch.period = bound_period(int64_t{ch.period} + ch.portamento_down_memory * 4);
            ch.period_delta = 0;
            ch.update_flags |= xm_flag_frequency;
            break;
        case fx_tone_porta:
            ch.period_delta = 0;
            tone_portamento_step(ch);
            break;
        case fx_vibrato:
            vibrato_step(ch);
            ch.vibrato_position = advance_position(ch.vibrato_position, ch.vibrato_speed);
            break;
        case fx_tone_porta_slide:
            ch.period_delta = 0;
            tone_portamento_step(ch);
            volume_slide(ch);
            break;
        case fx_vibrato_slide:
            vibrato_step(ch);
            ch.vibrato_position = advance_position(ch.vibrato_position, ch.vibrato_speed);
            volume_slide(ch);
            break;
        case fx_tremolo: tremolo_step(ch); break;
        case fx_volume_slide: volume_slide(ch); break;
        case fx_extended:
            if (x == 9) {
                if (y != 0 && tick % y == 0) ch.update_flags |= xm_flag_frequency | xm_flag_volume | xm_flag_trigger;
            } else if (x == 0xC) {
                if (y != 0 && tick == y) {
                    ch.volume = 0;
                    ch.update_flags |= xm_flag_volume;
                }
            } else if (x == 0xD) {
                if (tick != y) {
                    ch.update_flags &= static_cast<uint8_t>(~no_update_mask);
                } else {
                    // The delayed note starts now. Without an instrument number it keeps the channel's
                    // volume and panning (beside a volume-column portamento it takes its sample's
                    // volume); the envelopes start over either way.
                    if (cell[0] != 0 && cell[0] != 255) start_playing(ch, find_sample(*song, ch));
                    found = playing(ch);
                    int32_t kept_volume = ch.volume, kept_panning = ch.panning;
                    reset_from_sample(ch, *found.sample);
                    if (cell[1] == 0) {
                        ch.volume = delayed_new_note ? found.sample->volume : kept_volume;
                        ch.panning = kept_panning;
                    }
                    ch.period = ch.note_period;
                    ch.update_flags |= xm_flag_frequency;
                    if (volume_byte != 0) volume_column_row(ch, volume_byte);
                    ch.update_flags |= xm_flag_trigger;
                }
            }
            break;
        case fx_global_slide: {
            uint8_t m = song->global_volume_slide_memory;
            if (m >> 4) song->global_volume = std::min(song->global_volume + (m >> 4), 64);
            else if (m & 15) song->global_volume = std::max(song->global_volume - (m & 15), 0);
            break;
        }
        case fx_panning_slide: {
            uint8_t m = ch.panning_slide_memory;
            if (m >> 4) ch.panning = std::min(ch.panning + (m >> 4), 255);
            else if (m & 15) ch.panning = std::max(ch.panning - (m & 15), 0);
            ch.update_flags |= xm_flag_panning;
            break;
        }
        case fx_multi_retrigger:
            if (ch.retrigger_interval != 0 && tick % ch.retrigger_interval == 0) {
                retrigger_volume(ch);
                ch.update_flags |= xm_flag_trigger;
            }
            break;
        case fx_tremor: tremor_step(ch); break;
        default: break;
    }
    autovibrato(ch, *found.instrument);
    xm_update_voice(ch, found.sample, song);
}

int32_t channel_count(const xm_song& song) { return std::clamp<int32_t>(song.channel_count, 0, xm_max_channels); }

}  // namespace

// ---- Envelopes ----

void xm_envelope_step(xm_channel& ch, const xm_instrument& inst, bool volume) {
    xm_envelope_state& env = volume ? ch.volume_envelope : ch.panning_envelope;
    const auto& pts = volume ? inst.volume_envelope : inst.panning_envelope;
    int32_t count = volume ? inst.volume_points : inst.panning_points;
    uint8_t type = volume ? inst.volume_type : inst.panning_type;
    int32_t sustain = volume ? inst.volume_sustain : inst.panning_sustain;
    int32_t loop_start = volume ? inst.volume_loop_start : inst.panning_loop_start;
    int32_t loop_end = volume ? inst.volume_loop_end : inst.panning_loop_end;
    uint8_t flag = volume ? xm_flag_volume : xm_flag_panning;
    count = std::min(count, 12);

    int32_t i = env.point;
    if (i >= 0 && i < count && env.tick == pts[static_cast<size_t>(i)].x) {
        if ((type & xm_env_loop) && i == loop_end) {
            i = loop_start;
            env.tick = pts[static_cast<size_t>(i)].x;
        }
        if (i == count - 1) {
            env.point = i;
            env.output = pts[static_cast<size_t>(i)].y;
            env.finished = 1;
            ch.update_flags |= flag;
            return;
        }
        if ((type & xm_env_sustain) && i == sustain && ch.key_off == 0) {
            env.point = i;
            env.output = pts[static_cast<size_t>(i)].y;
            ch.update_flags |= flag;
            return;
        }
        int32_t dx = pts[static_cast<size_t>(i) + 1].x - pts[static_cast<size_t>(i)].x;
        env.slope = dx == 0 ? 0 : (pts[static_cast<size_t>(i) + 1].y - pts[static_cast<size_t>(i)].y) * 65536 / dx;
        env.value = pts[static_cast<size_t>(i)].y * 65536;
        env.point = i + 1;
    } else if (i < count) {
        env.value += env.slope;
    }
    env.output = env.value >> 16;
    env.tick += 1;
    ch.update_flags |= flag;
}

// ---- Amiga periods ----

namespace {
int32_t amiga_base(int32_t k) {
    return static_cast<int32_t>(13.375 * std::pow(2.0, (132 - k) * static_cast<double>(0.083333336f)));
}
}  // namespace

int32_t xm_amiga_period(int32_t n, int32_t f) {
    int32_t p = amiga_base(n);
    if (f < 0 && n != 0) return p + (std::abs(f) * (p - amiga_base(n - 1))) / -128;
    return p + ((p - amiga_base(n + 1)) * f) / -128;
}

// ---- Rows, ticks and the song position ----

void xm_process_row(xm_song* song) {
    song->next_row = -1;
    song->next_order_position = -1;
    bool jump_seen = false;
    int32_t channels = channel_count(*song);
    for (int32_t c = 0; c < channels; ++c) process_row_channel(song, c, jump_seen);
}

void xm_process_tick(xm_song* song) {
    int32_t channels = channel_count(*song);
    for (int32_t c = 0; c < channels; ++c) process_tick_channel(song, c);
}

void xm_tick(xm_song* song) {
    if (song->tick_counter == 0) {
        if (song->next_order_position >= 0) song->order_position = song->next_order_position;
        if (song->next_row >= 0) song->row = song->next_row;
        // A break or loop row past the end of the pattern it lands in starts that pattern at its top.
        int32_t pattern = song->order_table[static_cast<size_t>(song->order_position) & 255];
        if (song->row >= xm_pattern_rows(*song, pattern)) song->row = 0;
        xm_process_row(song);
        if (song->next_row == -1) {
            song->next_row = song->row + 1;
            if (song->next_row >= xm_pattern_rows(*song, pattern)) {
                int32_t next = song->order_position + 1;
                if (next >= song->song_length) next = song->restart_position;
                // A restart position outside the song restarts it from the top.
                if (next >= song->song_length) next = 0;
                song->next_order_position = next;
                song->next_row = 0;
            }
        }
    } else {
        xm_process_tick(song);
    }
    song->tick_counter += 1;
    if (song->tick_counter >= song->speed + song->pattern_delay_ticks) {
        song->pattern_delay_ticks = 0;
        song->tick_counter = 0;
    }
}
