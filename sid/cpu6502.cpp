// The 6502 interpreter: documented NMOS instructions on a flat 64 KB memory whose only device is the
// sound-chip window. Functional, not timed: no cycles, interrupts, decimal mode or other chips.
//
// Sections: decode tables - memory - operands and stack - one step - subroutine call
#include "sid/sid.h"

// ---- decode tables ------------------------------------------------------------------------------

namespace {

struct decode_tables {
    std::array<int32_t, 256> type;
    std::array<int32_t, 256> mode;
};

constexpr decode_tables build_decode_tables() {
    decode_tables t{};
    for (int i = 0; i < 256; ++i) {
        t.type[i] = op_undefined;
        t.mode[i] = mode_undefined;
    }
    auto set = [&t](int opcode, int32_t type, int32_t mode) {
        t.type[opcode] = type;
        t.mode[opcode] = mode;
    };
    // The eight-mode arithmetic and load group.
    constexpr std::array<std::pair<int, int32_t>, 7> alu = {{{0x60, op_adc}, {0x20, op_and}, {0xC0, op_cmp},
                                                             {0x40, op_eor}, {0xA0, op_lda}, {0x00, op_ora},
                                                             {0xE0, op_sbc}}};
    for (auto [base, type] : alu) {
        set(base + 0x01, type, mode_indirect_x);
        set(base + 0x05, type, mode_zero_page);
        set(base + 0x09, type, mode_immediate);
        set(base + 0x0D, type, mode_absolute);
        set(base + 0x11, type, mode_indirect_y);
        set(base + 0x15, type, mode_zero_page_x);
        set(base + 0x19, type, mode_absolute_y);
        set(base + 0x1D, type, mode_absolute_x);
    }
    set(0x81, op_sta, mode_indirect_x);
    set(0x85, op_sta, mode_zero_page);
    set(0x8D, op_sta, mode_absolute);
    set(0x91, op_sta, mode_indirect_y);
    set(0x95, op_sta, mode_zero_page_x);
    set(0x99, op_sta, mode_absolute_y);
    set(0x9D, op_sta, mode_absolute_x);
    constexpr std::array<std::pair<int, int32_t>, 4> shifts = {
        {{0x00, op_asl}, {0x20, op_rol}, {0x40, op_lsr}, {0x60, op_ror}}};
    for (auto [base, type] : shifts) {
        set(base + 0x06, type, mode_zero_page);
        set(base + 0x0A, type, mode_accumulator);
        set(base + 0x0E, type, mode_absolute);
        set(base + 0x16, type, mode_zero_page_x);
        set(base + 0x1E, type, mode_absolute_x);
    }
    constexpr std::array<std::pair<int, int32_t>, 2> inc_dec = {{{0xC0, op_dec}, {0xE0, op_inc}}};
    for (auto [base, type] : inc_dec) {
        set(base + 0x06, type, mode_zero_page);
        set(base + 0x0E, type, mode_absolute);
        set(base + 0x16, type, mode_zero_page_x);
        set(base + 0x1E, type, mode_absolute_x);
    }
    set(0xA2, op_ldx, mode_immediate);
    set(0xA6, op_ldx, mode_zero_page);
    set(0xAE, op_ldx, mode_absolute);
    set(0xB6, op_ldx, mode_zero_page_y);
    set(0xBE, op_ldx, mode_absolute_y);
    set(0xA0, op_ldy, mode_immediate);
    set(0xA4, op_ldy, mode_zero_page);
    set(0xAC, op_ldy, mode_absolute);
    set(0xB4, op_ldy, mode_zero_page_x);
    set(0xBC, op_ldy, mode_absolute_x);
    set(0x86, op_stx, mode_zero_page);
    set(0x8E, op_stx, mode_absolute);
    set(0x96, op_stx, mode_zero_page_y);
    set(0x84, op_sty, mode_zero_page);
    set(0x8C, op_sty, mode_absolute);
    set(0x94, op_sty, mode_zero_page_x);
    set(0xE0, op_cpx, mode_immediate);
    set(0xE4, op_cpx, mode_zero_page);
    set(0xEC, op_cpx, mode_absolute);
    set(0xC0, op_cpy, mode_immediate);
    set(0xC4, op_cpy, mode_zero_page);
    set(0xCC, op_cpy, mode_absolute);
    set(0x24, op_bit, mode_zero_page);
    set(0x2C, op_bit, mode_absolute);
    set(0x4C, op_jmp, mode_absolute);
    set(0x6C, op_jmp, mode_indirect);
    set(0x20, op_jsr, mode_absolute);
    set(0x10, op_bpl, mode_relative);
    set(0x30, op_bmi, mode_relative);
    set(0x50, op_bvc, mode_relative);
    set(0x70, op_bvs, mode_relative);
    set(0x90, op_bcc, mode_relative);
    set(0xB0, op_bcs, mode_relative);
    set(0xD0, op_bne, mode_relative);
    set(0xF0, op_beq, mode_relative);
    constexpr std::array<std::pair<int, int32_t>, 25> single = {
        {{0x00, op_brk}, {0x08, op_php}, {0x18, op_clc}, {0x28, op_plp}, {0x38, op_sec}, {0x40, op_rti},
         {0x48, op_pha}, {0x58, op_cli}, {0x60, op_rts}, {0x68, op_pla}, {0x78, op_sei}, {0x88, op_dey},
         {0x8A, op_txa}, {0x98, op_tya}, {0x9A, op_txs}, {0xA8, op_tay}, {0xAA, op_tax}, {0xB8, op_clv},
         {0xBA, op_tsx}, {0xC8, op_iny}, {0xCA, op_dex}, {0xD8, op_cld}, {0xE8, op_inx}, {0xEA, op_nop},
         {0xF8, op_sed}}};
    for (auto [opcode, type] : single) {
        const bool register_op = type == op_dex || type == op_nop || type == op_tax || type == op_tsx ||
                                 type == op_txa || type == op_txs;
        set(opcode, type, register_op ? mode_accumulator : mode_implied);
    }
    // Undefined opcodes whose table entry carries a mode; they still execute as one-byte no-operations.
    constexpr std::array<std::pair<int, int32_t>, 11> undefined_with_mode = {
        {{0x04, mode_zero_page}, {0x0C, mode_absolute}, {0x44, mode_zero_page}, {0x64, mode_zero_page},
         {0x80, mode_immediate}, {0x89, mode_immediate}, {0x9E, mode_absolute_y}, {0xD4, mode_zero_page_x},
         {0xDA, mode_implied}, {0xF4, mode_zero_page_x}, {0xFA, mode_implied}}};
    for (auto [opcode, mode] : undefined_with_mode) t.mode[opcode] = mode;
    return t;
}

constexpr decode_tables decode = build_decode_tables();

}  // namespace

