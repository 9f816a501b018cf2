// tools/monkey: runs the whole program headless under a seeded random reader for a given virtual time
// and reports what it did and every check that failed; exit code 0 only when every check held.
//   monkey [--seconds N] [--seed N] [--exit-button] [--rss-every S]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/monkey/monkey.h"

int main(int argc, char** argv) {
    monkey_options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            options.seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--rss-every") == 0 && i + 1 < argc) {
            options.rss_every = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--exit-button") == 0) {
            options.escape_at_end = false;
        } else {
            std::fprintf(stderr, "usage: monkey [--seconds N] [--seed N] [--exit-button] [--rss-every S]\n");
            return 2;
        }
    }
    const monkey_result r = monkey_run(options);
    std::printf("monkey: seed %u, %.1f s virtual, %llu frames, %llu magazine passes, exit code %d\n", options.seed,
                r.seconds, static_cast<unsigned long long>(r.frames), static_cast<unsigned long long>(r.passes),
                r.exit_code);
    std::printf("  pages opened %d, menu switches %d, skin switches %d, tunes chosen %d, music toggles %d, "
                "intro tune chosen %d, inputs forgotten %d\n",
                r.page_opens, r.menu_switches, r.skin_switches, r.tune_choices, r.music_toggles,
                r.intro_tune_choices, r.forgotten_inputs);
    std::printf("  heap after the first page switch %lld bytes in %lld blocks, at the end %lld bytes in %lld blocks\n",
                static_cast<long long>(r.baseline.bytes), static_cast<long long>(r.baseline.blocks),
                static_cast<long long>(r.end.bytes), static_cast<long long>(r.end.blocks));
    for (const rss_sample& s : r.rss) std::printf("  rss at %6.1f s: %ld KiB\n", s.seconds, s.kib);
    for (const std::string& f : r.faults) std::printf("FAULT %s\n", f.c_str());
    return r.faults.empty() ? 0 : 1;
}
