// The built skin pictures: stored form, and dark or black exactly where the magazine draws text,
// menus, the ticker and the note bars over them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "content/skins/skin_data.h"

namespace {

struct rgb {
    int r, g, b;
};

rgb pixel(int skin, int x, int y) {
    const unsigned char* img = skin_images[skin];
    size_t k = img[768 + static_cast<size_t>(y) * 800 + static_cast<size_t>(x)];
    return {img[k * 3], img[k * 3 + 1], img[k * 3 + 2]};
}

int brightest(rgb c) { return std::max({c.r, c.g, c.b}); }

// Highest channel value found in the inclusive rectangle.
int brightest_in(int skin, int x0, int y0, int x1, int y1) {
    int m = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) m = std::max(m, brightest(pixel(skin, x, y)));
    return m;
}

// Per skin ('Grunge', 'Carbon'): last text row, note-bar shift, drag-zone shift.
constexpr std::array<int, 2> band_bottom{569, 570};
constexpr std::array<int, 2> bar_shift{0, 2};
constexpr std::array<int, 2> zone_shift{0, 5};

TEST(SkinPictures, StoredFormIsPaletteThenIndices) {
    static_assert(sizeof skin_images == 2 * (768 + 800 * 600));
    for (int s = 0; s < skin_count; ++s) {
        const unsigned char* img = skin_images[s];
        EXPECT_EQ(img[0] + img[1] + img[2], 0) << "index 0 is black";
        // Only index 0 is black; every index a pixel uses is a painted palette entry.
        std::array<bool, 256> used{};
        for (size_t i = 0; i < 800 * 600; ++i) used[img[768 + i]] = true;
        int entries = 0;
        for (size_t k = 1; k < 256; ++k) {
            if (!used[k]) continue;
            ++entries;
            EXPECT_GT(img[k * 3] + img[k * 3 + 1] + img[k * 3 + 2], 0) << "skin " << s << " entry " << k;
        }
        EXPECT_GT(entries, 128) << "a painted picture uses most of its palette";
    }
    EXPECT_NE(0, std::memcmp(skin_images[0], skin_images[1], 768)) << "the skins differ";
}

TEST(SkinPictures, TextWindowIsBlackWhereverTextAndRulesGo) {
    // Spaces and the empty column 0 draw nothing, rule bars run from column 20 to 770, wipes start
    // at row 192: all of that must already be black in the picture.
    for (int s = 0; s < skin_count; ++s) {
        EXPECT_EQ(brightest_in(s, 20, 192, 770, band_bottom[static_cast<size_t>(s)]), 0) << "skin " << s;
    }
}

TEST(SkinPictures, MenuTickerAndBarsSitOnDarkGround) {
    for (int s = 0; s < skin_count; ++s) {
        size_t i = static_cast<size_t>(s);
        // Menu text and hover boxes: the clip rectangle of the menu, minus the note-bar well.
        EXPECT_LE(brightest_in(s, 146, 40, 649, 130), 60) << "skin " << s;
        // Note bars: columns 158..636, rows 133..147 moved down by the skin's shift.
        EXPECT_LE(brightest_in(s, 158, 133 + bar_shift[i], 636, 147 + bar_shift[i]), 40) << "skin " << s;
        // The ticker's letters run between the lower divider and the top of the well.
        EXPECT_LE(brightest_in(s, 146, 124, 649, 131), 60) << "skin " << s;
    }
}

TEST(SkinPictures, ScrollTrackIsPaintedUnderTheDragZone) {
    for (int s = 0; s < skin_count; ++s) {
        int o = zone_shift[static_cast<size_t>(s)];
        int black = 0, lit = 0;
        for (int y = 201; y <= 560; ++y)
            for (int x = 776 + o; x <= 790 + o; ++x) {
                int b = brightest(pixel(s, x, y));
                black += b == 0;
                lit += b > 120;
            }
        EXPECT_LT(black, 15 * 360 / 10) << "the groove is drawn, not left as the black window";
        EXPECT_LT(lit, 15 * 360 / 10) << "the groove is dark enough for the thumb to show";
    }
}

}  // namespace
