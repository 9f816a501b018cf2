// skingen: the parameters give the magazine's button table, labels land inside their buttons, and
// bad parameters are rejected with their line.
#include <gtest/gtest.h>

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

std::vector<skingen_skin> shipped() {
    std::string source, error;
    std::vector<skingen_skin> skins;
    EXPECT_TRUE(tool_read_text(KV_SKIN_PARAMETERS, source));
    EXPECT_TRUE(skingen_parse(source, "skins.txt", skins, error)) << error;
    return skins;
}

// The side buttons the parameters paint are the ones the magazine hit-tests: its program data holds,
// after the pointer shape, each 'Grunge' button as x, y, w, h, state, glow, then each 'Carbon' one as x, y, w, h.
TEST(SkinParameters, ButtonsAreWhereTheMagazineHitTestsThem) {
    std::vector<skingen_skin> skins = shipped();
    ASSERT_EQ(skins.size(), 2u);
    program_data_rewind();
    build_pointer_images();
    for (size_t n = 0; n < 2; ++n) {
        for (size_t i = 1; i <= 10; ++i) {
            const skingen_rect r = skins[n].buttons[i].rect;
            const int32_t x = program_data_read(), y = program_data_read(), w = program_data_read(), h = program_data_read();
            EXPECT_EQ(std::tuple(r.x, r.y, r.w, r.h), std::tuple(x, y, w, h)) << skins[n].name << " button " << i;
            if (n == 0) program_data_read(), program_data_read();
        }
    }
    EXPECT_EQ(program_data_remaining(), 0);
}

TEST(SkinPainting, LabelsLieInsideTheirButtonsAndTheBuildCarriesThePainting) {
    std::vector<skingen_skin> skins = shipped();
    ASSERT_EQ(skins.size(), static_cast<size_t>(skin_count));
    for (size_t n = 0; n < skins.size(); ++n) {
        const skingen_skin& skin = skins[n];
        std::vector<float> rgb, again;
        std::array<skingen_rect, 11> ink, ink_again;
        skingen_paint(skin, text_font_data, rgb, ink);
        for (size_t i = 1; i <= 10; ++i) {
            skingen_rect r = skin.buttons[i].rect, k = ink[i];
            EXPECT_GE(k.w, 2) << skin.name << " button " << i << " has a label";
            EXPECT_GE(k.h, 4) << skin.name << " button " << i << " has a label";
            EXPECT_GE(k.x, r.x + 1) << skin.name << " button " << i;
            EXPECT_GE(k.y, r.y) << skin.name << " button " << i;
            EXPECT_LE(k.x + k.w, r.x + r.w - 1) << skin.name << " button " << i;
            EXPECT_LE(k.y + k.h, r.y + r.h) << skin.name << " button " << i;
        }
        skingen_paint(skin, text_font_data, again, ink_again);
        EXPECT_EQ(rgb, again) << "the build must paint the same picture every time";
        std::vector<unsigned char> stored = skingen_quantize(rgb);
        ASSERT_EQ(stored.size(), static_cast<size_t>(skingen_stored_bytes));
        EXPECT_EQ(stored.back(), 0) << "the last pixel is black, so the picture ends on a zero byte";
        // What the program carries is exactly this painting, after the emitter and the compiler.
        EXPECT_EQ(std::memcmp(stored.data(), skin_images[n], stored.size()), 0) << skin.name;
    }
}

TEST(SkinPainting, EmitterEndsEachLiteralOnTheTerminatingZero) {
    std::vector<unsigned char> a(static_cast<size_t>(skingen_stored_bytes), 0), b = a;
    a[0] = '"';
    a[1] = '\\';
    a[2] = 200;
    a[3] = '7';
    b.back() = 5;  // not zero: emitted as numbers instead
    std::string cpp = skingen_emit_cpp({a, b});
    // Quote, backslash and bytes outside printable ASCII become three-digit octal escapes, so a
    // following digit can never extend them.
    EXPECT_NE(cpp.find(R"(    "\042\134\3107\000)"), std::string::npos);
    EXPECT_NE(cpp.find(",5,},\n};"), std::string::npos);
}

TEST(SkinParameters, BadLinesAreRejectedWithTheirLine) {
    struct bad_case {
        const char* source;
        const char* says;
    };
    const bad_case cases[] = {
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
    for (const bad_case& c : cases) {
        std::vector<skingen_skin> skins;
        std::string error;
        EXPECT_FALSE(skingen_parse(c.source, "skins.txt", skins, error)) << c.source;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.source << " -> " << error;
    }
}

}  // namespace
