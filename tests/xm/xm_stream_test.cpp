// Memory files and the stream layer: bounded reads, clamped seeks, the all-or-nothing callback set.
#include <gtest/gtest.h>

#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"
#include "xm/xm_stream.h"

namespace {

TEST(xm_memory_stream, reads_and_seeks_stay_inside_the_source) {
    uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    xm_set_memory_source(data, sizeof data);
    xm_set_io(xm_memory_open, xm_memory_close, xm_memory_read, xm_memory_seek, xm_memory_tell);
    xm_stream* s = xm_stream_open("ignored", 0, 0);
    ASSERT_NE(s, nullptr);
    uint8_t out[16] = {0, 0, 0, 0, 0xAA};
    xm_stream_seek(s, 6, 0);
    EXPECT_EQ(xm_stream_read(s, out, 8), 4);  // past the end: only what remains
    EXPECT_EQ(std::tuple(out[3], out[4], xm_stream_tell(s)),
              std::tuple(9, 0xAA, 10)); // the rest keeps its bytes
    xm_stream_seek(s, 7, 0);
    EXPECT_EQ(xm_stream_read(s, out, 3), 3);  // exactly the remaining bytes
    EXPECT_EQ(xm_stream_read(s, out, 1), 0);  // nothing past the end
    EXPECT_EQ(xm_stream_read(s, out, -5), 0);

    // {offset, origin, position after}; each seek starts where the one before left off. Before the
    // start stops at 0 rather than letting a read copy from before the block; an unknown origin leaves
    // the position.
    const int cases[][3] = {{100, 0, 10}, {-3, 2, 7}, {2, 1, 9}, {-50, 1, 0},
                            {-1, 0, 0},   {4, 0, 4},  {1, 7, 4}};
    for (const auto& c : cases) {
        xm_stream_seek(s, c[0], c[1]);
        EXPECT_EQ(xm_stream_tell(s), c[2]) << c[0] << " from " << c[1];
    }
    EXPECT_EQ(xm_stream_read(s, out, 1), 1);
    EXPECT_EQ(out[0], 4);
    xm_stream_close(s);
}

TEST(xm_stream_layer, incomplete_or_failing_callbacks_give_no_stream) {
    xm_set_io(xm_memory_open, xm_memory_close, xm_memory_read, nullptr, xm_memory_tell);
    EXPECT_FALSE(xm_io_complete());
    EXPECT_EQ(xm_stream_open(nullptr, 0, 0), nullptr);
    // A loaded song cannot start without the callbacks.
    xm_song song{};
    song.default_bpm = 125;
    EXPECT_FALSE(xm_start_song(&song));
    EXPECT_FALSE(xm_prepare_song(&song));
    xm_stop_song(&song);

    xm_set_io([](const char*) -> void* { return nullptr; }, xm_memory_close, xm_memory_read, xm_memory_seek,
              xm_memory_tell);
    EXPECT_TRUE(xm_io_complete());
    EXPECT_EQ(xm_stream_open(nullptr, 0, 0), nullptr);
    xm_set_io(xm_memory_open, xm_memory_close, xm_memory_read, xm_memory_seek, xm_memory_tell);
}

}  // namespace
