#include "service_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int error = errno) {
    throw std::runtime_error(what + " " + path + (error ? std::string(": ") + std::strerror(error) : ""));
}

sockaddr_un address_of(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) fail("cannot use the socket path", path, ENAMETOOLONG);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

file_descriptor checked_folder(const std::string& folder, std::optional<gid_t> group) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) fail("cannot make the folder", folder);
    file_descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) fail("cannot open the folder (a link?)", folder);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) fail("cannot look at the folder", folder);
    if (status.st_uid != ::geteuid()) fail("the folder belongs to another user:", folder, 0);
    if (status.st_mode & (S_IWGRP | S_IWOTH)) fail("others may write in the folder", folder, 0);
    // Opened to the group only once it is the group's.
    if (group && ::fchown(fd.get(), static_cast<uid_t>(-1), *group) != 0) fail("cannot give the video group", folder);
    if (::fchmod(fd.get(), group ? 0750 : 0700) != 0) fail("cannot set the mode of", folder);
    return fd;
}

// A socket file there that nobody listens on is removed; anything else there
// stays, and the service does not start.
void clear_stale_socket(int folder, const std::string& name, const sockaddr_un& address, const std::string& path) {
    struct stat status {};
    if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return;
        fail("cannot look at", path);
    }
    if (!S_ISSOCK(status.st_mode)) fail("something else than a socket is in the way at", path, EEXIST);
    const file_descriptor probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (probe.get() < 0) fail("cannot make a socket to probe", path);
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        fail("a power service answers already on", path, EADDRINUSE);
    // ECONNREFUSED: nobody is bound to it. EPROTOTYPE: another kind of socket
    // that a program still uses; EAGAIN: a service whose queue is full.
    if (errno != ECONNREFUSED) fail("another program's socket is in the way at", path);
    if (::unlinkat(folder, name.c_str(), 0) != 0) fail("cannot remove the stale socket", path);
}

}  // namespace

file_descriptor listen_at(const std::string& path, std::optional<gid_t> group) {
    const sockaddr_un address = address_of(path);
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == path.size())
        fail("the socket needs a folder of its own:", path, 0);
    const std::string name = path.substr(slash + 1);
    const file_descriptor folder = checked_folder(path.substr(0, slash), group);
    clear_stale_socket(folder.get(), name, address, path);

    file_descriptor listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (listener.get() < 0) fail("cannot make a socket for", path);
    // Born with its final mode; the group, root's until the chown, is no wider.
    const mode_t saved = ::umask(group ? 0117 : 0177);
    const int bound = ::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(saved);
    if (bound != 0) fail("cannot bind", path);
    if (group && ::fchownat(folder.get(), name.c_str(), static_cast<uid_t>(-1), *group, AT_SYMLINK_NOFOLLOW) != 0)
        fail("cannot give the video group the socket", path);
    if (::listen(listener.get(), 64) != 0) fail("cannot listen on", path);
    return listener;
}
