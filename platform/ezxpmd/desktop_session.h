// Whether an X11 or Wayland session drives the display, in which case the
// power service leaves the display to it. Only what the system itself
// vouches for counts, never anything an ordinary user can make:
//   - where logind runs, a session of type x11 or wayland on the panel's
//     seat (seat0), as sd-login tells;
//   - a display server whose listening socket file belongs to root or to
//     the service's own user (display_sockets.h).
// Cheap enough to ask before every sleep: no connection is made.
#ifndef EZXPMD_DESKTOP_SESSION_H
#define EZXPMD_DESKTOP_SESSION_H

#include <memory>
#include <string>

class desktop_watch {
public:
    virtual ~desktop_watch() = default;
    virtual bool drives_display() = 0;
};

// The system's word, under root: "" on a device. Under a tree of the tests'
// own, logind, which knows nothing of that tree, is not asked.
std::unique_ptr<desktop_watch> system_desktop_watch(const std::string& root);

#endif
