// The player's panel helper: what the panel's input does to a clip, the
// real mpv worked through its socket, and the helper run around a stand-in
// player with no input devices of this machine's in reach.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "clip_controls.h"
#include "ffmpeg_player.h"
#include "mpv_player.h"
#include "running_service.h"
#include "scripted_input.h"
#include "test_support.h"
#include "within_ten_seconds.h"

namespace {

using std::chrono::milliseconds;

input_event event(unsigned short type, unsigned short code, int value, milliseconds at = milliseconds(0)) {
    return event_at(type, code, value, at);
}

input_event at(const input_event& e, milliseconds when) {
    return event_at(e.type, e.code, e.value, when);
}

// The events of a finger put down at x, drawn to to_x and lifted, as a
// panel reports them: a tracking id, BTN_TOUCH, or both in one frame.
std::vector<input_event> touch(bool tracking_id, bool btn_touch, int x, int to_x) {
    std::vector<input_event> events;
    for (int down : {1, 0}) {
        if (tracking_id) events.push_back(event(EV_ABS, ABS_MT_TRACKING_ID, down ? 7 : -1));
        events.push_back(event(EV_ABS, ABS_MT_POSITION_X, down ? x : to_x));
        if (btn_touch) events.push_back(event(EV_KEY, BTN_TOUCH, down));
        events.push_back(event(EV_SYN, SYN_REPORT, 0));
    }
    return events;
}

// The actions a stream gives, with the events stamped from `when` on, and
// those of a tap waiting at `then`.
std::vector<clip_action> actions(clip_controls& controls, const std::vector<input_event>& events,
                                 milliseconds when, int width = 1000) {
    std::vector<clip_action> all;
    for (const input_event& e : events)
        for (const clip_action action : controls.take(at(e, when), width)) all.push_back(action);
    return all;
}

std::vector<clip_action> waited(clip_controls& controls, milliseconds until) {
    const std::optional<clip_action> action = controls.at(until);
    return action ? std::vector<clip_action>{*action} : std::vector<clip_action>{};
}

using actions_list = std::vector<clip_action>;
const actions_list none{};

TEST(ClipControls, KeysTapsSwipesAndDoubleTapsByTheEventsOwnTimes) {
    using A = clip_action;
    const std::pair<unsigned short, A> keys[] = {
        {KEY_ESC, A::stop},          {KEY_Q, A::stop},          {KEY_BACK, A::stop},
        {KEY_ENTER, A::toggle_pause}, {KEY_SELECT, A::toggle_pause}, {KEY_SPACE, A::toggle_pause},
        {KEY_LEFT, A::seek_back},    {KEY_RIGHT, A::seek_forward}, {KEY_UP, A::volume_up},
        {KEY_DOWN, A::volume_down}};
    for (const auto& [key, action] : keys) {
        clip_controls controls;
        EXPECT_EQ(actions(controls, {event(EV_KEY, key, 0)}, milliseconds(0)), none) << "release of " << key;
        EXPECT_EQ(actions(controls, {event(EV_KEY, key, 1)}, milliseconds(0)), actions_list{action}) << key;
        // Held, only the volume goes on: one pause or seek a press.
        const bool repeats = action == A::volume_up || action == A::volume_down;
        EXPECT_EQ(actions(controls, {event(EV_KEY, key, 2)}, milliseconds(0)), repeats ? actions_list{action} : none)
            << "repeat of " << key;
    }
    clip_controls wheel;
    EXPECT_EQ(actions(wheel, {event(EV_REL, REL_WHEEL, 1), event(EV_SYN, SYN_REPORT, 0)}, milliseconds(0)), none);

    for (const auto& [tracking_id, btn_touch] : {std::pair{true, true}, {true, false}, {false, true}}) {
        SCOPED_TRACE(std::string("tracking id ") + (tracking_id ? "yes" : "no") + ", BTN_TOUCH " +
                     (btn_touch ? "yes" : "no"));
        const std::vector<input_event> tap = touch(tracking_id, btn_touch, 500, 510);
        clip_controls controls;
        // One tap acts once the double tap's time has passed, not before.
        EXPECT_EQ(actions(controls, tap, milliseconds(1000)), none);
        ASSERT_TRUE(controls.tap_due());
        EXPECT_EQ(controls.tap_due()->count(), 1500000);
        EXPECT_EQ(waited(controls, milliseconds(1499)), none);
        EXPECT_EQ(waited(controls, milliseconds(1500)), actions_list{A::toggle_pause});
        EXPECT_EQ(waited(controls, milliseconds(3000)), none) << "a tap acts once";
        // Two taps stop, and the first then does nothing.
        EXPECT_EQ(actions(controls, tap, milliseconds(4000)), none);
        EXPECT_EQ(actions(controls, tap, milliseconds(4200)), actions_list{A::stop});
        EXPECT_EQ(waited(controls, milliseconds(9000)), none);
        // A tap whose time has passed acts before the next event, whenever
        // the helper would have woken.
        EXPECT_EQ(actions(controls, tap, milliseconds(10000)), none);
        EXPECT_EQ(actions(controls, tap, milliseconds(10600)), actions_list{A::toggle_pause});
        EXPECT_EQ(waited(controls, milliseconds(11100)), actions_list{A::toggle_pause});
        // Swipes over a quarter of the width seek at once and start no tap.
        EXPECT_EQ(actions(controls, touch(tracking_id, btn_touch, 300, 600), milliseconds(20000)),
                  actions_list{A::seek_forward});
        EXPECT_EQ(actions(controls, touch(tracking_id, btn_touch, 600, 300), milliseconds(20300)),
                  actions_list{A::seek_back})
            << "a swipe soon after a swipe is no double tap";
        EXPECT_EQ(waited(controls, milliseconds(30000)), none);
        EXPECT_EQ(actions(controls, touch(tracking_id, btn_touch, 300, 540), milliseconds(40000)), none)
            << "a short drag is a tap";
        EXPECT_EQ(waited(controls, milliseconds(40500)), actions_list{A::toggle_pause});
    }

    // A pointer: clicks as taps, a drag of a relative pointer in its counts.
    clip_controls pointer;
    const std::vector<input_event> click{event(EV_KEY, BTN_LEFT, 1), event(EV_SYN, SYN_REPORT, 0),
                                         event(EV_KEY, BTN_LEFT, 0), event(EV_SYN, SYN_REPORT, 0)};
    EXPECT_EQ(actions(pointer, click, milliseconds(0), 0), none);
    EXPECT_EQ(actions(pointer, click, milliseconds(250), 0), actions_list{A::stop}) << "double click";
    const std::vector<input_event> drag{event(EV_KEY, BTN_LEFT, 1), event(EV_SYN, SYN_REPORT, 0),
                                        event(EV_REL, REL_X, -80), event(EV_SYN, SYN_REPORT, 0),
                                        event(EV_REL, REL_X, -40), event(EV_KEY, BTN_LEFT, 0),
                                        event(EV_SYN, SYN_REPORT, 0)};
    EXPECT_EQ(actions(pointer, drag, milliseconds(5000), 0), actions_list{A::seek_back});
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

bool installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t launch(const std::vector<std::string>& command) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> arguments;
        for (const std::string& argument : command) arguments.push_back(const_cast<char*>(argument.c_str()));
        arguments.push_back(nullptr);
        ::execvp(arguments[0], arguments.data());
        ::_exit(127);
    }
    return child;
}

