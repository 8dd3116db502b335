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
// - stops the player on a press of Escape, q or Back, or a double tap, and
//   kills it if it does not stop (playback.h);
// - with --control, pauses, seeks and turns the volume of the player as
//   clip_controls tells: mpv through its IPC socket, ffmpeg by stopping it
//   and starting it again at the position, from SECONDS on, and keeping
//   the position in FILE when the clip did not play to its end.
// The player dies with the helper, however the helper ends. Once the key or
// finger that stopped the clip is up, the input is the
// launcher's again, while the player ends. When the player is done, the
// helper puts back what DEVICE showed, if given, and the terminal's modes,
// which a player killed on its way out could not, and lets the input go
// once every key and finger of the playback is up. Exits with the player's
// status, 0 when the user stopped it, 127 when it could not be started, 2 on
// a wrong command line.
#include <signal.h>
#include <sys/prctl.h>
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

#include "evdev_directory.h"
#include "ffmpeg_player.h"
#include "framebuffer_picture.h"
#include "mpv_player.h"
#include "panel_channel.h"
#include "playback.h"
#include "system_paths.h"

namespace {

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

// The player dies with this program (PR_SET_PDEATHSIG), so that no clip
// plays on with nothing holding the panel or the input.
pid_t start(const std::vector<std::string>& arguments, const sigset_t& signal_mask) {
    std::vector<char*> player;
    for (const std::string& argument : arguments) player.push_back(const_cast<char*>(argument.c_str()));
    player.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // A parent that died before the request was made is not seen by it.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
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
    playback play(signals.get(), std::make_unique<evdev_directory>(system_path("/dev/input")), *control);
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
