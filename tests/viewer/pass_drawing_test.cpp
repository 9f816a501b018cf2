// What one magazine pass draws where, in worked colours over the fixture skins: the scroll-bar thumb
// along a long page in both skins, the active buttons, the menu's marker boxes and divider bars, and the
// pointer drawn last, over everything else.

#include "tests/shell/magazine_fixture.h"

namespace {
constexpr uint32_t grey = 0x404040, blue = 0x4040BF;  // the fixture skins' backgrounds

struct pass_case {
    const char* what;
    int skin, top_line, glow, marked, mouse_x, mouse_y;
    std::vector<std::tuple<int, int, uint32_t>> pixels;  // x, y, colour after the pass
};
}  // namespace

TEST(PassDrawing, EachPartLandsWhereAndInTheColourItShould) {
    // Thumb rows y to y + 19, y = 195 + nearest(361 / 1358 x top_line) on page 4: 195, 301, 556.
    // Marker boxes: 245 x 10 from y = 60 + 12 (row - 1); the idle row boxes start a row lower.
    const pass_case cases[] = {
        {"grunge thumb at the top",
         1,
         0,
         0,
         0,
         400,
         400,
         {{779, 195, 0x4B5A7A},
          {787, 214, 0x4B5A7A},
          {778, 195, grey},
          {788, 214, grey},
          {779, 194, grey},
          {787, 215, grey}}},
        {"grunge thumb in the middle",
         1,
         400,
         0,
         0,
         400,
         400,
         {{779, 301, 0x4B5A7A}, {779, 300, grey}, {787, 321, grey}}},
        {"grunge thumb at the end, glowing",
         1,
         1358,
         125,
         0,
         400,
         400,
         {{779, 556, 0x576BA0}, {787, 575, 0x576BA0}, {779, 555, grey}, {779, 576, grey}}},
        {"carbon thumb at the top, glowing",
         2,
         0,
         125,
         0,
         400,
         400,
         {{783, 195, 0x4F77E5}, {792, 214, 0x4F77E5}, {782, 195, blue}, {793, 195, blue}}},
        {"carbon thumb in the middle",
         2,
         400,
         0,
         0,
         400,
         400,
         {{783, 301, 0x3B5AD1}, {792, 320, 0x3B5AD1}, {783, 321, blue}}},
        {"carbon thumb at the end",
         2,
         1358,
         0,
         0,
         400,
         400,
         {{783, 556, 0x3B5AD1}, {792, 575, 0x3B5AD1}, {783, 555, blue}}},
        {"active articles and tune 1 buttons",
         1,
         0,
         0,
         0,
         400,
         400,
         {{35, 90, 0x5D422A}, {123, 109, 0x5D422A}, {34, 90, grey}, {9, 132, 0x5D422A}, {35, 65, grey}}},
        {"active buttons in carbon",
         2,
         0,
         0,
         0,
         400,
         400,
         {{25, 97, 0x4D5FD4}, {101, 116, 0x4D5FD4}, {25, 73, blue}}},
        {"no marker", 1, 0, 0, 0, 400, 400, {{390, 60, grey}, {390, 65, 0x484848}, {390, 72, grey}}},
        {"entry 11 marked: left row 1",
         1,
         0,
         0,
         11,
         400,
         400,
         {{390, 60, 0x6F4C4C},
          {390, 65, 0x755151},
          {393, 70, 0x755151},
          {390, 71, 0x484848},
          {394, 65, grey}}},
        {"entry 20 marked: right row 4", 1, 0, 0, 20, 400, 400, {{646, 96, 0x6F4C4C}, {390, 60, grey}}},
        {"index 21 marks right row 5", 1, 0, 0, 21, 400, 400, {{646, 108, 0x6F4C4C}, {647, 117, 0x755151}}},
        {"divider bars: rainbow from x 144 to 651 on rows 56-58 and 121-123",
         1,
         0,
         0,
         0,
         400,
         400,
         {{144, 57, 0x7DE3CA},
          {144, 56, 0x417569},
          {144, 58, 0x417569},
          {144, 122, 0x7DE3CA},
          {651, 121, 0x056D58},
          {651, 57, 0x09D2A9},
          {652, 57, grey},
          {143, 122, grey}}},
        {"pointer over the thumb",
         1,
         0,
         0,
         0,
         780,
         196,
         {{781, 196, 0x111133}, {781, 197, 0x8888AA}, {782, 197, 0xCCCCEE}, {780, 205, 0x4B5A7A}}},
        {"hover pointer over a hovered menu row",
         1,
         0,
         0,
         0,
         380,
         110,
         {{381, 110, 0x221100}, {382, 111, 0xFFEEAA}, {380, 119, 0x515161}}},
        {"pointer in the bottom-right corner",
         1,
         0,
         0,
         0,
         789,
         589,
         {{799, 595, 0x111133}, {795, 599, 0x111133}, {799, 589, grey}}},
    };
    fixture_pages pages;
    set_up_magazine(pages, issue_line_counts());
    load_page(4);
    for (const pass_case& c : cases) {
        auto& s = shell_state;
        s.current_skin = c.skin;
        s.top_line = c.top_line;
        s.scroll_glow = c.glow;
        clear_entry_marks();
        viewer_state.entry_marked[static_cast<size_t>(c.marked)] = c.marked ? 1 : 0;
        s.mouse_x = c.mouse_x;
        s.mouse_y = c.mouse_y;
        s.colour_phase = 0.0;
        ASSERT_TRUE(magazine_pass());
        for (const auto& [x, y, colour] : c.pixels)
            EXPECT_EQ(frame_pixel(x, y) & 0xFFFFFF, colour) << c.what << " at " << x << "," << y;
    }
}
