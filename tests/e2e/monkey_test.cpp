// The monkey in CI: a minute of virtual time of random reading, intro then magazine, with every check
// of the reader's account holding and the heap back where it stood after the first page switch.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tools/monkey/monkey.h"

namespace {

// A minute, or what KV_MONKEY_SECONDS says (the thread-sanitizer run, many times slower, takes less).
double run_seconds() {
    const char* s = std::getenv("KV_MONKEY_SECONDS");
    return s && std::atof(s) > 0.0 ? std::atof(s) : 60.0;
}

// A run of the seeded reader, leaving by Escape or by the exit button, with its account clean.
void expect_a_clean_run(uint32_t seed, bool escape_at_end) {
    monkey_options o;
    o.seconds = run_seconds();
    o.seed = seed;
    o.escape_at_end = escape_at_end;
    const monkey_result r = monkey_run(o);
    for (const std::string& f : r.faults) ADD_FAILURE() << f;
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_GE(r.seconds, run_seconds());
    EXPECT_EQ(r.end.bytes, r.baseline.bytes);
    EXPECT_EQ(r.end.blocks, r.baseline.blocks);
    // The reader did what it is there for: pages, tunes and taps lost in wipes and noise.
    EXPECT_GT(r.page_opens, 2);
    EXPECT_GT(r.tune_choices + r.music_toggles, 2);
    EXPECT_GT(r.forgotten_inputs, 5);
}

}  // namespace

TEST(Monkey, RandomReadingThenEscape) { expect_a_clean_run(31, true); }

TEST(Monkey, RandomReadingThenTheExitButton) { expect_a_clean_run(1931, false); }
