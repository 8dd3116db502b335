#include "playback.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using clock_type = std::chrono::steady_clock;

// A player told to stop that is still there after this is killed: the
// launcher is to be back within a second.
constexpr std::chrono::milliseconds stop_grace{300};
// The stopping key or finger stays this program's until it is up, or this long.
constexpr std::chrono::seconds release_wait{3};

}  // namespace

playback::playback(int signals, std::unique_ptr<input_device_source> devices, clip_player& player)
    : signals_(signals), devices_(std::move(devices)), player_(player) {
    devices_.grab_free();
}

void playback::stop(int signal, clock_type::time_point now) {
    if (signal == 0)
        player_.stop(pid_);
    else
        ::kill(pid_, signal);
    if (!kill_at_) kill_at_ = now + stop_grace;
}

void playback::carry_out(clip_action action, clock_type::time_point now) {
    if (stopped_ || status_) return;
    if (action == clip_action::stop) {
        stopped_ = true;
        stop(0, now);
        return;
    }
    const pid_t pid = player_.act(action, pid_);
    // A player that could not be started again has ended.
    if (pid < 0)
        status_ = W_EXITCODE(127, 0);
    else
        pid_ = pid;
}

int playback::until_done(pid_t player) {
    pid_ = player;
    while (!status_) {
        poll_set set;
        devices_.watch(set);
        set.add(signals_);
        const int reports = player_.report_fd();
        if (reports >= 0) set.add(reports);
        std::optional<clock_type::time_point> wake = kill_at_;
        if (const std::optional<clip_controls::moment> tap = controls_.tap_due()) {
            const clock_type::time_point at = event_clock_.steady_at(*tap);
            if (!wake || at < *wake) wake = at;
        }
        set.wait_until(wake);
        const clock_type::time_point now = clock_type::now();
        if (reports >= 0 && set.ready(reports)) player_.take_reports();
        devices_.take_input(set, [&](const input_device& device, const std::vector<input_event>& events) {
            const int width = device.horizontal_extent();
            for (const input_event& event : events) {
                event_clock_.saw(event, now);
                for (const clip_action action : controls_.take(event, width)) carry_out(action, now);
            }
        });
        if (const std::optional<clip_action> tap = controls_.at(event_clock_.at(now))) carry_out(*tap, now);
        // The stopping key or finger is up: nothing more to stop, and what
        // comes next is for the launcher. Letting go takes the kernel a
        // while, which passes as the player ends.
        if (stopped_ && !devices_.any_held()) devices_.close_all();
        devices_.grab_free();
        if (set.ready(signals_)) take_signals(now);
        if (!status_ && kill_at_ && now >= *kill_at_) {
            ::kill(pid_, SIGKILL);
            kill_at_.reset();
        }
    }
    return *status_;
}

void playback::take_signals(clock_type::time_point now) {
    signalfd_siginfo info;
    while (::read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo != SIGCHLD) {
            // Told to stop, as by Ctrl+C: the player is told the same, and
            // killed if it does not listen.
            stop(static_cast<int>(info.ssi_signo), now);
            continue;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    }
}

void playback::until_released() {
    const clock_type::time_point give_up = clock_type::now() + release_wait;
    while (devices_.any_held() && clock_type::now() < give_up) {
        poll_set set;
        devices_.watch(set);
        set.wait_until(give_up);
        devices_.take_input(set, [](const input_device&, const std::vector<input_event>&) {});
    }
}
