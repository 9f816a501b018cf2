// The intro tunes' tooling: the line assembler, the pattern and order notation, and the 6502 player's
// behaviour on the chip's registers.
#include <gtest/gtest.h>

#include <vector>

#include "content/tunes/asm_text.h"
#include "content/tunes/intro_tunes.h"
#include "content/tunes/sid_music.h"
#include "sid/sid.h"
#include "tools/sidtunes/sidtunes.h"
#include "tools/xmwriter/xmwriter.h"

namespace {

std::vector<uint8_t> assemble(const std::string& source) {
    asm6502 a = asm_begin(0x1000);
    EXPECT_EQ(asm_text(a, source), "");
    EXPECT_TRUE(asm_finish(a)) << a.error;
    return a.code;
}

using bytes = std::vector<uint8_t>;

}  // namespace

// ---- assembler ----------------------------------------------------------------------------------

TEST(LineAssembler, PicksZeroPageOrAbsoluteAndIndexedModesAndResolvesLabels) {
    EXPECT_EQ(assemble("ptr = $FB\n LDA #$10\n STA $D418 ; volume\n LDA ptr\n LDA (ptr),Y\n STA $0200,X\n"
                       " LDA $10,X\n LSR A\n ADC ptr+1\n"),
              (bytes{0xA9, 0x10, 0x8D, 0x18, 0xD4, 0xA5, 0xFB, 0xB1, 0xFB, 0x9D, 0x00, 0x02, 0xB5, 0x10, 0x4A,
                     0x65, 0xFC}));
    // Labels forward and backward.
    EXPECT_EQ(assemble("loop: DEX\n BNE loop\n JMP end\n LDA #<data\n LDX #>data\nend: RTS\ndata: NOP\n"),
              (bytes{0xCA, 0xD0, 0xFD, 0x4C, 0x0A, 0x10, 0xA9, 0x0B, 0xA2, 0x10, 0x60, 0xEA}));
}

TEST(LineAssembler, NamesTheLineOfAMistake) {
    asm6502 a = asm_begin(0x1000);
    EXPECT_NE(asm_text(a, "NOP\nXYZ #1\n").find("line 2"), std::string::npos);
    // No immediate store, only (zp),Y, no immediate above a byte, branches take labels.
    for (const char* bad : {"STA #1\n", "LDA (ptr),X\n", "LDA #$100\n", "BNE $1000\n"})
        EXPECT_NE(asm_text(a, bad), "") << bad;
    asm6502 b = asm_begin(0x1000);
    EXPECT_EQ(asm_text(b, "JMP nowhere\n"), "");
    EXPECT_FALSE(asm_finish(b));
}

// ---- notation -----------------------------------------------------------------------------------

TEST(TuneNotation, EncodesLengthsInstrumentsRestsAndOrderLists) {
    std::string e;
    EXPECT_EQ(sid_encode_pattern("0:C4/4 -/4", e), (bytes{0x63, 0x80, 48, 0xA0, 0xFF}));
    EXPECT_EQ(sid_encode_pattern("2:A4 . B4 . | 3:C5 Bb5", e),
              (bytes{0x61, 0x82, 57, 59, 0x60, 0x83, 60, 70, 0xFF}));
    // A rest longer than 32 ticks becomes several rests.
    EXPECT_EQ(sid_encode_pattern("-/40", e), (bytes{0x7F, 0xA0, 0x67, 0xA0, 0xFF}));
    EXPECT_EQ((std::vector<int>{sid_note_index("C0"), sid_note_index("C#4"), sid_note_index("B7"),
                                sid_note_index("C8")}),
              (std::vector<int>{0, 49, 95, -1}));
    // Order lists: entry 3 ("t-3") is at byte 3.
    EXPECT_EQ(sid_encode_orders("0 t+5 1 t-3 0 loop 3", 2, e), (bytes{0, 0xA5, 1, 0x9D, 0, 0xFF, 3}));
    // Patterns from 128 on take two bytes, and the loop target counts them.
    EXPECT_EQ(sid_encode_orders("200 0 loop 1", 201, e), (bytes{0xC0, 200, 0, 0xFF, 2}));
}

