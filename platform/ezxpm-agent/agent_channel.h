// The agent's side of its socket: one agent per session holds the lock
// beside the socket for as long as it runs, listens on the socket and takes
// each "sleep <seconds>" request there, answered "taken"; anything else is
// answered "refused". The socket lies in the user's runtime folder, which
// only the user can enter, and a peer of another user is refused too.
#ifndef EZXPM_AGENT_AGENT_CHANNEL_H
#define EZXPM_AGENT_AGENT_CHANNEL_H

#include <optional>
#include <string>

#include "file_descriptor.h"

class agent_channel {
public:
    // Takes the lock and listens; nothing when another agent holds the lock
    // or the socket cannot be made. A socket left by an agent that is gone
    // is replaced.
    static std::optional<agent_channel> open(const std::string& socket_path);
    ~agent_channel();
    agent_channel(agent_channel&& other) noexcept = default;
    agent_channel& operator=(agent_channel&&) = delete;

    int listener() const { return listener_.get(); }
    // Answers the connections waiting; the seconds of the last sleep
    // request among them, if any.
    std::optional<int> serve();

private:
    agent_channel(std::string path, file_descriptor lock, file_descriptor listener)
        : path_(std::move(path)), lock_(std::move(lock)), listener_(std::move(listener)) {}

    std::string path_;
    file_descriptor lock_;
    file_descriptor listener_;
};

#endif
