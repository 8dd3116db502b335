// Where the panel's programs find the system: its devices, its session
// records and the power service's socket. Tests put a tree of their own in
// the system's place.
#ifndef PANEL_SYSTEM_PATHS_H
#define PANEL_SYSTEM_PATHS_H

#include <string>

// The absolute path inside the root named by EZXPMD_ROOT, or the path itself
// when that is unset or empty: system_path("/sys") is "/sys" on a device.
std::string system_path(const std::string& absolute);

// The power service's socket: EZXPMD_SOCKET, else /run/ezxpmd/socket.
std::string service_socket_path();

#endif
