#include "peer_credentials.h"

#include <grp.h>
#include <sys/socket.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::optional<std::vector<gid_t>> groups_from_socket(int connection) {
    std::vector<gid_t> groups(64);
    for (int tries = 0; tries < 2; ++tries) {
        socklen_t size = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
        if (::getsockopt(connection, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &size) == 0) {
            groups.resize(size / sizeof(gid_t));
            return groups;
        }
        // ERANGE tells the size needed; older kernels and emulators know no SO_PEERGROUPS.
        if (errno != ERANGE) return std::nullopt;
        groups.resize(size / sizeof(gid_t));
    }
    return std::nullopt;
}

std::vector<gid_t> groups_from_proc(pid_t pid) {
    std::ifstream record("/proc/" + std::to_string(pid) + "/status");
    return groups_in_status(std::string(std::istreambuf_iterator<char>(record), std::istreambuf_iterator<char>()));
}

}  // namespace

std::vector<gid_t> groups_in_status(const std::string& status) {
    std::istringstream lines(status);
    std::vector<gid_t> groups;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Groups:", 0) != 0) continue;
        std::istringstream numbers(line.substr(7));
        for (gid_t gid; numbers >> gid;) groups.push_back(gid);
    }
    return groups;
}

std::optional<peer_credentials> credentials_of_peer(int connection) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return std::nullopt;
    peer_credentials peer{credentials.uid, {credentials.gid}};
    std::optional<std::vector<gid_t>> supplementary = groups_from_socket(connection);
    if (!supplementary) supplementary = groups_from_proc(credentials.pid);
    peer.groups.insert(peer.groups.end(), supplementary->begin(), supplementary->end());
    return peer;
}

bool may_use_panel(const peer_credentials& peer, uid_t service_uid, std::optional<gid_t> video_group) {
    if (peer.uid == 0 || peer.uid == service_uid) return true;
    return video_group && std::find(peer.groups.begin(), peer.groups.end(), *video_group) != peer.groups.end();
}

std::optional<gid_t> video_group() {
    const group* video = ::getgrnam("video");
    if (!video) return std::nullopt;
    return video->gr_gid;
}
