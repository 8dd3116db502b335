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
// - stops the player on a press of Escape, q or Back, or a double tap, and
//   kills it if it does not stop (playback.h).
// The player dies with the helper, however the helper ends. Once the key or finger that stopped the clip is up, the input is the
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
#include "framebuffer_picture.h"
#include "panel_channel.h"
#include "playback.h"
#include "system_paths.h"

namespace {

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

// The player dies with this program (PR_SET_PDEATHSIG), so that no clip
// plays on with nothing holding the panel or the input.
pid_t start(const std::vector<char*>& player, const sigset_t& signal_mask) {
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
    playback play(signals.get(), std::make_unique<evdev_directory>(system_path("/dev/input")));
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
