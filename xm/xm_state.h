// The module player's records (song, pattern, instrument, sample, channel, voice) and its one state struct.
//
// Sections: song records | playing records | mixer constants | xm_player_state.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wave_out.h"
#include "xm/xm_stream.h"

struct system_thread;

// ---- Song records (made by the loader) ----

// One sample, converted to signed 16-bit values with a guard value behind its loop.
struct xm_sample {
    std::vector<int16_t> data;  // length + 8 values; empty when the length is 0
    uint32_t length = 0;        // in values
    uint32_t loop_start = 0;
    uint32_t loop_length = 0;
    uint8_t volume = 0;
    int8_t finetune = 0;
    uint32_t panning = 0;
    uint8_t bits = 0;
    uint8_t loop_kind = 0;  // 1 none, 2 forward, 4 ping-pong
    int8_t relative_note = 0;
};

enum : uint8_t { xm_loop_none = 1, xm_loop_forward = 2, xm_loop_pingpong = 4 };
enum : uint8_t { xm_env_on = 1, xm_env_sustain = 2, xm_env_loop = 4 };

struct xm_envelope_point {
    uint16_t x;
    uint16_t y;
};

struct xm_instrument {
    uint32_t sample_count = 0;
    std::array<xm_sample*, 16> samples{};  // slots past the count refer to the null sample
    std::array<uint8_t, 96> sample_map{};
    std::array<xm_envelope_point, 20> volume_envelope{};
    std::array<xm_envelope_point, 20> panning_envelope{};
    uint8_t volume_points = 0, panning_points = 0;
    uint8_t volume_sustain = 0, volume_loop_start = 0, volume_loop_end = 0;
    uint8_t panning_sustain = 0, panning_loop_start = 0, panning_loop_end = 0;
    uint8_t volume_type = 0, panning_type = 0;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    uint16_t fadeout = 0;  // twice the file's value
};

// A pattern: rows of channel-count cells of five bytes (note, instrument, volume byte, effect,
// parameter). Cells the file did not supply (an empty or truncated pattern) are not stored and read
// as empty through xm_pattern_cell.
struct xm_pattern {
    uint32_t rows = 0;
    std::vector<uint8_t> cells;
};

struct xm_song;
using xm_tick_fn = void (*)(xm_song* song);

struct xm_song {
    std::vector<xm_pattern> patterns;        // pattern table
    std::vector<xm_instrument> instruments;  // instrument table
    std::vector<std::unique_ptr<xm_sample>> sample_store;  // owns every sample the instruments name
    int32_t samples_left_in_tick = 0;
    int32_t samples_per_tick = 0;
    int16_t song_length = 0;
    int16_t restart_position = 0;
    int16_t channel_count = 0;
    int32_t highest_pattern_used = 0;  // 1 + the largest order entry in use
    int32_t pattern_table_size = 0;
    int16_t instrument_count = 0;
    uint16_t flags = 0;  // bit 0: linear frequency table
    int16_t default_tempo = 0;
    int16_t default_bpm = 0;
    std::array<uint8_t, 256> order_table{};
    uint8_t initial_global_volume = 0;
    int32_t global_volume = 0;
    uint8_t global_volume_slide_memory = 0;
    int32_t tick_counter = 0;
    int32_t speed = 0;
    int32_t bpm = 0;
    int32_t row = 0;
    int32_t order_position = 0;
    int32_t pattern_delay_ticks = 0;
    int32_t next_row = -1;
    int32_t next_order_position = -1;
    uint32_t elapsed_ms = 0;
    xm_tick_fn tick_function = nullptr;
};

// ---- Playing records ----

struct xm_voice {
    int32_t index = 0;
    int32_t volume = 0;   // 0-127
    int32_t panning = 0;  // 0-255
    uint32_t start_offset = 0;
    const xm_sample* sample = nullptr;  // null when silent
    int32_t left_target = 0, right_target = 0;
    uint32_t position_int = 0, position_frac = 0;  // 32.32 sample position
    uint32_t step_frac = 0, step_int = 0;          // 32.32 values per output frame
    int32_t direction = 1;                         // 1 forward, 2 backward
    int32_t last_left_target = 0, last_right_target = 0;
    int32_t left_level = 0, right_level = 0;  // gain x 255 x 256
    float left_step = 0.0f, right_step = 0.0f;
    int32_t ramp_frames_left = 0;
};

struct xm_envelope_state {
    int32_t tick = 0;
    int32_t point = 0;
    int32_t value = 0;  // 16.16
    int32_t output = 0;
    int32_t slope = 0;  // 16.16 per tick
    uint8_t finished = 0;
};

enum : uint8_t {
    xm_flag_frequency = 1,
    xm_flag_volume = 2,
    xm_flag_panning = 4,
    xm_flag_trigger = 8,
    xm_flag_restart = 0x20,
};

