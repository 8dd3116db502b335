// poll(2) over a set of descriptors that changes from one wait to the next:
// add what to watch, wait, then ask which are ready.
#ifndef PANEL_POLL_SET_H
#define PANEL_POLL_SET_H

#include <poll.h>

#include <chrono>
#include <optional>
#include <vector>

class poll_set {
public:
    void add(int fd) { fds_.push_back({fd, POLLIN, 0}); }
    // Waits until a descriptor is ready or the time has come (none: no
    // limit); a signal ends the wait with nothing ready.
    void wait_until(std::optional<std::chrono::steady_clock::time_point> when);
    // Readable, hung up or in error: a read will not block.
    bool ready(int fd) const;

private:
    std::vector<pollfd> fds_;
};

// Waits until fd has something to read or has closed (true), or the
// deadline has passed (false); signals do not end the wait.
bool readable_before(int fd, std::chrono::steady_clock::time_point deadline);

#endif
