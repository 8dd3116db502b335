// mpv on the panel, worked through its JSON IPC socket, which lies in a
// private folder of this process's own for as long as it lives: pause,
// seeks of 10 s and volume steps of 5. mpv saves the position itself.
#ifndef PLAYER_MPV_PLAYER_H
#define PLAYER_MPV_PLAYER_H

#include <string>

#include "clip_player.h"

class mpv_player : public clip_player {
public:
    mpv_player(launcher launch, std::vector<std::string> command);
    ~mpv_player() override;

    pid_t start() override;
    pid_t act(clip_action action, pid_t player) override;

private:
    // Sends one command line and waits briefly for mpv's answer, so that the
    // command is taken before the connection closes.
    void send(const std::string& command) const;

    std::string folder_;  // empty when none could be made
    std::string socket_;
};

#endif
