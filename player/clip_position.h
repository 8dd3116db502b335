// Where in a clip a player is that can only start at a position and run
// from there at the clip's own pace, or be frozen: the position it started
// from plus the time it has run since, less the time it stood still.
#ifndef PLAYER_CLIP_POSITION_H
#define PLAYER_CLIP_POSITION_H

#include <algorithm>
#include <chrono>
#include <optional>

class clip_position {
public:
    using clock = std::chrono::steady_clock;

    clip_position(double from, clock::time_point now) { start(from, now); }

    // The player (re)started at `from` seconds, playing.
    void start(double from, clock::time_point now) {
        from_ = std::max(0.0, from);
        since_ = now;
        frozen_at_.reset();
    }
    void freeze(clock::time_point now) {
        if (!frozen_at_) frozen_at_ = now;
    }
    bool frozen() const { return frozen_at_.has_value(); }
    double at(clock::time_point now) const {
        return from_ + std::chrono::duration<double>(frozen_at_.value_or(now) - since_).count();
    }

private:
    double from_ = 0;
    clock::time_point since_;
    std::optional<clock::time_point> frozen_at_;
};

#endif
