// The background tunes' composer: note names, the track notation, echoes, and synthesised samples
// whose loops join without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "content/modules/compose.h"
#include "content/modules/synth.h"
#include "content/modules/tunes.h"

TEST(ModuleComposer, NoteNamesFollowTrackerOctaves) {
    EXPECT_EQ(note_number("C4"), 49);
    EXPECT_EQ(note_number("A3"), 46);  // the lowest note the magazine's bars show
    EXPECT_EQ(note_number("C#4"), 50);
    EXPECT_EQ(note_number("Bb3"), 47);
    EXPECT_EQ(note_number("C0"), 1);
    EXPECT_EQ(note_number("B7"), 96);
    EXPECT_EQ(note_number("Cb0"), 0);
    EXPECT_EQ(note_number("H4"), 0);
    EXPECT_EQ(note_number("C"), 0);
    EXPECT_EQ(note_number("C44"), 0);
}

TEST(ModuleComposer, TrackTokensBecomeCells) {
    composition c = compose_begin("t", 2, 6, 125);
    const int p = compose_pattern(c, 8);
    compose_track(c, p, 1, 2, "E5@40 . ^ | A5~ C4", 3, 12);
    const auto cell = [&](int row) { return c.module.patterns[0].cells[static_cast<size_t>(row * 2 + 1)]; };
    EXPECT_EQ(cell(2).note, note_number("E6"));
    EXPECT_EQ(cell(2).instrument, 3);
    EXPECT_EQ(cell(2).volume, 0x10 + 40);
    EXPECT_EQ(cell(3).note, 0);
    EXPECT_EQ(cell(4).note, 97);
    EXPECT_EQ(cell(5).note, note_number("A6"));
    EXPECT_EQ(cell(5).instrument, 0);  // a slide keeps the sounding sample
    EXPECT_EQ(cell(5).effect, 3);
    EXPECT_EQ(cell(6).note, note_number("C5"));
    EXPECT_EQ(c.module.patterns[0].cells[0].note, 0);  // channel 0 untouched
}

TEST(ModuleComposer, EchoRepeatsLaterAndQuieterInsideThePattern) {
    composition c = compose_begin("t", 2, 6, 125);
    const int p = compose_pattern(c, 8);
    compose_track(c, p, 0, 0, "C5 . . . . . E5@40 .", 2);
    compose_echo(c, p, 0, 1, 3, 50);
    const auto cell = [&](int row, int ch) { return c.module.patterns[0].cells[static_cast<size_t>(row * 2 + ch)]; };
    EXPECT_EQ(cell(3, 1).note, note_number("C5"));
    EXPECT_EQ(cell(3, 1).volume, 0x10 + 32);
    EXPECT_EQ(cell(3, 1).instrument, 2);
    // The E5 echo would fall past the end of the pattern and is dropped.
    for (int row = 0; row < 8; ++row) {
        if (row != 3) {
            EXPECT_EQ(cell(row, 1).note, 0) << row;
        }
    }
}

// A loop whose end does not meet its start clicks on every pass: the jump from the last value back
// to the first must be no larger than the steps inside the loop.
TEST(ModuleComposer, EveryLoopedSampleOfTheFourTunesJoinsSmoothly) {
    for (const module_tune& t : module_tunes) {
        const composition c = t.compose();
        for (const xmw_instrument& ins : c.module.instruments) {
            for (const xmw_sample& s : ins.samples) {
                if (s.loop == xmw_loop::none) continue;
                SCOPED_TRACE(std::string(t.title) + ": " + ins.name);
                ASSERT_GE(s.loop_length, 2u);
                ASSERT_LE(s.loop_start + s.loop_length, s.data.size());
                int largest_step = 0;
                for (uint32_t i = s.loop_start + 1; i < s.loop_start + s.loop_length; ++i) {
                    largest_step = std::max(largest_step, std::abs(s.data[i] - s.data[i - 1]));
                }
                const int join = std::abs(s.data[s.loop_start] - s.data[s.loop_start + s.loop_length - 1]);
                EXPECT_LE(join, largest_step + 1);
            }
        }
    }
}

TEST(ModuleComposer, PitchedSamplesHoldWholeCyclesOfMiddleC) {
    const float params[2] = {6.0f, 0.1f};
    const xmw_sample pluck = synth_additive(synth_shape_pluck, params, 24, 10, 1, 0.9f);
    EXPECT_EQ(pluck.relative_note, 24);
    EXPECT_EQ(pluck.data.size(), 10u * synth_cycle);
    EXPECT_EQ(pluck.loop_length, static_cast<uint32_t>(synth_cycle));
    EXPECT_EQ(pluck.loop_start, 9u * synth_cycle);
    // The fundamental: one rise through zero per pass of the settled loop (counting the wrap).
    int crossings = 0;
    for (uint32_t i = 0; i < pluck.loop_length; ++i) {
        const int16_t a = pluck.data[pluck.loop_start + i];
        const int16_t b = pluck.data[pluck.loop_start + (i + 1) % pluck.loop_length];
        crossings += a < 0 && b >= 0;
    }
    EXPECT_EQ(crossings, 1);
    const xmw_sample pad = synth_ensemble(8, 2, false, 0.8f);
    EXPECT_TRUE(pad.sixteen_bit);
    EXPECT_EQ(pad.loop_length % synth_cycle, 0u);
    int peak = 0;
    for (int16_t v : pad.data) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_NEAR(peak, 0.8 * 32767, 2.0);
}
