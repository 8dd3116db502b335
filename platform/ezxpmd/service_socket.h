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

// Listens at path, a seqpacket socket of mode 0660 in the video group (where
// there is one). A folder that is missing is made, mode 0750, in the same
// group; one that exists is left as it is. A socket left there by a service
// that is gone is replaced; one that answers means a service runs already.
// Throws std::runtime_error, whose text says why, when it cannot listen.
file_descriptor listen_at(const std::string& path, std::optional<gid_t> group);

#endif
