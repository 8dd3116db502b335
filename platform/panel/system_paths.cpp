#include "system_paths.h"

#include <cstdlib>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string system_path(const std::string& absolute) {
    return environment("EZXPMD_ROOT") + absolute;
}

std::string service_socket_path() {
    const std::string path = environment("EZXPMD_SOCKET");
    return path.empty() ? "/run/ezxpmd/socket" : path;
}