struct xm_channel {
    uint8_t note = 0;
    uint8_t update_flags = 0;
    xm_voice* voice = nullptr;
    int32_t period = 0;
    int32_t volume = 0;
    int32_t panning = 0;
    int32_t volume_delta = 0;
    int32_t period_delta = 0;
    xm_envelope_state volume_envelope;
    xm_envelope_state panning_envelope;
    int32_t fadeout = 0;
    int32_t autovibrato_position = 0;
    int32_t autovibrato_sweep = 0;
    uint8_t key_off = 0;
    uint8_t instrument = 0;
    uint8_t real_note = 0;
    int32_t note_period = 0;
    uint8_t last_effect = 0;
    uint32_t offset_memory = 0;
    uint8_t portamento_down_memory = 0, portamento_up_memory = 0;
    uint8_t extra_fine_down_memory = 0, extra_fine_up_memory = 0;
    uint8_t volume_slide_memory = 0;
    uint8_t panning_slide_memory = 0;
    uint8_t retrigger_volume_change = 0, retrigger_interval = 0;
    int32_t tone_portamento_target = 0;
    uint8_t tone_portamento_speed = 0;
    uint8_t tone_portamento_falling = 0;  // 1 while gliding down to a lower target period; 0 = period rising
    int8_t vibrato_position = 0;
    uint8_t vibrato_speed = 0, vibrato_depth = 0;
    int8_t tremolo_position = 0;
    uint8_t tremolo_speed = 0, tremolo_depth = 0;
    uint8_t tremor_counter = 0, tremor_on_ticks = 0, tremor_off_ticks = 0;
    int32_t pattern_loop_row = 0, pattern_loop_counter = 0;
    uint8_t waveform_control = 0;
    uint8_t fine_volume_up_memory = 0, fine_volume_down_memory = 0;
    uint8_t fine_portamento_up_memory = 0, fine_portamento_down_memory = 0;
    // What the voice was started with: the instrument whose envelopes, fadeout and autovibrato run and
    // its sample (null until a note plays; the null sample after a note that has none). A lone
    // instrument number changes only `instrument`, which the channel's next note takes.
    const xm_instrument* playing_instrument = nullptr;
    xm_sample* playing_sample = nullptr;
};

// What was playing when a block was mixed, read by the caller's thread without a lock.
struct xm_block_info {
    std::atomic<uint8_t> order_position{0};
    std::atomic<uint8_t> row{0};
    std::atomic<uint32_t> elapsed_ms{0};
};

// ---- Mixer constants ----

constexpr int32_t xm_mix_rate = 44100;
constexpr int32_t xm_latency_setting = 1000;
constexpr int32_t xm_max_channels = 32;
constexpr int32_t xm_voice_count = 64;

// ---- The one state struct of the module player ----

struct xm_io_callbacks {
    xm_open_fn open = nullptr;
    xm_close_fn close = nullptr;
    xm_read_fn read = nullptr;
    xm_seek_fn seek = nullptr;
    xm_tell_fn tell = nullptr;
};

struct xm_player {
    // Stream layer and memory source.
    xm_io_callbacks io;
    const uint8_t* memory_base = nullptr;
    int32_t memory_length = 0;

    // The one current song of the player interface.
    xm_song* current_song = nullptr;
    // Why the last xm_load refused its module; nullptr after one it accepted.
    const char* load_problem = nullptr;

    // Derived mixer values (set when a song starts).
    int32_t block_frames = 0;
    int32_t ring_frames = 0;
    int32_t blocks = 0;
    int32_t ramp_frames = 0;
    float ramp_factor = 0.0f;
    float frame_time = 0.0f;

    // When set, every segment is mixed by the plain per-frame loop (the reference for the fast loops).
    bool mix_plain_only = false;
    // When set, the fast loops use their baseline build even where the AVX2 build runs.
    bool mix_baseline_only = false;

    // Voices and channels; channel i starts on voice i, its partner is voice i +/- 32.
    std::array<xm_voice, xm_voice_count> voices{};
    std::array<xm_channel, xm_max_channels> channels{};

    // Buffers, alive while a song plays.
    std::vector<int16_t> ring;        // ring frames x 2 interleaved PCM values
    std::unique_ptr<float[]> mix;     // ring frames x 2 floats, 16-byte aligned by operator new[]
    std::unique_ptr<xm_block_info[]> block_info;
    int32_t write_block = 0;
    std::atomic<int32_t> heard_block{0};
    xm_song* playing_song = nullptr;

    // Device and thread.
    HWAVEOUT device = nullptr;
    bool device_open = false;
    WAVEHDR header{};
    bool header_prepared = false;
    uint32_t position_last = 0;    // the device's last 32-bit byte position (output thread only)
    uint64_t position_bytes = 0;   // the same, extended past the 32-bit wrap (output thread only)
    system_thread* thread = nullptr;
    std::atomic<uint8_t> stop_requested{0};
    std::atomic<uint8_t> mixing_busy{0};
    std::atomic<uint8_t> thread_finished{1};
};

// The module player's state; defined in xm_player.cpp.
extern xm_player xm_player_state;

// The shared silent records that stand in for missing instruments and samples.
extern xm_sample xm_null_sample;
extern const xm_instrument xm_null_instrument;
