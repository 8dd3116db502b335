// The agent at work in one Wayland session: the sleep time, the
// compositor's idle notices and the input on the overlay drive the outputs'
// power, through session_sleep. Events only change the state; apply()
// makes the compositor's objects match it, outside any event handler.
#ifndef EZXPM_AGENT_SESSION_AGENT_H
#define EZXPM_AGENT_SESSION_AGENT_H

#include <chrono>
#include <memory>
#include <optional>

#include "idle_notice.h"
#include "overlay.h"
#include "seat_input.h"
#include "session_sleep.h"
#include "wayland_globals.h"

class session_agent {
public:
    // Binds the compositor's globals (one round trip).
    explicit session_agent(wl_display* display);

    // Whether the compositor lets the agent power its outputs down at all.
    bool can_darken() const { return globals_.power_manager != nullptr; }
    void set_time(int seconds);
    void apply();
    // When apply() is next due without any event, if ever.
    std::optional<std::chrono::steady_clock::time_point> deadline() const { return sleep_.deadline(); }

private:
    wayland_globals globals_;
    session_sleep sleep_;
    overlay overlay_;
    std::unique_ptr<seat_input> input_;
    std::unique_ptr<idle_notice> notice_;
    std::optional<std::chrono::milliseconds> notice_timeout_;
    unsigned notice_generation_ = 0;
};

#endif
