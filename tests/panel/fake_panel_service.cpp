#include "fake_panel_service.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

fake_panel_service::fake_panel_service(std::optional<std::string> reply) : reply_(std::move(reply)) {
    const std::string path = dir_.path() + "/socket";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    listener_ = file_descriptor(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    int stop[2];
    if (listener_.get() < 0 || ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_.get(), 8) != 0 || ::pipe2(stop, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot listen as the fake service");
    stop_read_ = file_descriptor(stop[0]);
    stop_write_ = file_descriptor(stop[1]);
    ::setenv("EZXPMD_SOCKET", path.c_str(), 1);
    thread_ = std::thread([this] { serve(); });
}

fake_panel_service::~fake_panel_service() {
    ::unsetenv("EZXPMD_SOCKET");
    stop_write_.close();
    thread_.join();
}

std::vector<std::string> fake_panel_service::log() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

void fake_panel_service::serve() {
    std::vector<file_descriptor> connections;
    for (;;) {
        std::vector<pollfd> fds{{stop_read_.get(), POLLIN, 0}, {listener_.get(), POLLIN, 0}};
        for (const file_descriptor& c : connections) fds.push_back({c.get(), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents) return;
        if (fds[1].revents) connections.emplace_back(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            char packet[64];
            const ssize_t got = ::recv(fds[i].fd, packet, sizeof packet, 0);
            const std::lock_guard<std::mutex> lock(mutex_);
            if (got <= 0) {
                log_.push_back("closed");
                connections[i - 2].close();
                continue;
            }
            log_.emplace_back(packet, static_cast<std::size_t>(got));
            if (reply_) ::send(fds[i].fd, reply_->data(), reply_->size(), MSG_NOSIGNAL);
        }
        // Closed connections go once the round is over, so indices stay put.
        connections.erase(std::remove_if(connections.begin(), connections.end(),
                                         [](const file_descriptor& c) { return c.get() < 0; }),
                          connections.end());
    }
}