const std::array<int32_t, 256> cpu_type_table = decode.type;
const std::array<int32_t, 256> cpu_mode_table = decode.mode;

// ---- memory -------------------------------------------------------------------------------------

uint8_t mem_read(const sid_machine& m, uint16_t address) { return m.memory[address]; }

void mem_write(sid_machine& m, uint16_t address, uint8_t value) {
    if ((address & 0xFC00u) == 0xD400u) {
        // The 32 chip registers repeat through the whole window; the sample channel sits above them.
        sid_write_register(m, address & 0x1Fu, value);
        if (address > 0xD418u) sample_channel_write(m, address, value);
        return;
    }
    m.memory[address] = value;
}

// ---- operands and stack -------------------------------------------------------------------------

namespace {

uint8_t next_byte(sid_machine& m) {
    const uint8_t b = m.memory[m.pc];
    m.pc = static_cast<uint16_t>(m.pc + 1u);
    return b;
}

uint16_t next_word(sid_machine& m) {
    const uint8_t lo = next_byte(m);
    const uint8_t hi = next_byte(m);
    return static_cast<uint16_t>(lo | hi << 8);
}

uint16_t zero_page_pointer(const sid_machine& m, uint8_t z) {
    return static_cast<uint16_t>(m.memory[z] | m.memory[static_cast<uint8_t>(z + 1u)] << 8);
}

// Effective address of a memory operand, consuming its bytes; false for modes without one.
bool operand_address(sid_machine& m, int32_t mode, uint16_t& address) {
    switch (mode) {
    case mode_absolute: address = next_word(m); return true;
    case mode_absolute_x: address = static_cast<uint16_t>(next_word(m) + m.x); return true;
    case mode_absolute_y: address = static_cast<uint16_t>(next_word(m) + m.y); return true;
    case mode_zero_page: address = next_byte(m); return true;
    case mode_zero_page_x: address = static_cast<uint8_t>(next_byte(m) + m.x); return true;
    case mode_zero_page_y: address = static_cast<uint8_t>(next_byte(m) + m.y); return true;
    case mode_indirect_x: address = zero_page_pointer(m, static_cast<uint8_t>(next_byte(m) + m.x)); return true;
    case mode_indirect_y: address = static_cast<uint16_t>(zero_page_pointer(m, next_byte(m)) + m.y); return true;
    default: return false;
    }
}

}  // namespace

