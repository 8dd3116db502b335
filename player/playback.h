// The panel's input while a player plays, for zorvid-panel: the devices are
// grabbed once nothing is down on them, so that the launcher sees whole what
// it saw begin and nothing given during the clip; a stop key or a double tap
// tells the player to stop (SIGTERM), and kills it (SIGKILL) if it is still
// there a moment later. The stopping key or finger stays this program's until
// it is up; then the input is the launcher's again.
#ifndef PLAYER_PLAYBACK_H
#define PLAYER_PLAYBACK_H

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>

#include "input_devices.h"
#include "stop_gesture.h"

class playback {
public:
    // signals: a signalfd that reports SIGCHLD and the requests to stop.
    // Opens the source's devices and grabs the free ones.
    playback(int signals, std::unique_ptr<input_device_source> devices);

    // Runs until the player has ended; its wait status.
    int until_done(pid_t player);
    bool stopped() const { return stopped_; }
    // Swallows the input until every key and finger is up, for a few seconds at most.
    void until_released();

private:
    void take_signals(std::chrono::steady_clock::time_point now);
    void stop(int signal, std::chrono::steady_clock::time_point now);

    int signals_;
    input_devices devices_;
    pid_t player_ = -1;
    stop_gesture gesture_;
    bool stopped_ = false;
    std::optional<std::chrono::steady_clock::time_point> kill_at_;
    std::optional<int> status_;
};

#endif
