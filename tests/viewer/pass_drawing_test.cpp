// What one magazine pass draws where, in worked colours over the fixture skins: the scroll-bar thumb
// along a long page in both skins, the active buttons, the menu's marker boxes and divider bars, and the
// pointer drawn last, over everything else.

#include "tests/shell/magazine_fixture.h"

namespace {
constexpr uint32_t grey = 0x404040, blue = 0x4040BF;  // the fixture skins' backgrounds
}  // namespace

using PassDrawing = magazine_test;

TEST_F(PassDrawing, EachPartLandsWhereAndInTheColourItShould) {
    // {skin, top_line on page 4, scroll glow, marked entry, pointer x, pointer y}
    const int scenes[][6] = {
        {1, 0, 0, 0, 780, 196},        // 0: thumb at the top, active buttons, no marker, dividers; the
                                       //    pointer over the thumb
        {1, 400, 0, 0, 400, 400},      // 1: thumb in the middle
        {1, 1358, 125, 11, 400, 400},  // 2: thumb at the end, glowing; entry 11 marks left row 1
        {2, 0, 125, 0, 400, 400},      // 3: 'Carbon': thumb at the top, glowing; active buttons
        {2, 1358, 0, 0, 400, 400},     // 4: 'Carbon': thumb at the end
        {1, 0, 0, 20, 380, 110},       // 5: entry 20 marks right row 4; the hover pointer on a menu row
        {1, 0, 0, 21, 789, 589}};      // 6: index 21 marks right row 5; the pointer in the corner, cut
    // {scene, x, y, colour after its pass}. Thumb rows y to y + 19, y = 195 + nearest(361 / 1358 x
    // top_line): 195, 301, 556. Marker boxes: 245 x 10 from y = 60 + 12 (row - 1); the idle row boxes
    // start a row lower. Divider bars: rainbow from x 144 to 651 on rows 56-58 and 121-123; at phase 0
    // its first pixel is (125, round(124 sin 0.96 + 125), round(124 sin 2.47 + 125)) on the middle row,
    // (65, round(64 sin 0.96 + 65), round(64 sin 2.47 + 65)) on the rows around it.
    const std::tuple<int, int, int, uint32_t> pixels[] = {
        {0, 779, 195, 0x4B5A7A}, {0, 787, 214, 0x4B5A7A}, {0, 778, 195, grey},     {0, 788, 214, grey},
        {0, 779, 194, grey},     {0, 787, 215, grey},     {0, 35, 90, 0x5D422A},   {0, 123, 109, 0x5D422A},
        {0, 34, 90, grey},       {0, 9, 132, 0x5D422A},   {0, 35, 65, grey},       {0, 390, 60, grey},
        {0, 390, 65, 0x484848},  {0, 390, 72, grey},      {0, 144, 57, 0x7DE3CA},  {0, 144, 56, 0x417569},
        {0, 144, 58, 0x417569},  {0, 144, 122, 0x7DE3CA}, {0, 651, 121, 0x056D58}, {0, 651, 57, 0x09D2A9},
        {0, 652, 57, grey},      {0, 143, 122, grey},     {0, 781, 196, 0x111133}, {0, 781, 197, 0x8888AA},
        {0, 782, 197, 0xCCCCEE}, {0, 780, 205, 0x4B5A7A}, {1, 779, 301, 0x4B5A7A}, {1, 779, 300, grey},
        {1, 787, 321, grey},     {2, 779, 556, 0x576BA0}, {2, 787, 575, 0x576BA0}, {2, 779, 555, grey},
        {2, 779, 576, grey},     {2, 390, 60, 0x6F4C4C},  {2, 390, 65, 0x755151},  {2, 393, 70, 0x755151},
        {2, 390, 71, 0x484848},  {2, 394, 65, grey},      {3, 783, 195, 0x4F77E5}, {3, 792, 214, 0x4F77E5},
        {3, 782, 195, blue},     {3, 793, 195, blue},     {3, 25, 97, 0x4D5FD4},   {3, 101, 116, 0x4D5FD4},
        {3, 25, 73, blue},       {4, 783, 556, 0x3B5AD1}, {4, 792, 575, 0x3B5AD1}, {4, 783, 555, blue},
        {5, 646, 96, 0x6F4C4C},  {5, 390, 60, grey},      {5, 381, 110, 0x221100}, {5, 382, 111, 0xFFEEAA},
        {5, 380, 119, 0x515161}, {6, 646, 108, 0x6F4C4C}, {6, 647, 117, 0x755151}, {6, 799, 595, 0x111133},
        {6, 795, 599, 0x111133}, {6, 799, 589, grey}};
    load_page(4);
    for (int scene = 0; scene < 7; ++scene) {
        const auto& [skin, top_line, glow, marked, mouse_x, mouse_y] = scenes[scene];
        shell_state.current_skin = skin;
        shell_state.top_line = top_line;
        shell_state.scroll_glow = glow;
        clear_entry_marks();
        viewer_state.entry_marked[static_cast<size_t>(marked)] = marked ? 1 : 0;
        set_pointer(mouse_x, mouse_y);
        shell_state.colour_phase = 0.0;
        ASSERT_TRUE(magazine_pass());
        for (const auto& [in, x, y, colour] : pixels)
            if (in == scene) {
                EXPECT_EQ(frame_pixel(x, y) & 0xFFFFFF, colour) << scene << ": " << x << "," << y;
            }
    }
}
