// The panel's power service: puts the panel to sleep and wakes it as
// panel_idle says, fed by the panel's input devices and by the requests on
// its socket (panel_channel.h).
// - The panel is what sysfs holds: it is lit at the start, whatever seems
//   to drive it, and whenever the service stops; a write that fails is tried
//   again a second later and never taken for done, and "held" is answered
//   only once the panel is lit.
// - Connections: one that sends nothing within a few seconds is closed; no
//   user keeps more than a few at once; when every place is taken, or all of
//   a user's, a client who may use the panel takes the place of the oldest
//   connection (of that user) that is still waiting for its request. With no descriptors left, the listener
//   rests a moment instead of spinning.
#ifndef EZXPMD_PANEL_SERVICE_H
#define EZXPMD_PANEL_SERVICE_H

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop_session.h"
#include "file_descriptor.h"
#include "input_devices.h"
#include "panel_idle.h"
#include "panel_power.h"
#include "poll_set.h"

class panel_service {
public:
    using clock = panel_idle::clock;

    // root: where the system's tree lies, "" on a device; its sys/ is
    // written. Lights the panel, then listens at socket_path. Throws
    // std::runtime_error when it cannot listen.
    panel_service(const std::string& root, std::string socket_path, std::unique_ptr<input_device_source> devices,
                  std::unique_ptr<desktop_watch> desktop);

    // Serves until stop is readable (a signalfd, or any descriptor); then
    // lights the panel, removes the socket and returns the exit status.
    int run(int stop);

private:
    struct client {
        file_descriptor connection;
        uid_t uid;
        bool allowed;  // refused: answered so once its request is read
        clock::time_point opened;
        bool holding = false;
        bool awaiting_light = false;  // "held" goes out once the panel is lit
    };

    std::optional<clock::time_point> next_deadline() const;
    void take_input(const poll_set& ready, clock::time_point now);
    void accept_connections(clock::time_point now);
    bool admit(const client& newcomer);
    void serve_clients(const poll_set& ready, clock::time_point now);
    // Whether the connection stays open.
    bool serve(client& client, clock::time_point now);
    void tick(clock::time_point now);
    // Makes the panel and the grabs what panel_idle says.
    void apply(clock::time_point now);

    std::string socket_path_;
    std::optional<gid_t> video_;
    panel_power power_;
    input_devices devices_;
    std::unique_ptr<desktop_watch> desktop_;
    panel_idle idle_;
    file_descriptor listener_;
    std::vector<client> clients_;
    std::optional<bool> lit_;                      // as the last writes left sysfs; none after a failure
    std::optional<clock::time_point> retry_at_;    // a failed write is tried again then
    std::optional<clock::time_point> listen_again_at_;  // out of descriptors: accept again then
    bool grabbed_ = false;
};

#endif
