// The reader's comforts on the headless backend: --window and Alt+Enter, the keyboard highlight, the
// pages as text, the mute key, and the command line's help, version and refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "intro/intro.h"
#include "shell/magazine/content_store.h"
#include "shell/magazine/page_text.h"
#include "shell/magazine/shell_state.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/keys.h"
#include "platform/wave_out.h"
#include "render/display.h"
#include "shell/frame_loop.h"
#include "shell/main_sequence.h"
#include "tests/e2e/whole_run.h"
#include "viewer/viewer_state.h"
#include "xm/xm_player.h"

namespace {

// Runs the whole program with these arguments after the program's name.
int run_with(const std::vector<const char*>& args) {
    const char* argv[8] = {"kestravon"};
    int argc = 1;
    for (const char* arg : args)
        if (argc < 8) argv[argc++] = arg;
    return kestravon_main(argc, argv);
}

// The magazine as the main sequence starts it, full screen, one pass at a time.
class Comforts : public ::testing::Test {
protected:
    void SetUp() override {
        open_magazine(0);
        pass();
    }
    void TearDown() override {
        close_magazine();
        waveOutSetVolume(nullptr, 0xFFFFFFFFu);
    }
    static uint64_t pass() { return magazine_pass_frames(); }
    // A key tapped between two passes, then the pass that reads it; returns the frames it presented.
    static uint64_t tap(int vk) {
        headless_key(vk, true);
        headless_key(vk, false);
        return pass();
    }
};

// The lines page 11's source file says the reader sees: text lines as written, @blank and @bar as empty
// lines, up to the end marker; trailing spaces and trailing empty lines dropped.
std::string editorial_from_its_source() {
    std::ifstream in(KV_PAGE_SOURCE_DIR "/page11_editorial.txt");
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.rfind("<END>", 0) == 0) break;
        if (line.rfind("@blank ", 0) == 0) {
            out.append(static_cast<size_t>(std::stoi(line.substr(7))), '\n');
            continue;
        }
        if (line.rfind("@bar ", 0) == 0) {
            out += '\n';
            continue;
        }
        if (line.rfind("@@", 0) == 0) line.erase(0, 1);
        else if (line.rfind("@", 0) == 0) continue;
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + '\n';
    }
    while (out.size() >= 2 && out.substr(out.size() - 2) == "\n\n") out.pop_back();
    return out;
}

bool all_silent(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

}  // namespace

TEST(WindowOption, ReachesTheBackendAsAFramedWindowAndTheRunEndsNormally) {
    const uint64_t magazine = start_whole_run(1);
    headless_push({magazine + 5, headless_event::key_down, vk_escape});
    EXPECT_EQ(run_with({"--window"}), 0);
    EXPECT_EQ(headless_windowed(), 1);
    EXPECT_EQ(display_state.windowed, 1);
    EXPECT_EQ(display_state.borderless, 0);
    EXPECT_EQ(headless_frame_count(), magazine + 5);  // the magazine ran its passes in the window
    EXPECT_EQ(headless_mode_switches(), 0);
}

TEST_F(Comforts, AltEnterSwitchesModesBackAndForthWithoutTouchingTheMagazine) {
    ASSERT_EQ(headless_windowed(), 0);
    const int devices = headless_audio_opened();
    const uint64_t frames = headless_frame_count();
    for (int expected : {1, 0, 1}) {
        headless_push({headless_frame_count(), headless_event::key_down, vk_return, 1});
        headless_push({headless_frame_count(), headless_event::key_up, vk_return});
        EXPECT_EQ(pass(), 1u);
        EXPECT_EQ(headless_windowed(), expected);
        EXPECT_EQ(display_state.windowed, expected);
    }
    EXPECT_EQ(headless_mode_switches(), 3);
    // Every pass presented; the tune plays on; the Enter went to the window, not to the program's keys.
    EXPECT_EQ(headless_frame_count(), frames + 3);
    EXPECT_EQ(headless_audio_opened(), devices);
    EXPECT_EQ(headless_audio_open_now(), 1);
    EXPECT_FALSE(key_struck(key_state(vk_return)));
    // A plain Enter is the program's key and switches nothing.
    tap(vk_return);
    EXPECT_EQ(headless_mode_switches(), 3);
}

