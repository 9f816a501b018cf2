// Skins and music: the skin backgrounds and keys, the music buttons, the ticker and the note bars.

#include "tests/shell/magazine_fixture.h"
#include "tools/xmwriter/xmwriter.h"
#include "xm/xm_player.h"

namespace {
class SkinsMusic : public magazine_test {
protected:
    void TearDown() override {
        xm_stop();
        xm_free();
    }
};

// A three-channel module whose first row holds note 46, note 45 and a key-off.
std::vector<uint8_t> first_row_module() {
    xmw_module m;
    m.channels = 3;
    xmw_pattern p;
    p.rows = 4;
    xmw_set(p, 3, 0, 0, {46, 1, 0, 0, 0});
    xmw_set(p, 3, 0, 1, {45, 1, 0, 0, 0});
    xmw_set(p, 3, 0, 2, {97, 0, 0, 0, 0});
    m.patterns.push_back(p);
    xmw_instrument instrument;
    instrument.samples.push_back({});
    instrument.samples.back().data.assign(32, 40);
    m.instruments.push_back(instrument);
    return xmw_build(m);
}
}  // namespace

TEST_F(SkinsMusic, BackgroundsGoThroughThePalettesAndF1F2InOneFrameLeaveCarbon) {
    for (int keys : {2, 1}) {  // F1 and F2 in one frame, then F1 alone
        strike_key(vk_f1);
        if (keys == 2) strike_key(vk_f1 + 1);
        handle_buttons();
        EXPECT_EQ(shell_state.current_skin, keys);
        copy_skin_background();
        EXPECT_EQ(frame_pixel(400, 300), keys == 2 ? 0x4040BFu : 0x404040u);
    }
    // A partial render moves only its rectangle, and nothing outside the frame is touched.
    viewer_state.skin_indices[0][0] = 0x10;
    render_skin_backgrounds(0, 0, 0, 0, 799, 599);
    render_skin_backgrounds(-5, -5, 20, 20, -3, -3);
    copy_skin_background();
    EXPECT_EQ(frame_pixel(799, 599), 0x101010u);
    EXPECT_EQ(frame_pixel(798, 599), 0x404040u);
    EXPECT_EQ(frame_pixel(2, 2), 0x101010u);  // source (0, 0)
    EXPECT_EQ(frame_pixel(1, 1), 0x404040u);  // its source lies outside the picture: left alone
}

TEST_F(SkinsMusic, TickerLinesCarryTheCreditWrapToTheHelpLineAndShowTheirLastCharacters) {
    magazine_tune tunes[5] = {{}, {nullptr, 0, "Alpha", "Ann"}, {nullptr, 0, "B", "C"}, {}, {}};
    build_ticker_lines(tunes);
    EXPECT_EQ(viewer_state.ticker_line[5].size(), 139u);
    EXPECT_EQ(viewer_state.ticker_line[1], viewer_state.ticker_line[5] + "Alpha composed by Ann....");
    // Its motion, a pixel a frame, is the wipe test's to check. Past the end of the line it starts again
    // with the help line's spaces, on the tenth frame.
    shell_state.ticker_pos = static_cast<int32_t>(viewer_state.ticker_line[1].size());
    for (int i = 0; i < 10; ++i) draw_ticker();
    EXPECT_EQ(shell_state.ticker_pos, 1);
    // The last characters are drawn at the ticker's row with fewer than 58 left.
    shell_state.ticker_pos = static_cast<int32_t>(viewer_state.ticker_line[1].size()) - 3;
    shell_state.ticker_sub = 0.0;
    copy_skin_background();
    draw_ticker();
    bool lit = false;
    for (int y = 123; y < 135; ++y)
        for (int x = 146; x < 182; ++x) lit |= frame_pixel(x, y) != 0x404040u;
    EXPECT_TRUE(lit);
}

TEST_F(SkinsMusic, Note46PushesBars0To2AndOtherValuesMoveNothing) {
    const std::vector<uint8_t> module = first_row_module();
    ASSERT_EQ(xm_load_from_memory(module.data(), module.size()), 1);
    shell_state.tune_channels = xm_channel_count();
    ASSERT_EQ(shell_state.tune_channels, 3);
    update_note_bars();
    for (size_t b = 0; b <= 40; ++b)
        ASSERT_EQ(viewer_state.bar[b], b == 1 ? 143.0 : b == 0 || b == 2 ? 144.0 : 147.0) << b;
    for (int i = 0; i < 20; ++i) update_note_bars();
    copy_skin_background();
    draw_note_bars();
    for (size_t b = 0; b < 40; ++b) ASSERT_GE(viewer_state.bar[b], 133.0);
    // Bar 1 covers columns 170..180 from its top row down to row 147, in the amber gradient; bar 0 ends
    // at 168 and bar 2 starts at 182, a column of gap between. An idle bar rises to 149 and draws nothing.
    const std::tuple<int, int, uint32_t> pixels[] = {
        {170, 147, 0x221111}, {180, 135, 0xEEBB33}, {168, 140, 0x996622}, {169, 140, 0x404040},
        {181, 140, 0x404040}, {182, 140, 0x996622}, {280, 147, 0x404040}};
    for (const auto& [x, y, colour] : pixels) EXPECT_EQ(frame_pixel(x, y), colour) << x << "," << y;
    EXPECT_EQ(viewer_state.bar[10], 149.0);
    // 'Carbon': blue, two rows lower.
    shell_state.current_skin = 2;
    viewer_state.bar[20] = 140.0;
    copy_skin_background();
    draw_note_bars();
    EXPECT_EQ(frame_pixel(158 + 12 * 20, 142 + 2), 0x224477u);
    EXPECT_EQ(frame_pixel(158 + 12 * 20, 149), 0x111122u);
}
