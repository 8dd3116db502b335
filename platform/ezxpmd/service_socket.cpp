#include "service_socket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

sockaddr_un address_of(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        fail("cannot use the socket path", path);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

void make_folder(const std::string& socket_path, std::optional<gid_t> group) {
    const std::string::size_type slash = socket_path.rfind('/');
    if (slash == std::string::npos || slash == 0) return;
    const std::string folder = socket_path.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) != 0) {
        if (errno == EEXIST) return;
        fail("cannot make the folder", folder);
    }
    // Made private first, then opened to the group once it is the group's.
    if (group && ::chown(folder.c_str(), static_cast<uid_t>(-1), *group) != 0) fail("cannot give the video group the folder", folder);
    if (::chmod(folder.c_str(), group ? 0750 : 0700) != 0) fail("cannot set the mode of", folder);
}

// A socket file there whose service is gone is removed; anything else there
// stays, and so does a socket that still answers.
void clear_stale_socket(const sockaddr_un& address, const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return;
    if (!S_ISSOCK(status.st_mode)) {
        errno = EEXIST;
        fail("something else than a socket is in the way at", path);
    }
    file_descriptor probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (probe.get() >= 0 && ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        errno = EADDRINUSE;
        fail("a power service answers already on", path);
    }
    ::unlink(path.c_str());
}

}  // namespace

file_descriptor listen_at(const std::string& path, std::optional<gid_t> group) {
    const sockaddr_un address = address_of(path);
    make_folder(path, group);
    clear_stale_socket(address, path);
    file_descriptor listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (listener.get() < 0) fail("cannot make a socket for", path);
    // Born private, so that nobody connects before the mode is set.
    const mode_t saved = ::umask(0177);
    const int bound = ::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(saved);
    if (bound != 0) fail("cannot bind", path);
    if (group && ::chown(path.c_str(), static_cast<uid_t>(-1), *group) != 0)
        fail("cannot give the video group the socket", path);
    if (::chmod(path.c_str(), group ? 0660 : 0600) != 0) fail("cannot set the mode of", path);
    if (::listen(listener.get(), 16) != 0) fail("cannot listen on", path);
    return listener;
}