TEST_F(Comforts, TabAndEnterOpenPagesAndSwitchMenusWithoutTheMouse) {
    headless_push({headless_frame_count(), headless_event::mouse_move, 400, 400});
    pass();
    // Places 1-3 are the left buttons, 4 and 5 the articles menu's first two rows (entries 11 and 13).
    for (int i = 0; i < 5; ++i) tap(vk_tab);
    EXPECT_EQ(shell_state.key_focus, 5);
    pass();
    EXPECT_EQ(shell_state.pointer_kind, 2);  // the hover look
    EXPECT_EQ(shell_state.current_menu, 2);
    tap(vk_return);
    EXPECT_EQ(pass(), 151u);  // the pass that takes the press wipes the page out and in
    EXPECT_EQ(viewer_state.entry_marked[13], 1);
    EXPECT_EQ(viewer_state.entry_marked[11], 0);
    pass();
    // Shift+Tab goes back: place 3 is the articles button (active, so Space does nothing), 2 the charts one.
    headless_key(vk_shift, true);
    tap(vk_tab);
    tap(vk_tab);
    tap(vk_tab);
    headless_key(vk_shift, false);
    EXPECT_EQ(shell_state.key_focus, 2);
    tap(vk_space);
    pass();
    EXPECT_EQ(shell_state.current_menu, 1);
    EXPECT_EQ(viewer_state.button_state[2], 1);
    // A mouse move drops the highlight and the pointer is the mouse's again.
    headless_push({headless_frame_count(), headless_event::mouse_move, 300, 400});
    pass();
    EXPECT_EQ(shell_state.key_focus, 0);
    EXPECT_EQ(shell_state.mouse_x, 300);
    tap(vk_return);
    EXPECT_EQ(shell_state.current_menu, 1);
    // From no highlight, Shift+Tab starts at the last place: tune 4.
    headless_key(vk_shift, true);
    tap(vk_tab);
    headless_key(vk_shift, false);
    EXPECT_EQ(shell_state.key_focus, 20);
    tap(vk_return);
    pass();
    EXPECT_EQ(shell_state.current_song, 4);
}

TEST_F(Comforts, MSilencesTheOutputWhileTheTuneAndItsHeardRowGoOnThenBringsItBack) {
    auto run = [](int passes) {
        for (int i = 0; i < passes; ++i) pass();
        ASSERT_TRUE(headless_audio_settle());
    };
    run(120);
    size_t start = headless_audio_played().size();
    run(60);
    const std::vector<uint8_t> before = headless_audio_played();
    EXPECT_FALSE(all_silent(before, start, before.size()));

    tap(vk_m);
    EXPECT_EQ(viewer_state.ticker_notice, "Music off");
    EXPECT_GT(viewer_state.ticker_notice_frames, 0);
    ASSERT_TRUE(headless_audio_settle());
    start = headless_audio_played().size();
    // The player goes on while muted: the block being heard moves on (its row, order or time; the row
    // alone is no measure here, the issue's tune 1 opens on rows held for seconds).
    const auto heard = [] { return std::tuple(xm_heard_order(), xm_heard_row(), xm_heard_time()); };
    const auto first = heard();
    bool moved = false;
    for (int i = 0; i < 12; ++i) {
        run(10);
        moved = moved || heard() != first;
    }
    const std::vector<uint8_t> muted = headless_audio_played();
    ASSERT_GT(muted.size(), start + 44100);
    EXPECT_TRUE(all_silent(muted, start, muted.size()));
    EXPECT_TRUE(moved);
    EXPECT_EQ(headless_audio_open_now(), 1);
    EXPECT_EQ(viewer_state.button_state[6], 0);  // the music button still says on

    tap(vk_m);
    EXPECT_EQ(viewer_state.ticker_notice, "Music on");
    ASSERT_TRUE(headless_audio_settle());
    start = headless_audio_played().size();
    run(60);
    const std::vector<uint8_t> back = headless_audio_played();
    EXPECT_FALSE(all_silent(back, start, back.size()));
}

TEST(MuteKey, TheIntroTogglesTheSameOutputVolume) {
    headless_reset();
    headless_audio_reset();
    uint32_t volume = 0;
    for (uint32_t expected : {0u, 0xFFFFFFFFu}) {
        headless_key(vk_m, true);
        headless_key(vk_m, false);
        intro_mute_key();
        ASSERT_EQ(waveOutGetVolume(nullptr, &volume), MMSYSERR_NOERROR);
        EXPECT_EQ(volume, expected);
    }
}

