// Whole-program runs on the headless backend: the intro's frame counts on the virtual clock and the
// scripted Escape that leads from the intro to the magazine.
#pragma once
#include <cstdint>

#include "intro/intro.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_audio.h"
#include "platform/keys.h"
#include "render/display.h"

// Opens the headless display as the program does: full screen (no extra sleep per present) or a window.
inline void open_like_the_program(int windowed = 0) {
    display_state = display_state_t{};
    headless_reset();
    headless_audio_reset();
    display_set_close_on_escape(0);
    display_configure(0, "", windowed, windowed ? 0 : 1);
    display_open("intro", 800, 600);
}

// Frames the intro presents before its scene: the black frame after the release wait and three equal
// noise bursts (deterministic on the virtual clock; a window sleeps a little more per present).
inline uint64_t opening_frames(int windowed = 0) {
    open_like_the_program(windowed);
    noise_burst_fine();
    const uint64_t burst = headless_frame_count();
    display_close();
    return 1 + 3 * burst;
}

// Scripts an Escape tap on the intro scene's second frame.
inline void tap_escape_in_the_scene(uint64_t opening) {
    headless_push({opening + 1, headless_event::key_down, vk_escape});
    headless_push({opening + 2, headless_event::key_up, vk_escape});
}

// Resets the backend and scripts the Escape tap that leaves the intro; returns the number of frames
// the intro presents, after which the magazine's first pass presents.
inline uint64_t start_whole_run(int windowed = 0) {
    const uint64_t opening = opening_frames(windowed);
    open_like_the_program(windowed);
    build_intro_texts();
    tap_escape_in_the_scene(opening);
    run_intro();
    const uint64_t intro = headless_frame_count();
    display_close();
    display_state = display_state_t{};
    headless_reset();
    headless_audio_reset();
    tap_escape_in_the_scene(opening);
    return intro;
}
