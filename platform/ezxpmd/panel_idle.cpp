#include "panel_idle.h"

#include <algorithm>

#include "lcd_sleep.h"

namespace {

// While a key is held at the time the panel would sleep, how often to look
// again: its release is input and restarts the idle time anyway, but a
// release that another reader took shows only in the device's state.
constexpr std::chrono::seconds held_recheck{1};

}  // namespace

void panel_idle::set_time(int seconds, clock::time_point now) {
    const lcd_sleep sleep = lcd_sleep_for(seconds);
    if (sleep == lcd_sleep::unknown) return;
    sleep_once_ = sleep == lcd_sleep::now;
    if (sleep == lcd_sleep::never)
        idle_limit_.reset();
    else
        idle_limit_ = sleep == lcd_sleep::now ? clock::duration::zero() : clock::duration(std::chrono::seconds(seconds));
    if (sleep != lcd_sleep::now && asleep_) wake(now);
    last_input_ = now;
}

void panel_idle::wake(clock::time_point now) {
    asleep_ = false;
    if (sleep_once_) {
        idle_limit_.reset();
        sleep_once_ = false;
    }
    last_input_ = now;
}

void panel_idle::input(clock::time_point now, bool held) {
    if (asleep_) {
        wake(now);
        swallowing_ = true;
    }
    if (!held) swallowing_ = false;
    last_input_ = now;
    not_before_ = now;
}

void panel_idle::hold(clock::time_point now) {
    ++holds_;
    if (asleep_) wake(now);
}

void panel_idle::end_hold(clock::time_point now) {
    if (holds_ > 0) --holds_;
    last_input_ = now;
}

void panel_idle::tick(clock::time_point now, bool held) {
    const std::optional<clock::time_point> due = deadline();
    if (!due || now < *due) return;
    if (held)
        not_before_ = now + held_recheck;
    else
        asleep_ = true;
}

std::optional<panel_idle::clock::time_point> panel_idle::deadline() const {
    if (asleep_ || swallowing_ || holds_ > 0 || !idle_limit_) return std::nullopt;
    return std::max(last_input_ + *idle_limit_, not_before_);
}
