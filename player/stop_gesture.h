// What stops a clip on the panel: a press of Escape, q or the device's Back
// key, or a double tap anywhere, that is two presses of a finger or of a
// pointer's button within half a second, timed by the events' own times.
#ifndef PLAYER_STOP_GESTURE_H
#define PLAYER_STOP_GESTURE_H

#include <linux/input.h>

#include <chrono>
#include <optional>

class stop_gesture {
public:
    // Takes the events of a device in order; true when the clip is to stop.
    bool stops(const input_event& event);

private:
    bool press_in_frame_ = false;
    std::optional<std::chrono::microseconds> last_press_;
};

#endif
