// The clock of the input events' own time stamps, as read from the steady
// clock: the time of the last event seen, moved on by the steady time passed
// since it was read. Whichever clock the devices stamp their events with.
#ifndef PLAYER_EVENT_CLOCK_H
#define PLAYER_EVENT_CLOCK_H

#include <chrono>

#include "clip_controls.h"

class event_clock {
public:
    using steady = std::chrono::steady_clock;

    void saw(const input_event& event, steady::time_point now) {
        last_event_ = clip_controls::time_of(event);
        seen_at_ = now;
    }
    clip_controls::moment at(steady::time_point now) const {
        return last_event_ + std::chrono::duration_cast<clip_controls::moment>(now - seen_at_);
    }
    steady::time_point steady_at(clip_controls::moment when) const {
        return seen_at_ + std::chrono::duration_cast<steady::duration>(when - last_event_);
    }

private:
    clip_controls::moment last_event_{};
    steady::time_point seen_at_{};
};

#endif
