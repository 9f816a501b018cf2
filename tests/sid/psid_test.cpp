// PSID tunes: header fields, where the image lands, the play address found through the vector, song
// numbers passed through, memory cleared between tunes, bounded copies and the frame routine.
#include <string>

#include "tests/sid/sid_test_support.h"
#include "tools/sidtunes/sidtunes.h"

namespace {

const char* problem(const std::vector<uint8_t>& f) {
    return psid_problem(f.data(), static_cast<uint32_t>(f.size()));
}

// (That well-formed files have no problem the built intro tunes' test checks, on every one of them.)
TEST(psid, header_fields_image_placement_play_vector_and_songs_passed_through) {
    auto m = fresh_machine();
    m->memory[0x8000] = 0x55;  // left by an earlier tune
    m->memory[0xFFFF] = 0x66;
    std::vector<uint8_t> f =
        psid_build({.init_address = 0x1003, .play_address = 0x1006, .name = {}}, 0x1000,
                   {0xA9, 0x01, 0x60, 0xE6, 0x03, 0x60});
    EXPECT_EQ(load(*m, f), 0x1000);
    EXPECT_EQ(m->init_address << 16 | m->play_address, 0x10031006);
    for (uint32_t a = 0; a < 0x10000; ++a)
        ASSERT_EQ(m->memory[a], a >= 0x1000 && a < 0x1006 ? f[0x7E + a - 0x1000] : 0) << std::hex << a;

    // A non-zero header load address is where the image goes, with no address bytes in the data.
    f = psid_build({.load_address = 0x2000, .init_address = 0x2000, .play_address = 0x2000, .name = {}}, 0,
                   {0x11, 0x22});
    EXPECT_EQ(load(*m, f), 0x2000);
    EXPECT_EQ(m->memory[0x2000] << 8 | m->memory[0x2001], 0x1122);

    // Play address 0: init runs once (A = 0) to set the vector at $0314 that names the play routine.
    load(*m, sidtune_vector());
    EXPECT_EQ(m->memory[0x04] << 8 | m->memory[0x10], 0x100);
    EXPECT_TRUE(m->play_address != 0 && m->play_address == (m->memory[0x0314] | m->memory[0x0315] << 8));

    load(*m, sidtune_songs());
    psid_select_song(*m, 11);  // past the last song: passed through unchecked
    EXPECT_EQ(m->memory[0x02], 11);
}

TEST(psid, short_and_overlong_files_are_bounded) {
    auto m = fresh_machine();
    // An image running past $FFFF is cut at the end of memory.
    std::vector<uint8_t> f = psid_build({.init_address = 0xFFF0, .play_address = 0xFFF0, .name = {}}, 0xFFF0,
                                        std::vector<uint8_t>(100, 0xEE));
    EXPECT_EQ(load(*m, f), 0xFFF0);
    EXPECT_EQ(m->memory[0xFFFF] << 8 | m->memory[0x0000], 0xEE00);
    EXPECT_NE(problem(f), nullptr);

    // A file that ends before its load address loads nothing; one shorter than a header reads as zeros.
    f.resize(0x7D);
    EXPECT_EQ(load(*m, f), 0);
    EXPECT_NE(problem(f), nullptr);
    f.resize(9);
    load(*m, f);
    psid_load(*m, nullptr, 500);
    EXPECT_EQ(m->init_address, 0);
    EXPECT_EQ(psid_problem(nullptr, 0), std::string("file too short for a PSID header"));
    f = sidtune_songs();
    f[0] = 'R';
    EXPECT_NE(problem(f), nullptr);
}

// Counts its own loop passes in the 24-bit number at zp, zp + 1, zp + 2 and never returns: two
// instructions a pass (three or four when a byte carries).
std::vector<uint8_t> endless_counter(uint16_t at, uint8_t zp) {
    const auto lo = static_cast<uint8_t>(at), hi = static_cast<uint8_t>(at >> 8);
    return {0xE6, zp, 0xD0, 0xFC, 0xE6, static_cast<uint8_t>(zp + 1), 0xD0, 0xF8,
            0xE6, static_cast<uint8_t>(zp + 2), 0x4C, lo, hi};
}

uint32_t counted(const sid_machine& m, uint8_t zp) {
    return m.memory[zp] | m.memory[zp + 1u] << 8 | m.memory[zp + 2u] << 16;
}

TEST(psid, a_stuck_play_routine_costs_a_frame_not_a_buffer_while_init_keeps_room) {
    // Init at $1000 and play at $1020 both loop forever.
    std::vector<uint8_t> image = endless_counter(0x1000, 0x10);
    image.resize(0x20);
    const std::vector<uint8_t> play = endless_counter(0x1020, 0x20);
    image.insert(image.end(), play.begin(), play.end());
    auto m = fresh_machine();
    load(*m, psid_build({.init_address = 0x1000, .play_address = 0x1020, .name = {}}, 0x1000, image));
    psid_select_song(*m, 0);
    EXPECT_GT(counted(*m, 0x10), 500'000u);  // a long set-up (a decruncher, table building) still finishes
    // A real play routine needs well under 20,000 instructions a frame; a stuck one is cut short
    // before eight of them (a refill) run past the 160 ms that a buffer plays.
    std::vector<int16_t> out(882);
    psid_render_frame(*m, out.data(), 882);
    EXPECT_TRUE(counted(*m, 0x20) > 20'000u / 2 && counted(*m, 0x20) < 120'000u / 2) << counted(*m, 0x20);
}

TEST(psid, frame_routine_plays_once_and_writes_exactly_count_samples) {
    auto m = fresh_machine();
    load(*m, sidtune_busy());
    psid_select_song(*m, 0);
    std::vector<int16_t> out(882 + 8, 0x7777);
    psid_render_frame(*m, out.data(), 882);
    EXPECT_EQ(m->memory[sidtune_play_counter], 1);
    EXPECT_TRUE(out[881] != 0x7777 && out[882] == 0x7777);
    // The first frame's register writes apply from its first sample: voice 1 starts the melody's C5.
    EXPECT_EQ(m->voice[0].increment, sid_note_frequency(72) * 359u);
}

}  // namespace
