// The monkey: a whole run of the program on the headless backend (intro, then the magazine) driven by a
// seeded random reader, with the reader's own account of what must be on screen checked after every pass.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/monkey/alloc_count.h"

struct monkey_options {
    double seconds = 60.0;  // virtual time the run lasts, intro included, before the reader leaves
    uint32_t seed = 1;
    bool escape_at_end = true;  // false: the reader leaves by the exit button
    double rss_every = 0.0;     // > 0: the process's resident size sampled every this many virtual seconds
};

struct rss_sample {
    double seconds;  // virtual time of the sample
    long kib;        // resident set size
};

struct monkey_result {
    std::vector<std::string> faults;  // every check that failed, with the pass and virtual time; empty: all held
    int exit_code = -2;               // what the main sequence would return
    uint64_t frames = 0;              // presented in the whole run
    uint64_t passes = 0;              // magazine loop passes
    double seconds = 0.0;             // virtual time at the end
    int page_opens = 0, menu_switches = 0, skin_switches = 0, tune_choices = 0, music_toggles = 0;
    int intro_tune_choices = 0;
    int forgotten_inputs = 0;  // taps scripted into wipes and noise, which must have had no effect
    alloc_counts baseline{};   // live heap after the first page switch (music off, no device open)
    alloc_counts end{};        // the same at the end, with the same tune loaded and the music off
    std::vector<rss_sample> rss;  // with rss_every: the first when the reader starts, the last at the end
};

// Runs the whole program once with a reader drawn from the seed. Resets the headless backend first.
monkey_result monkey_run(const monkey_options& options);
