// Random numbers for every backend: a small seeded generator.
#include <cstdint>

#include "platform/system.h"

namespace {
// xorshift64*: small, fast and good enough for stars and noise.
uint64_t random_state = 0x9E3779B97F4A7C15ull;
}  // namespace

void random_seed(uint32_t seed) {
    random_state = 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(seed) * 0xD1B54A32D192ED03ull);
    if (random_state == 0) random_state = 1;
}

double random01() {
    random_state ^= random_state >> 12;
    random_state ^= random_state << 25;
    random_state ^= random_state >> 27;
    uint64_t r = random_state * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0);
}
