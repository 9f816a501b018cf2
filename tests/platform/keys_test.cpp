// Key polling on the headless keyboard: struck once then held, and the quick tap between two polls.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/keys.h"

TEST(Keys, StruckOnceThenHeldAndATapBetweenPollsReadsAsStruckOnce) {
    headless_reset();
    headless_key(vk_escape, true);
    headless_key(vk_up, true);
    EXPECT_TRUE(key_struck(key_state(vk_escape)));
    const int16_t again = key_state(vk_escape);
    EXPECT_TRUE(!key_struck(again) && key_held(again));
    EXPECT_TRUE(key_struck(key_state(vk_up)));  // polling one key leaves the others alone
    headless_key(vk_escape, false);
    headless_key(vk_f1 + 4, true);
    headless_key(vk_f1 + 4, false);
    EXPECT_EQ(key_state(vk_escape), 0);
    EXPECT_TRUE(key_struck(key_state(vk_f1 + 4)));
    EXPECT_EQ(key_state(vk_f1 + 4) | key_state(-1) | key_state(300), 0);
}
