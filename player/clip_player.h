// A player run by the panel's helper, and what it does with the panel's
// pauses, seeks and volume steps. This base stops its player and does
// nothing else; mpv_player and ffmpeg_player do the rest.
#ifndef PLAYER_CLIP_PLAYER_H
#define PLAYER_CLIP_PLAYER_H

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "clip_controls.h"

class clip_player {
public:
    // Starts a program from its arguments (the first its name); the
    // process's id, or -1.
    using launcher = std::function<pid_t(const std::vector<std::string>&)>;

    clip_player(launcher launch, std::vector<std::string> command)
        : launch_(std::move(launch)), command_(std::move(command)) {}
    virtual ~clip_player() = default;
    clip_player(const clip_player&) = delete;
    clip_player& operator=(const clip_player&) = delete;

    // The player's process id, or -1.
    virtual pid_t start() { return launch_(command_); }
    // Carries out a pause, seek or volume step on the running player; the
    // player's process id afterwards, which a restart changes.
    virtual pid_t act(clip_action, pid_t player) { return player; }
    // Asks the player to end.
    virtual void stop(pid_t player);
    // What the player reports as it runs: a descriptor to watch (-1 for
    // none) and what is done once it is readable.
    virtual int report_fd() const { return -1; }
    virtual void take_reports() {}
    // The player has ended with the wait status, stopped by the user or not.
    virtual void ended(bool /*stopped*/, int /*status*/) {}

protected:
    // The command with `extra` after the program's name.
    std::vector<std::string> command_with(const std::vector<std::string>& extra) const;

    launcher launch_;
    std::vector<std::string> command_;
};

#endif
