// The power service's listening socket. Its folder and its mode are the
// first fence: both belong to root and the video group, so that only they
// can connect. The rule itself is checked on every connection
// (peer_credentials.h).
#ifndef EZXPMD_SERVICE_SOCKET_H
#define EZXPMD_SERVICE_SOCKET_H

#include <optional>
#include <string>

#include <sys/types.h>

#include "file_descriptor.h"

// Listens at path, a seqpacket socket of mode 0660 in group (0600 without
// one). Its folder is made when missing (systemd's RuntimeDirectory= may
// have made it), and used only when it is a real folder, not a link, that
// belongs to this process's user and that neither its group nor others may
// write; it is then given mode 0750 in group (0700 without one). Nothing
// done to the folder or the socket follows a link. A socket there that
// nobody listens on is replaced; anything else there (a file, another
// program's socket, a service that answers) is left alone and the service
// does not start. Throws std::runtime_error, whose text says why.
file_descriptor listen_at(const std::string& path, std::optional<gid_t> group);

#endif