TEST(TuneNotation, RejectsWhatThePlayerCannotPlay) {
    // Too long a note, a hold or a note before any instrument, an unknown note, instrument 40, nothing.
    std::string e;
    for (const char* bad : {"1:C4/33", ". 1:C4", "1:H4", "C4", "40:C4", ""})
        EXPECT_TRUE(sid_encode_pattern(bad, e = "").empty() && !e.empty()) << bad;
    // Order lists that never loop, name pattern 2 of two, loop past the list, or transpose too far.
    for (const char* bad : {"0 1", "0 2 loop 0", "0 loop 1", "0 t+40 loop 0"})
        EXPECT_TRUE(sid_encode_orders(bad, 2, e = "").empty() && !e.empty()) << bad;
}

// ---- player -------------------------------------------------------------------------------------

namespace {

sid_machine machine;

// Builds a tune, loads it and runs init for song 0; false when it would not build.
bool start(const sid_tune& t) {
    std::string error;
    const std::vector<uint8_t> file = sid_tune_build(t, error);
    EXPECT_EQ(error, "");
    if (file.empty()) return false;
    machine_init(machine, 44100);
    psid_load(machine, file.data(), static_cast<uint16_t>(file.size()));
    psid_select_song(machine, 0);
    return true;
}

void play() { cpu_call(machine, machine.play_address, 0); }

// Plays n frames and returns read() after each.
template <typename F>
std::vector<int> after_each_frame(int n, F read) {
    std::vector<int> out;
    for (int f = 0; f < n; ++f) {
        play();
        out.push_back(read());
    }
    return out;
}

// A held pulse, and a chord instrument starting with noise; one pattern of a note and a rest on all
// three voices, transposed by the second voice's order list and the third's song settings.
sid_tune small_tune() {
    const sid_instrument pulse{.ad = 0x00, .sr = 0xF0};
    const sid_instrument chord{.wave1 = 0x81, .wave2 = 0x21, .ad = 0x00, .sr = 0xF0, .arpeggio = 0x47};
    const sid_song song{.speed = 2,
                        .orders = {"0 loop 0", "t+12 0 loop 1", "0 loop 0"},
                        .transpose = {0, 0, 2},
                        .instrument_offset = {0, 0, 1},
                        .cutoff_min = 0x10,
                        .cutoff_max = 0x12,
                        .cutoff_speed = 1};
    return {.name = "test",
            .author = {},
            .released = {},
            .instruments = {pulse, chord},
            .patterns = {"0:C4/4 -/4"},
            .songs = {song}};
}

}  // namespace

