// The intro's sequence: release wait, opening noise, the scene loop with its tune keys, closing noise.
#include <algorithm>
#include <cmath>

#include "content/tunes/intro_tune_data.h"
#include "intro/intro.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "platform/wave_out.h"
#include "render/display.h"
#include "render/framebuffer.h"
#include "sid/sid_player.h"

namespace {

// Tune n plays this file and zero-based song; tune 12 is the second song of file 6, so the twelfth
// stored file is not played by the intro.
constexpr std::array<intro_tune_row, 13> intro_tunes = {{
    {0, 0},
    {1, 0}, {2, 1}, {3, 0}, {4, 11}, {5, 0}, {6, 0},
    {7, 0}, {8, 0}, {9, 0}, {10, 0}, {11, 0}, {6, 1},
}};

}  // namespace

intro_tune_row intro_tune(int32_t tune) {
    if (tune < 1 || tune > 12) return {0, 0};
    return intro_tunes[static_cast<size_t>(tune)];
}

void select_intro_tune(int32_t tune) {
    sid_player_stop();
    const intro_tune_row row = intro_tune(tune);
    if (row.file == 0) return;
    const intro_tune_file& file = intro_tune_files[static_cast<size_t>(row.file)];
    // The player is told the stored file's own length: a length taken from elsewhere could make it read
    // past the end of a shorter file. A missing file plays nothing.
    if (file.data == nullptr || file.length == 0 || file.length > 0xFFFF) return;
    sid_player_start(file.data, static_cast<uint16_t>(file.length), row.song);
    sid_player_resume();
}

void intro_mute_key() {
    if (!key_struck(key_state(vk_m))) return;
    uint32_t volume = 0xFFFFFFFFu;
    waveOutGetVolume(nullptr, &volume);
    waveOutSetVolume(nullptr, volume != 0 ? 0u : 0xFFFFFFFFu);
}

void intro_release_wait() {
    while ((key_state(vk_escape) != 0 || display_left_button() != 0) && !display_quit_requested()) {
        clear_framebuffer(0);
        display_present(framebuffer.data());
    }
    clear_framebuffer(0);
    display_present(framebuffer.data());
}

void run_intro() {
    intro_state_t& s = intro_state;
    build_big_font();
    intro_release_wait();
    init_stars();
    sleep_ms(150);
    noise_burst_coarse();
    noise_burst_coarse();
    noise_burst_fine();

    random_seed(static_cast<uint32_t>(std::fmod(timer_seconds() * 1000.0, 4294967296.0)));
    s.pause_deadline = timer_seconds();
    s.current_tune = static_cast<uint32_t>(std::clamp(static_cast<int32_t>(std::floor(random01() * 12.0)) + 1, 1, 12));
    select_intro_tune(static_cast<int32_t>(s.current_tune));

    // The scene's first frame is drawn on black, not over the last frame of the opening noise.
    draw_intro_background();
    for (;;) {
        if (key_struck(key_state(vk_escape)) || display_left_button() != 0 || display_quit_requested()) break;
        const double t0 = timer_seconds();
        // Every key is polled each frame, so a held key counts once; of several struck, the highest wins.
        for (uint32_t n = 1; n <= 12; ++n) {
            if (key_struck(key_state(vk_f1 + static_cast<int>(n) - 1)) && s.current_tune != n) {
                select_intro_tune(static_cast<int32_t>(n));
                s.current_tune = n;
            }
        }
        intro_mute_key();
        draw_blue_bars();
        update_intro_tables();
        draw_stars();
        draw_intro_lines();
        draw_scroller();
        display_present(framebuffer.data());
        sid_player_show_errors();
        ++s.frames_drawn;
        draw_intro_background();
        sleep_ms(1);
        const double dt = timer_seconds() - t0;
        s.step = dt * 250.0;
        s.phase += dt * 50.0;
    }

    sid_player_stop();
    noise_burst_coarse();
    noise_burst_coarse();
    noise_burst_fine();
    noise_burst_coarse();
    noise_burst_fine();
    noise_burst_fine();
    sleep_ms(10);
}
