#include "clip_player.h"

#include <signal.h>

void clip_player::stop(pid_t player) {
    ::kill(player, SIGTERM);
}

std::vector<std::string> clip_player::command_with(const std::vector<std::string>& extra) const {
    std::vector<std::string> command = command_;
    command.insert(command.begin() + 1, extra.begin(), extra.end());
    return command;
}
