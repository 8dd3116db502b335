#include "poll_set.h"

#include <algorithm>
#include <climits>

void poll_set::wait(std::optional<std::chrono::milliseconds> timeout) {
    int limit = -1;
    if (timeout) limit = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(timeout->count(), 0, INT_MAX));
    for (pollfd& fd : fds_) fd.revents = 0;
    ::poll(fds_.data(), fds_.size(), limit);
}

bool poll_set::ready(int fd) const {
    return std::any_of(fds_.begin(), fds_.end(), [fd](const pollfd& p) { return p.fd == fd && p.revents != 0; });
}
