// The test tunes' assembler: emits bytes and patches label references once all labels are known.
#include "tools/sidtunes/asm6502.h"

asm6502 asm_begin(uint16_t origin) {
    asm6502 a;
    a.origin = origin;
    return a;
}

uint16_t asm_here(const asm6502& a) { return static_cast<uint16_t>(a.origin + a.code.size()); }

void asm_label(asm6502& a, const std::string& name) { a.labels.push_back({name, asm_here(a)}); }

void asm_bytes(asm6502& a, std::initializer_list<uint8_t> bytes) {
    a.code.insert(a.code.end(), bytes.begin(), bytes.end());
}

void asm_op8(asm6502& a, uint8_t opcode, uint8_t operand) { asm_bytes(a, {opcode, operand}); }

void asm_op16(asm6502& a, uint8_t opcode, uint16_t operand) {
    asm_bytes(a, {opcode, static_cast<uint8_t>(operand), static_cast<uint8_t>(operand >> 8)});
}

namespace {
void reference(asm6502& a, uint8_t opcode, const std::string& label, asm6502::fixup::kind_t kind,
               uint16_t offset = 0) {
    a.code.push_back(opcode);
    a.fixups.push_back({a.code.size(), label, kind, offset});
    a.code.push_back(0);
    if (kind == asm6502::fixup::absolute) a.code.push_back(0);
}
}  // namespace

void asm_op_label(asm6502& a, uint8_t opcode, const std::string& label, uint16_t offset) {
    reference(a, opcode, label, asm6502::fixup::absolute, offset);
}
void asm_imm_low(asm6502& a, uint8_t opcode, const std::string& label) {
    reference(a, opcode, label, asm6502::fixup::low);
}
void asm_imm_high(asm6502& a, uint8_t opcode, const std::string& label) {
    reference(a, opcode, label, asm6502::fixup::high);
}
void asm_branch(asm6502& a, uint8_t opcode, const std::string& label) {
    reference(a, opcode, label, asm6502::fixup::relative);
}

bool asm_finish(asm6502& a) {
    for (const asm6502::fixup& f : a.fixups) {
        const asm6502::label_def* def = nullptr;
        for (const asm6502::label_def& l : a.labels) {
            if (l.name == f.label) def = &l;
        }
        if (!def) {
            a.error = "undefined label " + f.label;
            return false;
        }
        switch (f.kind) {
        case asm6502::fixup::absolute: {
            const auto target = static_cast<uint16_t>(def->address + f.offset);
            a.code[f.at] = static_cast<uint8_t>(target);
            a.code[f.at + 1] = static_cast<uint8_t>(target >> 8);
            break;
        }
        case asm6502::fixup::low: a.code[f.at] = static_cast<uint8_t>(def->address); break;
        case asm6502::fixup::high: a.code[f.at] = static_cast<uint8_t>(def->address >> 8); break;
        case asm6502::fixup::relative: {
            const int distance = def->address - (a.origin + static_cast<int>(f.at) + 1);
            if (distance < -128 || distance > 127) {
                a.error = "branch out of reach to " + f.label;
                return false;
            }
            a.code[f.at] = static_cast<uint8_t>(distance);
            break;
        }
        }
    }
    return true;
}
