// The built ezxpmd, run for one test on a system tree of its own: one
// backlight and one framebuffer (beside fbcon) under sys/, no input devices,
// and its socket at run/ezxpmd/socket, in a folder it makes itself.
#ifndef PANEL_TESTS_RUNNING_SERVICE_H
#define PANEL_TESTS_RUNNING_SERVICE_H

#include <sys/types.h>

#include <functional>
#include <string>

#include "file_descriptor.h"
#include "panel_channel.h"
#include "test_support.h"

// A Unix socket of type that listens at path (its folders made first), or
// in the abstract namespace when path begins with "@".
file_descriptor listen_on(const std::string& path, int type);

// The panel of a system tree under root: sys/class/backlight/panel/bl_power
// and sys/class/graphics/fb0/blank, both holding panel ("4\n" dark, "0\n"
// lit), and sys/class/graphics/fbcon.
void make_panel_tree(const temp_dir& root, const std::string& panel);
// bl_power and blank when they agree; "disagree" otherwise.
std::string panel_in_tree(const temp_dir& root);

class running_service {
public:
    // panel: what bl_power and blank hold before the start, "4\n" for a panel
    // that a crash left dark; in_child: run in the service's process just
    // before it starts (limits, descriptors).
    explicit running_service(const std::string& panel, const std::function<void()>& in_child = {});
    // Kills the service if it still runs.
    ~running_service();
    running_service(const running_service&) = delete;
    running_service& operator=(const running_service&) = delete;

    // Whether the service listens, waiting for it up to ten seconds.
    bool listening() const;
    // One request sent on a connection of its own, left open in the answer.
    service_answer send(const std::string& request,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10)) const;
    // The service's reply to one request; empty when none came.
    std::string ask(const std::string& request) const { return send(request).reply; }
    std::string panel() const { return panel_in_tree(root_); }
    // Whether panel() reads value, waiting for it up to ten seconds: the
    // service answers first and acts after.
    bool panel_becomes(const std::string& value) const;
    // SIGTERM; the exit status.
    int stop();
    // The exit status once the service ended by itself, waiting up to ten
    // seconds; -1 when it still runs.
    int ended();

    pid_t pid() const { return pid_; }
    const temp_dir& root() const { return root_; }
    std::string socket() const { return root_.path() + "/run/ezxpmd/socket"; }
    // What the service wrote on its standard error.
    std::string log() const;

private:
    temp_dir root_;
    pid_t pid_ = -1;
};

#endif
