// The 6502 interpreter: decoding, addressing modes with their wrap-arounds, flag arithmetic, control
// flow, the saturating stack, the chip window and the bounded subroutine call.
#include <tuple>

#include "tests/sid/sid_test_support.h"

namespace {

constexpr uint8_t C = flag_c, Z = flag_z, N = flag_n, V = flag_v, D = flag_d;

struct cpu : ::testing::Test {
    std::unique_ptr<sid_machine> mp = fresh_machine();
    sid_machine& m = *mp;
    // Runs the instruction at $0200.
    void step(const std::vector<uint8_t>& bytes) {
        poke(m, 0x0200, bytes);
        m.pc = 0x0200;
        cpu_step(m);
    }
};

// One instruction from A, X, Y and P, with the byte at `at` set before it: A, P and that byte after it.
struct op_case {
    std::vector<uint8_t> code;
    uint8_t a, x, y, p, a_out, p_out;
    uint16_t at = 0x0030;
    uint8_t before = 0, after = 0;
    int pc_out = -1;  // -1: just behind the instruction
};

TEST_F(cpu, decoding_addressing_wraps_flags_write_back_and_branches) {
    poke(m, 0x00FF, {0xF0});  // a pointer at $FF takes its high byte from $00: $FFF0
    m.memory[0x0000] = 0xFF;
    m.memory[0x1100] = 0x12;
    const op_case cases[] = {
        {{0xB5, 0xF0}, 0, 0x95, 0, 0, 0x11, 0, 0x0085, 0x11, 0x11},        // zero page,X: $F0 + $95 -> $85
        {{0xBD, 0xFF, 0xFF}, 0, 0x05, 0, 0, 0x22, 0, 0x0004, 0x22, 0x22},  // absolute,X wraps at $FFFF
        {{0xA1, 0xEF}, 0, 0x10, 0, 0, 0x44, 0, 0xFFF0, 0x44, 0x44},        // (indirect,X) through $FF
        {{0xB1, 0xFF}, 0, 0, 0x20, 0, 0x55, 0, 0x0010, 0x55, 0x55},        // (indirect),Y: $FFF0 + $20
        {{0x96, 0xF8}, 0, 0x10, 0x01, 0, 0, 0, 0x00F9, 0x00, 0x10},        // stores: STX zero page,Y
        {{0x69, 0x50}, 0x50, 0, 0, 0, 0xA0, N | V},  // ADC: positive + positive -> negative
        {{0x69, 0x01}, 0xFF, 0, 0, 0, 0x00, C | Z},  // unsigned wrap is no signed overflow
        {{0x69, 0x01}, 0x09, 0, 0, D, 0x0A, D},  // no decimal mode: D is kept and ignored
        {{0xE9, 0x05}, 0x03, 0, 0, C, 0xFE, N},      // SBC, carry set (no borrow in): borrows out
        {{0xE9, 0x01}, 0x80, 0, 0, C, 0x7F, C | V},  // -128 - 1 overflows
        {{0xC9, 0x40}, 0x40, 0, 0, 0, 0x40, C | Z},  // CMP
        {{0x24, 0x30}, 0x3F, 0, 0, 0, 0x3F, Z | N | V, 0x0030, 0xC0, 0xC0},  // BIT: N and V from memory
        {{0x26, 0x10}, 0, 0, 0, 0, 0, C | Z, 0x0010, 0x80, 0x00},            // ROL, carry clear
        {{0x66, 0x10}, 0, 0, 0, C, 0, C | N, 0x0010, 0x01, 0x80},            // ROR, carry in
        // Read-modify-write stores back to the indexed address it read.
        {{0x1E, 0x30, 0x12}, 0, 0x04, 0, 0, 0, N, 0x1234, 0x40, 0x80},  // ASL absolute,X
        {{0xEE, 0x00, 0x20}, 0, 0, 0, 0, 0, Z, 0x2000, 0xFF, 0x00},     // INC wraps
        {{0xD0, 0x10}, 0, 0, 0, Z, 0, Z},                        // BNE not taken still consumes its offset
        {{0xF0, 0xFC}, 0, 0, 0, Z, 0, Z, 0x0030, 0, 0, 0x01FE},  // backward across the page start
        // JMP indirect reads the high byte from the next address even across the page.
        {{0x6C, 0xFF, 0x10}, 0, 0, 0, 0, 0, 0, 0x10FF, 0x34, 0x34, 0x1234},
        {{0x00}, 0, 0, 0, 0, 0, 0, 0x0030, 0, 0, 0},                   // BRK ends the routine
        {{0x02, 0xA9, 0x07}, 0, 0, 0, 0, 0, 0, 0x0030, 0, 0, 0x0201},  // undefined: one byte, no effect
    };
    for (const op_case& c : cases) {
        std::tie(m.memory[c.at], m.a, m.x, m.y, m.p) = std::tie(c.before, c.a, c.x, c.y, c.p);
        step(c.code);
        const auto pc =
            static_cast<uint16_t>(c.pc_out < 0 ? 0x0200 + c.code.size() : static_cast<size_t>(c.pc_out));
        EXPECT_EQ(std::tuple(int{m.a}, int{m.p}, int{m.memory[c.at]}, m.pc),
                  std::tuple(int{c.a_out}, int{c.p_out}, int{c.after}, pc))
            << std::hex << int(c.code[0]) << " a=" << int(c.a); // A, P, the byte, PC
    }
}

TEST_F(cpu, subroutines_and_the_saturating_stack) {
    // JSR pushes the address of its last byte; RTI returns behind it like RTS, pulling no status. (Had
    // JSR not jumped, the $00 at $0203 would end at $0000.)
    step({0x20, 0x00, 0x30});
    poke(m, 0x3000, {0x40});
    m.p = C;
    cpu_step(m);
    EXPECT_EQ(std::tuple(m.pc, m.p), std::tuple(uint16_t{0x0203}, C));

    // The stack pointer saturates: PLA from an empty stack reads $01FF again, pushes on a full one
    // overwrite $0100.
    m.memory[0x01FF] = 0x5A;
    step({0x68});
    EXPECT_EQ(std::tuple(m.s, m.a), std::tuple(uint8_t{0xFF}, uint8_t{0x5A}));
    m.s = 0x00;
    step({0x48});
    m.a = 0x22;
    step({0x48});
    EXPECT_EQ(std::tuple(m.s, m.memory[0x0100]), std::tuple(uint8_t{0x00}, uint8_t{0x22}));
}

TEST_F(cpu, chip_window_takes_stores_and_calls_run_to_the_return_or_the_limit) {
    m.memory[0xD418] = 0x77;  // as if loaded there
    m.a = 0x0F;
    step({0x8D, 0x18, 0xD4});
    EXPECT_EQ(std::tuple(m.regs.mode_volume, m.memory[0xD418]), std::tuple(uint8_t{0x0F}, uint8_t{0x77}));
    step({0xEE, 0x18, 0xD4});  // read-modify-write reads memory and stores through the window
    EXPECT_EQ(m.regs.mode_volume, 0x78);

    m.a = 0x12;  // the 32 registers repeat through $D400-$D7FF
    step({0x8D, 0xE1, 0xD7});
    EXPECT_EQ(m.regs.voice[0].frequency, 0x1200);

    step({0x8D, 0x00, 0xD8});  // just above the window: plain memory
    EXPECT_EQ(m.memory[0xD800], 0x12);

    // A call runs to the return with registers reset, and gives up on endless routines.
    poke(m, 0x1000, {0x60});
    m.x = 9;
    m.p = 0xFF;
    cpu_call(m, 0x1000, 0x42);
    EXPECT_EQ(std::tuple(m.pc, m.a, m.x, m.p), std::tuple(1, 0x42, 0, 0));

    poke(m, 0x1000, {0xE6, 0x10, 0x4C, 0x00, 0x10});  // INC $10; JMP $1000
    m.call_limit = 1001;
    cpu_call(m, 0x1000, 0);
    EXPECT_EQ(m.pc, 1);
    EXPECT_EQ(m.memory[0x0010], 501 % 256);  // exactly the limit of steps ran
}

}  // namespace
