#include "session_agent_paths.h"

#include <cctype>
#include <cstdlib>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string session_agent_socket_path() {
    const std::string runtime = environment("XDG_RUNTIME_DIR"), display = environment("WAYLAND_DISPLAY");
    if (runtime.empty() || display.empty()) return {};
    std::string name = "ezxpm-agent-";
    for (const char c : display)
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ? c : '_';
    return runtime + "/" + name;
}

std::string session_agent_lock_path(const std::string& socket_path) { return socket_path + ".lock"; }

std::string compositor_socket_path() {
    const std::string display = environment("WAYLAND_DISPLAY");
    if (display.empty() || display[0] == '/') return display;
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    return runtime.empty() ? std::string() : runtime + "/" + display;
}
