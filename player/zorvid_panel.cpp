// zorvid-panel: runs a video player on a device's panel, for the player
// stand-in zorvid, where no X11 or Wayland session hands the player keys.
//   zorvid-panel [--framebuffer DEVICE] [--control mpv|ffmpeg]
//                [--from SECONDS] [--resume FILE] [--] PLAYER [ARGUMENT...]
// While the player runs it
// - asks the kit's power service to keep the panel lit, and does without
//   when no service answers;
// - reads the panel's input devices, grabbed so that nothing given during
//   the clip reaches the launcher, and read as they are where a grab fails;
//   a device on which a key or finger is down is grabbed once it is up, so
//   that the launcher sees whole what it saw begin;
// - stops the player on a press of Escape, q or Back, or a double tap;
// - with --control, pauses, seeks and turns the volume of the player as
//   clip_controls tells: mpv through its IPC socket, ffmpeg by stopping it
//   and starting it again at the position, from SECONDS on, and keeping
//   the position in FILE when the clip did not play to its end.
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
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clip_controls.h"
#include "clip_player.h"
#include "device_width.h"
#include "event_clock.h"
#include "ffmpeg_player.h"
#include "framebuffer_picture.h"
#include "input_devices.h"
#include "mpv_player.h"
#include "panel_channel.h"
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
    std::string control;
    double from = 0;
    std::string resume_file;
    std::vector<std::string> player;
};

std::optional<command_line> parse(int argc, char** argv) {
    command_line line;
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0 && argv[i][2] != '\0'; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--framebuffer") {
            line.framebuffer = value;
        } else if (option == "--control" && (value == "mpv" || value == "ffmpeg")) {
            line.control = value;
        } else if (option == "--from") {
            char* end = nullptr;
            line.from = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end != '\0' || !(line.from >= 0)) return std::nullopt;
        } else if (option == "--resume") {
            line.resume_file = value;
        } else {
            return std::nullopt;
        }
    }
    if (i < argc && std::strcmp(argv[i], "--") == 0) ++i;
    if (i >= argc) return std::nullopt;
    line.player.assign(argv + i, argv + argc);
    return line;
}

pid_t start(const std::vector<std::string>& arguments, const sigset_t& signal_mask) {
    std::vector<char*> player;
    for (const std::string& argument : arguments) player.push_back(const_cast<char*>(argument.c_str()));
    player.push_back(nullptr);
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
    playback(int signals, clip_player& player)
        : signals_(signals), devices_(system_path("/dev/input")), control_(player) {
        devices_.grab_free();
    }

    // Runs until the player has ended; its wait status.
    int until_done(pid_t player);
    bool stopped() const { return stopped_; }
    // Swallows the input until every key and finger is up.
    void until_released();

private:
    void take_signals();
    void carry_out(clip_action action, clock_type::time_point now);

    int signals_;
    input_devices devices_;
    pid_t player_ = -1;
    clip_player& control_;
    clip_controls controls_;
    event_clock event_clock_;
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
        std::optional<clock_type::time_point> wake = kill_at_;
        if (const std::optional<clip_controls::moment> tap = controls_.tap_due()) {
            const clock_type::time_point at = event_clock_.steady_at(*tap);
            if (!wake || at < *wake) wake = at;
        }
        set.wait_until(wake);
        const clock_type::time_point now = clock_type::now();
        devices_.take_input(set, [&](const input_device& device, const std::vector<input_event>& events) {
            const int width = horizontal_extent(device.fd());
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
        if (set.ready(signals_)) take_signals();
        if (!status_ && kill_at_ && now >= *kill_at_) {
            ::kill(player_, SIGKILL);
            kill_at_.reset();
        }
    }
    return *status_;
}

void playback::carry_out(clip_action action, clock_type::time_point now) {
    if (stopped_ || status_) return;
    if (action == clip_action::stop) {
        stopped_ = true;
        control_.stop(player_);
        kill_at_ = now + stop_grace;
        return;
    }
    const pid_t player = control_.act(action, player_);
    // A player that could not be started again has ended.
    if (player < 0) status_ = W_EXITCODE(127, 0);
    else player_ = player;
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

std::unique_ptr<clip_player> make_player(const command_line& line, clip_player::launcher launch) {
    if (line.control == "mpv") return std::make_unique<mpv_player>(std::move(launch), line.player);
    if (line.control == "ffmpeg")
        return std::make_unique<ffmpeg_player>(std::move(launch), line.player, line.from, line.resume_file);
    return std::make_unique<clip_player>(std::move(launch), line.player);
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<command_line> line = parse(argc, argv);
    if (!line) {
        std::fprintf(stderr,
                     "usage: zorvid-panel [--framebuffer DEVICE] [--control mpv|ffmpeg] [--from SECONDS]"
                     " [--resume FILE] [--] PLAYER [ARGUMENT...]\n");
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
    const std::unique_ptr<clip_player> control = make_player(*line, [&saved](const std::vector<std::string>& command) {
        return start(command, saved);
    });
    playback play(signals.get(), *control);
    const pid_t player = control->start();
    if (player < 0) {
        std::perror("zorvid-panel: fork");
        return 127;
    }
    const int status = play.until_done(player);
    control->ended(play.stopped(), status);
    if (picture) picture->put_back();
    terminal.put_back();
    play.until_released();
    return play.stopped() ? 0 : exit_status(status);
}
