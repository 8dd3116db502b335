#include "desktop_session.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "directory_entries.h"

namespace {

// The flag of a socket that listens (__SO_ACCEPTCON).
constexpr unsigned long listening = 0x10000;

bool is_display_socket(std::string path) {
    if (!path.empty() && path[0] == '@') path.erase(0, 1);  // the abstract namespace
    if (path.rfind("/tmp/.X11-unix/X", 0) == 0) return true;
    const std::string name = path.substr(path.rfind('/') + 1);
    return name.rfind("wayland-", 0) == 0;
}

}  // namespace

bool unix_sockets_show_a_display_server(std::istream& table) {
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        // Num: RefCount Protocol Flags Type St Inode Path
        std::istringstream fields(line);
        std::string number, references, protocol, type, state, inode, path;
        unsigned long flags = 0;
        fields >> number >> references >> protocol >> std::hex >> flags >> type >> state >> inode;
        if (!fields || !(flags & listening)) continue;
        std::getline(fields >> std::ws, path);
        if (is_display_socket(path)) return true;
    }
    return false;
}

bool session_record_is_graphical(std::istream& record) {
    std::string line;
    while (std::getline(record, line))
        if (line == "TYPE=x11" || line == "TYPE=wayland") return true;
    return false;
}

bool desktop_session_active(const std::string& root) {
    const std::string sessions = root + "/run/systemd/sessions";
    for (const std::string& name : directory_entries(sessions)) {
        // Beside the records lie FIFOs (name.ref), which a read would wait on.
        const std::string path = sessions + "/" + name;
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        std::ifstream record(path);
        if (session_record_is_graphical(record)) return true;
    }
    std::ifstream table(root + "/proc/net/unix");
    return unix_sockets_show_a_display_server(table);
}