uint8_t cpu_fetch_operand(sid_machine& m, int32_t mode) {
    if (mode == mode_immediate) return next_byte(m);
    if (mode == mode_accumulator) return m.a;
    uint16_t address = 0;
    return operand_address(m, mode, address) ? m.memory[address] : 0;
}

void cpu_store_operand(sid_machine& m, int32_t mode, uint8_t value) {
    if (mode == mode_accumulator) {
        m.a = value;
        return;
    }
    uint16_t address = 0;
    if (operand_address(m, mode, address)) mem_write(m, address, value);
}

void cpu_write_back(sid_machine& m, int32_t mode, uint8_t value) {
    // The operand bytes lie just behind PC; the address is formed from them again.
    const uint16_t abs = static_cast<uint16_t>(m.memory[static_cast<uint16_t>(m.pc - 2u)] |
                                               m.memory[static_cast<uint16_t>(m.pc - 1u)] << 8);
    const uint8_t zp = m.memory[static_cast<uint16_t>(m.pc - 1u)];
    switch (mode) {
    case mode_absolute: mem_write(m, abs, value); break;
    case mode_absolute_x: mem_write(m, static_cast<uint16_t>(abs + m.x), value); break;
    case mode_zero_page: mem_write(m, zp, value); break;
    case mode_zero_page_x: mem_write(m, static_cast<uint8_t>(zp + m.x), value); break;
    case mode_accumulator: m.a = value; break;
    default: break;
    }
}

// The stack pointer saturates at both ends instead of wrapping.
void cpu_push(sid_machine& m, uint8_t value) {
    mem_write(m, static_cast<uint16_t>(0x100u + m.s), value);
    if (m.s != 0) --m.s;
}

uint8_t cpu_pop(sid_machine& m) {
    if (m.s != 0xFF) ++m.s;
    return m.memory[0x100u + m.s];
}

void cpu_set_flag(sid_machine& m, uint8_t mask, uint32_t condition) {
    m.p = static_cast<uint8_t>(condition ? (m.p | mask) : (m.p & ~mask));
}

void cpu_branch(sid_machine& m, uint32_t condition) {
    const auto offset = static_cast<int8_t>(next_byte(m));
    m.scratch_word = static_cast<uint16_t>(m.pc + static_cast<uint16_t>(offset));
    if (condition) m.pc = m.scratch_word;
}

// ---- one step -----------------------------------------------------------------------------------

