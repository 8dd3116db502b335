// ezxpm-agent <seconds>: the kit's agent in a Wayland session. It takes the
// sleep time from its command line and then from the power-management
// library over its socket, and stays until the compositor goes away. Where
// another agent runs already it hands that one the time and leaves. Quiet:
// its standard streams lead to /dev/null.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <thread>

#include "agent_channel.h"
#include "file_descriptor.h"
#include "panel_channel.h"
#include "session_agent.h"
#include "session_agent_paths.h"

namespace {

// How long a second agent keeps trying to reach the first, which may still
// be making its socket.
constexpr std::chrono::milliseconds hand_over_for{2000};
constexpr std::chrono::milliseconds answer_deadline{500};
constexpr std::chrono::milliseconds retry_pause{50};

bool silence_standard_streams() {
    file_descriptor null(::open("/dev/null", O_RDWR | O_CLOEXEC));
    return null.get() >= 0 && ::dup2(null.get(), STDIN_FILENO) >= 0 && ::dup2(null.get(), STDOUT_FILENO) >= 0 &&
           ::dup2(null.get(), STDERR_FILENO) >= 0;
}

std::optional<int> seconds_in(const char* text) {
    int seconds = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, seconds);
    if (stop == text || error != std::errc() || stop != end) return std::nullopt;
    return seconds;
}

int hand_to_running_agent(const std::string& socket_path, int seconds) {
    const auto give_up = std::chrono::steady_clock::now() + hand_over_for;
    while (std::chrono::steady_clock::now() < give_up) {
        if (ask_over_socket(socket_path, sleep_request(seconds), answer_deadline).reply == reply::taken) return 0;
        std::this_thread::sleep_for(retry_pause);
    }
    return 1;
}

// Until the compositor goes away (or breaks the connection for an error).
int serve(wl_display* display, agent_channel& channel, int seconds) {
    session_agent agent(display);
    if (!agent.can_darken()) return 1;
    agent.set_time(seconds);
    for (;;) {
        agent.apply();
        while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
        wl_display_flush(display);
        pollfd fds[] = {{wl_display_get_fd(display), POLLIN, 0}, {channel.listener(), POLLIN, 0}};
        int timeout = -1;
        if (const auto due = agent.deadline()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
        }
        if (::poll(fds, 2, timeout) < 0) {
            wl_display_cancel_read(display);
            if (errno == EINTR) continue;
            return 1;
        }
        if (fds[0].revents) {
            if (wl_display_read_events(display) != 0) return 0;
        } else {
            wl_display_cancel_read(display);
        }
        if (wl_display_dispatch_pending(display) < 0) return 0;
        if (fds[1].revents)
            if (const std::optional<int> asked = channel.serve()) agent.set_time(*asked);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<int> seconds = argc == 2 ? seconds_in(argv[1]) : std::nullopt;
    if (!seconds || !silence_standard_streams()) return 2;
    ::signal(SIGPIPE, SIG_IGN);
    const std::string socket_path = session_agent_socket_path();
    if (socket_path.empty()) return 2;
    std::optional<agent_channel> channel = agent_channel::open(socket_path);
    if (!channel) return hand_to_running_agent(socket_path, *seconds);
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return 1;
    const int status = serve(display, *channel, *seconds);
    wl_display_disconnect(display);
    return status;
}
