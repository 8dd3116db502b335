// A private, headless sway for one test: wlroots' headless backend and its
// pixman renderer, no input devices, no Xwayland, its own runtime folder
// and configuration. Started as the user nobody when the test runs as root,
// since sway refuses root. While it lives the test process's environment
// points at it (XDG_RUNTIME_DIR, WAYLAND_DISPLAY, SWAYSOCK).
#ifndef WAYLAND_TESTS_SWAY_SESSION_H
#define WAYLAND_TESTS_SWAY_SESSION_H

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

// The program's path on PATH, or empty.
std::string program_on_path(const std::string& name);

// Whether the condition holds before the time is up, looking every 50 ms.
bool holds_within(std::chrono::milliseconds time, const std::function<bool()>& condition);

class sway_session {
public:
    sway_session();
    ~sway_session();
    sway_session(const sway_session&) = delete;
    sway_session& operator=(const sway_session&) = delete;

    static bool installed();
    bool running() const { return !display_.empty(); }
    const std::string& runtime_dir() const { return runtime_.path(); }
    // What sway last did to the output's power: true on, false off, none
    // before it was asked. Read from sway's own log where it tells
    // (sway 1.7), since wlroots' headless outputs of Debian 12 refuse to be
    // powered down and so never report it; else as sway reports the
    // output's power (sway 1.10), none when it does not answer.
    std::optional<bool> output_lit() const;
    // The end of sway's own log, to tell why it did not start.
    std::string log_tail() const;
    // Stops sway at once (SIGKILL), as a crash would.
    void kill();

private:
    temp_dir runtime_;
    temp_dir config_dir_;
    std::string log_;
    pid_t pid_ = -1;
    std::string display_;
    std::string ipc_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_environment_;
};

// A program of the test run in the session, its standard output in a file.
class session_client {
public:
    session_client(const std::string& program, const std::vector<std::string>& arguments, const std::string& output);
    ~session_client();
    session_client(const session_client&) = delete;
    session_client& operator=(const session_client&) = delete;

    std::string output() const;

private:
    pid_t pid_ = -1;
    std::string output_;
};

// The agents at work in the session whose runtime folder is given, by pid.
std::vector<pid_t> agents_in(const std::string& runtime_dir);

#endif
