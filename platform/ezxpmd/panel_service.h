// The panel's power service: puts the panel to sleep and wakes it as
// panel_idle says, fed by the panel's input devices and by the requests on
// its socket (panel_channel.h), and lights the panel whenever it stops.
#ifndef EZXPMD_PANEL_SERVICE_H
#define EZXPMD_PANEL_SERVICE_H

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "file_descriptor.h"
#include "input_devices.h"
#include "panel_idle.h"
#include "panel_power.h"
#include "poll_set.h"

class panel_service {
public:
    // root: where the system's tree lies, "" on a device. Lights a panel
    // that a crashed service left dark, then listens at socket_path.
    // Throws std::runtime_error when it cannot listen.
    panel_service(std::string root, std::string socket_path);

    // Serves until signals (a signalfd) reports a signal; then lights the
    // panel, removes the socket and returns the exit status.
    int run(int signals);

private:
    struct client {
        file_descriptor connection;
        bool allowed;  // refused: answered so once its request is read
        bool holding = false;
    };

    void take_input(const poll_set& ready, panel_idle::clock::time_point now);
    void take_connections(const poll_set& ready, panel_idle::clock::time_point now);
    // Whether the connection stays open.
    bool serve(client& client, panel_idle::clock::time_point now);
    void tick(panel_idle::clock::time_point now);
    // Makes the panel and the grabs what panel_idle says.
    void apply();

    std::string root_;
    std::string socket_path_;
    std::optional<gid_t> video_;
    panel_power power_;
    input_devices devices_;
    panel_idle idle_;
    file_descriptor listener_;
    std::vector<client> clients_;
    bool dark_ = false;
    bool grabbed_ = false;
};

#endif
