// ezxpmd, the kit's power service for a device's panel: the time that
// PM_setupLcdSleepTime hands on puts the panel to sleep after that much idle
// time, and the panel's keys and touches wake it. Runs as root, started at
// boot; see panel_service.h. Tells systemd it is ready (Type=notify) once
// its socket listens.
#include <signal.h>
#include <sys/signalfd.h>
#include <systemd/sd-daemon.h>

#include <cstdio>
#include <exception>
#include <memory>

#include "evdev_directory.h"
#include "file_descriptor.h"
#include "panel_service.h"
#include "system_paths.h"

int main() {
    // A log or a client that went away must not end the service half-way:
    // writes to them fail instead.
    ::signal(SIGPIPE, SIG_IGN);
    // The stopping signals are read in the service's loop, which then
    // lights the panel before it ends.
    sigset_t stopping;
    sigemptyset(&stopping);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopping, signal);
    sigprocmask(SIG_BLOCK, &stopping, nullptr);
    const file_descriptor signals(::signalfd(-1, &stopping, SFD_NONBLOCK | SFD_CLOEXEC));
    if (signals.get() < 0) {
        std::perror("ezxpmd: signalfd");
        return 1;
    }
    try {
        const std::string root = system_path("");
        panel_service service(root, service_socket_path(), std::make_unique<evdev_directory>(root + "/dev/input"),
                              system_desktop_watch(root));
        sd_notify(0, "READY=1");
        return service.run(signals.get());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ezxpmd: %s\n", error.what());
        return 1;
    }
}
