#include "wayland_session_sleep.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "file_descriptor.h"
#include "gnome_session_sleep.h"
#include "lcd_sleep.h"
#include "panel_channel.h"
#include "session_agent_paths.h"
#include "session_agent_start.h"

namespace {

constexpr std::chrono::milliseconds agent_deadline{500};

// A connection that a listening compositor accepts at once; a socket file
// left by a compositor that is gone refuses it.
bool compositor_listens() {
    const std::string path = compositor_socket_path();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const file_descriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    return probe.get() >= 0 &&
           (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
            errno == EAGAIN || errno == EINPROGRESS);
}

}  // namespace

bool hand_to_wayland_session(int seconds) {
    if (!compositor_listens()) return false;
    if (lcd_sleep_for(seconds) == lcd_sleep::unknown) return true;
    if (gnome_desktop()) {
        sleep_gnome_session(seconds);
        return true;
    }
    const std::string socket = session_agent_socket_path();
    if (socket.empty()) return true;
    if (ask_over_socket(socket, sleep_request(seconds), agent_deadline).reply == reply::taken) return true;
    // No agent, a dead one's socket, or one that does not answer: a new
    // agent either takes over or, finding one alive, hands the time to it.
    if (const std::string program = session_agent_program(); !program.empty()) start_session_agent(program, seconds);
    return true;
}
