// The player's panel helper: what stops a clip, and the helper run around a
// stand-in player with no input devices of this machine's in reach.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "fake_panel_service.h"
#include "stop_gesture.h"
#include "test_support.h"

namespace {

using std::chrono::milliseconds;

input_event event(unsigned short type, unsigned short code, int value) {
    input_event e{};
    e.type = type;
    e.code = code;
    e.value = value;
    return e;
}

TEST(StopGesture, StopKeysAndDoubleTaps) {
    const stop_gesture::clock::time_point t0{};
    for (unsigned short key : {KEY_ESC, KEY_Q, KEY_BACK}) {
        stop_gesture gesture;
        EXPECT_FALSE(gesture.stops(event(EV_KEY, key, 0), false, t0)) << "a release of key " << key;
        EXPECT_FALSE(gesture.stops(event(EV_KEY, key, 2), false, t0)) << "a repeat of key " << key;
        EXPECT_TRUE(gesture.stops(event(EV_KEY, key, 1), false, t0)) << "key " << key;
    }
    for (const input_event& press : {event(EV_KEY, KEY_ENTER, 1), event(EV_KEY, KEY_SPACE, 1),
                                     event(EV_KEY, KEY_DOWN, 1), event(EV_REL, REL_WHEEL, 1)}) {
        stop_gesture gesture;
        EXPECT_FALSE(gesture.stops(press, false, t0));
        EXPECT_FALSE(gesture.stops(press, false, t0 + milliseconds(100))) << "event code " << press.code;
    }

    // One finger's tap on a panel that reports BTN_TOUCH as well as the
    // contact's tracking id: one press, not two.
    const std::vector<input_event> tap{event(EV_ABS, ABS_MT_TRACKING_ID, 7), event(EV_KEY, BTN_TOUCH, 1),
                                       event(EV_SYN, SYN_REPORT, 0), event(EV_ABS, ABS_MT_TRACKING_ID, -1),
                                       event(EV_KEY, BTN_TOUCH, 0), event(EV_SYN, SYN_REPORT, 0)};
    auto taps_stop = [&](stop_gesture& gesture, stop_gesture::clock::time_point at, bool tracking_id_only) {
        bool stopped = false;
        for (const input_event& e : tap) {
            if (tracking_id_only && e.type == EV_KEY) continue;
            stopped = gesture.stops(e, tracking_id_only, at) || stopped;
        }
        return stopped;
    };
    for (bool tracking_id_only : {false, true}) {
        stop_gesture gesture;
        EXPECT_FALSE(taps_stop(gesture, t0, tracking_id_only));
        EXPECT_TRUE(taps_stop(gesture, t0 + milliseconds(200), tracking_id_only)) << "double tap";
        EXPECT_FALSE(taps_stop(gesture, t0 + milliseconds(400), tracking_id_only)) << "a third tap starts anew";
        EXPECT_FALSE(taps_stop(gesture, t0 + milliseconds(1000), tracking_id_only)) << "taps 600 ms apart";
    }
    stop_gesture clicks;
    EXPECT_FALSE(clicks.stops(event(EV_KEY, BTN_LEFT, 1), false, t0));
    EXPECT_FALSE(clicks.stops(event(EV_KEY, BTN_LEFT, 0), false, t0 + milliseconds(50)));
    EXPECT_TRUE(clicks.stops(event(EV_KEY, BTN_LEFT, 1), false, t0 + milliseconds(250))) << "double click";
}

// Runs the helper with no input devices (an empty system tree) around a
// stand-in player, a shell command.
program_run run_helper(const std::vector<std::string>& arguments) {
    temp_dir root;
    ::setenv("EZXPMD_ROOT", root.path().c_str(), 1);
    program_run run = run_program(ZORVID_PANEL_BINARY, arguments);
    ::unsetenv("EZXPMD_ROOT");
    return run;
}

TEST(ZorvidPanel, HoldsThePanelLitWhileThePlayerRunsAndPassesItsStatusOn) {
    {
        fake_panel_service service("held");
        const program_run run = run_helper({"--", "/bin/sh", "-c", "echo playing; exit 3"});
        EXPECT_EQ(run.exit_status, 3);
        EXPECT_EQ(run.streams.out, "playing\n");
        EXPECT_EQ(service.log(), (std::vector<std::string>{"hold", "closed"}));
    }
    // Without a service it plays all the same.
    temp_dir dir;
    ::setenv("EZXPMD_SOCKET", (dir.path() + "/no-service").c_str(), 1);
    EXPECT_EQ(run_helper({"/bin/sh", "-c", "kill -TERM $$"}).exit_status, 128 + SIGTERM);

    // What the framebuffer showed is back once the player is done.
    const std::string picture = dir.write("fb", "the launcher's picture");
    EXPECT_EQ(run_helper({"--framebuffer", picture, "--", "/bin/sh", "-c", "printf clip > \"$0\"", picture}).exit_status,
              0);
    std::ifstream in(picture, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              "the launcher's picture");

    const program_run missing = run_helper({"--", dir.path() + "/no-player"});
    EXPECT_EQ(missing.exit_status, 127);
    EXPECT_NE(missing.streams.err.find("cannot start"), std::string::npos) << missing.streams.err;
    EXPECT_EQ(run_helper({"--framebuffer", picture}).exit_status, 2);
    ::unsetenv("EZXPMD_SOCKET");
}

}  // namespace
