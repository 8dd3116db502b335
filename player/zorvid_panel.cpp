// zorvid-panel: runs a video player on a device's panel, for the player
// stand-in zorvid, where no X11 or Wayland session hands the player keys.
//   zorvid-panel [--framebuffer DEVICE] [--] PLAYER [ARGUMENT...]
// While the player runs it
// - asks the kit's power service to keep the panel lit, and does without
//   when no service answers;
// - reads the panel's input devices, grabbed so that nothing given during
//   the clip reaches the launcher, and read as they are where a grab fails;
//   a device on which a key or finger is down is grabbed once it is up, so
//   that the launcher sees whole what it saw begin;
// - stops the player on a press of Escape, q or Back, or a double tap.
// Once the key or finger that stopped the clip is up, the input is the
// launcher's again, while the player ends. When the player is done, the
// helper puts back what DEVICE showed, if given, and the terminal's modes,
// which a player killed on its way out could not, and lets the input go
// once every key and finger of the playback is up. Exits with the player's
// status, 0 when the user stopped it, 127 when it could not be started, 2 on
// a wrong command line.
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "framebuffer_picture.h"
#include "input_devices.h"
#include "panel_channel.h"
#include "stop_gesture.h"
#include "system_paths.h"

namespace {

using clock_type = std::chrono::steady_clock;

// A player asked to stop that is still there after this is killed: the
// launcher is to be back within a second.
constexpr std::chrono::milliseconds stop_grace{300};
// The stopping key or finger stays this program's until it is up, or this long.
constexpr std::chrono::seconds release_wait{3};
constexpr std::chrono::milliseconds service_deadline{1000};

struct command_line {
    std::optional<std::string> framebuffer;
    std::vector<char*> player;  // ends with a null pointer
};

std::optional<command_line> parse(int argc, char** argv) {
    command_line line;
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--framebuffer") == 0) {
        line.framebuffer = argv[i + 1];
        i += 2;
    }
    if (i < argc && std::strcmp(argv[i], "--") == 0) ++i;
    if (i >= argc) return std::nullopt;
    line.player.assign(argv + i, argv + argc);
    line.player.push_back(nullptr);
    return line;
}

pid_t start(const std::vector<char*>& player, const sigset_t& signal_mask) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::sigprocmask(SIG_SETMASK, &signal_mask, nullptr);
        ::execvp(player[0], player.data());
        std::fprintf(stderr, "zorvid-panel: cannot start %s: %s\n", player[0], std::strerror(errno));
        ::_exit(127);
    }
    return child;
}

// The modes of the terminal the player may change, for as long as this
// program is in its foreground.
class terminal_modes {
public:
    terminal_modes() : saved_(::tcgetattr(STDIN_FILENO, &modes_) == 0) {}
    void put_back() const {
        if (saved_ && ::tcgetpgrp(STDIN_FILENO) == ::getpgrp()) ::tcsetattr(STDIN_FILENO, TCSANOW, &modes_);
    }

private:
    termios modes_{};
    bool saved_;
};

int exit_status(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class playback {
public:
    // Opens the panel's input devices and grabs the free ones.
    explicit playback(int signals) : signals_(signals), devices_(system_path("/dev/input")) { devices_.grab_free(); }

    // Runs until the player has ended; its wait status.
    int until_done(pid_t player);
    bool stopped() const { return stopped_; }
    // Swallows the input until every key and finger is up.
    void until_released();

private:
    void take_signals();

    int signals_;
    input_devices devices_;
    pid_t player_ = -1;
    stop_gesture gesture_;
    bool stopped_ = false;
    std::optional<clock_type::time_point> kill_at_;
    std::optional<int> status_;
};

int playback::until_done(pid_t player) {
    player_ = player;
    while (!status_) {
        poll_set set;
        devices_.watch(set);
        set.add(signals_);
        set.wait_until(kill_at_);
        const clock_type::time_point now = clock_type::now();
        devices_.take_input(set, [&](const input_device&, const std::vector<input_event>& events) {
            for (const input_event& event : events)
                if (!stopped_ && gesture_.stops(event, now)) {
                    stopped_ = true;
                    ::kill(player_, SIGTERM);
                    kill_at_ = now + stop_grace;
                }
        });
        // The stopping key or finger is up: nothing more to stop, and what
        // comes next is for the launcher. Letting go takes the kernel a
        // while, which passes as the player ends.
        if (stopped_ && !devices_.any_held()) devices_.close_all();
        devices_.grab_free();
        if (set.ready(signals_)) take_signals();
        if (!status_ && kill_at_ && now >= *kill_at_) {
            ::kill(player_, SIGKILL);
            kill_at_.reset();
        }
    }
    return *status_;
}

void playback::take_signals() {
    signalfd_siginfo info;
    while (::read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo != SIGCHLD) {
            // Told to stop, as by Ctrl+C: the player is told the same.
            ::kill(player_, static_cast<int>(info.ssi_signo));
            continue;
        }
        int status = 0;
        if (::waitpid(player_, &status, WNOHANG) == player_) status_ = status;
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

}  // namespace

int main(int argc, char** argv) {
    const std::optional<command_line> line = parse(argc, argv);
    if (!line) {
        std::fprintf(stderr, "usage: zorvid-panel [--framebuffer DEVICE] [--] PLAYER [ARGUMENT...]\n");
        return 2;
    }
    // Open while the player plays: the service keeps the panel lit until
    // this connection closes, however this program ends.
    const service_answer hold = ask_panel_service(hold_request, service_deadline);
    const std::optional<framebuffer_picture> picture =
        line->framebuffer ? std::optional<framebuffer_picture>(*line->framebuffer) : std::nullopt;
    const terminal_modes terminal;

    // Read through a signalfd, so that the loop sees the player's end and
    // the requests to stop between two reads of the input. A SIGCHLD
    // ignored by whoever started this would hide the player's end.
    ::signal(SIGCHLD, SIG_DFL);
    sigset_t handled, saved;
    sigemptyset(&handled);
    for (int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP, SIGQUIT}) sigaddset(&handled, signal);
    ::sigprocmask(SIG_BLOCK, &handled, &saved);
    const file_descriptor signals(::signalfd(-1, &handled, SFD_NONBLOCK | SFD_CLOEXEC));
    if (signals.get() < 0) {
        std::perror("zorvid-panel: signalfd");
        return 127;
    }
    playback play(signals.get());
    const pid_t player = start(line->player, saved);
    if (player < 0) {
        std::perror("zorvid-panel: fork");
        return 127;
    }
    const int status = play.until_done(player);
    if (picture) picture->put_back();
    terminal.put_back();
    play.until_released();
    return play.stopped() ? 0 : exit_status(status);
}
