// The four background tunes as the magazine gets them: loaded by the module player, measured and
// played offline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <string>
#include <tuple>

#include "content/modules/module_check.h"
#include "content/modules/tune_data.h"
#include "xm/xm_loader.h"
#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

// Each tune has a title of its own and a composer for the credits (the same the
// table of tunes gives the ticker), loads with 8 to 32 channels (one of 16 or more) and loops, and one
// pass of its order list lasts at least two minutes. Every note at A-3 or above stays within the note
// bars' range (46-83), and several channels play there. Played through the mixer, the whole pass and
// its loop back stay clear of full scale, are loud enough on the whole, and have no silent stretch
// (every two seconds carry sound).
TEST(BackgroundTunes, CreditedLongEnoughInTheNoteBarsRangeAndPlayedCleanly) {
    std::set<std::string> titles;
    int widest = 0;
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        const magazine_tune& t = magazine_tunes[k];
        ASSERT_TRUE(t.title != nullptr && t.composer != nullptr && *t.title != 0 && *t.composer != 0);
        EXPECT_EQ(std::tuple(std::string(t.title), std::string(t.composer)),
                  std::tuple(module_tunes[k - 1].title, module_tunes[k - 1].composer));
        titles.insert(t.title);
        ASSERT_EQ(xm_load_from_memory(t.data, t.length), 1);
        xm_song& s = *xm_player_state.current_song;
        EXPECT_TRUE(xm_channel_count() >= 8 && xm_channel_count() <= 32);
        widest = std::max(widest, xm_channel_count());
        EXPECT_LT(s.restart_position, s.song_length);
        std::set<int> channels, notes;
        int above_bars = 0;
        for (int i = 0; i < s.song_length; ++i)
            for (int row = 0, p = s.order_table[static_cast<size_t>(i)]; row < xm_pattern_rows(s, p); ++row)
                for (int ch = 0; ch < s.channel_count; ++ch) {
                    const int note = xm_pattern_cell(s, p, row, ch)[0];
                    above_bars += note > 83 && note <= 96;
                    if (note >= 46 && note <= 83) {
                        channels.insert(ch);
                        notes.insert(note);
                    }
                }
        EXPECT_EQ(above_bars, 0);
        EXPECT_TRUE(channels.size() >= 4 && notes.size() >= 12) << channels.size() << " " << notes.size();
        const double seconds = module_pass_seconds(&s);
        EXPECT_GE(seconds, 120.0);
        EXPECT_LE(seconds, 240.0);
        // The whole pass and its loop back through the mixer.
        auto& st = xm_player_state;
        const size_t block_values = static_cast<size_t>(st.block_frames) * 2;
        const auto windows = static_cast<size_t>((seconds + 6.0) / 2.0);
        std::vector<double> squares(windows + 1, 0.0);
        int peak = 0;
        for (size_t at = 0; at < windows * 4 * xm_mix_rate;) {
            const int16_t* pcm = st.ring.data() + static_cast<size_t>(st.write_block) * block_values;
            xm_mix_block();
            for (size_t i = 0; i < block_values; ++i, ++at) {
                squares[at / (4u * xm_mix_rate)] += static_cast<double>(pcm[i]) * pcm[i];
                peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
            }
        }
        xm_stop_song(&s);
        xm_free();
        const double sum = std::accumulate(squares.begin(), squares.begin() + long(windows), 0.0);
        const double quietest = *std::min_element(squares.begin(), squares.begin() + long(windows));
        EXPECT_GT(std::sqrt(sum / (static_cast<double>(windows) * 4.0 * xm_mix_rate)), 2000.0);
        EXPECT_GT(std::sqrt(quietest / (4.0 * xm_mix_rate)), 400.0);
        EXPECT_LT(peak, 32000);  // clear of full scale, where a clipped sample would sit
    }
    EXPECT_EQ(titles.size(), 4u);
    EXPECT_GE(widest, 16);
}
