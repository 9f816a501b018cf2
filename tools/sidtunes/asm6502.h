// A tiny 6502 assembler for the test tunes: opcodes by name, operands by mode, forward labels.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Opcodes the test tunes use, named mnemonic_mode.
namespace op {
constexpr uint8_t ADC_IMM = 0x69, AND_IMM = 0x29, ASL_A = 0x0A, BCC = 0x90, BCS = 0xB0, BEQ = 0xF0,
                  BMI = 0x30, BNE = 0xD0, BPL = 0x10, BRK = 0x00, CLC = 0x18, CMP_IMM = 0xC9,
                  CPX_IMM = 0xE0, DEC_ZP = 0xC6, DEX = 0xCA, INC_ZP = 0xE6, INX = 0xE8, INY = 0xC8,
                  JMP_ABS = 0x4C, JSR_ABS = 0x20, LDA_ABS = 0xAD, LDA_ABS_X = 0xBD, LDA_ABS_Y = 0xB9,
                  LDA_IMM = 0xA9, LDA_ZP = 0xA5, LDX_IMM = 0xA2, LDX_ZP = 0xA6, LDY_ABS_X = 0xBC,
                  LDY_IMM = 0xA0, LSR_A = 0x4A, NOP = 0xEA, ORA_ABS_X = 0x1D, ORA_ZP_X = 0x15, ORA_IMM = 0x09, PHA = 0x48,
                  PLA = 0x68, RTS = 0x60, SEC = 0x38, STA_ABS = 0x8D, STA_ABS_Y = 0x99, STA_ZP = 0x85,
                  STA_ZP_X = 0x95, STX_ZP = 0x86, TAX = 0xAA, TAY = 0xA8;
}  // namespace op

struct asm6502 {
    uint16_t origin = 0;
    std::vector<uint8_t> code;
    struct label_def {
        std::string name;
        uint16_t address;
    };
    struct fixup {
        size_t at;
        std::string label;
        enum kind_t : uint8_t { absolute, relative, low, high } kind;
        uint16_t offset;  // added to the label's address
    };
    std::vector<label_def> labels;
    std::vector<fixup> fixups;
    std::string error;  // the first unresolved label or out-of-range branch, after asm_finish
};

// Starts assembling at origin.
asm6502 asm_begin(uint16_t origin);
// Address of the next byte.
uint16_t asm_here(const asm6502& a);
// Defines a label at the next byte.
void asm_label(asm6502& a, const std::string& name);
// Raw bytes (implied instructions, data).
void asm_bytes(asm6502& a, std::initializer_list<uint8_t> bytes);
// Opcode with an 8-bit operand (immediate or zero page) / a 16-bit operand.
void asm_op8(asm6502& a, uint8_t opcode, uint8_t operand);
void asm_op16(asm6502& a, uint8_t opcode, uint16_t operand);
// Opcode with a 16-bit operand / an immediate low or high byte / a branch, to a label.
void asm_op_label(asm6502& a, uint8_t opcode, const std::string& label, uint16_t offset = 0);
void asm_imm_low(asm6502& a, uint8_t opcode, const std::string& label);
void asm_imm_high(asm6502& a, uint8_t opcode, const std::string& label);
void asm_branch(asm6502& a, uint8_t opcode, const std::string& label);
// Resolves the labels; false (with a.error set) when one is missing or a branch is out of reach.
bool asm_finish(asm6502& a);
