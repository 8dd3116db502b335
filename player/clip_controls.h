// What the panel's keys and touches do to a playing clip, from the events
// alone, each at its own time:
// - Escape, q or Back stop it, as does a double tap (two presses of a finger
//   or of a pointer's button within half a second);
// - Enter, Select, Space or Play/Pause pause and resume it, as does a single
//   tap once the half second has passed without a second one;
// - Left and Right seek 10 s back and on, as does a swipe of the finger (or
//   a drag of the pointer) to the left or the right over a quarter of the
//   panel's width;
// - Up and Down (or the volume keys) turn the sound up and down, also as
//   the key repeats.
#ifndef PLAYER_CLIP_CONTROLS_H
#define PLAYER_CLIP_CONTROLS_H

#include <linux/input.h>

#include <chrono>
#include <optional>
#include <vector>

enum class clip_action { stop, toggle_pause, seek_back, seek_forward, volume_up, volume_down };

class clip_controls {
public:
    // A time on the clock of the events' own time stamps.
    using moment = std::chrono::microseconds;

    static moment time_of(const input_event& event);

    // Takes the events of a device in order; `width` is the extent of the
    // device's horizontal axis (0 for a relative pointer). The actions due,
    // a waiting tap's first when the event comes after its time.
    std::vector<clip_action> take(const input_event& event, int width);
    // When a single tap waits: the time at which it acts.
    std::optional<moment> tap_due() const { return tap_due_; }
    // The waiting tap's action once `now` has reached its time.
    std::optional<clip_action> at(moment now);

private:
    void end_press(moment when, int width, std::vector<clip_action>& actions);

    bool press_in_frame_ = false;
    bool release_in_frame_ = false;
    bool pressed_ = false;
    std::optional<int> x_;  // the last absolute horizontal position
    int press_x_ = 0;
    int relative_x_ = 0;  // a relative pointer's travel since the press
    std::optional<moment> last_press_;
    std::optional<moment> tap_due_;
};

#endif
