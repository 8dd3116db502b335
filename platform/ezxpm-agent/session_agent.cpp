#include "session_agent.h"

namespace {

wayland_globals& bound(wayland_globals& globals) {
    wl_display_roundtrip(globals.display);
    return globals;
}

}  // namespace

session_agent::session_agent(wl_display* display)
    : globals_(display), sleep_(bound(globals_).overlay_possible()), overlay_(globals_) {
    if (globals_.seat)
        input_ = std::make_unique<seat_input>(
            globals_.seat, [this](bool held) { sleep_.input(held); },
            [this] { sleep_.resumed(std::chrono::steady_clock::now()); });
}

void session_agent::set_time(int seconds) {
    sleep_.set_time(seconds);
    // The time is applied afresh, whatever the outputs were asked before.
    for (const auto& output : globals_.outputs) output->lit.reset();
}

void session_agent::apply() {
    sleep_.tick(std::chrono::steady_clock::now());
    const auto timeout = sleep_.idle_timeout();
    if (timeout != notice_timeout_ || sleep_.generation() != notice_generation_) {
        notice_.reset();
        if (timeout)
            notice_ = std::make_unique<idle_notice>(
                globals_, *timeout, [this] { sleep_.idled(); }, [this] { sleep_.resumed(std::chrono::steady_clock::now()); });
        notice_timeout_ = timeout;
        notice_generation_ = sleep_.generation();
    }
    if (sleep_.overlay_wanted()) {
        overlay_.show();
        if (overlay_.shown()) sleep_.overlay_shown();
    } else {
        overlay_.hide();
    }
    const bool lit = !sleep_.dark();
    for (const auto& output : globals_.outputs) {
        if (!output->power || output->lit == lit) continue;
        zwlr_output_power_v1_set_mode(output->power, lit ? ZWLR_OUTPUT_POWER_V1_MODE_ON : ZWLR_OUTPUT_POWER_V1_MODE_OFF);
        output->lit = lit;
    }
}
