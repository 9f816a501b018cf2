// PSID tunes: header fields, where the image lands, the play address found through the vector, song
// numbers passed through, memory cleared between tunes, bounded copies and the frame routine.
#include <algorithm>

#include "tests/sid/sid_test_support.h"
#include "tools/sidtunes/sidtunes.h"

namespace {

uint16_t load(sid_machine& m, const std::vector<uint8_t>& f) {
    return psid_load(m, f.data(), static_cast<uint16_t>(f.size()));
}

TEST(psid, header_fields_and_image_placement) {
    auto m = fresh_machine();
    std::vector<uint8_t> f = psid_build({.init_address = 0x1003, .play_address = 0x1006, .songs = 5,
                                         .start_song = 3, .speed = 0x12345678, .name = {}},
                                        0x1000, {0xA9, 0x01, 0x60, 0xE6, 0x03, 0x60});
    ASSERT_EQ(f[0x7C], 0x00);
    ASSERT_EQ(f[0x7D], 0x10);
    EXPECT_EQ(load(*m, f), 0x1000);
    EXPECT_EQ(m->init_address, 0x1003);
    EXPECT_EQ(m->play_address, 0x1006);
    EXPECT_EQ(m->last_song, 4);
    EXPECT_EQ(m->start_song, 2);
    EXPECT_EQ(m->speed, 0x78);
    EXPECT_EQ(m->memory[0x0FFF], 0);
    EXPECT_EQ(m->memory[0x1000], 0xA9);
    EXPECT_EQ(m->memory[0x1005], 0x60);
    EXPECT_EQ(m->memory[0x1006], 0);
    EXPECT_EQ(psid_problem(f.data(), static_cast<uint32_t>(f.size())), nullptr);

    // A non-zero header load address is where the image goes, with no address bytes in the data.
    f = psid_build({.load_address = 0x2000, .init_address = 0x2000, .play_address = 0x2000, .name = {}}, 0, {0x11, 0x22});
    EXPECT_EQ(load(*m, f), 0x2000);
    EXPECT_EQ(m->memory[0x2000], 0x11);
    EXPECT_EQ(m->memory[0x2001], 0x22);
}

TEST(psid, play_address_zero_runs_init_first_and_reads_the_vector) {
    auto m = fresh_machine();
    load(*m, sidtune_vector());
    EXPECT_EQ(m->memory[0x04], 1);
    EXPECT_EQ(m->memory[0x10], 0);
    EXPECT_EQ(m->play_address, m->memory[0x0314] | m->memory[0x0315] << 8);
    EXPECT_NE(m->play_address, 0);
    psid_select_song(*m, 2);
    EXPECT_EQ(m->memory[0x04], 2);
    EXPECT_EQ(m->memory[0x11], 2);
}

TEST(psid, song_numbers_pass_through_unchecked) {
    auto m = fresh_machine();
    load(*m, sidtune_songs());
    psid_select_song(*m, 11);
    EXPECT_EQ(m->memory[0x02], 11);
    psid_select_song(*m, 1);
    EXPECT_EQ(m->regs.voice[0].frequency, sid_note_frequency(76));
}

TEST(psid, a_new_tune_finds_memory_cleared) {
    auto m = fresh_machine();
    load(*m, sidtune_busy());
    psid_select_song(*m, 0);
    m->memory[0x8000] = 0x55;
    m->memory[0xFFFF] = 0x66;
    const std::vector<uint8_t> f = psid_build({.init_address = 0x3000, .play_address = 0x3000, .name = {}}, 0x3000, {0x60});
    load(*m, f);
    for (uint32_t a = 0; a < 0x10000; ++a) {
        ASSERT_EQ(m->memory[a], a == 0x3000 ? 0x60 : 0) << std::hex << a;
    }
}

TEST(psid, short_and_overlong_files_are_bounded) {
    auto m = fresh_machine();
    // An image running past $FFFF is cut at the end of memory.
    std::vector<uint8_t> image(100, 0xEE);
    std::vector<uint8_t> f = psid_build({.init_address = 0xFFF0, .play_address = 0xFFF0, .name = {}}, 0xFFF0, image);
    EXPECT_EQ(load(*m, f), 0xFFF0);
    EXPECT_EQ(m->memory[0xFFFF], 0xEE);
    EXPECT_EQ(m->memory[0x0000], 0);
    EXPECT_NE(psid_problem(f.data(), static_cast<uint32_t>(f.size())), nullptr);

    // A file that ends before its load address loads nothing; a file shorter than a header is read as zeros.
    f.resize(0x7D);
    m->memory[0x1234] = 1;
    EXPECT_EQ(load(*m, f), 0);
    EXPECT_EQ(m->memory[0x1234], 0);
    EXPECT_NE(psid_problem(f.data(), static_cast<uint32_t>(f.size())), nullptr);
    f.resize(9);
    load(*m, f);
    EXPECT_EQ(m->init_address, 0);
    psid_load(*m, nullptr, 500);
    EXPECT_EQ(psid_problem(nullptr, 0), std::string("file too short for a PSID header"));

    f = sidtune_songs();
    f[0] = 'R';
    EXPECT_NE(psid_problem(f.data(), static_cast<uint32_t>(f.size())), nullptr);
}

TEST(psid, render_frame_plays_once_and_writes_exactly_count_samples) {
    auto m = fresh_machine();
    load(*m, sidtune_busy());
    psid_select_song(*m, 0);
    std::vector<int16_t> out(882 + 8, 0x7777);
    psid_render_frame(*m, out.data(), 882);
    EXPECT_EQ(m->memory[sidtune_play_counter], 1);
    EXPECT_EQ(out[882], 0x7777);
    EXPECT_NE(out[881], 0x7777);
    // The first frame's register writes apply from its first sample: voice 1 starts the melody's C5.
    EXPECT_EQ(m->regs.voice[0].frequency, sid_note_frequency(72));
    EXPECT_EQ(m->voice[0].increment, sid_note_frequency(72) * 359u);
}

TEST(psid, sample_tune_is_heard_at_volume_0_until_its_repeats_run_out) {
    auto m = fresh_machine();
    load(*m, sidtune_sample());
    psid_select_song(*m, 0);
    std::vector<int16_t> out(882);
    int16_t peak = 0;
    for (int f = 0; f < 5; ++f) {
        psid_render_frame(*m, out.data(), 882);
        for (int16_t s : out) peak = std::max(peak, s);
    }
    EXPECT_EQ(peak, 8 * 1024);  // nibble 15 at full swing
    for (int f = 0; f < 250; ++f) psid_render_frame(*m, out.data(), 882);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
}

}  // namespace
