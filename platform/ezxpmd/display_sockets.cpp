#include "display_sockets.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstring>

#include "file_descriptor.h"
#include "numbered_name.h"

namespace {

// The kernel's state of a listening socket, as its TCP states number it.
constexpr unsigned listen_state = 10;

bool ask_for_listeners(int netlink) {
    struct {
        nlmsghdr header;
        unix_diag_req request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    message.request.sdiag_family = AF_UNIX;
    message.request.udiag_states = 1U << listen_state;
    message.request.udiag_show = UDIAG_SHOW_NAME | UDIAG_SHOW_VFS;
    return ::send(netlink, &message, sizeof message, 0) == static_cast<ssize_t>(sizeof message);
}

listening_socket socket_in(const nlmsghdr* header) {
    listening_socket socket;
    const auto* diag = static_cast<const unix_diag_msg*>(NLMSG_DATA(header));
    int length = static_cast<int>(header->nlmsg_len) - static_cast<int>(NLMSG_LENGTH(sizeof *diag));
    for (const rtattr* attribute = reinterpret_cast<const rtattr*>(diag + 1); RTA_OK(attribute, length);
         attribute = RTA_NEXT(attribute, length)) {
        const char* data = static_cast<const char*>(RTA_DATA(attribute));
        const std::size_t size = RTA_PAYLOAD(attribute);
        if (attribute->rta_type == UNIX_DIAG_NAME && size > 0) {
            socket.path.assign(data, size);
            if (socket.path[0] == '\0') socket.path[0] = '@';
            socket.path.erase(std::find(socket.path.begin() + 1, socket.path.end(), '\0'), socket.path.end());
        } else if (attribute->rta_type == UNIX_DIAG_VFS && size >= sizeof(unix_diag_vfs)) {
            unix_diag_vfs vfs;
            std::memcpy(&vfs, data, sizeof vfs);
            socket.inode = vfs.udiag_vfs_ino;
            socket.device = vfs.udiag_vfs_dev;
        }
    }
    return socket;
}

bool same_file(const listening_socket& socket, const struct stat& file) {
    // The kernel's own device numbers: the major in the top 12 bits.
    return socket.inode != 0 && file.st_ino == socket.inode && major(file.st_dev) == (socket.device >> 20) &&
           minor(file.st_dev) == (socket.device & 0xfffff);
}

bool starts_with(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

std::optional<std::vector<listening_socket>> listening_unix_sockets() {
    const file_descriptor netlink(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
    if (netlink.get() < 0 || !ask_for_listeners(netlink.get())) return std::nullopt;
    std::vector<listening_socket> sockets;
    alignas(nlmsghdr) char buffer[16384];
    for (;;) {
        const ssize_t got = ::recv(netlink.get(), buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return std::nullopt;
        int left = static_cast<int>(got);
        for (const nlmsghdr* header = reinterpret_cast<const nlmsghdr*>(buffer); NLMSG_OK(header, left);
             header = NLMSG_NEXT(header, left)) {
            if (header->nlmsg_type == NLMSG_DONE) return sockets;
            if (header->nlmsg_type == NLMSG_ERROR) return std::nullopt;
            if (header->nlmsg_type == SOCK_DIAG_BY_FAMILY) sockets.push_back(socket_in(header));
        }
    }
}

bool is_display_socket_path(const std::string& root, const std::string& path) {
    const std::string x_folder = root + "/tmp/.X11-unix/", user_folders = root + "/run/user/";
    if (starts_with(path, x_folder)) {
        const std::string name = path.substr(x_folder.size());
        return name.find('/') == std::string::npos && is_numbered_name(name.c_str(), "X");
    }
    if (!starts_with(path, user_folders)) return false;
    // <uid>/wayland-<n>
    const std::string rest = path.substr(user_folders.size());
    const std::string::size_type slash = rest.find('/');
    if (slash == std::string::npos || slash == 0 || rest.find('/', slash + 1) != std::string::npos) return false;
    const std::string uid = rest.substr(0, slash), name = rest.substr(slash + 1);
    return std::all_of(uid.begin(), uid.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           is_numbered_name(name.c_str(), "wayland-");
}

bool display_server_listens(const std::string& root, const std::vector<uid_t>& owners) {
    const std::optional<std::vector<listening_socket>> sockets = listening_unix_sockets();
    if (!sockets) return false;
    for (const listening_socket& socket : *sockets) {
        if (!is_display_socket_path(root, socket.path)) continue;
        struct stat file {};
        if (::lstat(socket.path.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode) || !same_file(socket, file)) continue;
        if (std::find(owners.begin(), owners.end(), file.st_uid) != owners.end()) return true;
    }
    return false;
}
