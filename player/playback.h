// The panel's input while a player plays, for zorvid-panel: the devices are
// grabbed once nothing is down on them, so that the launcher sees whole what
// it saw begin and nothing given during the clip. What the input means
// (clip_controls) is carried out on the player: a stop key or a double tap
// asks it to end and kills it (SIGKILL) if it is still there a moment later;
// pauses, seeks and volume steps go to the player's own controls. The
// stopping key or finger stays this program's until it is up; then the input
// is the launcher's again.
#ifndef PLAYER_PLAYBACK_H
#define PLAYER_PLAYBACK_H

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>

#include "clip_controls.h"
#include "clip_player.h"
#include "event_clock.h"
#include "input_devices.h"

class playback {
public:
    // signals: a signalfd that reports SIGCHLD and the requests to stop.
    // Opens the source's devices and grabs the free ones.
    playback(int signals, std::unique_ptr<input_device_source> devices, clip_player& player);

    // Runs until the player (started by the caller) has ended; its wait status.
    int until_done(pid_t player);
    bool stopped() const { return stopped_; }
    // Swallows the input until every key and finger is up, for a few seconds at most.
    void until_released();

private:
    void carry_out(clip_action action, std::chrono::steady_clock::time_point now);
    void take_signals(std::chrono::steady_clock::time_point now);
    // Tells the player to end by signal (0: its own way) and kills it if it does not.
    void stop(int signal, std::chrono::steady_clock::time_point now);

    int signals_;
    input_devices devices_;
    clip_player& player_;
    pid_t pid_ = -1;
    clip_controls controls_;
    event_clock event_clock_;
    bool stopped_ = false;
    std::optional<std::chrono::steady_clock::time_point> kill_at_;
    std::optional<int> status_;
};

#endif
