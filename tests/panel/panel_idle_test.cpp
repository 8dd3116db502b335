// The idle rule on a fake clock: the sleep times, waking, the swallowed
// waking input, holds and held keys.
#include <gtest/gtest.h>

#include "panel_idle.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A panel_idle and its clock, with the state it shows as one word.
struct idle_panel {
    panel_idle::clock::time_point now{seconds(1000)};
    panel_idle idle{now};

    void pass(panel_idle::clock::duration time, bool held = false) {
        now += time;
        idle.tick(now, held);
    }
    void press() { idle.input(now, true); }
    void release() { idle.input(now, false); }
    void set(int seconds) {
        idle.set_time(seconds, now);
        idle.tick(now, false);
    }
    // lit, asleep, or lit but still swallowing the waking input
    std::string state() const {
        if (!idle.lit()) return idle.grabbing() ? "asleep" : "dark but not grabbing";
        return idle.grabbing() ? "swallowing" : "lit";
    }
};

TEST(PanelIdle, SleepsAfterTheIdleTimeAndSwallowsTheInputThatWakesIt) {
    idle_panel p;
    EXPECT_FALSE(p.idle.deadline()) << "a new service never sleeps untold";
    p.set(15);
    p.pass(milliseconds(14999));
    EXPECT_EQ(p.state(), "lit");
    p.press();
    p.release();
    p.pass(seconds(14));
    EXPECT_EQ(p.state(), "lit") << "input restarts the idle time";
    p.pass(seconds(1));
    EXPECT_EQ(p.state(), "asleep");

    // A key: its press and its release are both the service's.
    p.pass(seconds(100));
    p.press();
    EXPECT_EQ(p.state(), "swallowing");
    p.pass(seconds(30), true);
    EXPECT_EQ(p.state(), "swallowing") << "asleep again with the key still down";
    p.release();
    EXPECT_EQ(p.state(), "lit");
    p.pass(seconds(15));
    EXPECT_EQ(p.state(), "asleep") << "the time still holds once woken";

    // A pointer's move has nothing to release: swallowed, and input flows.
    p.release();
    EXPECT_EQ(p.state(), "lit");
}

TEST(PanelIdle, TenSleepsAtOnceAndNeverAgainZeroNeverNegativeChangesNothing) {
    idle_panel p;
    p.set(10);
    EXPECT_EQ(p.state(), "asleep");
    p.set(-1);
    EXPECT_EQ(p.state(), "asleep");
    p.press();
    p.release();
    EXPECT_EQ(p.state(), "lit");
    EXPECT_FALSE(p.idle.deadline()) << "once woken from 10 it stays lit";

    p.set(45);
    p.set(-30);
    p.pass(seconds(45));
    EXPECT_EQ(p.state(), "asleep") << "a negative time dropped the 45 seconds";
    p.set(0);
    EXPECT_EQ(p.state(), "lit") << "0 wakes it";
    p.pass(seconds(100000));
    EXPECT_EQ(p.state(), "lit");

    p.set(10);
    p.set(20);
    EXPECT_EQ(p.state(), "lit") << "another time wakes a panel put to sleep by 10";
    p.pass(seconds(20));
    EXPECT_EQ(p.state(), "asleep");
}

TEST(PanelIdle, HoldsAndHeldKeysKeepItLit) {
    idle_panel p;
    p.set(15);
    p.idle.hold(p.now);
    p.idle.hold(p.now);
    p.pass(seconds(60));
    EXPECT_EQ(p.state(), "lit") << "asleep while a clip plays";
    p.idle.end_hold(p.now);
    p.pass(seconds(60));
    EXPECT_EQ(p.state(), "lit") << "asleep while a second clip plays";
    p.idle.end_hold(p.now);
    p.pass(seconds(14));
    EXPECT_EQ(p.state(), "lit") << "the idle time did not start again at the clip's end";
    p.pass(seconds(1));
    EXPECT_EQ(p.state(), "asleep");
    p.idle.hold(p.now);
    EXPECT_EQ(p.state(), "lit") << "a clip that starts lights the panel, with no input to swallow";

    // A finger resting on the panel: whoever saw it come down must see it lift.
    idle_panel q;
    q.press();
    q.idle.set_time(10, q.now);
    q.pass(seconds(0), true);
    EXPECT_EQ(q.state(), "lit");
    ASSERT_TRUE(q.idle.deadline());
    EXPECT_GT(*q.idle.deadline(), q.now) << "a held key would make the service spin";
    q.release();
    q.pass(seconds(0));
    EXPECT_EQ(q.state(), "asleep") << "sleep now, once the finger is up";
}

}  // namespace
