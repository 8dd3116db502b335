// The display servers that listen on this machine, as the kernel's table of
// Unix sockets tells them (sock_diag, the interface ss(8) reads): an X
// server's /tmp/.X11-unix/Xn or a Wayland compositor's wayland-n in a user's
// runtime folder (/run/user/<uid>/). A server counts only where the socket
// file at its path is the very socket that listens (the same inode on the
// same file system) and belongs to one of the given owners: a socket in the
// abstract namespace has no owner, and a socket file left behind by a server
// that died, or made in another mount namespace, is not the one that listens.
#ifndef EZXPMD_DISPLAY_SOCKETS_H
#define EZXPMD_DISPLAY_SOCKETS_H

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct listening_socket {
    std::string path;           // empty for an unnamed socket; "@name" for the abstract namespace
    std::uint32_t inode = 0;    // of the socket file it was bound to
    std::uint32_t device = 0;   // its file system, as the kernel numbers devices
};

// Every listening Unix socket; nothing when the kernel does not say (no
// sock_diag, or an emulator that does not pass it on).
std::optional<std::vector<listening_socket>> listening_unix_sockets();

// Whether path is where an X server or a Wayland compositor listens, under
// root ("" on a device).
bool is_display_socket_path(const std::string& root, const std::string& path);

// Whether a display server under root listens on a socket file that one of
// owners owns.
bool display_server_listens(const std::string& root, const std::vector<uid_t>& owners);

#endif
