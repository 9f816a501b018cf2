// The latch behind every polled input (keys, the left mouse button): held now, pressed since the last
// poll, and whether the program was watching when a short press came and went.
#pragma once

// One input's state between polls. A press that is released before the next poll still reads as held
// once, so a tap shorter than a frame counts, but only while the program is polling this input: a tap
// made during a stretch in which nothing polls it (a wipe, a noise burst) is forgotten, so it cannot
// act on whatever screen polls next. An input still held when polling resumes reads as the system
// would report it: held, and pressed if it went down since the last poll.
struct input_latch {
    bool held = false;
    bool pressed = false;       // went down since the last poll
    bool polled = false;        // polled since the last frame mark
    bool watched = true;        // polled during the frame before the last mark (a new latch watches)

    // A new frame begins (the message pump runs): the frame just ended decides whether this input is
    // being watched.
    void frame_mark() {
        watched = polled;
        polled = false;
        if (!watched && !held) pressed = false;
    }
    // The input went down or up.
    void event(bool down) {
        if (down && !held) pressed = true;
        held = down;
        if (!down && !watched) pressed = false;
    }
    // Reads held-now (bit 15) and pressed-since-last-poll (bit 0), then clears the pressed bit.
    unsigned short poll() {
        const unsigned short state =
            static_cast<unsigned short>((held || pressed ? 0x8000u : 0u) | (pressed ? 1u : 0u));
        pressed = false;
        polled = true;
        return state;
    }
};
