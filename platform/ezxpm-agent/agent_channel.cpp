#include "agent_channel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "panel_channel.h"
#include "poll_set.h"
#include "session_agent_paths.h"

namespace {

// A client connects and sends at once; one that does not is dropped.
constexpr std::chrono::milliseconds request_wait{250};

bool from_this_user(int connection) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

void answer(int connection, std::string_view text) { ::send(connection, text.data(), text.size(), MSG_NOSIGNAL); }

}  // namespace

std::optional<agent_channel> agent_channel::open(const std::string& socket_path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket_path.empty() || socket_path.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
    const std::string lock_path = session_agent_lock_path(socket_path);
    file_descriptor lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.get() < 0 || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) return std::nullopt;
    // Whoever held the lock is gone; what is left at the path is theirs
    // unless it is no socket at all.
    struct stat status {};
    if (::lstat(socket_path.c_str(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode)) return std::nullopt;
        ::unlink(socket_path.c_str());
    }
    file_descriptor listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const mode_t saved = ::umask(0177);
    const bool bound = listener.get() >= 0 &&
                       ::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(saved);
    if (!bound || ::listen(listener.get(), 8) != 0) return std::nullopt;
    return agent_channel(socket_path, std::move(lock), std::move(listener));
}

agent_channel::~agent_channel() {
    // Moved from: the lock went with the rest.
    if (lock_.get() >= 0) ::unlink(path_.c_str());
}

std::optional<int> agent_channel::serve() {
    std::optional<int> seconds;
    for (int fd; (fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        const file_descriptor connection(fd);
        if (!from_this_user(fd) ||
            !readable_before(fd, std::chrono::steady_clock::now() + request_wait)) {
            answer(fd, reply::refused);
            continue;
        }
        char packet[longest_packet];
        const ssize_t got = ::recv(fd, packet, sizeof packet, MSG_TRUNC);
        const auto request = got > 0 && static_cast<std::size_t>(got) <= sizeof packet
                                 ? parse_panel_request(std::string_view(packet, static_cast<std::size_t>(got)))
                                 : std::nullopt;
        if (!request || request->what != panel_request::kind::sleep) {
            answer(fd, reply::refused);
            continue;
        }
        seconds = request->seconds;
        answer(fd, reply::taken);
    }
    return seconds;
}
