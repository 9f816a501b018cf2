// The reader's comforts on the headless backend: --window and Alt+Enter, the keyboard highlight, the
// pages as text, the mute key, and the command line's help, version and refusals.
#include <algorithm>
#include <fstream>
#include <functional>

#include "shell/magazine/page_text.h"
#include "shell/magazine/shell_state.h"
#include "tests/e2e/whole_run.h"
#include "viewer/viewer_state.h"

namespace {

// Runs the whole program with these arguments after the program's name.
int run_with(std::vector<const char*> args) {
    args.insert(args.begin(), "kestravon");
    return kestravon_main(static_cast<int>(args.size()), args.data());
}

using Comforts = magazine_run;

// The lines page 11's source file says the reader sees: text lines as written, @blank and @bar as empty
// lines, up to the end marker; trailing spaces and trailing empty lines dropped.
std::string editorial_from_its_source() {
    std::ifstream in(KV_PAGE_SOURCE_DIR "/page11_editorial.txt");
    std::string line, out;
    while (std::getline(in, line) && line.rfind("<END>", 0) != 0) {
        if (line.rfind("@blank ", 0) == 0) {
            out.append(static_cast<size_t>(std::stoi(line.substr(7))), '\n');
        } else if (line.rfind("@bar ", 0) == 0) {
            out += '\n';
        } else if (line.rfind("@", 0) != 0 || line.rfind("@@", 0) == 0) {
            if (line[0] == '@') line.erase(0, 1);
            out += line.erase(line.find_last_not_of(' ') + 1) + '\n';
        }
    }
    while (out.size() >= 2 && out.substr(out.size() - 2) == "\n\n") out.pop_back();
    return out;
}

}  // namespace

TEST(WindowOption, ReachesTheBackendAsAFramedWindowAndTheRunEndsNormally) {
    const uint64_t magazine = start_whole_run(1);
    headless_push({magazine + 5, headless_event::key_down, vk_escape});
    EXPECT_EQ(run_with({"--window"}), 0);
    EXPECT_EQ(std::tuple(headless_windowed(), display_state.windowed, display_state.borderless),
              std::tuple(1, 1, 0));
    EXPECT_EQ(headless_frame_count(), magazine + 5);  // the magazine ran its passes in the window
    EXPECT_EQ(headless_mode_switches(), 0);
}

TEST_F(Comforts, AltEnterSwitchesModesBackAndForthWithoutTouchingTheMagazine) {
    const int devices = headless_audio_opened();
    for (int expected : {1, 0, 1}) {
        headless_push({headless_frame_count(), headless_event::key_down, vk_return, 1});
        headless_push({headless_frame_count(), headless_event::key_up, vk_return});
        EXPECT_EQ(pass(), 1u);  // every pass presents
        EXPECT_EQ(std::tuple(headless_windowed(), display_state.windowed), std::tuple(expected, expected));
    }
    // The tune plays on; the Enter went to the window, not to the program's keys; a plain Enter is the
    // program's key and switches nothing.
    EXPECT_EQ(std::tuple(headless_audio_opened(), headless_audio_open_now()), std::tuple(devices, 1));
    EXPECT_FALSE(key_struck(key_state(vk_return)));
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
    tap(vk_return);
    EXPECT_EQ(pass(), 151u);  // the pass that takes the press wipes the page out and in
    EXPECT_EQ(viewer_state.entry_marked[13], 1);
    pass();
    // Shift+Tab goes back: place 3 is the articles button (active, so Space does nothing), 2 the charts one.
    headless_key(vk_shift, true);
    for (int i = 0; i < 3; ++i) tap(vk_tab);
    headless_key(vk_shift, false);
    EXPECT_EQ(shell_state.key_focus, 2);
    tap(vk_space);
    pass();
    EXPECT_EQ(shell_state.current_menu, 1);
    // A mouse move drops the highlight and the pointer is the mouse's again.
    headless_push({headless_frame_count(), headless_event::mouse_move, 300, 400});
    pass();
    EXPECT_EQ(std::tuple(shell_state.key_focus, shell_state.mouse_x), std::tuple(0, 300));
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
    // Runs the passes (calling each after each) and says whether everything they played was silent.
    auto silent_over = [](int passes, const std::function<void()>& each) {
        EXPECT_TRUE(headless_audio_settle());
        const size_t start = headless_audio_played().size();
        for (int i = 0; i < passes; ++i) {
            pass();
            each();
        }
        EXPECT_TRUE(headless_audio_settle());
        const std::vector<uint8_t> played = headless_audio_played();
        EXPECT_GT(played.size(), start + 44100);
        return std::all_of(played.begin() + static_cast<std::ptrdiff_t>(start), played.end(),
                           [](uint8_t b) { return b == 0; });
    };
    for (int i = 0; i < 120; ++i) pass();
    EXPECT_FALSE(silent_over(60, [] {}));
    tap(vk_m);
    EXPECT_EQ(viewer_state.ticker_notice, "Music off");
    // The player goes on while muted: the block being heard moves on (its row, order or time; the row
    // alone is no measure here, the issue's tune 1 opens on rows held for seconds).
    const auto heard = [] { return std::tuple(xm_heard_order(), xm_heard_row(), xm_heard_time()); };
    const auto first = heard();
    bool moved = false;
    EXPECT_TRUE(silent_over(120, [&] { moved = moved || heard() != first; }));
    EXPECT_TRUE(moved);
    EXPECT_EQ(headless_audio_open_now(), 1);
    EXPECT_EQ(viewer_state.button_state[6], 0);  // the music button still says on
    tap(vk_m);
    EXPECT_EQ(viewer_state.ticker_notice, "Music on");
    EXPECT_FALSE(silent_over(60, [] {}));
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

TEST(TextOption, Page11AndAllPrintThePagesAsTheyHoldThemWithoutAWindowOrSound) {
    display_state = display_state_t{};
    headless_reset();
    headless_audio_reset();
    const std::string expected = editorial_from_its_source();
    ASSERT_GT(expected.size(), 1000u);
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_with({"--text", "11"}), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    EXPECT_EQ(headless_frame_count(), 0u);
    EXPECT_FALSE(headless_open());
    EXPECT_EQ(headless_audio_opened(), 0);
    // All twenty pages in order, each under its heading.
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_with({"--text", "all"}), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    size_t at = 0;
    for (int p = 1; p <= 20; ++p) {
        at = printed.find("==== Page " + std::to_string(p) + ": ", at);
        ASSERT_NE(at, std::string::npos) << p;
    }
    EXPECT_NE(printed.find("==== Page 11: This Issues Editorial ====\n" + expected), std::string::npos);
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
    for (const char* word :
         {"--window", "--text N", "--version", "Alt+Enter", "Tab, Shift+Tab", "Enter, Space", "M "})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_with({"--version"}), 0);
    const std::string version = testing::internal::GetCapturedStdout();
    EXPECT_EQ(version.rfind("kestravon ", 0), 0u);
    EXPECT_NE(version.find("issue 31"), std::string::npos);
    EXPECT_EQ(version.find('\n'), version.size() - 1);  // one line
}
