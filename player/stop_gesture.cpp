#include "stop_gesture.h"

namespace {

constexpr std::chrono::milliseconds double_tap_interval{500};

bool is_stop_key(const input_event& event) {
    return event.type == EV_KEY && event.value == 1 &&
           (event.code == KEY_ESC || event.code == KEY_Q || event.code == KEY_BACK);
}

// A finger coming down, as BTN_TOUCH or as a new contact's tracking id
// (panels report either or both), or a pointer's button pressed.
bool begins_press(const input_event& event) {
    if (event.type == EV_KEY) return event.value == 1 && (event.code == BTN_TOUCH || event.code == BTN_LEFT);
    return event.type == EV_ABS && event.code == ABS_MT_TRACKING_ID && event.value >= 0;
}

std::chrono::microseconds time_of(const input_event& event) {
    return std::chrono::seconds(event.input_event_sec) + std::chrono::microseconds(event.input_event_usec);
}

}  // namespace

bool stop_gesture::stops(const input_event& event) {
    if (is_stop_key(event)) return true;
    if (begins_press(event)) press_in_frame_ = true;
    // One press a frame, however many of its events tell it; the frame's
    // time is that of its report.
    if (event.type != EV_SYN || event.code != SYN_REPORT || !press_in_frame_) return false;
    press_in_frame_ = false;
    const std::chrono::microseconds now = time_of(event);
    if (last_press_ && now >= *last_press_ && now - *last_press_ <= double_tap_interval) {
        last_press_.reset();
        return true;
    }
    last_press_ = now;
    return false;
}
