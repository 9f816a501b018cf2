// The test tunes: each is a short hand-written 6502 program wrapped in a PSID header.
//
// Sections: PSID file - notes - tunes (busy, songs, vector, sample)
#include "tools/sidtunes/sidtunes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/sidtunes/asm6502.h"

// ---- PSID file ----------------------------------------------------------------------------------

std::vector<uint8_t> psid_build(const psid_header_fields& h, uint16_t load_address,
                                const std::vector<uint8_t>& image) {
    std::vector<uint8_t> f(0x7C, 0);
    auto put16 = [&f](size_t at, uint32_t v) {
        f[at] = static_cast<uint8_t>(v >> 8);
        f[at + 1] = static_cast<uint8_t>(v);
    };
    f[0] = 'P';
    f[1] = 'S';
    f[2] = 'I';
    f[3] = 'D';
    put16(4, 2);
    put16(6, 0x7C);
    put16(8, h.load_address);
    put16(10, h.init_address);
    put16(12, h.play_address);
    put16(14, h.songs);
    put16(16, h.start_song);
    put16(18, h.speed >> 16);
    put16(20, h.speed & 0xFFFFu);
    for (size_t i = 0; i < h.name.size() && i < 31; ++i) f[0x16 + i] = static_cast<uint8_t>(h.name[i]);
    if (h.load_address == 0) {
        f.push_back(static_cast<uint8_t>(load_address));
        f.push_back(static_cast<uint8_t>(load_address >> 8));
    }
    f.insert(f.end(), image.begin(), image.end());
    return f;
}

// ---- notes --------------------------------------------------------------------------------------

uint16_t sid_note_frequency(int midi_note) {
    // The phase counter is 28 bits and advances by frequency x 359 per sample at 44100 Hz.
    const double hz = 440.0 * std::pow(2.0, (midi_note - 69) / 12.0);
    const double reg = hz * 268435456.0 / (359.0 * 44100.0);
    return static_cast<uint16_t>(std::clamp(std::lround(reg), 0L, 65535L));
}

namespace {

void table_of_frequencies(asm6502& a, const std::vector<int>& notes) {
    asm_label(a, "freq_lo");
    for (int n : notes) a.code.push_back(static_cast<uint8_t>(sid_note_frequency(n)));
    asm_label(a, "freq_hi");
    for (int n : notes) a.code.push_back(static_cast<uint8_t>(sid_note_frequency(n) >> 8));
}

void store(asm6502& a, uint8_t value, uint16_t address) {
    asm_op8(a, op::LDA_IMM, value);
    asm_op16(a, op::STA_ABS, address);
}

std::vector<uint8_t> finish(asm6502& a, const psid_header_fields& h) {
    if (!asm_finish(a)) return {};
    psid_header_fields header = h;
    for (const asm6502::label_def& l : a.labels) {
        if (l.name == "init") header.init_address = l.address;
        if (l.name == "play") header.play_address = l.address;
    }
    return psid_build(header, a.origin, a.code);
}

}  // namespace

// ---- tunes --------------------------------------------------------------------------------------

