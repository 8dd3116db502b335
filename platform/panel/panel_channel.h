// The power service's channel: a Unix seqpacket socket on which each packet
// is one request, answered by one packet.
//   "sleep <seconds>"  the sleep time as PM_setupLcdSleepTime takes it, in
//                      decimal without leading zeros; answered "taken" when the service now puts
//                      the panel to sleep and wakes it, or "desktop" when an
//                      X11 or Wayland session drives the display, which the
//                      service then leaves alone.
//   "hold"             keeps the panel lit for as long as the connection is
//                      open; answered "held" once the panel is lit and its
//                      input flows.
// Anything else, and anything from a client that may not use the panel, is
// answered "refused", changes nothing and ends the connection.
#ifndef PANEL_PANEL_CHANNEL_H
#define PANEL_PANEL_CHANNEL_H

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "file_descriptor.h"

namespace reply {
inline constexpr std::string_view taken = "taken";
inline constexpr std::string_view desktop = "desktop";
inline constexpr std::string_view held = "held";
inline constexpr std::string_view refused = "refused";
}  // namespace reply

// No request or reply is longer; a longer packet is malformed.
inline constexpr std::size_t longest_packet = 32;

inline constexpr std::string_view hold_request = "hold";
std::string sleep_request(int seconds);

struct panel_request {
    enum class kind { sleep, hold };
    kind what;
    int seconds;  // for sleep
};

// The request a packet holds, or nothing when it is malformed.
std::optional<panel_request> parse_panel_request(std::string_view packet);

struct service_answer {
    file_descriptor connection;  // still open: a hold lasts as long as it
    std::string reply;           // empty when no service answered in time
};

// Sends one request to the service at service_socket_path() and waits for
// its reply until the deadline. A missing socket or a refused connection
// fails at once; a full queue is tried again until the deadline. Nothing is
// ever printed.
service_answer ask_panel_service(std::string_view request, std::chrono::milliseconds deadline);
// The same on the socket at path, which the session's agent serves too.
service_answer ask_over_socket(const std::string& path, std::string_view request, std::chrono::milliseconds deadline);

#endif
