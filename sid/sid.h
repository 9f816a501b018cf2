// The SID player's machine: one record joining the sound-chip model, the 6502 and its 64 KB memory,
// the sample channel and the loaded tune, with the operations of the chip, the processor and the tune.
//
// Sections: machine record - sound chip (sid_synth.cpp) - processor (cpu6502.cpp) - tunes (psid.cpp)
#pragma once
#include <array>
#include <cstdint>

// ---- machine record ----------------------------------------------------------------------------

// Register shadow of one voice, as the tune last wrote it.
struct sid_voice_registers {
    uint16_t frequency;
    uint16_t pulse_width;  // low 12 bits used
    uint8_t control;       // 0 gate, 1 sync, 2 ring, 3 test, 4 triangle, 5 sawtooth, 6 pulse, 7 noise
    uint8_t attack_decay;
    uint8_t sustain_release;
};

struct sid_register_shadow {
    std::array<sid_voice_registers, 3> voice;
    uint8_t cutoff_low;         // low 3 bits used
    uint8_t cutoff_high;
    uint8_t resonance_routing;  // bits 0-2 route voices 1-3 through the filter, high nibble resonance
    uint8_t mode_volume;        // bits 0-3 volume, 4 low-pass, 5 band-pass, 6 high-pass, 7 voice 3 off
};

enum : uint8_t { envelope_attack = 0, envelope_decay = 1, envelope_sustain = 2, envelope_release = 3 };

// Running state of one voice; the register-derived fields are refreshed at the start of every render.
struct sid_voice {
    uint32_t increment;
    uint32_t pulse_threshold;
    uint8_t control;
    uint8_t filtered;
    uint32_t attack_step;
    uint32_t decay_step;
    uint32_t sustain_level;  // 0 to 240
    uint32_t release_step;
    uint32_t phase_counter;  // 28 bits
    int32_t envelope_level;  // 0 to $FFFFFF
    uint8_t envelope_phase;
    uint32_t noise_clock;
    uint32_t noise_register;
    uint8_t noise_output;
};

struct sid_filter {
    int32_t w;  // cutoff coefficient, 16.16, at most 65536
    uint8_t lowpass_on;
    uint8_t bandpass_on;
    uint8_t highpass_on;
    uint8_t voice3_audible;
    uint32_t volume;
    int32_t q;  // resonance coefficient
    int32_t hp;
    int32_t bp;
    int32_t lp;
};

struct sid_rate_constants {
    uint32_t frequency_multiplier;
    uint32_t cutoff_multiplier;
    uint32_t sample_rate;
    std::array<uint32_t, 16> attack_step;
    std::array<uint32_t, 16> decay_step;  // decay and release
};

// The extension registers above the chip that play 4-bit samples from memory.
struct sample_channel {
    // Latches, filled by register writes.
    uint32_t latch_period;
    uint32_t latch_nibble_order;
    uint32_t latch_start;
    uint32_t latch_end;
    uint32_t latch_spare;  // written, never read
    uint32_t latch_repeat_count;
    uint32_t latch_repeat_address;
    // Running values, copied from the latches by a trigger.
    int32_t active;
    int32_t address;
    int32_t start;
    int32_t end;
    int32_t repeat_address;
    int32_t accumulator;
    int32_t period;
    int32_t repeat_count;
    int32_t nibble_order;
    int32_t nibble_index;
};

// Instructions one cpu_call may run before it gives up as if the routine had returned. Init may be a
// long set-up (unpacking, building tables) run once, before anything plays: far more than any tune needs.
constexpr uint32_t cpu_call_default_limit = 2'000'000;
// The bound of a play call. A real play routine runs well under 20,000 instructions (one 50 Hz frame of
// the real machine); a stuck one costs a refill at most eight times this, well inside the 160 ms that
// the other buffer plays.
constexpr uint32_t cpu_play_call_limit = 100'000;

struct sid_machine {
    // Sound chip.
    sid_register_shadow regs;
    std::array<sid_voice, 3> voice;
    sid_filter filter;
    sid_rate_constants rates;
    // Processor.
    uint8_t scratch_byte;
    uint16_t scratch_word;
    uint8_t a;
    uint8_t x;
    uint8_t y;
    uint8_t s;
    uint8_t p;
    uint16_t pc;
    std::array<uint8_t, 65536> memory;
    sample_channel sample;
    uint8_t filter_path;  // always 1: the output always passes the filter stage
    // Tune.
    uint16_t load_address;
    uint16_t init_address;
    uint16_t play_address;
    uint8_t last_song;   // recorded, not consulted
    uint8_t start_song;  // recorded, not consulted
    uint8_t speed;       // recorded, not consulted: play runs 50 times a second regardless
    // Bounds on the instructions of one init call and one play call; machine_init sets
    // cpu_call_default_limit and cpu_play_call_limit.
    uint32_t call_limit;
    uint32_t play_call_limit;
};

// The sample channel's output value outlives every machine (it is the one thing a new tune inherits).
// Tests set it to 0 to start from a fresh program's state.
extern int32_t sample_channel_output;

// ---- sound chip ---------------------------------------------------------------------------------

