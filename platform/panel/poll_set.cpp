#include "poll_set.h"

#include <algorithm>
#include <cerrno>
#include <climits>

void poll_set::wait_until(std::optional<std::chrono::steady_clock::time_point> when) {
    int timeout = -1;
    if (when) {
        // Rounded up: a wait that ends before its time would only come round again.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*when - std::chrono::steady_clock::now());
        timeout = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
    }
    for (pollfd& fd : fds_) fd.revents = 0;
    ::poll(fds_.data(), fds_.size(), timeout);
}

bool poll_set::ready(int fd) const {
    return std::any_of(fds_.begin(), fds_.end(), [fd](const pollfd& p) { return p.fd == fd && p.revents != 0; });
}

bool readable_before(int fd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd wanted{fd, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}
