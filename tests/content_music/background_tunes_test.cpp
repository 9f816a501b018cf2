// The four background tunes as the magazine gets them: loaded by the module player, played offline.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "content/modules/tune_data.h"
#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

namespace {

struct loaded {
    loaded(int k) { ok = xm_load_from_memory(magazine_tunes[k].data, magazine_tunes[k].length) == 1; }
    ~loaded() { xm_free(); }
    bool ok = false;
    xm_song& song() const { return *xm_player_state.current_song; }
};

// Seconds one pass of the order list lasts (the tunes change neither speed nor BPM as they play).
double pass_seconds(const xm_song& s) {
    int rows = 0;
    for (int i = 0; i < s.song_length; ++i) rows += xm_pattern_rows(s, s.order_table[static_cast<size_t>(i)]);
    return rows * s.default_tempo * 2.5 / s.default_bpm;
}

}  // namespace

TEST(BackgroundTunes, CreditsAreSetAndEntryZeroIsEmpty) {
    EXPECT_EQ(magazine_tunes[0].data, nullptr);
    std::set<std::string> titles;
    for (int k = 1; k <= 4; ++k) {
        ASSERT_NE(magazine_tunes[k].data, nullptr);
        ASSERT_NE(magazine_tunes[k].title, nullptr);
        ASSERT_NE(magazine_tunes[k].composer, nullptr);
        EXPECT_GT(std::strlen(magazine_tunes[k].title), 0u);
        EXPECT_GT(std::strlen(magazine_tunes[k].composer), 0u);
        titles.insert(magazine_tunes[k].title);
    }
    EXPECT_EQ(titles.size(), 4u);
}

TEST(BackgroundTunes, LoadWithEightToSixteenChannelsAndLastHalfAMinuteOrMore) {
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        loaded t(k);
        ASSERT_TRUE(t.ok);
        EXPECT_GE(xm_channel_count(), 8);
        EXPECT_LE(xm_channel_count(), 16);
        EXPECT_TRUE(t.song().flags & 1);
        EXPECT_LT(t.song().restart_position, t.song().song_length);
        const double seconds = pass_seconds(t.song());
        EXPECT_GE(seconds, 30.0);
        EXPECT_LE(seconds, 90.0);
    }
}

// The note bars move for notes 46-83: several channels of every tune must play there.
TEST(BackgroundTunes, SeveralChannelsPlayNotesThatMoveTheBars) {
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        loaded t(k);
        ASSERT_TRUE(t.ok);
        const xm_song& s = t.song();
        std::set<int> channels;
        std::set<int> notes;
        for (int i = 0; i < s.song_length; ++i) {
            const int p = s.order_table[static_cast<size_t>(i)];
            for (int row = 0; row < xm_pattern_rows(s, p); ++row) {
                for (int ch = 0; ch < s.channel_count; ++ch) {
                    const int note = xm_pattern_cell(s, p, row, ch)[0];
                    if (note >= 46 && note <= 83) {
                        channels.insert(ch);
                        notes.insert(note);
                    }
                }
            }
        }
        EXPECT_GE(channels.size(), 3u);
        EXPECT_GE(notes.size(), 8u);
    }
}

TEST(BackgroundTunes, PlayAudibleAndUnclippedThroughTheMixer) {
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        loaded t(k);
        ASSERT_TRUE(t.ok);
        ASSERT_TRUE(xm_prepare_song(&t.song()));
        auto& st = xm_player_state;
        const int frames_per_block = st.block_frames;
        const int blocks = 12 * xm_mix_rate / frames_per_block;  // twelve seconds
        double sum = 0.0;
        long count = 0;
        int peak = 0;
        int loud_seconds = 0;
        double second_sum = 0.0;
        long second_count = 0;
        for (int b = 0; b < blocks; ++b) {
            const int16_t* pcm = st.ring.data() + static_cast<size_t>(st.write_block) * frames_per_block * 2;
            xm_mix_block();
            for (int i = 0; i < frames_per_block * 2; ++i) {
                const double v = pcm[i];
                sum += v * v;
                second_sum += v * v;
                ++count;
                ++second_count;
                peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
            }
            if (second_count >= 2L * xm_mix_rate) {  // one second of stereo values
                loud_seconds += std::sqrt(second_sum / static_cast<double>(second_count)) > 500.0;
                second_sum = 0.0;
                second_count = 0;
            }
        }
        xm_stop_song(&t.song());
        const double rms = std::sqrt(sum / static_cast<double>(count));
        EXPECT_GT(rms, 1500.0);
        EXPECT_LT(peak, 32767);  // a clipped sample would sit at the limit
        EXPECT_GE(loud_seconds, 10);  // no silent stretch after the first seconds
    }
}
