// The built ezxpmd, run for one test on a system tree of its own: one
// backlight and one framebuffer (beside fbcon) under sys/, no input devices,
// no desktop unless asked for, and its socket at run/ezxpmd/socket, in a
// folder it makes itself.
#ifndef PANEL_TESTS_RUNNING_SERVICE_H
#define PANEL_TESTS_RUNNING_SERVICE_H

#include <sys/types.h>

#include <string>

#include "panel_channel.h"
#include "test_support.h"

class running_service {
public:
    // panel: what bl_power and blank hold before the start, "4\n" for a panel
    // that a crash left dark; desktop: logind records an X11 session.
    explicit running_service(const std::string& panel, bool desktop = false);
    // Kills the service if it still runs.
    ~running_service();
    running_service(const running_service&) = delete;
    running_service& operator=(const running_service&) = delete;

    // Whether the service listens, waiting for it up to ten seconds.
    bool listening() const;
    // One request sent on a connection of its own, left open in the answer.
    service_answer send(const std::string& request) const;
    // The service's reply to one request; empty when none came.
    std::string ask(const std::string& request) const { return send(request).reply; }
    // The backlight's bl_power and the framebuffer's blank, when they agree;
    // "disagree" otherwise.
    std::string panel() const;
    // Whether panel() reads value, waiting for it up to ten seconds: the
    // service answers first and acts after.
    bool panel_becomes(const std::string& value) const;
    // SIGTERM; the exit status.
    int stop();

    const temp_dir& root() const { return root_; }
    std::string socket() const { return root_.path() + "/run/ezxpmd/socket"; }
    // What the service wrote on its standard error.
    std::string log() const;

private:
    temp_dir root_;
    pid_t pid_ = -1;
};

#endif
