// Where the power-management library finds the Wayland session's agent: a
// socket in the user's runtime folder named for the compositor's socket, so
// that each session has its own agent, and beside it the lock that the
// running agent holds.
#ifndef PANEL_SESSION_AGENT_PATHS_H
#define PANEL_SESSION_AGENT_PATHS_H

#include <string>

// $XDG_RUNTIME_DIR/ezxpm-agent-<WAYLAND_DISPLAY>, any character of the
// display's name other than a letter, digit, '.', '-' or '_' written as
// '_'; empty when either variable is unset or empty.
std::string session_agent_socket_path();
std::string session_agent_lock_path(const std::string& socket_path);

// The compositor's own socket, as libwayland finds it from WAYLAND_DISPLAY
// (a name in $XDG_RUNTIME_DIR, or an absolute path); empty when unset.
std::string compositor_socket_path();

#endif
