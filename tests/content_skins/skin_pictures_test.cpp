// The built skin pictures are black or dark wherever the magazine draws over them (text window,
// menu, ticker, note bars) and paint the scroll groove under the drag zone.
#include <gtest/gtest.h>

#include <algorithm>

#include "content/skins/skin_data.h"

namespace {

int brightest(int skin, int x, int y) {
    const unsigned char* img = skin_images[skin];
    const size_t k = img[768 + static_cast<size_t>(y * 800 + x)] * size_t{3};
    return std::max({img[k], img[k + 1], img[k + 2]});
}
// Highest channel value in the inclusive rectangle.
int brightest_in(int skin, int x0, int y0, int x1, int y1) {
    int m = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) m = std::max(m, brightest(skin, x, y));
    }
    return m;
}

// Per skin ('Grunge', 'Carbon'), where the magazine draws: last text row, note-bar shift, drag-zone shift.
constexpr int band_bottom[] = {569, 570}, bar_shift[] = {0, 2}, zone_shift[] = {0, 5};

TEST(SkinPictures, DarkWhereTheMagazineDrawsAndAGrooveUnderTheDragZone) {
    for (int s = 0; s < skin_count; ++s) {
        // Spaces and column 0 draw nothing, rule bars run over columns 20..770, wipes start at row 192.
        EXPECT_EQ(brightest_in(s, 20, 192, 770, band_bottom[s]), 0) << "text window, skin " << s;
        EXPECT_LE(brightest_in(s, 146, 40, 649, 131), 60) << "menu and ticker, skin " << s;
        EXPECT_LE(brightest_in(s, 158, 133 + bar_shift[s], 636, 147 + bar_shift[s]), 40) << "note bars, skin " << s;
        int black = 0, lit = 0;
        for (int y = 201; y <= 560; ++y) {
            for (int x = 776 + zone_shift[s]; x <= 790 + zone_shift[s]; ++x) {
                black += brightest(s, x, y) == 0;
                lit += brightest(s, x, y) > 120;
            }
        }
        EXPECT_LT(black, 15 * 360 / 10) << "the groove is painted, not left as the black window";
        EXPECT_LT(lit, 15 * 360 / 10) << "the groove is dark enough for the thumb to show";
    }
}

}  // namespace