TEST(TextOption, Page11PrintsTheEditorialsLinesAsThePageHoldsThemWithoutAWindowOrSound) {
    display_state = display_state_t{};
    headless_reset();
    headless_audio_reset();
    testing::internal::CaptureStdout();
    const int code = run_with({"--text", "11"});
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 0);
    const std::string expected = editorial_from_its_source();
    ASSERT_GT(expected.size(), 1000u);
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(headless_frame_count(), 0u);
    EXPECT_FALSE(headless_open());
    EXPECT_EQ(headless_audio_opened(), 0);
}

TEST(TextOption, AllPrintsEveryPageUnderItsHeading) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_with({"--text", "all"}), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    size_t at = 0;
    for (int p = 1; p <= 20; ++p) {
        const std::string heading = "==== Page " + std::to_string(p) + ": ";
        const size_t found = printed.find(heading, at);
        ASSERT_NE(found, std::string::npos) << heading;
        at = found + heading.size();
    }
    EXPECT_NE(printed.find("==== Page 11: This Issues Editorial ====\n" + editorial_from_its_source()), std::string::npos);
}

TEST(TextOption, Latin1CharactersBecomeUtf8) {
    EXPECT_EQ(latin1_to_utf8("caf\xE9 \xA9 \xFF!"), "caf\xC3\xA9 \xC2\xA9 \xC3\xBF!");
}

TEST(CommandLine, BadArgumentsGetOneLineAndExitCode2WithoutStarting) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--text", "21"}, "kestravon: --text 21: no such page (pages are 1 to 20, or 'all')\n"},
        {{"--text", "x"}, "kestravon: --text x: no such page (pages are 1 to 20, or 'all')\n"},
        {{"--text", "0"}, "kestravon: --text 0: no such page (pages are 1 to 20, or 'all')\n"},
        {{"--text"}, "kestravon: --text needs a page number from 1 to 20, or 'all'\n"},
        {{"--fullscreen"}, "kestravon: unknown option '--fullscreen' (kestravon --help lists the options)\n"},
        {{"--window", "-x"}, "kestravon: unknown option '-x' (kestravon --help lists the options)\n"},
    };
    for (const auto& [args, message] : cases) {
        display_state = display_state_t{};
        headless_reset();
        headless_audio_reset();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(run_with(args), 2) << message;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), message);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(headless_frame_count(), 0u);
    }
}

TEST(CommandLine, HelpListsOptionsAndKeysAndVersionNamesTheIssue) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_with({"--help"}), 0);
    const std::string help = testing::internal::GetCapturedStdout();
    for (const char* word : {"--window", "--text N", "--version", "Alt+Enter", "Tab, Shift+Tab", "Enter, Space", "M "})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_with({"--version"}), 0);
    const std::string version = testing::internal::GetCapturedStdout();
    EXPECT_EQ(version.rfind("kestravon ", 0), 0u);
    EXPECT_NE(version.find("issue 31"), std::string::npos);
    EXPECT_EQ(version.back(), '\n');
    EXPECT_EQ(version.find('\n'), version.size() - 1);
}

TEST(OutputVolume, LowWordScalesTheLeftChannelHighWordTheRightAndAStaleHandleIsRefused) {
    headless_reset();
    headless_audio_reset();
    HWAVEOUT device = nullptr;
    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 44100u * 4, 4, 16, 0};
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    std::vector<int16_t> samples = {20000, -20000, -32768, 32767};
    WAVEHDR header{};
    header.lpData = reinterpret_cast<char*>(samples.data());
    header.dwBufferLength = 8;
    ASSERT_EQ(waveOutSetVolume(device, 0x8000FFFFu), MMSYSERR_NOERROR);  // left full, right about half
    ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof(header)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &header, sizeof(header)), MMSYSERR_NOERROR);
    headless_advance(0.01);
    ASSERT_TRUE(headless_audio_settle());
    const std::vector<uint8_t> played = headless_audio_played();
    ASSERT_EQ(played.size(), 8u);
    int16_t out[4];
    std::memcpy(out, played.data(), 8);
    EXPECT_EQ(out[0], 20000);
    EXPECT_EQ(out[1], -10000);
    EXPECT_EQ(out[2], -32768);
    EXPECT_EQ(out[3], 16383);  // 32767 x 0x8000 / 0xFFFF, towards zero
    // The buffer the program wrote is left as it was.
    EXPECT_EQ(samples[1], -20000);
    waveOutUnprepareHeader(device, &header, sizeof(header));
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    uint32_t volume = 0;
    EXPECT_EQ(waveOutSetVolume(device, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutGetVolume(nullptr, &volume), MMSYSERR_NOERROR);
    EXPECT_EQ(volume, 0x8000FFFFu);
    waveOutSetVolume(nullptr, 0xFFFFFFFFu);
}
