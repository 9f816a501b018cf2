// Key polling: held, struck and the quick tap between two polls.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/system.h"

TEST(Keys, HeldKeyIsStruckOnceThenHeld) {
    headless_reset();
    EXPECT_EQ(key_state(vk_escape), 0);
    headless_key(vk_escape, true);
    EXPECT_TRUE(key_struck(key_state(vk_escape)));
    const int16_t again = key_state(vk_escape);
    EXPECT_FALSE(key_struck(again));
    EXPECT_TRUE(key_held(again));
    EXPECT_EQ(static_cast<uint16_t>(again), 0x8000);
    headless_key(vk_escape, false);
    EXPECT_EQ(key_state(vk_escape), 0);
}

TEST(Keys, TapBetweenPollsReadsAsStruckOnce) {
    headless_reset();
    headless_key(vk_f1 + 4, true);
    headless_key(vk_f1 + 4, false);
    EXPECT_TRUE(key_struck(key_state(vk_f1 + 4)));
    EXPECT_EQ(key_state(vk_f1 + 4), 0);
}

TEST(Keys, KeysAreIndependentAndPollingClearsOnlyThatKey) {
    headless_reset();
    headless_key(vk_up, true);
    headless_key(vk_next, true);
    EXPECT_TRUE(key_struck(key_state(vk_next)));
    EXPECT_TRUE(key_struck(key_state(vk_up)));
    EXPECT_EQ(key_state(vk_home), 0);
    EXPECT_EQ(key_state(-1), 0);
    EXPECT_EQ(key_state(300), 0);
}

TEST(Keys, ScriptedKeysApplyAtTheirFrameEvenWithoutPresents) {
    headless_reset();
    headless_push({0, headless_event::key_down, vk_escape});
    headless_push({3, headless_event::key_down, vk_f12});
    EXPECT_TRUE(key_struck(key_state(vk_escape)));
    EXPECT_EQ(key_state(vk_f12), 0);
}

TEST(Clock, SleepsAndFlipsAdvanceVirtualTime) {
    headless_reset();
    EXPECT_DOUBLE_EQ(timer_seconds(), 0.0);
    sleep_ms(250);
    EXPECT_NEAR(timer_seconds(), 0.25, 1e-9);
    headless_advance(1.0);
    EXPECT_NEAR(timer_seconds(), 1.25, 1e-9);
}
