#include "desktop_session.h"

#include <systemd/sd-daemon.h>
#include <systemd/sd-login.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "display_sockets.h"

namespace {

// The seat whose display is the panel.
constexpr const char* panel_seat = "seat0";

bool logind_runs() { return sd_booted() > 0 && ::access("/run/systemd/seats", F_OK) == 0; }

bool graphical_session_on_panel_seat() {
    char** sessions = nullptr;
    const int count = sd_seat_get_sessions(panel_seat, &sessions, nullptr, nullptr);
    if (count < 0) return false;
    bool graphical = false;
    for (int i = 0; i < count; ++i) {
        char* type = nullptr;
        if (sd_session_get_type(sessions[i], &type) >= 0)
            graphical = graphical || std::strcmp(type, "x11") == 0 || std::strcmp(type, "wayland") == 0;
        std::free(type);
        std::free(sessions[i]);
    }
    std::free(sessions);
    return graphical;
}

class system_desktop final : public desktop_watch {
public:
    explicit system_desktop(std::string root) : root_(std::move(root)) {}

    bool drives_display() override {
        if (root_.empty() && logind_runs() && graphical_session_on_panel_seat()) return true;
        return display_server_listens(root_, {0, ::geteuid()});
    }

private:
    std::string root_;
};

}  // namespace

std::unique_ptr<desktop_watch> system_desktop_watch(const std::string& root) {
    return std::make_unique<system_desktop>(root);
}
