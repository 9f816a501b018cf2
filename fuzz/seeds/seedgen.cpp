// Writes the fuzz targets' seed corpus: small modules covering every pattern packing form, sample kind,
// loop kind, effect and volume-column form, and PSID files with play address 0, non-zero load
// addresses (in the data and in the header), routines that never return and images that reach the
// end of memory. The module seeds lack the 17-byte identifier, which the module target adds itself.
//   seedgen <corpus folder>   (writes <folder>/xm_load_fuzz/*.xm and <folder>/psid_fuzz/*.sid)
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/sidtunes/asm6502.h"
#include "tools/sidtunes/sidtunes.h"
#include "tools/xmwriter/xmwriter.h"

namespace {

namespace fs = std::filesystem;

bool failed = false;

void write_seed(const fs::path& folder, const std::string& name, const std::vector<uint8_t>& bytes, size_t skip = 0) {
    const std::vector<uint8_t> seed(bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end());
    if (!xmw_write_file((folder / name).string(), seed)) {
        std::fprintf(stderr, "seedgen: cannot write %s\n", (folder / name).string().c_str());
        failed = true;
    }
}

// ---- modules ------------------------------------------------------------------------------------

xmw_sample short_sample(bool sixteen_bit, xmw_loop loop) {
    xmw_sample s;
    s.sixteen_bit = sixteen_bit;
    for (int i = 0; i < 48; ++i) {
        const int v = (i % 12 < 6 ? 90 : -90) + i;
        s.data.push_back(static_cast<int16_t>(sixteen_bit ? v * 200 : v));
    }
    s.loop = loop;
    s.loop_start = loop == xmw_loop::none ? 0 : 8;
    s.loop_length = loop == xmw_loop::none ? 0 : 32;
    return s;
}

xmw_instrument plain_instrument(bool sixteen_bit = false, xmw_loop loop = xmw_loop::forward) {
    xmw_instrument i;
    i.name = "seed";
    i.samples.push_back(short_sample(sixteen_bit, loop));
    return i;
}

// Two channels, one pattern of 16 rows: a note on both channels in row 0, then the given cells.
xmw_module small_module(const std::vector<std::pair<int, xmw_cell>>& cells, xmw_packing packing = xmw_packing::mixed) {
    xmw_module m;
    m.channels = 2;
    xmw_pattern p;
    p.rows = 16;
    p.packing = packing;
    xmw_set(p, 2, 0, 0, {49, 1, 0, 0, 0});
    xmw_set(p, 2, 0, 1, {61, 1, 0x40, 0, 0});
    for (const auto& [row, cell] : cells) xmw_set(p, 2, row, 0, cell);
    m.patterns.push_back(p);
    m.instruments.push_back(plain_instrument());
    return m;
}

void module_seeds(const fs::path& folder) {
    const auto put = [&](const std::string& name, const xmw_module& m) { write_seed(folder, name + ".xm", xmw_build(m), 17); };

    // Packing forms.
    const std::vector<std::pair<int, xmw_cell>> some = {{4, {52, 1, 0x30, 0xA, 0x02}}, {8, {97, 0, 0, 0, 0}}};
    put("packing_mixed", small_module(some, xmw_packing::mixed));
    put("packing_packed", small_module(some, xmw_packing::packed));
    put("packing_unpacked", small_module(some, xmw_packing::unpacked));
    put("packing_empty", small_module({}, xmw_packing::empty));

    // Sample kinds and loop kinds.
    for (bool sixteen : {false, true}) {
        for (auto [loop, loop_name] : {std::pair{xmw_loop::none, "noloop"}, std::pair{xmw_loop::forward, "forward"},
                                       std::pair{xmw_loop::pingpong, "pingpong"}}) {
            xmw_module m = small_module({{6, {40, 1, 0, 0, 0}}});
            m.instruments[0] = plain_instrument(sixteen, loop);
            put(std::string("sample_") + (sixteen ? "16bit_" : "8bit_") + loop_name, m);
        }
    }
    {  // a sample of length 0, a loop of length 1, a loop past the end, and an instrument without samples
        xmw_module m = small_module({{2, {50, 2, 0, 0, 0}}, {4, {50, 3, 0, 0, 0}}, {6, {50, 4, 0, 0, 0}}});
        xmw_instrument empty_sample = plain_instrument();
        empty_sample.samples[0].data.clear();
        empty_sample.samples[0].loop_start = empty_sample.samples[0].loop_length = 0;
        xmw_instrument tiny_loop = plain_instrument(false, xmw_loop::pingpong);
        tiny_loop.samples[0].loop_start = 47;
        tiny_loop.samples[0].loop_length = 1;
        xmw_instrument past_end = plain_instrument(true, xmw_loop::forward);
        past_end.samples[0].loop_start = 40;
        past_end.samples[0].loop_length = 100;
        xmw_instrument none;
        none.name = "none";
        m.instruments.insert(m.instruments.end(), {empty_sample, tiny_loop, past_end, none});
        put("sample_edges", m);
    }
    {  // envelopes with sustain and loop, fadeout, autovibrato, several samples through the map
        xmw_module m = small_module({{3, {97, 0, 0, 0, 0}}, {5, {30, 1, 0, 0, 0}}, {9, {80, 1, 0, 0, 0}}});
        xmw_instrument& i = m.instruments[0];
        i.samples.push_back(short_sample(true, xmw_loop::pingpong));
        for (size_t n = 48; n < 96; ++n) i.sample_map[n] = 1;
        i.volume_envelope = {{{0, 64}, {4, 20}, {8, 50}, {16, 0}}, true, true, true, 1, 1, 2};
        i.panning_envelope = {{{0, 0}, {6, 64}, {12, 32}}, true, true, true, 2, 0, 2};
        i.vibrato_type = 2;
        i.vibrato_sweep = 8;
        i.vibrato_depth = 6;
        i.vibrato_rate = 20;
        i.fadeout = 2000;
        put("instrument_envelopes", m);
        m.linear = false;
        i.vibrato_type = 3;
        put("instrument_envelopes_amiga", m);
    }
    {  // orders: several patterns, a restart position, a pattern of one row and one of 256
        xmw_module m = small_module({{15, {0, 0, 0, 0xB, 0x02}}});
        xmw_pattern one;
        one.rows = 1;
        xmw_set(one, 2, 0, 1, {70, 1, 0, 0xD, 0x00});
        xmw_pattern long_one;
        long_one.rows = 256;
        xmw_set(long_one, 2, 255, 0, {20, 1, 0, 0xF, 0x20});
        m.patterns.push_back(one);
        m.patterns.push_back(long_one);
        m.orders = {0, 1, 2, 1, 0};
        m.restart = 3;
        put("orders_and_restart", m);
        m.bpm = 32;
        m.tempo = 31;
        put("slowest_tempo", m);
        m.bpm = 255;
        m.tempo = 1;
        put("fastest_tempo", m);
    }

    // Effects, each in a module of its own with the parameters that matter to it.
    struct effect_seed {
        const char* name;
        uint8_t effect;
        std::vector<uint8_t> params;
    };
    const std::vector<effect_seed> effects = {
        {"0_arpeggio", 0x0, {0x37}}, {"1_porta_up", 0x1, {0x08, 0x00}}, {"2_porta_down", 0x2, {0x08, 0x00}},
        {"3_tone_porta", 0x3, {0x10, 0x00}}, {"4_vibrato", 0x4, {0x46, 0x00}}, {"5_tone_porta_volume", 0x5, {0x0F}},
        {"6_vibrato_volume", 0x6, {0xF0}}, {"7_tremolo", 0x7, {0x48}}, {"8_panning", 0x8, {0x00, 0xFF}},
        {"9_offset", 0x9, {0x01, 0xFF}}, {"A_volume_slide", 0xA, {0x0F, 0xF0, 0x00}}, {"B_jump", 0xB, {0x00, 0x05}},
        {"C_volume", 0xC, {0x00, 0x40, 0xFF}}, {"D_break", 0xD, {0x10, 0x99}}, {"F_speed", 0xF, {0x00, 0x01, 0x1F, 0x20, 0xFF}},
        {"E1_fine_up", 0xE, {0x12}}, {"E2_fine_down", 0xE, {0x22}}, {"E3_glissando", 0xE, {0x31}},
        {"E4_vibrato_wave", 0xE, {0x41, 0x42, 0x43}}, {"E5_finetune", 0xE, {0x50, 0x5F}}, {"E6_loop", 0xE, {0x60, 0x62}},
        {"E7_tremolo_wave", 0xE, {0x71, 0x72}}, {"E8_panning", 0xE, {0x8F}}, {"E9_retrigger", 0xE, {0x90, 0x93}},
        {"EA_fine_volume_up", 0xE, {0xA4}}, {"EB_fine_volume_down", 0xE, {0xB4}}, {"EC_cut", 0xE, {0xC0, 0xC2}},
        {"ED_delay", 0xE, {0xD2, 0xDF}}, {"EE_pattern_delay", 0xE, {0xE3}}, {"G_global_volume", 16, {0x00, 0x40, 0x80}},
        {"H_global_slide", 17, {0x0F, 0xF0}}, {"K_key_off", 20, {0x00, 0x03}}, {"L_envelope_position", 21, {0x05, 0xFF}},
        {"P_panning_slide", 25, {0x0F, 0xF0}}, {"R_retrigger", 27, {0x03, 0x63, 0x73, 0xE3, 0xF3}},
        {"T_tremor", 29, {0x21, 0x00}}, {"X1_extra_fine_up", 33, {0x13}}, {"X2_extra_fine_down", 33, {0x23}},
        {"unknown_effects", 35, {0xFF}},
    };
    for (const effect_seed& e : effects) {
        std::vector<std::pair<int, xmw_cell>> cells;
        int row = 1;
        for (uint8_t p : e.params) {
            cells.push_back({row, {static_cast<uint8_t>(row % 3 == 0 ? 64 : 0), 0, 0, e.effect, p}});
            cells.push_back({row + 1, {0, 0, 0, e.effect, 0x00}});  // 00 recalls the last parameter where it does
            row += 2;
        }
        xmw_module m = small_module(cells);
        m.instruments[0].volume_envelope = {{{0, 64}, {10, 32}, {20, 0}}, true, false, false, 0, 0, 0};
        put(std::string("effect_") + e.name, m);
    }
    // The volume column's forms: set volume, slides, fine slides, vibrato speed and depth, panning,
    // panning slides and tone portamento.
    std::vector<std::pair<int, xmw_cell>> column;
    int row = 1;
    for (int v : {0x10, 0x50, 0x51, 0x63, 0x73, 0x82, 0x92, 0xA4, 0xB4, 0xC0, 0xCF, 0xD2, 0xE2, 0xF4}) {
        column.push_back({row++, {static_cast<uint8_t>(v == 0xF4 ? 60 : 0), 0, static_cast<uint8_t>(v), 0, 0}});
    }
    put("volume_column", small_module(column));
}

// ---- PSID files ---------------------------------------------------------------------------------

// A PSID file from an assembled program whose entry points are the labels "init" and "play" (play
// address 0 when there is no "play").
std::vector<uint8_t> psid_of(asm6502& a, psid_header_fields h) {
    if (!asm_finish(a)) {
        std::fprintf(stderr, "seedgen: %s\n", a.error.c_str());
        failed = true;
    }
    for (const auto& l : a.labels) {
        if (l.name == "init") h.init_address = l.address;
        if (l.name == "play") h.play_address = l.address;
    }
    return psid_build(h, a.origin, a.code);
}

void psid_seeds(const fs::path& folder) {
    const auto put = [&](const std::string& name, const std::vector<uint8_t>& bytes) { write_seed(folder, name + ".sid", bytes); };

    put("tune_busy", sidtune_busy());
    put("tune_songs", sidtune_songs());
    put("tune_vector_play_0", sidtune_vector());
    put("tune_sample_channel", sidtune_sample());

    {  // init never returns
        asm6502 a = asm_begin(0x1000);
        asm_label(a, "init");
        asm_op_label(a, op::JMP_ABS, "init");
        asm_label(a, "play");
        asm_bytes(a, {op::RTS});
        put("init_loops", psid_of(a, {.songs = 3, .name = "init loops"}));
    }
    {  // play never returns, and init writes the voices first
        asm6502 a = asm_begin(0xC000);
        asm_label(a, "init");
        asm_op8(a, op::LDA_IMM, 0x0F);
        asm_op16(a, op::STA_ABS, 0xD418);
        asm_op8(a, op::LDA_IMM, 0x21);
        asm_op16(a, op::STA_ABS, 0xD404);
        asm_bytes(a, {op::RTS});
        asm_label(a, "play");
        asm_op16(a, op::STA_ABS, 0xD401);
        asm_bytes(a, {op::INX});
        asm_op_label(a, op::JMP_ABS, "play");
        put("play_loops_load_C000", psid_of(a, {.name = "play loops"}));
    }
    {  // play address 0 and an init that loops without setting the vector
        asm6502 a = asm_begin(0x0900);
        asm_label(a, "init");
        asm_bytes(a, {op::INY});
        asm_branch(a, op::BNE, "init");
        asm_op_label(a, op::JMP_ABS, "init");
        put("play_0_init_loops", psid_of(a, {.name = "vector never set"}));
    }
    {  // play address 0 and an init that points the vector at itself
        asm6502 a = asm_begin(0x2000);
        asm_label(a, "init");
        asm_imm_low(a, op::LDA_IMM, "init");
        asm_op16(a, op::STA_ABS, 0x0314);
        asm_imm_high(a, op::LDA_IMM, "init");
        asm_op16(a, op::STA_ABS, 0x0315);
        asm_bytes(a, {op::RTS});
        put("play_0_vector_to_init", psid_of(a, {.name = "vector to init"}));
    }
    {  // recursion that runs the stack round, and a BRK
        asm6502 a = asm_begin(0x3000);
        asm_label(a, "init");
        asm_op_label(a, op::JSR_ABS, "init");
        asm_label(a, "play");
        asm_bytes(a, {op::BRK, 0x00, op::RTS});
        put("stack_recursion_and_brk", psid_of(a, {.name = "recursion"}));
    }
    {  // a load address in the header rather than in the data
        asm6502 a = asm_begin(0x1800);
        asm_label(a, "init");
        asm_bytes(a, {op::RTS});
        asm_label(a, "play");
        asm_op8(a, op::INC_ZP, 0x03);
        asm_bytes(a, {op::RTS});
        put("header_load_address", psid_of(a, {.load_address = 0x1800, .name = "header load address"}));
    }
    {  // an image that runs to the very end of memory, and one that would run past it
        asm6502 a = asm_begin(0xFF00);
        asm_label(a, "init");
        asm_bytes(a, {op::RTS});
        asm_label(a, "play");
        asm_op16(a, op::STA_ABS, 0xD418);
        asm_bytes(a, {op::RTS});
        while (a.code.size() < 0x100) a.code.push_back(0xEA);
        put("image_to_end_of_memory", psid_of(a, {.name = "to the end"}));
        a.code.resize(0x180, 0xEA);
        std::vector<uint8_t> past = psid_build({.init_address = 0xFF00, .play_address = 0xFF01, .name = "past the end"},
                                               0xFF00, a.code);
        put("image_past_end_of_memory", past);
    }
    {  // entry points in zero page, in the chip's registers and in the vectors
        asm6502 a = asm_begin(0x0002);
        asm_label(a, "init");
        asm_bytes(a, {op::RTS});
        put("load_zero_page", psid_of(a, {.play_address = 0xD400, .songs = 0, .start_song = 0, .name = "zero page"}));
        put("entry_at_FFFF", psid_build({.init_address = 0xFFFF, .play_address = 0xFFFE, .name = "vectors"}, 0xFFF0,
                                        std::vector<uint8_t>(16, 0x60)));
    }
    {  // a data offset other than $7C, and a file that ends inside its header
        std::vector<uint8_t> f = sidtune_songs();
        f[7] = 0x76;
        f.erase(f.begin() + 0x76, f.begin() + 0x7C);
        put("data_offset_76", f);
        std::vector<uint8_t> cut = sidtune_busy();
        cut.resize(0x40);
        put("cut_in_header", cut);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seedgen <corpus folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code ec;
    fs::create_directories(root / "xm_load_fuzz", ec);
    fs::create_directories(root / "psid_fuzz", ec);
    module_seeds(root / "xm_load_fuzz");
    psid_seeds(root / "psid_fuzz");
    return failed ? 1 : 0;
}
