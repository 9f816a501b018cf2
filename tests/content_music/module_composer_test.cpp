// The background tunes' composer: note names, the track notation, echoes, and synthesised samples
// whose loops join without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "content/modules/compose.h"
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

TEST(ModuleComposer, NoteNamesFollowTrackerOctaves) {
    // A3 is the lowest note the magazine's bars show; C0 and B7 are the ends of the range; 0 rejects a
    // note below it, an unknown letter, a missing or a two-digit octave.
    const std::pair<const char*, int> names[] = {{"C4", 49}, {"A3", 46}, {"C#4", 50}, {"Bb3", 47},
                                                 {"C0", 1},  {"B7", 96}, {"Cb0", 0},  {"H4", 0},
                                                 {"C", 0},   {"C44", 0}};
    for (const auto& [name, number] : names) EXPECT_EQ(note_number(name), number) << name;
}

TEST(ModuleComposer, TrackTokensBecomeCellsAndEchoesRepeatLaterAndQuieter) {
    composition c = compose_begin("t", 2, 6, 125);
    const int p = compose_pattern(c, 8);
    const auto cell = [&](int row, int ch) {
        return c.module.patterns[0].cells[static_cast<size_t>(row * 2 + ch)];
    };
    compose_track(c, p, 1, 2, "E5@40 . ^ | A5~ C4", 3, 12);
    // {note, instrument, volume, effect} on rows 2 to 6; a slide keeps the sounding sample.
    const auto at = [&](int row) {
        return std::tuple(int{cell(row, 1).note}, int{cell(row, 1).instrument}, int{cell(row, 1).volume},
                          int{cell(row, 1).effect});
    };
    EXPECT_EQ(at(2), std::tuple(note_number("E6"), 3, 0x10 + 40, 0));
    EXPECT_EQ(at(3), std::tuple(0, 0, 0, 0));
    EXPECT_EQ(std::get<0>(at(4)), 97);
    EXPECT_EQ(at(5), std::tuple(note_number("A6"), 0, 0, 3));
    EXPECT_EQ(std::get<0>(at(6)), note_number("C5"));
    EXPECT_EQ(cell(0, 0).note, 0);  // channel 0 untouched

    c = compose_begin("t", 2, 6, 125);
    const int q = compose_pattern(c, 8);
    compose_track(c, q, 0, 0, "C5 . . . . . E5@40 .", 2);
    compose_echo(c, q, 0, 1, 3, 50);
    EXPECT_EQ(std::tuple(cell(3, 1).volume, cell(3, 1).instrument), std::tuple(0x10 + 32, 2));
    // The E5 echo would fall past the end of the pattern and is dropped.
    for (int row = 0; row < 8; ++row) EXPECT_EQ(cell(row, 1).note, row == 3 ? note_number("C5") : 0) << row;
}

// A loop whose end does not meet its start clicks on every pass: the jump from the last value back
// to the first must be no larger than the steps inside the loop.
TEST(ModuleComposer, EveryLoopedSampleOfTheFourTunesJoinsSmoothly) {
    for (const module_tune& t : module_tunes) {
        if (t.compose == nullptr) continue;
        const composition c = t.compose();
        for (const xmw_instrument& ins : c.module.instruments) {
            for (const xmw_sample& s : ins.samples) {
                if (s.loop != xmw_loop::forward) continue;  // a ping-pong loop turns round on its end values
                SCOPED_TRACE(std::string(t.title) + ": " + ins.name);
                ASSERT_GE(s.loop_length, 2u);
                ASSERT_LE(s.loop_start + s.loop_length, s.data.size());
                int largest_step = 0;
                for (uint32_t i = s.loop_start + 1; i < s.loop_start + s.loop_length; ++i)
                    largest_step = std::max(largest_step, std::abs(s.data[i] - s.data[i - 1]));
                EXPECT_LE(std::abs(s.data[s.loop_start] - s.data[s.loop_start + s.loop_length - 1]),
                          largest_step + 1);
            }
        }
    }
}

TEST(ModuleComposer, PitchedSamplesHoldWholeCyclesOfMiddleC) {
    const float params[2] = {6.0f, 0.1f};
    const xmw_sample pluck = synth_additive(synth_shape_pluck, params, 24, 10, 1, 0.9f);
    // Ten cycles, the last one looped: one rise through zero per pass of the settled loop (the fundamental).
    ASSERT_LE(pluck.loop_start + pluck.loop_length, pluck.data.size());
    int crossings = 0;
    for (uint32_t i = 0; i < pluck.loop_length; ++i)
        crossings += pluck.data[pluck.loop_start + i] < 0 &&
                     pluck.data[pluck.loop_start + (i + 1) % pluck.loop_length] >= 0;
    EXPECT_EQ(crossings, 1);
}
