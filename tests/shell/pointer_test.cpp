// The pointer images drawn from the program data, clipped at the frame.
#include <gtest/gtest.h>

#include "render/framebuffer.h"
#include "shell/magazine/pointer.h"
#include "shell/magazine/program_data.h"
#include "shell/magazine/shell_state.h"

TEST(Pointer, DrawnInTheCornerWithinTheFrameAndSkippingTransparency) {
    program_data_rewind();
    build_pointer_images();
    clear_framebuffer(0x777777);
    shell_state.pointer_kind = 2;
    draw_pointer(789, 589);
    EXPECT_EQ(frame_pixel(789, 589), 0x221100u);
    EXPECT_EQ(frame_pixel(795, 599), 0x221100u);  // row 10, column 6 ends at the bottom row
    EXPECT_EQ(frame_pixel(799, 589), 0x777777u);  // transparent cell keeps the background
    EXPECT_EQ(frame_pixel(799, 595), 0x221100u);  // row 6, column 10 is the last column
    shell_state.pointer_kind = 1;
    clear_framebuffer(0x777777);
    draw_pointer(0, 100);  // outside 0 < x < 792
    draw_pointer(100, 592);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) ASSERT_EQ(frame_pixel(x, y), 0x777777u);
    // At the edge of the allowed range the image is cut at the frame instead of wrapping into the next row.
    draw_pointer(791, 591);
    EXPECT_EQ(frame_pixel(791, 591), 0x111133u);
    EXPECT_EQ(frame_pixel(0, 592), 0x777777u);
}

TEST(FrameDeath, DrawingOutsideTheFrameStopsDebugBuilds) {
#ifdef NDEBUG
    GTEST_SKIP() << "the frame check exists in debug builds only";
#else
    clear_framebuffer(0);
    EXPECT_DEBUG_DEATH(frame_pixel(800, 0) = 1, "outside the frame");
    EXPECT_DEBUG_DEATH(frame_pixel(0, 600) = 1, "outside the frame");
    EXPECT_DEBUG_DEATH(frame_pixel(-1, 10) = 1, "outside the frame");
#endif
}
