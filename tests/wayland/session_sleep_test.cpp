// The agent's decisions without a compositor: when the outputs go dark and
// light, and how long the overlay stays to take the waking input.
#include <gtest/gtest.h>

#include "session_sleep.h"

namespace {

using std::chrono::milliseconds;

TEST(SessionSleep, DarkOnlyBehindTheOverlayWhichStaysUntilTheWakingInputIsUp) {
    session_sleep sleep(true);
    sleep.set_time(10);
    EXPECT_TRUE(sleep.overlay_wanted());
    EXPECT_FALSE(sleep.dark()) << "dark before the overlay is on screen: the waking key would reach the window";
    sleep.overlay_shown();
    EXPECT_TRUE(sleep.dark());
    sleep.input(true);
    EXPECT_FALSE(sleep.dark());
    EXPECT_TRUE(sleep.overlay_wanted()) << "the overlay went while the waking key is down";
    sleep.input(false);
    EXPECT_FALSE(sleep.overlay_wanted());
    // Once woken after 10 it never sleeps again.
    EXPECT_EQ(sleep.idle_timeout(), std::nullopt);
    sleep.idled();
    EXPECT_FALSE(sleep.dark());

    // A later sleep shows the overlay anew before going dark.
    sleep.set_time(10);
    EXPECT_FALSE(sleep.dark());
    // Any time but 10 lights it, and nothing is left to swallow.
    sleep.overlay_shown();
    sleep.set_time(0);
    EXPECT_FALSE(sleep.dark());
    EXPECT_FALSE(sleep.overlay_wanted());
    sleep.set_time(-5);
    EXPECT_FALSE(sleep.dark());
    EXPECT_EQ(sleep.idle_timeout(), std::nullopt) << "a negative time changed the time";
}

TEST(SessionSleep, IdleTimeAndAWakeTheOverlayDidNotSee) {
    session_sleep sleep(true);
    const unsigned before = sleep.generation();
    sleep.set_time(45);
    EXPECT_EQ(sleep.idle_timeout(), milliseconds(45000));
    EXPECT_NE(sleep.generation(), before) << "a time set again would not restart the idle count";
    EXPECT_FALSE(sleep.overlay_wanted());
    sleep.idled();
    sleep.overlay_shown();
    ASSERT_TRUE(sleep.dark());
    // The compositor says the user is back, but no input reached the overlay.
    const auto now = session_sleep::clock::now();
    sleep.resumed(now);
    EXPECT_FALSE(sleep.dark());
    EXPECT_TRUE(sleep.overlay_wanted()) << "the waking input may still be on its way";
    ASSERT_TRUE(sleep.deadline());
    sleep.tick(now + milliseconds(100));
    EXPECT_TRUE(sleep.overlay_wanted());
    sleep.tick(*sleep.deadline());
    EXPECT_FALSE(sleep.overlay_wanted()) << "the overlay would swallow the next key on a lit screen";
    EXPECT_EQ(sleep.idle_timeout(), milliseconds(45000)) << "the idle time is lost after a wake";

    // Without a layer shell the outputs go dark at once; nothing is swallowed.
    session_sleep bare(false);
    bare.set_time(10);
    EXPECT_TRUE(bare.dark());
    EXPECT_FALSE(bare.overlay_wanted());
    bare.resumed(now);
    EXPECT_FALSE(bare.dark());
}

}  // namespace
