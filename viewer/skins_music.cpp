// Skins and music: skin backgrounds, F1/F2, tune start and the music buttons, the ticker, the note bars.
//   skins: build_skin_images, render_skin_backgrounds, copy_skin_background, handle_skin_keys
//   music: record_tunes, start_tune, handle_music_buttons
//   ticker: build_ticker_lines, draw_ticker
//   note bars: set_note_bar_gradients, reset_note_bars, update_note_bars, draw_note_bars
#include "viewer/skins_music.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/keys.h"
#include "render/framebuffer.h"
#include "render/text.h"
#include "shell/magazine/shell_state.h"
#include "viewer/viewer_state.h"
#include "xm/xm_player.h"

namespace {
constexpr size_t picture_pixels = static_cast<size_t>(screen_width) * screen_height;
constexpr const char* ticker_help =
    "                                                                 "
    "F1 To select 'Grunge' skin    F2 To select 'Carbon' skin   Selected song: ";
}  // namespace

void build_skin_images(const unsigned char (*images)[skin_image_bytes]) {
    auto& v = viewer_state;
    for (size_t k = 0; k < 2; ++k) {
        const unsigned char* image = images[k];
        v.skin_palette[k].resize(256);
        for (size_t i = 0; i < 256; ++i)
            v.skin_palette[k][i] = (uint32_t{image[3 * i]} << 16) | (uint32_t{image[3 * i + 1]} << 8) | image[3 * i + 2];
        v.skin_indices[k].assign(image + 768, image + 768 + picture_pixels);
        v.skin_background[k].assign(picture_pixels, 0);
    }
}

void render_skin_backgrounds(int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t tx, int32_t ty) {
    auto& v = viewer_state;
    for (size_t k = 0; k < 2; ++k) {
        if (v.skin_indices[k].size() != picture_pixels || v.skin_palette[k].size() != 256) continue;
        v.skin_background[k].resize(picture_pixels);
        for (int32_t dy = 0; dy <= h; ++dy) {
            const int32_t src_y = sy + dy, dst_y = ty + dy;
            if (src_y < 0 || src_y >= screen_height || dst_y < 0 || dst_y >= screen_height) continue;
            for (int32_t dx = 0; dx <= w; ++dx) {
                const int32_t src_x = sx + dx, dst_x = tx + dx;
                if (src_x < 0 || src_x >= screen_width || dst_x < 0 || dst_x >= screen_width) continue;
                const uint32_t index = v.skin_indices[k][static_cast<size_t>(src_y) * screen_width + static_cast<size_t>(src_x)];
                v.skin_background[k][static_cast<size_t>(dst_y) * screen_width + static_cast<size_t>(dst_x)] =
                    v.skin_palette[k][index & 0xFFu];
            }
        }
    }
}

void copy_skin_background() {
    const auto& buffer = viewer_state.skin_background[static_cast<size_t>(skin_slot())];
    if (buffer.size() == picture_pixels)
        std::memcpy(framebuffer.data(), buffer.data(), picture_pixels * sizeof(uint32_t));
    else
        clear_framebuffer(0);
}

void handle_skin_keys() {
    if (key_struck(key_state(vk_f1))) shell_state.current_skin = 1;
    if (key_struck(key_state(vk_f1 + 1))) shell_state.current_skin = 2;
}

void record_tunes(const magazine_tune* tunes) {
    for (size_t k = 1; k <= tune_count; ++k) {
        viewer_state.tune_data[k] = tunes[k].data;
        viewer_state.tune_length[k] = tunes[k].data ? tunes[k].length : 0;
    }
}

void start_tune(int32_t k) {
    xm_stop();
    xm_free();
    if (k >= 1 && k <= tune_count && viewer_state.tune_data[static_cast<size_t>(k)] != nullptr)
        xm_load_from_memory(viewer_state.tune_data[static_cast<size_t>(k)], viewer_state.tune_length[static_cast<size_t>(k)]);
    xm_play();
    shell_state.tune_channels = xm_channel_count();
}

void handle_music_buttons() {
    auto& s = shell_state;
    auto& v = viewer_state;
    const auto fresh_press = [&] { return s.mouse_button != 0 && s.click_latched == 0; };
    if (fresh_press() && v.button_state[6] == 0 && pointer_in_button(6)) {
        s.click_latched = 1;
        xm_stop();
        v.button_state[6] = 1;
    }
    if (fresh_press() && v.button_state[6] == 1 && pointer_in_button(6)) {
        s.click_latched = 1;
        xm_play();
        v.button_state[6] = 0;
    }
    for (int32_t i = 7; i <= 10; ++i) {
        if (!fresh_press() || v.button_state[static_cast<size_t>(i)] != 0 || !pointer_in_button(i)) continue;
        s.click_latched = 1;
        for (size_t j = 6; j <= 10; ++j) v.button_state[j] = 0;
        v.button_state[static_cast<size_t>(i)] = 1;
        s.ticker_pos = 1;
        s.current_song = i - 6;
        start_tune(i - 6);
    }
}

