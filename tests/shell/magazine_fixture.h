// A small magazine for unit tests: fixture pages instead of the issue's, the real menus and buttons, the
// headless backend with a display open, and no music; with it, the headers of the whole magazine.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "content/pages/page_data.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "render/display.h"
#include "render/framebuffer.h"
#include "render/text.h"
#include "shell/frame_loop.h"
#include "shell/magazine/content_store.h"
#include "shell/magazine/pointer.h"
#include "shell/magazine/program_data.h"
#include "shell/magazine/shell_state.h"
#include "viewer/frame_body.h"
#include "viewer/menus.h"
#include "viewer/page_viewer.h"
#include "viewer/skins_music.h"
#include "viewer/viewer_state.h"

// Builds pages line by line; strings live as long as the builder.
struct fixture_pages {
    std::deque<std::string> strings;
    std::vector<std::vector<page_source_line>> lines = std::vector<std::vector<page_source_line>>(21);
    page_source sources[21]{};

    const char* keep(std::string s) {
        strings.push_back(std::move(s));
        return strings.back().c_str();
    }
    void add(int page, std::string text, std::string colours = std::string(80, '1'),
             std::string styles = std::string(80, '1'), std::string rule = "0") {
        lines[static_cast<size_t>(page)].push_back({keep(std::move(text)), keep(std::move(colours)),
                                                    keep(std::move(styles)), keep(std::move(rule))});
    }
    // A page of n numbered text lines followed by its "<END>" line.
    void add_page(int page, int n) {
        for (int i = 0; i < n; ++i) add(page, "line " + std::to_string(i));
        add(page, "<END>");
    }
    const page_source* finish() {
        for (size_t p = 0; p < 21; ++p)
            sources[p] = {lines[p].empty() ? nullptr : lines[p].data(), static_cast<int>(lines[p].size())};
        return sources;
    }
};

// Fixture skins: every pixel is palette index 0x40; 'Grunge' maps index i to grey i, 'Carbon' to (i, i, 255 -
// i).
constexpr uint8_t fixture_background_level = 0x40;
inline const unsigned char (*fixture_skins())[skin_image_bytes] {
    static std::vector<unsigned char> images = [] {
        std::vector<unsigned char> bytes(2 * skin_image_bytes, fixture_background_level);
        for (size_t i = 0; i < 256; ++i) {
            for (size_t c = 0; c < 3; ++c) bytes[3 * i + c] = static_cast<unsigned char>(i);
            bytes[skin_image_bytes + 3 * i] = bytes[skin_image_bytes + 3 * i + 1] =
                static_cast<unsigned char>(i);
            bytes[skin_image_bytes + 3 * i + 2] = static_cast<unsigned char>(255 - i);
        }
        return bytes;
    }();
    return reinterpret_cast<const unsigned char (*)[skin_image_bytes]>(images.data());
}

// The line counts of the issue's pages 1..20 (19 has no end mark; 18's two trailing lines are left out).
inline std::vector<int> issue_line_counts() {
    return {0, 38, 32, 51, 1391, 58, 32, 22, 178, 70, 117, 74, 391, 87, 88, 95, 69, 205, 276, 0, 210};
}

// A test that starts from the small magazine: every magazine table reset, a headless display open, pages
// 1..20 with the issue's line counts and page 11 loaded.
class magazine_test : public ::testing::Test {
protected:
    fixture_pages pages;
    void SetUp() override {
        const std::vector<int> counts = issue_line_counts();
        headless_reset();
        display_state = display_state_t{};
        display_open("test", 800, 600);
        shell_state = shell_state_t{};
        viewer_state = viewer_state_t{};
        program_data_rewind();
        create_content_tables();
        for (size_t p = 1; p <= 20; ++p)
            if (counts[p] > 0) pages.add_page(static_cast<int>(p), counts[p]);
        fill_page_tables(pages.finish());
        load_page(11);
        set_menu_strings();
        build_glyph_colours();
        build_pointer_images();
        set_note_bar_gradients();
        read_button_table();
        reset_note_bars();
        build_skin_images(fixture_skins());
        render_skin_backgrounds(0, 0, 799, 599, 0, 0);
    }
};

// Sets the pointer sample as the frame loop takes it: position and left button.
inline void set_pointer(int x, int y, int button = 0) {
    shell_state.mouse_x = x, shell_state.mouse_y = y, shell_state.mouse_button = button;
}

// A key struck between two polls.
inline void strike_key(int vk) {
    headless_key(vk, true);
    headless_key(vk, false);
}
