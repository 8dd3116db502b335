// The sleep time in a Wayland session. A compositor powers its outputs
// down only for a client that stays connected, so the kit's agent,
// ezxpm-agent, takes the time: the library hands it over on the agent's
// socket, or starts the agent when none answers. GNOME, which offers
// none of the protocols the agent uses, gets the time through its own
// settings instead.
#ifndef EZXPM_WAYLAND_SESSION_SLEEP_H
#define EZXPM_WAYLAND_SESSION_SLEEP_H

// True when a Wayland compositor listens on WAYLAND_DISPLAY, which then
// takes the time (an X server beside it, such as Xwayland, drives none of
// its outputs); false otherwise, and then nothing was done. Never prints;
// holds the caller one second at most.
bool hand_to_wayland_session(int seconds);

#endif