// The real mpv, paused, sought and turned down through its socket: the
// position it saves as it is stopped tells what it took.
TEST(MpvPlayer, PausesSeeksAndTurnsDownThroughItsSocketAndLeavesNoSocketBehind) {
    if (!installed("mpv") || !installed("ffmpeg")) GTEST_SKIP() << "mpv or ffmpeg is not installed";
    temp_dir dir, runtime;
    const std::string clip = dir.path() + "/clip.mp4", saved = dir.path() + "/resume";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -f lavfi -i testsrc=size=64x48:rate=10 -t 30 -pix_fmt yuv420p " +
                           clip)
                              .c_str()),
              0);
    std::filesystem::create_directory(saved);
    const char* const user_runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string kept_runtime = user_runtime ? user_runtime : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    {
        mpv_player mpv(launch, {"mpv", "--no-config", "--vo=null", "--ao=null", "--really-quiet",
                                "--save-position-on-quit", "--watch-later-directory=" + saved, "--", clip});
        const pid_t player = mpv.start();
        ASSERT_GT(player, 0);
        EXPECT_FALSE(std::filesystem::is_empty(runtime.path())) << "no private folder for the socket";
        std::this_thread::sleep_for(milliseconds(1000));
        mpv.act(clip_action::toggle_pause, player);
        std::this_thread::sleep_for(milliseconds(4000));
        mpv.act(clip_action::seek_forward, player);
        mpv.act(clip_action::volume_down, player);
        std::this_thread::sleep_for(milliseconds(500));
        mpv.stop(player);
        ::waitpid(player, nullptr, 0);
    }
    if (user_runtime) ::setenv("XDG_RUNTIME_DIR", kept_runtime.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(std::filesystem::is_empty(runtime.path())) << "the socket's folder outlived the player";

    std::string lines;
    for (const auto& file : std::filesystem::directory_iterator(saved)) {
        std::ifstream in(file.path());
        lines.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t start = lines.find("start=");
    ASSERT_NE(start, std::string::npos) << "nothing saved: " << lines;
    const double position = std::stod(lines.substr(start + 6));
    std::printf("mpv: 1 s played, 4 s paused, 10 s sought on: saved at %.1f s\n", position);
    // Playing through the pause would put it past 15 s, no seek near 1 s.
    EXPECT_GE(position, 10.0);
    EXPECT_LT(position, 13.0);
    EXPECT_NE(lines.find("volume=95"), std::string::npos) << lines;
}

// ffmpeg's stand-in reports 2.5 s written and plays on; told to end, it
// reports 9 s as ffmpeg would, racing through a pause once it runs again.
// The position kept is the start plus what it reported, or where it was
// paused, never the time that passed.
TEST(FfmpegPlayer, KeepsTheTimeFfmpegReportsOrWhereItWasPaused) {
    temp_dir dir;
    const std::string stand_in = dir.write("ffmpeg",
                                           "#!/bin/sh\n"
                                           "[ \"$1\" = -progress ] || exit 3\n"
                                           "report=/dev/fd/${2#pipe:}\n"
                                           "trap 'echo out_time_us=9000000 > $report; kill $!; exit 255' TERM\n"
                                           "printf 'out_time_us=N/A\\nout_time_us=2500000\\nprogress=continue\\n' > $report\n"
                                           "sleep 30 & wait\n");
    ::chmod(stand_in.c_str(), 0755);
    for (const bool pause : {false, true}) {
        const std::string saved = dir.path() + "/resume";
        ffmpeg_player ffmpeg(launch, {stand_in, "-i", "clip"}, 10, saved);
        const pid_t player = ffmpeg.start();
        ASSERT_GT(player, 0);
        // Read until the report of 2.5 s has come, as the position kept tells.
        ASSERT_TRUE(within_ten_seconds([&] {
            ffmpeg.take_reports();
            ffmpeg.ended(true, 0);
            std::ifstream in(saved);
            std::string line;
            return std::getline(in, line) && line == "start=12.500";
        })) << "the report of 2.5 s from 10 s was not taken";
        if (pause) ffmpeg.act(clip_action::toggle_pause, player);
        ffmpeg.stop(player);
        int status = 0;
        ASSERT_EQ(::waitpid(player, &status, 0), player);
        ffmpeg.ended(true, status);
        std::ifstream in(saved);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, pause ? "start=12.500" : "start=19.000") << (pause ? "stopped while paused" : "stopped");
    }
}

}  // namespace
