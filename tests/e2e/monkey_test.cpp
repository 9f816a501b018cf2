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

void expect_a_clean_run(const monkey_result& r) {
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

TEST(Monkey, RandomReadingThenEscape) {
    monkey_options o;
    o.seconds = run_seconds();
    o.seed = 31;
    expect_a_clean_run(monkey_run(o));
}

TEST(Monkey, RandomReadingThenTheExitButton) {
    monkey_options o;
    o.seconds = run_seconds();
    o.seed = 1931;
    o.escape_at_end = false;
    expect_a_clean_run(monkey_run(o));
}
