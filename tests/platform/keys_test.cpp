// Key polling on the headless keyboard: struck once then held, and the quick tap between two polls.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/keys.h"

TEST(Keys, StruckOnceThenHeldAndATapBetweenPollsReadsAsStruckOnce) {
    headless_reset();
    headless_key(vk_escape, true);
    EXPECT_TRUE(key_struck(key_state(vk_escape)));
    const int16_t again = key_state(vk_escape);
    EXPECT_TRUE(!key_struck(again) && key_held(again));
    headless_key(vk_escape, false);
    headless_key(vk_up, true);
    headless_key(vk_up, false);
    EXPECT_EQ(key_state(vk_escape), 0);
    EXPECT_TRUE(key_struck(key_state(vk_up)));
    EXPECT_EQ(key_state(vk_up), 0);
}
