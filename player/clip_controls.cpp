#include "clip_controls.h"

#include <cstdlib>

namespace {

constexpr std::chrono::milliseconds double_tap_interval{500};
// A relative pointer's travel that makes a drag a swipe, in its own counts.
constexpr int relative_swipe = 100;

std::optional<clip_action> key_action(const input_event& event) {
    const bool press = event.value == 1, repeat = event.value == 2;
    switch (event.code) {
    case KEY_ESC:
    case KEY_Q:
    case KEY_BACK:
        if (press) return clip_action::stop;
        break;
    case KEY_ENTER:
    case KEY_KPENTER:
    case KEY_SELECT:
    case KEY_SPACE:
    case KEY_PLAYPAUSE:
        if (press) return clip_action::toggle_pause;
        break;
    case KEY_LEFT:
        if (press) return clip_action::seek_back;
        break;
    case KEY_RIGHT:
        if (press) return clip_action::seek_forward;
        break;
    case KEY_UP:
    case KEY_VOLUMEUP:
        if (press || repeat) return clip_action::volume_up;
        break;
    case KEY_DOWN:
    case KEY_VOLUMEDOWN:
        if (press || repeat) return clip_action::volume_down;
        break;
    default:
        break;
    }
    return std::nullopt;
}

bool is_pointer_button(unsigned short code) {
    return code == BTN_TOUCH || code == BTN_LEFT;
}

}  // namespace

clip_controls::moment clip_controls::time_of(const input_event& event) {
    return std::chrono::seconds(event.input_event_sec) + std::chrono::microseconds(event.input_event_usec);
}

std::optional<clip_action> clip_controls::at(moment now) {
    if (!tap_due_ || now < *tap_due_) return std::nullopt;
    tap_due_.reset();
    return clip_action::toggle_pause;
}

std::vector<clip_action> clip_controls::take(const input_event& event, int width) {
    std::vector<clip_action> actions;
    const moment when = time_of(event);
    if (tap_due_ && when > *tap_due_) actions.push_back(*at(when));

    switch (event.type) {
    case EV_KEY:
        if (is_pointer_button(event.code)) {
            // Panels report a finger by BTN_TOUCH, a tracking id or both.
            if (event.value == 1) press_in_frame_ = true;
            if (event.value == 0) release_in_frame_ = true;
        } else if (const std::optional<clip_action> action = key_action(event)) {
            actions.push_back(*action);
        }
        break;
    case EV_ABS:
        if (event.code == ABS_MT_TRACKING_ID) {
            if (event.value >= 0) press_in_frame_ = true;
            else release_in_frame_ = true;
        } else if (event.code == ABS_MT_POSITION_X || event.code == ABS_X) {
            x_ = event.value;
        }
        break;
    case EV_REL:
        if (event.code == REL_X) relative_x_ += event.value;
        break;
    case EV_SYN:
        if (event.code != SYN_REPORT) break;
        // One press and one release a frame, however many events tell them.
        if (press_in_frame_) {
            press_in_frame_ = false;
            if (last_press_ && when - *last_press_ <= double_tap_interval) {
                last_press_.reset();
                tap_due_.reset();
                pressed_ = false;
                actions.push_back(clip_action::stop);
            } else {
                last_press_ = when;
                tap_due_.reset();
                pressed_ = true;
                press_x_ = x_.value_or(0);
                relative_x_ = 0;
            }
        }
        if (release_in_frame_) {
            release_in_frame_ = false;
            end_press(when, width, actions);
        }
        break;
    default:
        break;
    }
    return actions;
}

void clip_controls::end_press(moment when, int width, std::vector<clip_action>& actions) {
    if (!pressed_) return;
    pressed_ = false;
    const int travel = width > 0 ? x_.value_or(press_x_) - press_x_ : relative_x_;
    const int swipe = width > 0 ? width / 4 : relative_swipe;
    if (std::abs(travel) >= swipe) {
        // A swipe is no tap, and does not begin a double tap.
        last_press_.reset();
        actions.push_back(travel > 0 ? clip_action::seek_forward : clip_action::seek_back);
        return;
    }
    tap_due_ = (last_press_ ? *last_press_ : when) + double_tap_interval;
}