std::vector<uint8_t> sidtune_busy() {
    asm6502 a = asm_begin(0x1000);
    asm_label(a, "init");
    // Voice table bases for the song ($E0..$E2), then the chip: low-pass, volume 15, voice 2 filtered.
    asm_bytes(a, {op::ASL_A, op::ASL_A, op::TAY});
    for (uint8_t i = 0; i < 3; ++i) {
        asm_op_label(a, op::LDA_ABS_Y, "base", i);
        asm_op8(a, op::STA_ZP, static_cast<uint8_t>(0xE0 + i));
    }
    store(a, 0x1F, 0xD418);
    store(a, 0xF2, 0xD417);
    store(a, 0x00, 0xD415);
    store(a, 0x20, 0xD416);
    store(a, 0x09, 0xD405);
    store(a, 0xA4, 0xD406);
    store(a, 0x08, 0xD403);
    store(a, 0x08, 0xD40C);
    store(a, 0x64, 0xD40D);
    store(a, 0x0A, 0xD413);
    store(a, 0xC8, 0xD414);
    asm_op8(a, op::LDA_IMM, 0x00);
    asm_op8(a, op::STA_ZP, 0xF0);  // frame countdown: the first play starts a step
    asm_op8(a, op::STA_ZP, 0xF2);  // sweep position
    asm_op8(a, op::LDA_IMM, 0xFF);
    asm_op8(a, op::STA_ZP, 0xF1);  // step index, 0 after the first step
    asm_bytes(a, {op::RTS});

    asm_label(a, "play");
    asm_op8(a, op::INC_ZP, sidtune_play_counter);
    asm_op8(a, op::DEC_ZP, 0xF0);
    asm_branch(a, op::BPL, "sweep");
    asm_op8(a, op::LDA_IMM, 5);
    asm_op8(a, op::STA_ZP, 0xF0);
    asm_op8(a, op::INC_ZP, 0xF1);
    asm_op8(a, op::LDX_IMM, 0);
    asm_label(a, "voice");
    asm_op8(a, op::LDA_ZP, 0xF1);
    asm_op8(a, op::AND_IMM, 0x0F);
    asm_op8(a, op::ORA_ZP_X, 0xE0);
    asm_bytes(a, {op::TAY});
    asm_op_label(a, op::LDA_ABS_Y, "freq_lo");
    asm_bytes(a, {op::PHA});
    asm_op_label(a, op::LDA_ABS_Y, "freq_hi");
    asm_op_label(a, op::LDY_ABS_X, "regoff");
    asm_op16(a, op::STA_ABS_Y, 0xD401);
    asm_bytes(a, {op::PLA});
    asm_op16(a, op::STA_ABS_Y, 0xD400);
    // Gate off then on in the same call restarts the attack from the current level.
    asm_op_label(a, op::LDA_ABS_X, "wave");
    asm_op16(a, op::STA_ABS_Y, 0xD404);
    asm_op8(a, op::ORA_IMM, 0x01);
    asm_op16(a, op::STA_ABS_Y, 0xD404);
    asm_bytes(a, {op::INX});
    asm_op8(a, op::CPX_IMM, 3);
    asm_branch(a, op::BNE, "voice");
    asm_label(a, "sweep");
    // Cutoff high follows the sweep: sweep / 2 with bit 4 set; pulse width high: sweep / 32 + 4.
    asm_op8(a, op::INC_ZP, 0xF2);
    asm_op8(a, op::LDA_ZP, 0xF2);
    asm_bytes(a, {op::LSR_A});
    asm_op8(a, op::ORA_IMM, 0x10);
    asm_op16(a, op::STA_ABS, 0xD416);
    asm_op8(a, op::LDA_ZP, 0xF2);
    asm_bytes(a, {op::LSR_A, op::LSR_A, op::LSR_A, op::LSR_A, op::LSR_A, op::CLC});
    asm_op8(a, op::ADC_IMM, 4);
    asm_op16(a, op::STA_ABS, 0xD403);
    asm_bytes(a, {op::RTS});

    asm_label(a, "base");
    asm_bytes(a, {0, 16, 32, 0, 0, 16, 48, 0});
    asm_label(a, "regoff");
    asm_bytes(a, {0, 7, 14});
    asm_label(a, "wave");
    asm_bytes(a, {0x40, 0x20, 0x10});
    const std::vector<int> melody = {72, 76, 79, 84, 83, 79, 76, 74, 77, 81, 84, 81, 79, 76, 74, 71};
    const std::vector<int> chords = {60, 67, 64, 67, 60, 67, 64, 67, 65, 69, 72, 69, 67, 71, 74, 71};
    const std::vector<int> bass = {36, 36, 48, 36, 36, 36, 48, 36, 41, 41, 53, 41, 43, 43, 55, 43};
    std::vector<int> notes = melody;
    notes.insert(notes.end(), chords.begin(), chords.end());
    notes.insert(notes.end(), bass.begin(), bass.end());
    for (int n : bass) notes.push_back(n + 12);
    table_of_frequencies(a, notes);
    return finish(a, {.songs = 2, .start_song = 1, .name = "Busy"});
}

