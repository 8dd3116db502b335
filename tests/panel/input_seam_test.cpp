// The service and the player's helper on scripted input devices: what they
// grab and when they let go, which input reaches the launcher, and what
// stops a clip.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "panel_service.h"
#include "playback.h"
#include "running_service.h"
#include "scripted_input.h"
#include "within_ten_seconds.h"

namespace {

using std::chrono::milliseconds;
const std::string lit = "0\n", dark = "4\n";

class scripted_desktop final : public desktop_watch {
public:
    explicit scripted_desktop(std::shared_ptr<std::atomic<bool>> up) : up_(std::move(up)) {}
    bool drives_display() override { return *up_; }

private:
    std::shared_ptr<std::atomic<bool>> up_;
};

// The service in a thread of this test, on a tree of its own with one
// scripted panel, its keys and its touch in one device.
class service_on_scripted_panel {
public:
    explicit service_on_scripted_panel(const std::string& panel_state = lit, bool desktop_up = false) {
        make_panel_tree(root_, panel_state);
        *desktop_ = desktop_up;
        if (::pipe2(stop_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
        service_ = std::make_unique<panel_service>(root_.path(), socket(), panel.source(),
                                                   std::make_unique<scripted_desktop>(desktop_));
        thread_ = std::thread([this] { service_->run(stop_[0]); });
    }
    ~service_on_scripted_panel() {
        if (::write(stop_[1], "s", 1) != 1) std::abort();
        thread_.join();
        ::close(stop_[0]);
        ::close(stop_[1]);
    }

    std::string ask(const std::string& request) const {
        ::setenv("EZXPMD_SOCKET", socket().c_str(), 1);
        const std::string reply = ask_panel_service(request, std::chrono::seconds(10)).reply;
        ::unsetenv("EZXPMD_SOCKET");
        return reply;
    }
    std::string state() const { return panel_in_tree(root_); }
    bool becomes(const std::string& value) const {
        return within_ten_seconds([&] { return state() == value; });
    }
    void set_desktop(bool up) { *desktop_ = up; }

    scripted_panel panel{"/dev/input/event0"};

private:
    std::string socket() const { return root_.path() + "/run/ezxpmd/socket"; }

    temp_dir root_;
    std::shared_ptr<std::atomic<bool>> desktop_ = std::make_shared<std::atomic<bool>>(false);
    int stop_[2] = {-1, -1};
    std::unique_ptr<panel_service> service_;
    std::thread thread_;
};

milliseconds at(int ms) { return milliseconds(ms); }

TEST(ServiceInput, GrabsWhileDarkAndLetsGoOnlyOnceEveryKeyAndFingerIsUp) {
    service_on_scripted_panel s;
    EXPECT_FALSE(s.panel.grabbed()) << "grabbed while lit";
    EXPECT_EQ(s.ask("sleep 10"), "taken");
    ASSERT_TRUE(s.becomes(dark));
    EXPECT_TRUE(s.panel.grabbed()) << "asleep without a grab";

    s.panel.key(KEY_ENTER, 1, at(0));
    ASSERT_TRUE(s.becomes(lit)) << "a key did not wake it";
    s.panel.touch(true, at(10));
    s.panel.key(KEY_ENTER, 0, at(20));
    EXPECT_EQ(s.ask("sleep -1"), "taken");  // answered after the input is taken
    EXPECT_TRUE(s.panel.grabbed()) << "let go with a finger still down";
    s.panel.touch(false, at(30));
    EXPECT_TRUE(within_ten_seconds([&] { return !s.panel.grabbed(); })) << "the grab is never released";
}

TEST(ServiceInput, TheWakingTapAndKeyReachNobodyElse) {
    service_on_scripted_panel s;
    for (const char* waking : {"tap", "key"}) {
        SCOPED_TRACE(waking);
        EXPECT_EQ(s.ask("sleep 10"), "taken");
        ASSERT_TRUE(s.becomes(dark));
        ASSERT_TRUE(within_ten_seconds([&] { return s.panel.grabbed(); }));
        const std::size_t seen = s.panel.seen_by_others();
        if (std::string(waking) == "tap") {
            s.panel.touch(true, at(0));
            ASSERT_TRUE(s.becomes(lit));
            s.panel.touch(false, at(90));
        } else {
            s.panel.key(KEY_ENTER, 1, at(0));
            ASSERT_TRUE(s.becomes(lit));
            s.panel.key(KEY_ENTER, 0, at(90));
        }
        ASSERT_TRUE(within_ten_seconds([&] { return !s.panel.grabbed(); }));
        EXPECT_EQ(s.panel.seen_by_others(), seen) << "the waking input reached the launcher";
    }
    s.panel.touch(true, at(0));
    s.panel.touch(false, at(90));
    EXPECT_EQ(s.ask("sleep -1"), "taken");
    EXPECT_EQ(s.state(), lit);
    EXPECT_FALSE(s.panel.grabbed()) << "a tap on a lit panel was taken";
}

TEST(ServiceInput, NeverSleepsWithAFingerDownNorOnceADesktopCameUp) {
    // Started dark with a desktop seemingly up: lit all the same.
    service_on_scripted_panel s(dark, true);
    ASSERT_TRUE(s.becomes(lit)) << "a start with a desktop up left the panel dark";
    s.set_desktop(false);
    s.panel.touch(true, at(0));
    EXPECT_EQ(s.ask("sleep 10"), "taken");
    std::this_thread::sleep_for(milliseconds(2500));
    EXPECT_EQ(s.state(), lit) << "asleep under a finger";
    s.panel.touch(false, at(100));
    EXPECT_TRUE(s.becomes(dark)) << "the sleep put off by the finger never came";

    // A desktop that comes up after the time was set drives the display.
    EXPECT_EQ(s.ask("sleep 0"), "taken");
    ASSERT_TRUE(s.becomes(lit));
    s.panel.touch(true, at(200));
    EXPECT_EQ(s.ask("sleep 10"), "taken");
    s.set_desktop(true);
    s.panel.touch(false, at(300));
    std::this_thread::sleep_for(milliseconds(2500));
    EXPECT_EQ(s.state(), lit) << "a desktop's display was blanked";
    EXPECT_EQ(s.ask("sleep 10"), "desktop");
}

// A player's controls that note what they were asked to do; it is stopped
// as every player is, by SIGTERM.
class recording_player final : public clip_player {
public:
    recording_player() : clip_player([](const std::vector<std::string>&) { return -1; }, {}) {}
    pid_t act(clip_action action, pid_t player) override {
        const std::lock_guard<std::mutex> hold(lock_);
        actions_.push_back(action);
        return player;
    }
    std::vector<clip_action> actions() const {
        const std::lock_guard<std::mutex> hold(lock_);
        return actions_;
    }

private:
    mutable std::mutex lock_;
    std::vector<clip_action> actions_;
};

// The helper's input loop in a thread of this test around a player of this
// test's, a shell command; SIGCHLD is read through a signalfd, as the helper
// reads it.
class helper_on_scripted_panel {
public:
    // player: a shell command, whose $0 names a file it may make once it plays.
    explicit helper_on_scripted_panel(const char* player) {
        sigset_t child;
        sigemptyset(&child);
        sigaddset(&child, SIGCHLD);
        ::pthread_sigmask(SIG_BLOCK, &child, &saved_);
        signals_ = file_descriptor(::signalfd(-1, &child, SFD_NONBLOCK | SFD_CLOEXEC));
        play_ = std::make_unique<playback>(signals_.get(), panel.source(), controls);
        player_ = ::fork();
        if (player_ == 0) {
            ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
            ::execl("/bin/sh", "sh", "-c", player, playing().c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        thread_ = std::thread([this] {
            play_->until_done(player_);
            player_done_ = true;
            play_->until_released();
            released_ = true;
        });
    }
    ~helper_on_scripted_panel() {
        if (!player_done_) ::kill(player_, SIGKILL);
        thread_.join();
        ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    }

    std::string playing() const { return dir_.path() + "/playing"; }
    bool player_done() const { return player_done_; }
    bool released() const { return released_; }
    bool stopped() const { return play_->stopped(); }

    scripted_panel panel{"/dev/input/event0"};
    recording_player controls;

private:
    temp_dir dir_;
    sigset_t saved_{};
    file_descriptor signals_;
    std::unique_ptr<playback> play_;
    pid_t player_ = -1;
    std::thread thread_;
    std::atomic<bool> player_done_{false}, released_{false};
};

constexpr const char* obedient_player = "exec sleep 60";
constexpr const char* deaf_player = "trap '' TERM; : > \"$0\"; while :; do sleep 0.05; done";

TEST(HelperInput, StopKeysAndDoubleTapsByTheEventsOwnTimes) {
    for (unsigned short key : {KEY_ESC, KEY_Q, KEY_BACK}) {
        helper_on_scripted_panel h(obedient_player);
        ASSERT_TRUE(within_ten_seconds([&] { return h.panel.grabbed(); })) << "a free device not grabbed";
        h.panel.key(KEY_ENTER, 1, at(0));
        h.panel.key(KEY_ENTER, 0, at(50));
        h.panel.key(key, 1, at(100));
        EXPECT_TRUE(within_ten_seconds([&] { return h.player_done(); })) << "key " << key << " stopped nothing";
        EXPECT_TRUE(h.stopped());
        h.panel.key(key, 0, at(150));
    }
    // Two taps 700 ms apart by their times, read at once: no double tap.
    // Two taps 200 ms apart by their times, read a second apart: a double tap.
    helper_on_scripted_panel h(obedient_player);
    h.panel.touch(true, at(1000));
    h.panel.touch(false, at(1050));
    h.panel.touch(true, at(1700));
    h.panel.touch(false, at(1750));
    std::this_thread::sleep_for(milliseconds(1000));
    EXPECT_FALSE(h.player_done()) << "taps 700 ms apart stopped the clip";
    h.panel.touch(true, at(5000));
    h.panel.touch(false, at(5050));
    std::this_thread::sleep_for(milliseconds(1000));
    h.panel.touch(true, at(5200));
    h.panel.touch(false, at(5250));
    EXPECT_TRUE(within_ten_seconds([&] { return h.player_done(); })) << "a double tap stopped nothing";
}

TEST(HelperInput, KillsADeafPlayerAndKeepsTheStoppingKeyUntilItIsUp) {
    helper_on_scripted_panel h(deaf_player);
    ASSERT_TRUE(within_ten_seconds([&] { return h.panel.grabbed() && ::access(h.playing().c_str(), F_OK) == 0; }));
    const auto pressed = std::chrono::steady_clock::now();
    h.panel.key(KEY_ESC, 1, at(0));
    ASSERT_TRUE(within_ten_seconds([&] { return h.player_done(); })) << "a player deaf to SIGTERM plays on";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
    std::printf("a player deaf to SIGTERM was gone %.2f s after the stop\n", seconds);
    EXPECT_LT(seconds, 5.0);
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_TRUE(h.panel.grabbed()) << "the stopping key let go while still down";
    EXPECT_FALSE(h.released()) << "done with the stopping key still down";
    h.panel.key(KEY_ESC, 0, at(500));
    // Done: the helper ends, and its grabs with it.
    EXPECT_TRUE(within_ten_seconds([&] { return h.released(); })) << "the helper waits on with every key up";
    EXPECT_EQ(h.panel.seen_by_others(), 0U) << "the stopping key reached the launcher";
}

// A single tap acts only once the double-tap time has passed by the events'
// own times, whenever they are read; a key seeks at once.
TEST(HelperInput, ATapPausesOnlyOnceNoSecondTapCanComeAndKeysSeek) {
    helper_on_scripted_panel h(obedient_player);
    ASSERT_TRUE(within_ten_seconds([&] { return h.panel.grabbed(); }));
    h.panel.touch(true, at(1000));
    h.panel.touch(false, at(1050));
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_TRUE(h.controls.actions().empty()) << "a tap acted before a second one could come";
    EXPECT_TRUE(within_ten_seconds([&] { return !h.controls.actions().empty(); })) << "a tap did not pause";
    h.panel.key(KEY_RIGHT, 1, at(3000));
    h.panel.key(KEY_RIGHT, 0, at(3050));
    EXPECT_TRUE(within_ten_seconds([&] { return h.controls.actions().size() == 2; }));
    EXPECT_EQ(h.controls.actions(), (std::vector<clip_action>{clip_action::toggle_pause, clip_action::seek_forward}));
    EXPECT_FALSE(h.player_done()) << "a tap or a seek stopped the clip";
}

}  // namespace