// Computes the rate constants and clears the chip; called by machine_init on a zeroed record.
void sid_init(sid_machine& m, uint32_t sample_rate);
// A store to chip register 0..31 (registers 25..31 are ignored); the gate acts at once.
void sid_write_register(sid_machine& m, uint32_t reg, uint8_t value);
// A store to $D419..$D7FF: the sample channel's registers; other addresses are ignored.
void sample_channel_write(sid_machine& m, uint16_t address, uint8_t value);
// Adds the sample channel to one output sample y and advances it; called once per sample.
int32_t sample_channel_mix(sid_machine& m, int32_t y);
// Writes count samples of the chip and the sample channel.
void sid_render(sid_machine& m, int16_t* out, uint32_t count);

// ---- processor ----------------------------------------------------------------------------------

enum : uint8_t { flag_c = 0x01, flag_z = 0x02, flag_i = 0x04, flag_d = 0x08, flag_v = 0x40, flag_n = 0x80 };

// Instruction types (the documented mnemonics in alphabetical order) and addressing modes.
enum : int32_t {
    op_adc, op_and, op_asl, op_bcc, op_bcs, op_beq, op_bit, op_bmi, op_bne, op_bpl, op_brk, op_bvc, op_bvs,
    op_clc, op_cld, op_cli, op_clv, op_cmp, op_cpx, op_cpy, op_dec, op_dex, op_dey, op_eor, op_inc, op_inx,
    op_iny, op_jmp, op_jsr, op_lda, op_ldx, op_ldy, op_lsr, op_nop, op_ora, op_pha, op_php, op_pla, op_plp,
    op_rol, op_ror, op_rti, op_rts, op_sbc, op_sec, op_sed, op_sei, op_sta, op_stx, op_sty, op_tax, op_tay,
    op_tsx, op_txa, op_txs, op_tya, op_undefined
};
enum : int32_t {
    mode_implied, mode_immediate, mode_absolute, mode_absolute_x, mode_absolute_y, mode_zero_page,
    mode_zero_page_x, mode_zero_page_y, mode_indirect, mode_indirect_x, mode_indirect_y, mode_accumulator,
    mode_relative, mode_undefined = 56
};

// Decode tables indexed by opcode.
extern const std::array<int32_t, 256> cpu_type_table;
extern const std::array<int32_t, 256> cpu_mode_table;

// Reads memory; no address has side effects.
uint8_t mem_read(const sid_machine& m, uint16_t address);
// Stores a byte: $D400-$D7FF goes to the chip and the sample channel instead of memory.
void mem_write(sid_machine& m, uint16_t address, uint8_t value);
// A = X = Y = P = 0, S = $FF, PC = 0.
void cpu_reset(sid_machine& m);
// Executes the one instruction at PC.
void cpu_step(sid_machine& m);
// Runs the routine at address with A = a until it returns (PC 0 or 1) or limit steps have run; false
// when it was stopped at the limit (the player goes on as if it had returned).
bool cpu_call(sid_machine& m, uint16_t address, uint8_t a, uint32_t limit);
// The same with the init bound, m.call_limit.
inline bool cpu_call(sid_machine& m, uint16_t address, uint8_t a) { return cpu_call(m, address, a, m.call_limit); }

// The operations cpu_step is built from (public so that tests can drive them one by one):
// reads the operand of the mode, consuming its bytes (accumulator: A; implied and others: 0);
uint8_t cpu_fetch_operand(sid_machine& m, int32_t mode);
// stores to the operand address of the mode, consuming its bytes (accumulator: A);
void cpu_store_operand(sid_machine& m, int32_t mode, uint8_t value);
// stores a read-modify-write result to the address of the operand bytes just behind PC;
void cpu_write_back(sid_machine& m, int32_t mode, uint8_t value);
// pushes / pulls a byte on page 1 with a stack pointer that saturates instead of wrapping;
void cpu_push(sid_machine& m, uint8_t value);
uint8_t cpu_pop(sid_machine& m);
// sets the mask bits of P when condition is non-zero, else clears them;
void cpu_set_flag(sid_machine& m, uint8_t mask, uint32_t condition);
// reads the signed offset byte and jumps by it when condition is non-zero.
void cpu_branch(sid_machine& m, uint32_t condition);

// ---- tunes --------------------------------------------------------------------------------------

// Clears the whole machine and sets it up for the sample rate; the first call for every tune.
void machine_init(sid_machine& m, uint32_t sample_rate);
// Copies a PSID file's tune into memory and finds its play address; returns the load address.
// Lenient by design: reads are bounded, a file too short for its data loads nothing.
uint16_t psid_load(sid_machine& m, const uint8_t* file, uint16_t length);
// Why a file is not a playable PSID tune, or nullptr when it is one (for tools that must refuse).
const char* psid_problem(const uint8_t* file, uint32_t length);
// Runs the init routine with A = song (zero-based, passed through unchecked).
void psid_select_song(sid_machine& m, uint8_t song);
// Runs the play routine once (bounded by m.play_call_limit), then renders count samples.
void psid_render_frame(sid_machine& m, int16_t* out, uint32_t count);
