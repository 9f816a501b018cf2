// The four background tunes as the magazine gets them: loaded by the module player, played offline.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "content/modules/tune_data.h"
#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

// Entry 0 is empty; each tune has a title of its own and a composer for the credits, loads with 8 to 16
// channels and loops, one pass lasts 30 to 90 seconds, several channels
// play notes 46-83 (the range that moves the magazine's note bars), and twelve seconds through the
// mixer are loud throughout without a clipped sample.
TEST(BackgroundTunes, CreditedLoadLoopMoveTheBarsAndPlayAudibleAndUnclipped) {
    EXPECT_EQ(magazine_tunes[0].data, nullptr);
    std::set<std::string> titles;
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        const magazine_tune& t = magazine_tunes[k];
        ASSERT_TRUE(t.title != nullptr && t.composer != nullptr && *t.title != 0 && *t.composer != 0);
        titles.insert(t.title);
        ASSERT_EQ(xm_load_from_memory(t.data, t.length), 1);
        xm_song& s = *xm_player_state.current_song;
        EXPECT_TRUE(xm_channel_count() >= 8 && xm_channel_count() <= 16);
        EXPECT_TRUE(s.flags & 1);
        EXPECT_LT(s.restart_position, s.song_length);
        int rows = 0;
        std::set<int> channels, notes;
        for (int i = 0; i < s.song_length; ++i) {
            const int p = s.order_table[static_cast<size_t>(i)];
            rows += xm_pattern_rows(s, p);
            for (int row = 0; row < xm_pattern_rows(s, p); ++row)
                for (int ch = 0; ch < s.channel_count; ++ch)
                    if (const int note = xm_pattern_cell(s, p, row, ch)[0]; note >= 46 && note <= 83) {
                        channels.insert(ch);
                        notes.insert(note);
                    }
        }
        // The tunes change neither speed nor BPM as they play.
        const double seconds = rows * s.default_tempo * 2.5 / s.default_bpm;
        EXPECT_TRUE(seconds >= 30.0 && seconds <= 90.0) << seconds;
        EXPECT_TRUE(channels.size() >= 3 && notes.size() >= 8);

        ASSERT_TRUE(xm_prepare_song(&s));
        auto& st = xm_player_state;
        const size_t block_values = static_cast<size_t>(st.block_frames) * 2;
        std::vector<double> second_squares(12, 0.0);  // sums of squares of each second's stereo values
        int peak = 0;
        for (size_t b = 0, at = 0; b < 12u * xm_mix_rate / static_cast<size_t>(st.block_frames); ++b) {
            const int16_t* pcm = st.ring.data() + static_cast<size_t>(st.write_block) * block_values;
            xm_mix_block();
            for (size_t i = 0; i < block_values; ++i, ++at) {
                second_squares[std::min<size_t>(at / (2u * xm_mix_rate), 11)] += static_cast<double>(pcm[i]) * pcm[i];
                peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
            }
        }
        xm_stop_song(&s);
        xm_free();
        double sum = 0.0;
        int loud_seconds = 0;
        for (double q : second_squares) {
            sum += q;
            loud_seconds += std::sqrt(q / (2.0 * xm_mix_rate)) > 500.0;
        }
        EXPECT_GT(std::sqrt(sum / (24.0 * xm_mix_rate)), 1500.0);
        EXPECT_LT(peak, 32767);       // a clipped sample would sit at the limit
        EXPECT_GE(loud_seconds, 10);  // no silent stretch after the first seconds
    }
    EXPECT_EQ(titles.size(), 4u);
}
