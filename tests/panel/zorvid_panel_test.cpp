// The player's panel helper: what stops a clip, and the helper run around a
// stand-in player with no input devices of this machine's in reach.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "running_service.h"
#include "within_ten_seconds.h"
#include "stop_gesture.h"
#include "test_support.h"

namespace {

using std::chrono::milliseconds;

input_event event(unsigned short type, unsigned short code, int value, milliseconds at = milliseconds(0)) {
    input_event e{};
    e.input_event_sec = static_cast<decltype(e.input_event_sec)>(at.count() / 1000);
    e.input_event_usec = static_cast<decltype(e.input_event_usec)>(at.count() % 1000 * 1000);
    e.type = type;
    e.code = code;
    e.value = value;
    return e;
}

// The events of one finger's tap at a time, as a panel reports it: a
// tracking id, BTN_TOUCH, or both in one frame.
std::vector<input_event> tap(bool tracking_id, bool btn_touch, milliseconds at) {
    std::vector<input_event> events;
    for (int down : {1, 0}) {
        if (tracking_id) events.push_back(event(EV_ABS, ABS_MT_TRACKING_ID, down ? 7 : -1, at));
        events.push_back(event(EV_ABS, ABS_MT_POSITION_X, 100, at));
        if (btn_touch) events.push_back(event(EV_KEY, BTN_TOUCH, down, at));
        events.push_back(event(EV_SYN, SYN_REPORT, 0, at));
    }
    return events;
}

bool stops(stop_gesture& gesture, const std::vector<input_event>& events) {
    bool stopped = false;
    for (const input_event& e : events) stopped = gesture.stops(e) || stopped;
    return stopped;
}

TEST(StopGesture, StopKeysAndDoubleTaps) {
    for (unsigned short key : {KEY_ESC, KEY_Q, KEY_BACK}) {
        stop_gesture gesture;
        EXPECT_FALSE(gesture.stops(event(EV_KEY, key, 0))) << "a release of key " << key;
        EXPECT_FALSE(gesture.stops(event(EV_KEY, key, 2))) << "a repeat of key " << key;
        EXPECT_TRUE(gesture.stops(event(EV_KEY, key, 1))) << "key " << key;
    }
    for (const input_event& press : {event(EV_KEY, KEY_ENTER, 1), event(EV_REL, REL_WHEEL, 1)}) {
        stop_gesture gesture;
        for (int twice = 0; twice < 2; ++twice) {
            input_event at = press;
            at.input_event_usec = 100000 * twice;
            EXPECT_FALSE(stops(gesture, {at, event(EV_SYN, SYN_REPORT, 0, milliseconds(100 * twice))}))
                << "event code " << press.code;
        }
    }
    for (const auto& [tracking_id, btn_touch] : {std::pair{true, true}, {true, false}, {false, true}}) {
        SCOPED_TRACE(std::string("tracking id ") + (tracking_id ? "yes" : "no") + ", BTN_TOUCH " +
                     (btn_touch ? "yes" : "no"));
        stop_gesture gesture;
        EXPECT_FALSE(stops(gesture, tap(tracking_id, btn_touch, milliseconds(0)))) << "one tap, counted twice";
        EXPECT_TRUE(stops(gesture, tap(tracking_id, btn_touch, milliseconds(200)))) << "double tap";
        EXPECT_FALSE(stops(gesture, tap(tracking_id, btn_touch, milliseconds(400)))) << "a third tap starts anew";
        EXPECT_FALSE(stops(gesture, tap(tracking_id, btn_touch, milliseconds(1000)))) << "taps 600 ms apart";
    }
    stop_gesture clicks;
    const auto click = [](milliseconds at) {
        return std::vector<input_event>{event(EV_KEY, BTN_LEFT, 1, at), event(EV_SYN, SYN_REPORT, 0, at),
                                        event(EV_KEY, BTN_LEFT, 0, at), event(EV_SYN, SYN_REPORT, 0, at)};
    };
    EXPECT_FALSE(stops(clicks, click(milliseconds(3000))));
    EXPECT_TRUE(stops(clicks, click(milliseconds(3250)))) << "double click";
}

// Runs the helper with no input devices (an empty system tree) and no power
// service around a stand-in player, a shell command.
program_run run_helper(const std::vector<std::string>& arguments) {
    temp_dir root;
    ::setenv("EZXPMD_ROOT", root.path().c_str(), 1);
    ::setenv("EZXPMD_SOCKET", (root.path() + "/no-service").c_str(), 1);
    program_run run = run_program(ZORVID_PANEL_BINARY, arguments);
    ::unsetenv("EZXPMD_ROOT");
    ::unsetenv("EZXPMD_SOCKET");
    return run;
}

bool exists_within_ten_seconds(const std::string& path) {
    for (int tries = 0; tries < 1000; ++tries, std::this_thread::sleep_for(milliseconds(10)))
        if (std::filesystem::exists(path)) return true;
    return false;
}

TEST(ZorvidPanel, HoldsThePanelLitWhileThePlayerRunsAndPassesItsStatusOn) {
    running_service service("0\n");
    ASSERT_TRUE(service.listening()) << service.log();
    // The stand-in player tells that it plays, then waits for the word to end.
    const std::string playing = service.root().path() + "/playing", end = service.root().path() + "/end";
    const pid_t helper = ::fork();
    if (helper == 0) {
        ::setenv("EZXPMD_ROOT", service.root().path().c_str(), 1);
        ::setenv("EZXPMD_SOCKET", service.socket().c_str(), 1);
        ::execl(ZORVID_PANEL_BINARY, ZORVID_PANEL_BINARY, "--", "/bin/sh", "-c",
                ": > \"$0\"; while [ ! -e \"$1\" ]; do sleep 0.01; done; exit 3", playing.c_str(), end.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_TRUE(exists_within_ten_seconds(playing));
    EXPECT_EQ(service.ask("sleep 10"), "taken");
    EXPECT_EQ(service.ask("sleep -1"), "taken");
    EXPECT_EQ(service.panel(), "0\n") << "asleep while a clip plays";
    std::ofstream(end.c_str()).close();
    int status = -1;
    ::waitpid(helper, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << "the player's status is lost";
    EXPECT_TRUE(service.panel_becomes("4\n")) << "the hold outlived the helper";

    // What the framebuffer showed is back once the player is done.
    temp_dir dir;
    const std::string picture = dir.write("fb", "the launcher's picture");
    EXPECT_EQ(run_helper({"--framebuffer", picture, "--", "/bin/sh", "-c", "printf clip > \"$0\"", picture}).exit_status,
              0);
    std::ifstream in(picture, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              "the launcher's picture");

    EXPECT_EQ(run_helper({"/bin/sh", "-c", "kill -TERM $$"}).exit_status, 128 + SIGTERM);
    const program_run missing = run_helper({"--", dir.path() + "/no-player"});
    EXPECT_EQ(missing.exit_status, 127);
    EXPECT_NE(missing.streams.err.find("cannot start"), std::string::npos) << missing.streams.err;
    EXPECT_EQ(run_helper({"--framebuffer", picture}).exit_status, 2);
}

TEST(ZorvidPanel, ThePlayerDiesWithItsHelper) {
    temp_dir dir;
    const std::string pid_file = dir.path() + "/player.pid";
    const pid_t helper = ::fork();
    if (helper == 0) {
        ::setenv("EZXPMD_ROOT", dir.path().c_str(), 1);
        ::setenv("EZXPMD_SOCKET", (dir.path() + "/no-service").c_str(), 1);
        ::execl(ZORVID_PANEL_BINARY, ZORVID_PANEL_BINARY, "--", "/bin/sh", "-c", "echo $$ > \"$0\"; exec sleep 60",
                pid_file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_TRUE(exists_within_ten_seconds(pid_file));
    pid_t player = 0;
    ASSERT_TRUE(within_ten_seconds([&] { return (std::ifstream(pid_file) >> player) && player > 0; }));
    ::kill(helper, SIGKILL);
    ::waitpid(helper, nullptr, 0);
    // Gone, or a zombie waiting for init to reap it.
    const auto gone = [&] {
        std::ifstream stat("/proc/" + std::to_string(player) + "/stat");
        std::string line;
        return !std::getline(stat, line) || line.find(") Z") != std::string::npos;
    };
    EXPECT_TRUE(within_ten_seconds(gone)) << "the player plays on without its helper";
    if (!gone()) ::kill(player, SIGKILL);
}

}  // namespace