void build_ticker_lines(const magazine_tune* tunes) {
    auto& v = viewer_state;
    for (size_t k = 1; k <= tune_count; ++k) {
        v.ticker_line[k] = ticker_help;
        v.ticker_line[k] += tunes[k].title ? tunes[k].title : "";
        v.ticker_line[k] += " composed by ";
        v.ticker_line[k] += tunes[k].composer ? tunes[k].composer : "";
        v.ticker_line[k] += "....";
    }
    v.ticker_line[tune_count + 1] = ticker_help;
}

void draw_ticker() {
    auto& s = shell_state;
    const std::string& line = viewer_state.ticker_line[static_cast<size_t>(std::clamp(s.current_song, 1, tune_count + 1))];
    const size_t first = static_cast<size_t>(std::max(s.ticker_pos, 1) - 1);
    auto& v = viewer_state;
    if (v.ticker_notice_frames > 0) {
        // A notice stands still in the middle of the ticker while the line moves on beneath it, unseen.
        --v.ticker_notice_frames;
        const auto width = static_cast<int32_t>(v.ticker_notice.size()) * 9;
        draw_text_clipped(v.ticker_notice, 398 - width / 2, skin_slot() == 1 ? 124 : 123, 146, 649, 40, 145, 2, 2);
    } else if (first < line.size()) {
        const int32_t x = 146 - static_cast<int32_t>(std::floor(s.ticker_sub));
        draw_text_clipped(std::string_view(line).substr(first, 58), x, skin_slot() == 1 ? 124 : 123, 146, 649, 40,
                          145, 2, 2);
    }
    s.ticker_sub += 1.0;
    if (s.ticker_sub > 9.0) {
        s.ticker_pos += 1;
        if (s.ticker_pos > static_cast<int32_t>(line.size())) s.ticker_pos = 1;
        s.ticker_sub -= 9.0;
    }
}

void set_note_bar_gradients() {
    constexpr uint32_t grunge[14] = {0xEEBB33, 0xDDAA33, 0xCC9933, 0xBB8833, 0xAA7733, 0x996622, 0x885522,
                                     0x774422, 0x663322, 0x552211, 0x441111, 0x331111, 0x221111, 0x221111};
    constexpr uint32_t carbon[14] = {0x33BBEE, 0x33AADD, 0x3399CC, 0x3388BB, 0x3377AA, 0x226699, 0x225588,
                                     0x224477, 0x223366, 0x221155, 0x111144, 0x111133, 0x111122, 0x111122};
    auto& g = viewer_state.bar_gradient;
    g[0].fill(0);
    g[1].fill(0);
    for (size_t i = 0; i < 14; ++i) {
        g[0][135 + i] = grunge[i];
        g[1][135 + i] = carbon[i];
    }
}

void reset_note_bars() {
    const auto& s = shell_state;
    viewer_state.bar.assign(static_cast<size_t>(std::max(s.bar_count, 0)) + 1, static_cast<double>(s.bar_rest));
}

void update_note_bars() {
    auto& bar = viewer_state.bar;
    const int32_t count = static_cast<int32_t>(bar.size()) - 1;
    for (int32_t ch = 0; ch < shell_state.tune_channels; ++ch) {
        const int32_t i = (xm_heard_cell(ch) & 0xFF) - 45;
        if (0 < i && i < count - 1) {
            bar[static_cast<size_t>(i)] -= 4.0;
            bar[static_cast<size_t>(i - 1)] -= 3.0;
            bar[static_cast<size_t>(i + 1)] -= 3.0;
        }
    }
}

void draw_note_bars() {
    auto& bar = viewer_state.bar;
    const auto& s = shell_state;
    const int32_t shift = skin_slot() == 1 ? 2 : 0;
    const auto& gradient = viewer_state.bar_gradient[static_cast<size_t>(skin_slot())];
    const double rest = static_cast<double>(s.bar_rest);
    const int32_t count = static_cast<int32_t>(bar.size()) - 1;
    int32_t x0 = 157;
    for (int32_t b = 0; b < count; ++b) {
        double& top = bar[static_cast<size_t>(b)];
        if (top < rest - 16.0) top = rest - 16.0;
        if (top <= rest) top += 2.0;
        for (int32_t y = static_cast<int32_t>(std::floor(top)); y <= s.bar_rest; ++y) {
            const uint32_t colour = (y >= 0 && y < static_cast<int32_t>(gradient.size())) ? gradient[static_cast<size_t>(y)] : 0;
            for (int32_t x = 1; x < s.bar_width; ++x) frame_pixel(x0 + x, y + shift) = colour;
        }
        x0 += s.bar_width;
    }
}