TEST(IntroPlayer, NotesTranspositionInstrumentOffsetAndRests) {
    ASSERT_TRUE(start(small_tune()));
    play();
    const auto& v = machine.regs.voice;
    // Voice 2: order-list transpose. Voice 3: song transpose +2 and instrument 0 + 1: first frame
    // noise, then saw, arpeggio 0/+4/+7.
    EXPECT_EQ((std::vector<int>{v[0].frequency, v[0].control, v[0].attack_decay, v[0].sustain_release,
                                v[1].frequency, v[2].frequency, v[2].control}),
              (std::vector<int>{sid_note_frequency(60), 0x41, 0x00, 0xF0, sid_note_frequency(72),
                                sid_note_frequency(62), 0x81}));
    const auto gate = [&] { return v[0].control & 1; };
    const auto voice_3 = [&] { return static_cast<int>(v[2].frequency); };
    play();
    EXPECT_EQ(std::tuple(int{v[2].control}, int{v[2].frequency}), std::tuple(0x21, sid_note_frequency(66)));
    EXPECT_EQ(after_each_frame(2, voice_3),
              (std::vector<int>{sid_note_frequency(69), sid_note_frequency(62)}));
    // Four ticks of two frames: the rest starts at frame 9 and releases the gate; the pattern loops and
    // frame 17 plays the note again.
    EXPECT_EQ(after_each_frame(5, gate), (std::vector<int>{1, 1, 1, 1, 0}));
    EXPECT_EQ(after_each_frame(8, gate), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(v[1].frequency, sid_note_frequency(72));  // the loop skipped the transpose, which still holds
    sid_tune far = small_tune();  // a note that transposition pushes off the frequency table is refused
    far.songs[0].transpose = {0, 0, 60};
    std::string error;
    EXPECT_TRUE(sid_tune_build(far, error).empty() && !error.empty());
}

// Gate per frame with release frames, and the filter cutoff bouncing between its bounds.
TEST(IntroPlayer, ReleaseFramesEndANoteBeforeTheNextTickAndCutoffBounces) {
    ASSERT_TRUE(start(small_tune()));
    EXPECT_EQ(after_each_frame(6, [] { return static_cast<int>(machine.regs.cutoff_high); }),
              (std::vector<int>{0x11, 0x12, 0x11, 0x10, 0x10, 0x11}));
    sid_tune t = small_tune();
    t.instruments[0].release_frames = 2;
    t.patterns = {"0:C4 0:C4"};
    t.songs[0].speed = 4;
    ASSERT_TRUE(start(t));
    EXPECT_EQ(after_each_frame(8, [] { return machine.regs.voice[0].control & 1; }),
              (std::vector<int>{1, 1, 0, 0, 1, 1, 0, 0}));
}

// A note of an instrument with a sample triggers the sample channel with the sample's address range
// and period, once per note.
TEST(IntroPlayer, SampleInstrumentsTriggerTheSampleChannel) {
    sid_tune t = small_tune();
    t.instruments[1].sample = 1;
    t.samples = {{.bytes = std::vector<uint8_t>(100, 0x3C), .period = 200}};
    t.songs[0].orders = {"0 loop 0", "0 loop 0", "0 loop 0"};
    t.songs[0].instrument_offset = {0, 1, 0};
    ASSERT_TRUE(start(t));
    machine.sample.start = 0;
    play();
    const sample_channel& c = machine.sample;
    EXPECT_EQ(std::tuple(c.active, c.end - c.start, c.period, c.repeat_count,
                         machine.memory[static_cast<size_t>(c.start)]),
              std::tuple(1, 100, 200, 0, 0x3C));
    machine.sample.address = 0;
    EXPECT_EQ(after_each_frame(3, [] { return machine.sample.address; }), (std::vector<int>{0, 0, 0}));
    t.instruments[1].sample = 2;  // there is no second sample
    std::string error;
    EXPECT_TRUE(sid_tune_build(t, error).empty());
}

// ---- tunes made elsewhere -----------------------------------------------------------------------

namespace {

std::string write_temp(const std::string& name, const std::vector<uint8_t>& data) {
    EXPECT_TRUE(xmw_write_file(testing::TempDir() + name, data));
    return testing::TempDir() + name;
}

}  // namespace

// A PSID file made elsewhere (here, one the tune builder wrote) is taken byte for byte; one that does
// not play is refused with its path and the reason.
TEST(TunesMadeElsewhere, PlayingFilesAreTakenAsTheyAreOthersRefusedByName) {
    std::string error;
    const std::vector<uint8_t> good = sid_tune_build(small_tune(), error);
    ASSERT_FALSE(good.empty());
    EXPECT_EQ(intro_tune_from_file(write_temp("good.sid", good), error), good);
    EXPECT_EQ(error, "");

    std::vector<uint8_t> stuck = good;  // play starts with JMP to itself (data at $7E loads at the origin)
    const size_t play = 0x7E + static_cast<size_t>((good[12] << 8 | good[13]) - sid_player_origin);
    stuck[play] = 0x4C;
    stuck[play + 1] = good[13];
    stuck[play + 2] = good[12];
    sid_tune quiet = small_tune();
    quiet.songs[0].mode_volume = 0;
    const std::vector<uint8_t> silent = sid_tune_build(quiet, error);
    for (const auto& [path, reason] : {std::pair{write_temp("stuck.sid", stuck), "play does not return"},
                                       {write_temp("silent.sid", silent), "silent"},
                                       {testing::TempDir() + "missing.sid", "cannot open"}}) {
        EXPECT_TRUE(intro_tune_from_file(path, error).empty()) << path;
        EXPECT_TRUE(error.find(path) != std::string::npos && error.find(reason) != std::string::npos)
            << error;
    }
}
