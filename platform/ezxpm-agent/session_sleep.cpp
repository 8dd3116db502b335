#include "session_sleep.h"

#include "lcd_sleep.h"

namespace {

constexpr std::chrono::milliseconds wake_watch{1000};
// Input that woke the outputs reaches the overlay within this, if at all.
constexpr std::chrono::milliseconds unseen_input_wait{500};

}  // namespace

void session_sleep::set_time(int seconds) {
    const lcd_sleep sleep = lcd_sleep_for(seconds);
    if (sleep == lcd_sleep::unknown) return;
    ++generation_;
    sleep_once_ = sleep == lcd_sleep::now;
    if (sleep == lcd_sleep::after_idle)
        idle_limit_ = std::chrono::seconds(seconds);
    else
        idle_limit_.reset();
    if (sleep == lcd_sleep::now) {
        asleep_ = true;
    } else if (asleep_) {
        // No input woke the outputs: nothing is left to swallow.
        wake();
        swallowing_ = false;
        swallow_until_.reset();
    }
    forget_hidden_overlay();
}

void session_sleep::idled() {
    if (idle_limit_ && !swallowing_) asleep_ = true;
}

void session_sleep::resumed(clock::time_point now) {
    if (!asleep_) return;
    wake();
    if (swallowing_) swallow_until_ = now + unseen_input_wait;
}

void session_sleep::tick(clock::time_point now) {
    if (!swallow_until_ || now < *swallow_until_) return;
    swallow_until_.reset();
    swallowing_ = false;
    forget_hidden_overlay();
}

void session_sleep::overlay_shown() {
    if (overlay_wanted()) overlay_shown_ = true;
}

void session_sleep::input(bool held) {
    if (asleep_) wake();
    swallow_until_.reset();
    if (!held) swallowing_ = false;
    forget_hidden_overlay();
}

void session_sleep::wake() {
    asleep_ = false;
    // Whatever woke the outputs may still be going on the overlay.
    swallowing_ = overlay_possible_;
    if (sleep_once_) {
        sleep_once_ = false;
        idle_limit_.reset();
    }
}

void session_sleep::forget_hidden_overlay() {
    if (!overlay_wanted()) overlay_shown_ = false;
}

std::optional<std::chrono::milliseconds> session_sleep::idle_timeout() const {
    if (idle_limit_) return idle_limit_;
    if (asleep_) return wake_watch;
    return std::nullopt;
}
