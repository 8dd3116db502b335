// When a Wayland session's outputs sleep and wake, as the agent decides it:
// the sleep time, the compositor's idle notices and the input that reaches
// the agent's overlay, turned into what the agent asks of the compositor.
// No Wayland of its own: the caller feeds it events and acts on dark(),
// overlay_wanted() and idle_timeout().
//
// - Sleep times as PM_setupLcdSleepTime takes them: 0 never sleeps; 10
//   sleeps at once and, once woken, never again; any other positive time
//   sleeps after that many seconds without input; negative times change
//   nothing. Every time but 10 and a negative one lights sleeping outputs.
// - Before the outputs go dark an overlay covers them, where the compositor
//   offers one, so that the waking input reaches the agent alone; it stays
//   until every key, button and touch of that input is up. Woken by input
//   the overlay did not see (the compositor's word that the user is back),
//   it waits a moment for that input, then goes.
#ifndef EZXPM_AGENT_SESSION_SLEEP_H
#define EZXPM_AGENT_SESSION_SLEEP_H

#include <chrono>
#include <optional>

class session_sleep {
public:
    using clock = std::chrono::steady_clock;

    explicit session_sleep(bool overlay_possible) : overlay_possible_(overlay_possible) {}

    void set_time(int seconds);
    // The compositor's idle notice: the user has been idle for idle_timeout().
    void idled();
    // ... and is active again, wherever the input went; or the pointer
    // moved on the overlay, which a click may follow at once.
    void resumed(clock::time_point now);
    // Every surface of the overlay is on screen.
    void overlay_shown();
    // Input on the overlay; held: a key, button or touch is still down.
    void input(bool held);

    bool dark() const { return asleep_ && (overlay_shown_ || !overlay_possible_); }
    bool overlay_wanted() const { return overlay_possible_ && (asleep_ || swallowing_); }
    // The idle notice wanted, none for none. Sleeping now, a short one tells
    // of input that the overlay does not see.
    std::optional<std::chrono::milliseconds> idle_timeout() const;
    // Counts the times set, so that the caller asks for a fresh idle notice
    // (whose count starts again) whenever one is set.
    unsigned generation() const { return generation_; }
    // When tick() is next due, if ever; tick() ends a wait for input that
    // has not come.
    std::optional<clock::time_point> deadline() const { return swallow_until_; }
    void tick(clock::time_point now);

private:
    void wake();
    // An overlay taken down must be shown anew before the outputs go dark.
    void forget_hidden_overlay();

    bool overlay_possible_;
    std::optional<std::chrono::milliseconds> idle_limit_;  // none: never sleep
    bool sleep_once_ = false;
    bool asleep_ = false;
    bool swallowing_ = false;
    bool overlay_shown_ = false;
    std::optional<clock::time_point> swallow_until_;
    unsigned generation_ = 0;
};

#endif
