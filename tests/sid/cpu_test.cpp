// The 6502 interpreter: decoding, addressing modes with their wrap-arounds, flag arithmetic, control
// flow, the saturating stack, the chip window and the bounded subroutine call.
#include "tests/sid/sid_test_support.h"

namespace {

struct cpu : ::testing::Test {
    std::unique_ptr<sid_machine> mp = fresh_machine();
    sid_machine& m = *mp;
    // Runs the instruction at $0200.
    void step(std::initializer_list<uint8_t> bytes) {
        poke(m, 0x0200, bytes);
        m.pc = 0x0200;
        cpu_step(m);
    }
    bool flag(uint8_t f) const { return (m.p & f) != 0; }
};

TEST_F(cpu, decode_tables_hold_exactly_the_documented_opcodes) {
    int defined = 0;
    for (int op = 0; op < 256; ++op) defined += cpu_type_table[op] != op_undefined;
    EXPECT_EQ(defined, 151);
    EXPECT_EQ(cpu_type_table[0x89], op_undefined);  // no STA immediate
    EXPECT_EQ(cpu_mode_table[0x71], mode_indirect_y);
    EXPECT_EQ(cpu_mode_table[0xB6], mode_zero_page_y);
    EXPECT_EQ(cpu_mode_table[0xEA], mode_accumulator);  // NOP, DEX, TAX... carry the accumulator mode
}

TEST_F(cpu, addressing_modes_wrap_within_zero_page_and_memory) {
    m.memory[0x0085] = 0x11;  // zero page,X wraps: $F0 + $95 -> $85
    m.x = 0x95;
    step({0xB5, 0xF0});
    EXPECT_EQ(m.a, 0x11);
    EXPECT_EQ(m.pc, 0x0202);

    m.memory[0x0004] = 0x22;  // absolute,X wraps at $FFFF
    m.x = 0x05;
    step({0xBD, 0xFF, 0xFF});
    EXPECT_EQ(m.a, 0x22);

    m.memory[0x0003] = 0x33;  // LDX zero page,Y wraps
    m.y = 0x04;
    step({0xB6, 0xFF});
    EXPECT_EQ(m.x, 0x33);

    // (indirect,X) with X = 0 takes the pointer from $FF and $00.
    m.x = 0;
    m.memory[0x00FF] = 0x34;
    m.memory[0x0000] = 0x12;
    m.memory[0x1234] = 0x44;
    step({0xA1, 0xFF});
    EXPECT_EQ(m.a, 0x44);

    // (indirect),Y: pointer high byte from $00 after $FF, sum wraps at $FFFF.
    m.memory[0x00FF] = 0xF0;
    m.memory[0x0000] = 0xFF;
    m.memory[0x0010] = 0x55;
    m.y = 0x20;
    step({0xB1, 0xFF});
    EXPECT_EQ(m.a, 0x55);

    // Stores form the same addresses.
    m.a = 0x66;
    m.y = 0x01;
    m.memory[0x0040] = 0x00;
    m.memory[0x0041] = 0x30;
    step({0x91, 0x40});
    EXPECT_EQ(m.memory[0x3001], 0x66);
    m.x = 0x10;
    step({0x96, 0xF8});  // STX zero page,Y: $F8 + 1
    EXPECT_EQ(m.memory[0x00F9], 0x10);
}

struct arith_case {
    uint8_t opcode, a, operand, carry_in, result;
    bool c, z, n, v;
};

TEST_F(cpu, adc_and_sbc_set_carry_zero_negative_and_signed_overflow) {
    const arith_case cases[] = {
        {0x69, 0x50, 0x50, 0, 0xA0, false, false, true, true},   // positive + positive -> negative
        {0x69, 0xFF, 0x01, 0, 0x00, true, true, false, false},   // unsigned wrap is no signed overflow
        {0x69, 0x80, 0x80, 0, 0x00, true, true, false, true},    // negative + negative -> positive
        {0x69, 0x10, 0x20, 1, 0x31, false, false, false, false},
        {0xE9, 0x05, 0x03, 1, 0x02, true, false, false, false},
        {0xE9, 0x05, 0x03, 0, 0x01, true, false, false, false},
        {0xE9, 0x03, 0x05, 1, 0xFE, false, false, true, false},  // borrow clears carry
        {0xE9, 0x80, 0x01, 1, 0x7F, true, false, false, true},   // -128 - 1 overflows
        {0xE9, 0x7F, 0xFF, 1, 0x80, false, false, true, true},   // 127 - (-1) overflows
    };
    for (const arith_case& c : cases) {
        m.a = c.a;
        m.p = c.carry_in ? flag_c : 0;
        step({c.opcode, c.operand});
        SCOPED_TRACE(testing::Message() << std::hex << int(c.opcode) << " " << int(c.a) << " " << int(c.operand));
        EXPECT_EQ(m.a, c.result);
        EXPECT_EQ(flag(flag_c), c.c);
        EXPECT_EQ(flag(flag_z), c.z);
        EXPECT_EQ(flag(flag_n), c.n);
        EXPECT_EQ(flag(flag_v), c.v);
    }
    // No decimal mode: D is stored and ignored.
    m.a = 0x09;
    m.p = flag_d;
    step({0x69, 0x01});
    EXPECT_EQ(m.a, 0x0A);
    EXPECT_TRUE(flag(flag_d));
}

TEST_F(cpu, shifts_and_rotates_write_back_and_set_flags_from_the_8_bit_result) {
    m.a = 0x80;
    step({0x0A});  // ASL A
    EXPECT_EQ(m.a, 0x00);
    EXPECT_TRUE(flag(flag_c));
    EXPECT_TRUE(flag(flag_z));
    EXPECT_FALSE(flag(flag_n));

    m.memory[0x0010] = 0x80;
    m.p = 0;
    step({0x26, 0x10});  // ROL $10, carry clear
    EXPECT_EQ(m.memory[0x0010], 0x00);
    EXPECT_TRUE(flag(flag_c));
    EXPECT_TRUE(flag(flag_z));

    m.memory[0x0010] = 0x01;
    m.p = flag_c;
    step({0x66, 0x10});  // ROR $10 with carry in
    EXPECT_EQ(m.memory[0x0010], 0x80);
    EXPECT_TRUE(flag(flag_c));
    EXPECT_TRUE(flag(flag_n));

    m.memory[0x0005] = 0x03;  // LSR zero page,X writes back to the wrapped address
    m.x = 0x06;
    m.p = flag_n;
    step({0x56, 0xFF});
    EXPECT_EQ(m.memory[0x0005], 0x01);
    EXPECT_TRUE(flag(flag_c));
    EXPECT_FALSE(flag(flag_n));

    m.memory[0x1234] = 0x40;  // ASL absolute,X
    m.x = 0x04;
    step({0x1E, 0x30, 0x12});
    EXPECT_EQ(m.memory[0x1234], 0x80);
    EXPECT_TRUE(flag(flag_n));
    EXPECT_FALSE(flag(flag_c));

    m.memory[0x2000] = 0xFF;
    step({0xEE, 0x00, 0x20});  // INC wraps
    EXPECT_EQ(m.memory[0x2000], 0x00);
    EXPECT_TRUE(flag(flag_z));
    step({0xCE, 0x00, 0x20});  // DEC wraps back
    EXPECT_EQ(m.memory[0x2000], 0xFF);
    EXPECT_TRUE(flag(flag_n));
}

TEST_F(cpu, compares_bit_and_transfers_set_their_flags) {
    m.a = 0x40;
    step({0xC9, 0x40});
    EXPECT_TRUE(flag(flag_c) && flag(flag_z) && !flag(flag_n));
    step({0xC9, 0x41});
    EXPECT_TRUE(!flag(flag_c) && !flag(flag_z) && flag(flag_n));
    m.x = 0x01;
    step({0xE0, 0xFF});  // CPX: 1 < $FF unsigned, 1 - $FF = 2
    EXPECT_TRUE(!flag(flag_c) && !flag(flag_n));
    m.y = 0x90;
    step({0xC0, 0x10});
    EXPECT_TRUE(flag(flag_c) && flag(flag_n));

    m.memory[0x0030] = 0xC0;
    m.a = 0x3F;
    step({0x24, 0x30});
    EXPECT_TRUE(flag(flag_z) && flag(flag_n) && flag(flag_v));

    m.a = 0x00;
    m.p = 0;
    step({0xAA});  // TAX
    EXPECT_TRUE(flag(flag_z));
    m.x = 0x80;
    m.p = 0;
    step({0x9A});  // TXS: no flags
    EXPECT_EQ(m.s, 0x80);
    EXPECT_EQ(m.p, 0);
    step({0xBA});  // TSX
    EXPECT_TRUE(flag(flag_n));
}

TEST_F(cpu, branches_jumps_and_subroutines_move_pc) {
    m.p = flag_z;
    step({0xF0, 0x10});  // BEQ forward
    EXPECT_EQ(m.pc, 0x0212);
    step({0xD0, 0x10});  // BNE not taken still consumes its offset
    EXPECT_EQ(m.pc, 0x0202);
    step({0xF0, 0xFC});  // backward across the page start
    EXPECT_EQ(m.pc, 0x01FE);

    // JMP indirect reads the high byte from the next address even across the page.
    m.memory[0x10FF] = 0x34;
    m.memory[0x1100] = 0x12;
    m.memory[0x1000] = 0x99;
    step({0x6C, 0xFF, 0x10});
    EXPECT_EQ(m.pc, 0x1234);

    // JSR pushes the address of its last byte; RTS and RTI both return behind it.
    m.s = 0xFF;
    step({0x20, 0x00, 0x30});
    EXPECT_EQ(m.pc, 0x3000);
    EXPECT_EQ(m.memory[0x01FF], 0x02);
    EXPECT_EQ(m.memory[0x01FE], 0x02);
    EXPECT_EQ(m.s, 0xFD);
    poke(m, 0x3000, {0x40});  // RTI pulls no status
    m.p = flag_c;
    cpu_step(m);
    EXPECT_EQ(m.pc, 0x0203);
    EXPECT_EQ(m.s, 0xFF);
    EXPECT_EQ(m.p, flag_c);

    step({0x00});  // BRK
    EXPECT_EQ(m.pc, 0);

    step({0x02, 0xA9, 0x07});  // undefined opcode: one byte, nothing else
    EXPECT_EQ(m.pc, 0x0201);
    cpu_step(m);
    EXPECT_EQ(m.a, 0x07);
}

TEST_F(cpu, stack_pointer_saturates_at_both_ends) {
    m.s = 0xFF;
    m.memory[0x01FF] = 0x5A;
    step({0x68});  // PLA from an empty stack reads $01FF again
    EXPECT_EQ(m.s, 0xFF);
    EXPECT_EQ(m.a, 0x5A);

    m.s = 0x00;
    m.a = 0x11;
    step({0x48});
    m.a = 0x22;
    step({0x48});
    EXPECT_EQ(m.s, 0x00);
    EXPECT_EQ(m.memory[0x0100], 0x22);

    // PLP takes every bit, including the two the interpreter never sets; PHP pushes P unchanged.
    m.s = 0xFE;
    m.memory[0x01FF] = 0xFF;
    step({0x28});
    EXPECT_EQ(m.p, 0xFF);
    step({0x08});
    EXPECT_EQ(m.memory[0x01FF], 0xFF);
}

TEST_F(cpu, chip_window_takes_stores_and_leaves_memory_alone) {
    m.memory[0xD418] = 0x77;  // as if loaded there
    m.a = 0x0F;
    step({0x8D, 0x18, 0xD4});
    EXPECT_EQ(m.regs.mode_volume, 0x0F);
    EXPECT_EQ(m.memory[0xD418], 0x77);
    step({0xAD, 0x18, 0xD4});
    EXPECT_EQ(m.a, 0x77);

    m.a = 0x34;  // the 32 registers repeat through $D400-$D7FF
    step({0x8D, 0x20, 0xD4});
    EXPECT_EQ(m.regs.voice[0].frequency, 0x34);
    m.a = 0x12;
    step({0x8D, 0xE1, 0xD7});
    EXPECT_EQ(m.regs.voice[0].frequency, 0x1234);

    step({0xEE, 0x18, 0xD4});  // read-modify-write goes through the window too
    EXPECT_EQ(m.regs.mode_volume, 0x78);

    m.a = 0x99;
    step({0x8D, 0x00, 0xD8});
    EXPECT_EQ(m.memory[0xD800], 0x99);
    step({0x8D, 0x04, 0xDC});
    step({0xA9, 0x00});
    step({0xAD, 0x04, 0xDC});
    EXPECT_EQ(m.a, 0x99);
}

TEST_F(cpu, call_runs_to_the_return_and_resets_registers) {
    poke(m, 0x1000, {0x60});
    m.x = m.y = 9;
    m.p = 0xFF;
    cpu_call(m, 0x1000, 0x42);
    EXPECT_EQ(m.pc, 1);
    EXPECT_EQ(m.s, 0xFF);
    EXPECT_EQ(m.a, 0x42);
    EXPECT_EQ(m.x, 0);
    EXPECT_EQ(m.p, 0);

    // JSR into untouched memory meets $00 (BRK) and ends the call at once.
    poke(m, 0x1000, {0x20, 0x00, 0x80, 0xA9, 0x55, 0x60});
    cpu_call(m, 0x1000, 0);
    EXPECT_EQ(m.pc, 0);
    EXPECT_EQ(m.a, 0);
}

TEST_F(cpu, call_gives_up_on_a_routine_that_never_returns) {
    poke(m, 0x1000, {0xE6, 0x10, 0x4C, 0x00, 0x10});  // INC $10; JMP $1000
    m.call_limit = 1001;
    cpu_call(m, 0x1000, 0);
    EXPECT_EQ(m.pc, 1);
    EXPECT_EQ(m.memory[0x0010], 501 % 256);  // exactly the limit of steps ran

    m.call_limit = cpu_call_default_limit;
    poke(m, 0x2000, {0x4C, 0x00, 0x20});
    cpu_call(m, 0x2000, 0);
    EXPECT_EQ(m.pc, 1);
}

}  // namespace