namespace {

void set_zn(sid_machine& m, uint8_t value) {
    cpu_set_flag(m, flag_z, value == 0);
    cpu_set_flag(m, flag_n, value & 0x80u);
}

// Binary add with carry; SBC adds the complement. V is the signed overflow of the 8-bit sum.
void add_with_carry(sid_machine& m, uint8_t operand) {
    m.scratch_word = static_cast<uint16_t>(m.a + operand + (m.p & flag_c));
    const auto result = static_cast<uint8_t>(m.scratch_word);
    cpu_set_flag(m, flag_v, ~(m.a ^ operand) & (m.a ^ result) & 0x80u);
    cpu_set_flag(m, flag_c, m.scratch_word & 0x100u);
    m.a = result;
    set_zn(m, result);
}

void compare(sid_machine& m, uint8_t reg, uint8_t operand) {
    cpu_set_flag(m, flag_c, reg >= operand);
    cpu_set_flag(m, flag_z, reg == operand);
    cpu_set_flag(m, flag_n, static_cast<uint8_t>(reg - operand) & 0x80u);
}

void pull_return_address(sid_machine& m) {
    const uint8_t lo = cpu_pop(m);
    const uint8_t hi = cpu_pop(m);
    m.pc = static_cast<uint16_t>((lo | hi << 8) + 1u);
}

}  // namespace

