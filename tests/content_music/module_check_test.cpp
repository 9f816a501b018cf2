// The build-time module check: one pass measured as the player plays it, and tracker files taken
// into the tune table or refused with an error that names the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "content/modules/module_check.h"
#include "tests/xm/xm_test_modules.h"

using namespace xm_test;

namespace {

// Four channels, a looped square wave played once on the first row.
xmw_module tone_module() {
    std::vector<int16_t> square(64, 15000);
    std::fill(square.begin() + 32, square.end(), -15000);
    xmw_module m = basic_module(4, {instrument_with(sample16(square, xmw_loop::forward, 0, 64))});
    set(m, 0, 0, 0, {49, 1, 0, 0, 0});
    return m;
}

bool check_file(const std::string& file, const std::vector<uint8_t>& bytes, std::vector<uint8_t>& out,
                std::string& error) {
    if (!bytes.empty()) { EXPECT_TRUE(xmw_write_file(::testing::TempDir() + "/" + file, bytes)); }
    const module_tune tune{nullptr, file.c_str(), "Imported", "Someone", file.c_str()};
    module_report report;
    return module_tune_bytes(tune, ::testing::TempDir(), out, report, error);
}

}  // namespace

// Speed and BPM changes, a pattern loop and a pattern delay all lengthen or shorten the pass; it ends
// where the order list goes back to the restart position. Frames counted by hand: 125 BPM gives 882
// per tick, 100 BPM 1102.
TEST(ModuleCheck, PassLengthFollowsSpeedTempoLoopsAndDelays) {
    xmw_module m = tone_module();
    m.patterns[0].rows = 8;
    m.patterns.emplace_back();
    m.patterns[1].rows = 8;
    for (auto [row, effect, param] :
         {std::tuple{2, 0xF, 3}, {4, 0xE, 0x60}, {5, 0xE, 0x61}, {6, 0xE, 0xE1}, {7, 0xF, 100}})
        set(m, 1, row, 1, {0, 0, 0, uint8_t(effect), uint8_t(param)});
    m.orders = {0, 1, 0};
    m.restart = 1;
    const std::vector<uint8_t> bytes = xmw_build(m);
    ASSERT_EQ(xm_load_from_memory(bytes.data(), bytes.size()), 1);
    // 48 ticks; 12 ticks, rows 2-5-4-5-6 at speed 3 plus 3 delay ticks; row 7 at 100 BPM; 24 ticks.
    const double frames = 48 * 882 + 12 * 882 + 24 * 882 + 3 * 1102 + 24 * 1102;
    EXPECT_NEAR(module_pass_seconds(xm_player_state.current_song), frames / xm_mix_rate, 1e-9);
    xm_free();
}

// A tracker file is taken byte for byte; each refusal names the file: missing, not a module, rejected
// by the player, silent.
TEST(ModuleCheck, TrackerFilesAreTakenAsTheyAreOrRefusedByName) {
    const std::vector<uint8_t> good = xmw_build(tone_module());
    std::vector<uint8_t> out;
    std::string error;
    ASSERT_TRUE(check_file("imported.xm", good, out, error)) << error;
    EXPECT_EQ(out, good);
    std::vector<uint8_t> not_xm = good;
    not_xm[0] = 'e';
    xmw_module old_layout = tone_module();
    old_layout.version = 0x0102;
    xmw_module silent = tone_module();
    silent.patterns[0].cells.clear();
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {{"missing.xm", {}},
                                                                  {"not_xm.xm", not_xm},
                                                                  {"old_layout.xm", xmw_build(old_layout)},
                                                                  {"silent.xm", xmw_build(silent)}};
    for (const auto& [file, bytes] : cases) {
        EXPECT_FALSE(check_file(file, bytes, out, error)) << file;
        EXPECT_NE(error.find(::testing::TempDir() + "/" + file), std::string::npos) << error;
    }
    EXPECT_EQ(xm_player_state.current_song, nullptr);
}
