// The skins: dark ground wherever the magazine draws over them, a groove under the drag zone, painted
// buttons where the magazine hit-tests them with their labels inside, the program carrying exactly that
// painting, and bad parameters refused with their line.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "content/fonts/text_font.h"
#include "content/skins/skin_data.h"
#include "shell/magazine/pointer.h"
#include "shell/magazine/program_data.h"
#include "tools/skingen/skingen.h"
#include "tools/toolkit/tool_io.h"

namespace {

TEST(SkinPainting, ButtonsWhereTheMagazineHitTestsThemWithTheirLabelsInside) {
    std::string source, error;
    std::vector<skingen_skin> skins;
    ASSERT_TRUE(tool_read_text(KV_SKIN_PARAMETERS, source));
    ASSERT_TRUE(skingen_parse(source, "skins.txt", skins, error)) << error;
    ASSERT_EQ(skins.size(), static_cast<size_t>(skin_count));
    // The program data holds, after the pointer shape, each 'Grunge' button as x, y, w, h, state,
    // glow, then each 'Carbon' one as x, y, w, h.
    program_data_rewind();
    build_pointer_images();
    for (size_t n = 0; n < skins.size(); ++n) {
        for (size_t i = 1; i <= 10; ++i) {
            const skingen_rect r = skins[n].buttons[i].rect;
            const int32_t x = program_data_read(), y = program_data_read(), w = program_data_read(), h = program_data_read();
            EXPECT_EQ(std::tuple(r.x, r.y, r.w, r.h), std::tuple(x, y, w, h)) << skins[n].name << " button " << i;
            if (n == 0) program_data_read(), program_data_read();
        }
        std::vector<float> rgb;
        std::array<skingen_rect, 11> ink;
        skingen_paint(skins[n], text_font_data, rgb, ink);
        for (size_t i = 1; i <= 10; ++i) {
            const skingen_rect r = skins[n].buttons[i].rect, k = ink[i];
            EXPECT_TRUE(k.w >= 2 && k.h >= 4 && k.x > r.x && k.y >= r.y && k.x + k.w < r.x + r.w && k.y + k.h <= r.y + r.h)
                << skins[n].name << " button " << i << ": label outside its button";
        }
        std::vector<unsigned char> stored = skingen_quantize(rgb);
        ASSERT_EQ(stored.size(), static_cast<size_t>(skingen_stored_bytes));
        EXPECT_EQ(std::memcmp(stored.data(), skin_images[n], stored.size()), 0) << skins[n].name << " as painted";
    }
}

TEST(SkinParameters, BadLinesAreRejectedWithTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"skin A grunge\nbutton 11 X 1 1 9 9\n", "skins.txt:2: button number 11"},
        {"skin A grunge\nbutton 1 X 795 1 9 9\n", "skins.txt:2: button rectangle"},
        {"skin A grunge\nbutton 1 X 1 1 9\n", "skins.txt:2: 'button' needs"},
        {"skin A velvet\n", "skins.txt:1: look 'velvet'"},
        {"band 193 569\n", "skins.txt:1: 'band' comes before"},
        {"skin A grunge\nband 193 x\n", "skins.txt:2: 'x' is not a number"},
        {"skin A grunge\nscrollbar 779 8 9\n", "skins.txt:2: drag zone shift 9"},
        {"skin A grunge\nglow 3\n", "skins.txt:2: unknown line 'glow'"},
        {"skin A grunge\nband 193 569\nticker 123\nscrollbar 779 8 0\n", "has no button 1"},
        {"# nothing\n", "no 'skin' line"},
    };
    for (const auto& [source, says] : cases) {
        std::vector<skingen_skin> skins;
        std::string error;
        EXPECT_FALSE(skingen_parse(source, "skins.txt", skins, error)) << source;
        EXPECT_NE(error.find(says), std::string::npos) << source << " -> " << error;
    }
}

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
