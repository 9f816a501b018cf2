// The line assembler: mnemonic and addressing mode from the operand's form, emitted through asm6502
// so that forward labels and branches are patched when the program is finished.
#include "content/tunes/asm_text.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <sstream>

namespace {

enum mode : uint8_t { imp, acc, imm, zp, zpx, abso, absx, absy, izy, rel, mode_count };

// Opcode per mode; 0 where the instruction lacks the mode (BRK is never assembled).
using opcode_row = std::array<uint8_t, mode_count>;

const std::map<std::string, opcode_row>& opcodes() {
    //                                    imp   acc   imm   zp    zpx   abs   absx  absy  izy   rel
    static const std::map<std::string, opcode_row> table = {
        {"LDA", {0, 0, 0xA9, 0xA5, 0xB5, 0xAD, 0xBD, 0xB9, 0xB1, 0}},
        {"STA", {0, 0, 0, 0x85, 0x95, 0x8D, 0x9D, 0x99, 0x91, 0}},
        {"LDX", {0, 0, 0xA2, 0xA6, 0, 0xAE, 0, 0xBE, 0, 0}},
        {"LDY", {0, 0, 0xA0, 0xA4, 0xB4, 0xAC, 0xBC, 0, 0, 0}},
        {"STX", {0, 0, 0, 0x86, 0, 0x8E, 0, 0, 0, 0}},
        {"STY", {0, 0, 0, 0x84, 0x94, 0x8C, 0, 0, 0, 0}},
        {"ADC", {0, 0, 0x69, 0x65, 0x75, 0x6D, 0x7D, 0x79, 0x71, 0}},
        {"SBC", {0, 0, 0xE9, 0xE5, 0xF5, 0xED, 0xFD, 0xF9, 0xF1, 0}},
        {"AND", {0, 0, 0x29, 0x25, 0x35, 0x2D, 0x3D, 0x39, 0x31, 0}},
        {"ORA", {0, 0, 0x09, 0x05, 0x15, 0x0D, 0x1D, 0x19, 0x11, 0}},
        {"EOR", {0, 0, 0x49, 0x45, 0x55, 0x4D, 0x5D, 0x59, 0x51, 0}},
        {"CMP", {0, 0, 0xC9, 0xC5, 0xD5, 0xCD, 0xDD, 0xD9, 0xD1, 0}},
        {"CPX", {0, 0, 0xE0, 0xE4, 0, 0xEC, 0, 0, 0, 0}},
        {"CPY", {0, 0, 0xC0, 0xC4, 0, 0xCC, 0, 0, 0, 0}},
        {"INC", {0, 0, 0, 0xE6, 0xF6, 0xEE, 0xFE, 0, 0, 0}},
        {"DEC", {0, 0, 0, 0xC6, 0xD6, 0xCE, 0xDE, 0, 0, 0}},
        {"ASL", {0, 0x0A, 0, 0x06, 0x16, 0x0E, 0x1E, 0, 0, 0}},
        {"LSR", {0, 0x4A, 0, 0x46, 0x56, 0x4E, 0x5E, 0, 0, 0}},
        {"ROL", {0, 0x2A, 0, 0x26, 0x36, 0x2E, 0x3E, 0, 0, 0}},
        {"ROR", {0, 0x6A, 0, 0x66, 0x76, 0x6E, 0x7E, 0, 0, 0}},
        {"JMP", {0, 0, 0, 0, 0, 0x4C, 0, 0, 0, 0}},
        {"JSR", {0, 0, 0, 0, 0, 0x20, 0, 0, 0, 0}},
        {"RTS", {0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"TAX", {0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"TAY", {0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"TXA", {0x8A, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"TYA", {0x98, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"INX", {0xE8, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"INY", {0xC8, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"DEX", {0xCA, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"DEY", {0x88, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"CLC", {0x18, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"SEC", {0x38, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"PHA", {0x48, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"PLA", {0x68, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"NOP", {0xEA, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"BPL", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10}},
        {"BMI", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x30}},
        {"BCC", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x90}},
        {"BCS", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0xB0}},
        {"BNE", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0xD0}},
        {"BEQ", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0}},
    };
    return table;
}

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool is_name(const std::string& s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
    for (char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

// A number ($hex, %binary or decimal); false when text is not one.
bool parse_number(const std::string& text, long& out) {
    if (text.empty()) return false;
    int base = 10;
    size_t at = 0;
    if (text[0] == '$') base = 16, at = 1;
    if (text[0] == '%') base = 2, at = 1;
    if (at >= text.size()) return false;
    char* end = nullptr;
    const std::string digits = text.substr(at);
    const long v = std::strtol(digits.c_str(), &end, base);
    if (*end || v < 0 || v > 0xFFFF) return false;
    out = v;
    return true;
}

// An operand value: a number, a constant, or a label with an optional +offset.
struct value {
    bool known = false;  // a number or constant
    long number = 0;
    std::string label;
    long offset = 0;
};

bool parse_value(const std::string& text, const std::map<std::string, long>& constants, value& v) {
    std::string base = text;
    long offset = 0;
    if (const size_t plus = text.find('+'); plus != std::string::npos) {
        base = trim(text.substr(0, plus));
        if (!parse_number(trim(text.substr(plus + 1)), offset)) return false;
    }
    long n = 0;
    if (parse_number(base, n)) {
        v = {true, n + offset, "", 0};
        return v.number <= 0xFFFF;
    }
    if (!is_name(base)) return false;
    if (const auto c = constants.find(base); c != constants.end()) {
        v = {true, c->second + offset, "", 0};
        return v.number <= 0xFFFF;
    }
    v = {false, 0, base, offset};
    return true;
}

}  // namespace

std::string asm_text(asm6502& a, const std::string& source) {
    std::map<std::string, long> constants;
    std::istringstream in(source);
    std::string raw;
    int line_number = 0;
    while (std::getline(in, raw)) {
        ++line_number;
        auto error = [&](const std::string& what) { return "line " + std::to_string(line_number) + ": " + what + ": " + trim(raw); };
        std::string line = raw.substr(0, raw.find(';'));
        line = trim(line);
        // Labels, possibly followed by an instruction.
        while (true) {
            const size_t colon = line.find(':');
            if (colon == std::string::npos) break;
            const std::string name = trim(line.substr(0, colon));
            if (!is_name(name)) return error("bad label");
            asm_label(a, name);
            line = trim(line.substr(colon + 1));
        }
        if (line.empty()) continue;
        if (const size_t eq = line.find('='); eq != std::string::npos) {
            const std::string name = trim(line.substr(0, eq));
            value v;
            if (!is_name(name) || !parse_value(trim(line.substr(eq + 1)), constants, v) || !v.known) {
                return error("bad constant");
            }
            constants[name] = v.number;
            continue;
        }
        const std::string mnemonic = upper(line.substr(0, std::min<size_t>(3, line.size())));
        const auto row = opcodes().find(mnemonic);
        if (row == opcodes().end() || (line.size() > 3 && !std::isspace(static_cast<unsigned char>(line[3])))) {
            return error("unknown instruction");
        }
        const opcode_row& ops = row->second;
        std::string operand = trim(line.substr(3));
        const std::string up = upper(operand);

        if (ops[rel]) {
            if (!is_name(operand)) return error("branch needs a label");
            asm_branch(a, ops[rel], operand);
            continue;
        }
        if (operand.empty() || up == "A") {
            const uint8_t op = operand.empty() ? ops[imp] : ops[acc];
            if (!op) return error("operand missing");
            asm_bytes(a, {op});
            continue;
        }
        if (operand[0] == '#') {
            if (!ops[imm]) return error("no immediate mode");
            std::string body = trim(operand.substr(1));
            if (!body.empty() && (body[0] == '<' || body[0] == '>')) {
                const std::string name = trim(body.substr(1));
                if (!is_name(name)) return error("bad label");
                if (body[0] == '<') {
                    asm_imm_low(a, ops[imm], name);
                } else {
                    asm_imm_high(a, ops[imm], name);
                }
                continue;
            }
            value v;
            if (!parse_value(body, constants, v) || !v.known || v.number > 0xFF) return error("bad immediate");
            asm_op8(a, ops[imm], static_cast<uint8_t>(v.number));
            continue;
        }
        mode m = abso;
        std::string address = operand;
        if (operand[0] == '(') {
            if (up.size() < 5 || up.substr(up.size() - 3) != "),Y") return error("only (zp),Y is indirect");
            address = trim(operand.substr(1, operand.size() - 4));
            m = izy;
        } else if (up.size() > 2 && up.substr(up.size() - 2) == ",X") {
            address = trim(operand.substr(0, operand.size() - 2));
            m = absx;
        } else if (up.size() > 2 && up.substr(up.size() - 2) == ",Y") {
            address = trim(operand.substr(0, operand.size() - 2));
            m = absy;
        }
        value v;
        if (!parse_value(address, constants, v)) return error("bad operand");
        if (m == izy) {
            if (!ops[izy] || !v.known || v.number > 0xFF) return error("(zp),Y needs a zero-page constant");
            asm_op8(a, ops[izy], static_cast<uint8_t>(v.number));
            continue;
        }
        const bool zero_page = v.known && v.number <= 0xFF;
        if (zero_page && m == abso && ops[zp]) {
            asm_op8(a, ops[zp], static_cast<uint8_t>(v.number));
            continue;
        }
        if (zero_page && m == absx && ops[zpx]) {
            asm_op8(a, ops[zpx], static_cast<uint8_t>(v.number));
            continue;
        }
        if (!ops[m]) return error("addressing mode not available");
        if (v.known) {
            asm_op16(a, ops[m], static_cast<uint16_t>(v.number));
        } else {
            asm_op_label(a, ops[m], v.label, static_cast<uint16_t>(v.offset));
        }
    }
    return "";
}
