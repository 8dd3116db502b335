// Whether an X11 or Wayland session drives the display, in which case the
// power service leaves the display to it. Cheap enough to ask before every
// sleep: two small reads, no connection made.
//   - logind's record of a session (/run/systemd/sessions/*) says TYPE=x11
//     or TYPE=wayland;
//   - or a process listens on an X server's socket (/tmp/.X11-unix/Xn, in
//     the file system or the abstract namespace) or on a Wayland
//     compositor's (wayland-n, in a user's runtime folder), as the kernel's
//     table of Unix sockets shows. A socket file left behind by a server
//     that died is no longer in that table, so it does not count.
#ifndef EZXPMD_DESKTOP_SESSION_H
#define EZXPMD_DESKTOP_SESSION_H

#include <istream>
#include <string>

// The kernel's table of Unix sockets, as /proc/net/unix shows it.
bool unix_sockets_show_a_display_server(std::istream& table);
// One of logind's session records.
bool session_record_is_graphical(std::istream& record);

// Asks both, under root ("" on a device; tests give a tree of their own).
bool desktop_session_active(const std::string& root);

#endif
