// When the panel sleeps and wakes: the sleep time, the user's input and the
// holds of playing clips, turned into two outputs, whether the panel is lit
// and whether the service takes all input for itself. No clock or device of
// its own: every call says what time it is, and the caller acts on lit(),
// grabbing() and deadline().
//
// - Sleep times as PM_setupLcdSleepTime takes them: 0 never sleeps; 10
//   sleeps at once and, once woken, never again; any other positive time
//   sleeps after that much time without input; negative times change nothing.
//   Setting any time but 10 and a negative one wakes a sleeping panel.
// - Input wakes a sleeping panel and is swallowed: the service takes all
//   input from the moment the panel sleeps until every key, button and
//   contact of the waking input is up again.
// - The panel never goes to sleep while a key, button or contact is down,
//   since whoever saw it go down must also see it go up, nor while a hold
//   lasts; the idle time starts again when a hold ends.
#ifndef EZXPMD_PANEL_IDLE_H
#define EZXPMD_PANEL_IDLE_H

#include <chrono>
#include <optional>

class panel_idle {
public:
    using clock = std::chrono::steady_clock;

    explicit panel_idle(clock::time_point now) : last_input_(now), not_before_(now) {}

    void set_time(int seconds, clock::time_point now);
    // held: whether a key, button or contact is down once this input is taken.
    void input(clock::time_point now, bool held);
    void hold(clock::time_point now);
    void end_hold(clock::time_point now);
    // Time has passed: sleeps when it is due.
    void tick(clock::time_point now, bool held);

    bool lit() const { return !asleep_; }
    bool grabbing() const { return asleep_ || swallowing_; }
    // When tick() is next due; none while nothing can happen without input,
    // a request or the end of a hold.
    std::optional<clock::time_point> deadline() const;

private:
    void wake(clock::time_point now);

    std::optional<clock::duration> idle_limit_;  // none: never sleep
    bool sleep_once_ = false;                    // 10: once woken, never sleep again
    clock::time_point last_input_;
    clock::time_point not_before_;  // a held key put the sleep off until then
    int holds_ = 0;
    bool asleep_ = false;
    bool swallowing_ = false;
};

#endif
