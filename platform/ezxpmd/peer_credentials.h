// Who is at the other end of a connection to the power service, and whether
// they may use the panel: root, the service's own user, and members of the
// video group, which owns the display devices.
#ifndef EZXPMD_PEER_CREDENTIALS_H
#define EZXPMD_PEER_CREDENTIALS_H

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

struct peer_credentials {
    uid_t uid;
    std::vector<gid_t> groups;  // the primary group and the supplementary ones
};

// The kernel's word on the connected process (SO_PEERCRED), with its
// supplementary groups (SO_PEERGROUPS, else its /proc record); nothing when
// the kernel does not say.
std::optional<peer_credentials> credentials_of_peer(int connection);

// The supplementary groups on the Groups: line of a /proc/<pid>/status record.
std::vector<gid_t> groups_in_status(const std::string& status);

bool may_use_panel(const peer_credentials& peer, uid_t service_uid, std::optional<gid_t> video_group);

// The gid of the video group, when the system has one.
std::optional<gid_t> video_group();

#endif