std::vector<uint8_t> sidtune_songs() {
    asm6502 a = asm_begin(0x1000);
    asm_label(a, "init");
    asm_op8(a, op::STA_ZP, 0x02);
    asm_bytes(a, {op::TAX});
    store(a, 0x0F, 0xD418);
    asm_op_label(a, op::LDA_ABS_X, "freq_lo");
    asm_op16(a, op::STA_ABS, 0xD400);
    asm_op_label(a, op::LDA_ABS_X, "freq_hi");
    asm_op16(a, op::STA_ABS, 0xD401);
    store(a, 0x00, 0xD405);
    store(a, 0xF0, 0xD406);
    store(a, 0x11, 0xD404);
    asm_bytes(a, {op::RTS});
    asm_label(a, "play");
    asm_op8(a, op::INC_ZP, sidtune_play_counter);
    asm_bytes(a, {op::RTS});
    table_of_frequencies(a, {69, 76, 81});
    return finish(a, {.songs = 3, .start_song = 2, .name = "Songs"});
}

std::vector<uint8_t> sidtune_vector() {
    asm6502 a = asm_begin(0x1000);
    asm_label(a, "init");
    asm_op8(a, op::LDX_ZP, 0x04);
    asm_op8(a, op::STA_ZP_X, 0x10);
    asm_op8(a, op::INC_ZP, 0x04);
    asm_imm_low(a, op::LDA_IMM, "play");
    asm_op16(a, op::STA_ABS, 0x0314);
    asm_imm_high(a, op::LDA_IMM, "play");
    asm_op16(a, op::STA_ABS, 0x0315);
    store(a, 0x0F, 0xD418);
    store(a, 0x00, 0xD405);
    store(a, 0xF0, 0xD406);
    store(a, 0x00, 0xD402);
    store(a, 0x08, 0xD403);
    store(a, static_cast<uint8_t>(sid_note_frequency(57)), 0xD400);
    store(a, static_cast<uint8_t>(sid_note_frequency(57) >> 8), 0xD401);
    store(a, 0x41, 0xD404);
    asm_bytes(a, {op::RTS});
    asm_label(a, "play");
    asm_op8(a, op::INC_ZP, sidtune_play_counter);
    asm_bytes(a, {op::RTS});
    std::vector<uint8_t> file = finish(a, {.name = "Vector"});
    // The header's play address stays 0: the tune names its play routine only through $0314.
    if (file.size() > 13) file[12] = file[13] = 0;
    return file;
}

std::vector<uint8_t> sidtune_sample() {
    asm6502 a = asm_begin(0x1000);
    asm_label(a, "init");
    store(a, 0x00, 0xD418);  // chip silent: only the sample channel is heard
    store(a, 0x00, 0xD41E);
    store(a, 0x20, 0xD41F);
    store(a, 0x00, 0xD43D);
    store(a, 0x21, 0xD43E);
    store(a, 200, 0xD43F);
    store(a, 44, 0xD45D);  // period 44: about 22400 nibbles a second
    store(a, 0, 0xD45E);
    store(a, 0, 0xD47D);
    store(a, 0x00, 0xD47E);
    store(a, 0x20, 0xD47F);
    store(a, 0xFF, 0xD41D);
    asm_bytes(a, {op::RTS});
    asm_label(a, "play");
    asm_op8(a, op::INC_ZP, sidtune_play_counter);
    asm_bytes(a, {op::RTS});
    a.code.resize(0x1000, 0);
    // 32 nibbles per sine period, low nibble of each byte first.
    auto nibble = [](int k) {
        const double s = 7.5 + 7.5 * std::sin(2.0 * std::numbers::pi * k / 32.0);
        return static_cast<uint8_t>(std::clamp(std::lround(s), 0L, 15L));
    };
    for (int j = 0; j < 256; ++j) a.code.push_back(static_cast<uint8_t>(nibble(2 * j) | nibble(2 * j + 1) << 4));
    return finish(a, {.name = "Sample"});
}