void cpu_step(sid_machine& m) {
    const uint8_t opcode = next_byte(m);
    const int32_t type = cpu_type_table[opcode];
    const int32_t mode = cpu_mode_table[opcode];
    uint8_t& b = m.scratch_byte;
    switch (type) {
    case op_adc: add_with_carry(m, cpu_fetch_operand(m, mode)); break;
    case op_sbc: add_with_carry(m, static_cast<uint8_t>(cpu_fetch_operand(m, mode) ^ 0xFFu)); break;
    case op_and: m.a &= cpu_fetch_operand(m, mode); set_zn(m, m.a); break;
    case op_ora: m.a |= cpu_fetch_operand(m, mode); set_zn(m, m.a); break;
    case op_eor: m.a ^= cpu_fetch_operand(m, mode); set_zn(m, m.a); break;
    case op_asl:
        b = cpu_fetch_operand(m, mode);
        cpu_set_flag(m, flag_c, b & 0x80u);
        b = static_cast<uint8_t>(b << 1);
        cpu_write_back(m, mode, b);
        set_zn(m, b);
        break;
    case op_lsr:
        b = cpu_fetch_operand(m, mode);
        cpu_set_flag(m, flag_c, b & 0x01u);
        b = static_cast<uint8_t>(b >> 1);
        cpu_write_back(m, mode, b);
        set_zn(m, b);
        break;
    case op_rol: {
        b = cpu_fetch_operand(m, mode);
        const uint32_t carry_in = m.p & flag_c;
        cpu_set_flag(m, flag_c, b & 0x80u);
        b = static_cast<uint8_t>(b << 1 | carry_in);
        cpu_write_back(m, mode, b);
        set_zn(m, b);
        break;
    }
    case op_ror: {
        b = cpu_fetch_operand(m, mode);
        const uint32_t carry_in = m.p & flag_c;
        cpu_set_flag(m, flag_c, b & 0x01u);
        b = static_cast<uint8_t>(b >> 1 | carry_in << 7);
        cpu_write_back(m, mode, b);
        set_zn(m, b);
        break;
    }
    case op_inc:
    case op_dec:
        b = static_cast<uint8_t>(cpu_fetch_operand(m, mode) + (type == op_inc ? 1u : 0xFFu));
        cpu_write_back(m, mode, b);
        set_zn(m, b);
        break;
    case op_inx: ++m.x; set_zn(m, m.x); break;
    case op_iny: ++m.y; set_zn(m, m.y); break;
    case op_dex: --m.x; set_zn(m, m.x); break;
    case op_dey: --m.y; set_zn(m, m.y); break;
    case op_lda: m.a = cpu_fetch_operand(m, mode); set_zn(m, m.a); break;
    case op_ldx: m.x = cpu_fetch_operand(m, mode); set_zn(m, m.x); break;
    case op_ldy: m.y = cpu_fetch_operand(m, mode); set_zn(m, m.y); break;
    case op_sta: cpu_store_operand(m, mode, m.a); break;
    case op_stx: cpu_store_operand(m, mode, m.x); break;
    case op_sty: cpu_store_operand(m, mode, m.y); break;
    case op_cmp: compare(m, m.a, cpu_fetch_operand(m, mode)); break;
    case op_cpx: compare(m, m.x, cpu_fetch_operand(m, mode)); break;
    case op_cpy: compare(m, m.y, cpu_fetch_operand(m, mode)); break;
    case op_bit:
        b = cpu_fetch_operand(m, mode);
        cpu_set_flag(m, flag_z, (m.a & b) == 0);
        cpu_set_flag(m, flag_n, b & 0x80u);
        cpu_set_flag(m, flag_v, b & 0x40u);
        break;
    case op_bcc: cpu_branch(m, (m.p & flag_c) == 0); break;
    case op_bcs: cpu_branch(m, m.p & flag_c); break;
    case op_bne: cpu_branch(m, (m.p & flag_z) == 0); break;
    case op_beq: cpu_branch(m, m.p & flag_z); break;
    case op_bpl: cpu_branch(m, (m.p & flag_n) == 0); break;
    case op_bmi: cpu_branch(m, m.p & flag_n); break;
    case op_bvc: cpu_branch(m, (m.p & flag_v) == 0); break;
    case op_bvs: cpu_branch(m, m.p & flag_v); break;
    case op_jmp:
        m.scratch_word = next_word(m);
        if (mode == mode_indirect) {
            // The pointer's high byte comes from the next address even across a page boundary.
            const uint16_t p = m.scratch_word;
            m.scratch_word = static_cast<uint16_t>(m.memory[p] | m.memory[static_cast<uint16_t>(p + 1u)] << 8);
        }
        m.pc = m.scratch_word;
        break;
    case op_jsr: {
        const auto ret = static_cast<uint16_t>(m.pc + 1u);
        cpu_push(m, static_cast<uint8_t>(ret >> 8));
        cpu_push(m, static_cast<uint8_t>(ret));
        m.pc = next_word(m);
        break;
    }
    case op_rts:
    case op_rti: pull_return_address(m); break;
    case op_brk: m.pc = 0; break;
    case op_pha: cpu_push(m, m.a); break;
    case op_php: cpu_push(m, m.p); break;
    case op_pla: m.a = cpu_pop(m); set_zn(m, m.a); break;
    case op_plp: m.p = cpu_pop(m); break;
    case op_tax: m.x = m.a; set_zn(m, m.x); break;
    case op_tay: m.y = m.a; set_zn(m, m.y); break;
    case op_txa: m.a = m.x; set_zn(m, m.a); break;
    case op_tya: m.a = m.y; set_zn(m, m.a); break;
    case op_tsx: m.x = m.s; set_zn(m, m.x); break;
    case op_txs: m.s = m.x; break;
    case op_clc: cpu_set_flag(m, flag_c, 0); break;
    case op_cld: cpu_set_flag(m, flag_d, 0); break;
    case op_cli: cpu_set_flag(m, flag_i, 0); break;
    case op_clv: cpu_set_flag(m, flag_v, 0); break;
    case op_sec: cpu_set_flag(m, flag_c, 1); break;
    case op_sed: cpu_set_flag(m, flag_d, 1); break;
    case op_sei: cpu_set_flag(m, flag_i, 1); break;
    default: break;  // NOP, and undefined opcodes: one byte, no effect
    }
}

// ---- subroutine call ----------------------------------------------------------------------------

void cpu_reset(sid_machine& m) {
    m.a = m.x = m.y = m.p = 0;
    m.s = 0xFF;
    m.pc = 0;
}

bool cpu_call(sid_machine& m, uint16_t address, uint8_t a, uint32_t limit) {
    m.a = a;
    m.x = m.y = m.p = 0;
    m.s = 0xFF;
    m.pc = address;
    // A return address of $0000 makes the final RTS land on $0001, which ends the loop below.
    cpu_push(m, 0);
    cpu_push(m, 0);
    for (uint32_t steps = 0; m.pc > 1; ++steps) {
        if (steps >= limit) {
            m.pc = 1;  // give up as if the routine had returned
            return false;
        }
        cpu_step(m);
    }
    return true;
}
