#include "panel_service.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "panel_channel.h"
#include "peer_credentials.h"
#include "service_socket.h"

namespace {

// Connections kept at once, and by one user; more are refused. Each
// holder of the panel keeps one.
constexpr std::size_t most_clients = 64;
constexpr std::size_t most_clients_of_a_user = 8;
// A connection's request must come within this; a hold lasts as long as it likes.
constexpr std::chrono::seconds request_wait{3};
// A failed write to sysfs, or accept() out of descriptors, is tried again after this.
constexpr std::chrono::seconds retry_wait{1};

void answer(int connection, std::string_view text) {
    ::send(connection, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

// A packet of no bytes reads as 0, as the end of the connection does; only
// the end leaves the connection hung up.
bool hung_up(int connection) {
    pollfd state{connection, POLLIN | POLLRDHUP, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLRDHUP | POLLERR));
}

template <typename T>
void earliest(std::optional<T>& so_far, std::optional<T> other) {
    if (other && (!so_far || *other < *so_far)) so_far = other;
}

}  // namespace

panel_service::panel_service(const std::string& root, std::string socket_path,
                             std::unique_ptr<input_device_source> devices, std::unique_ptr<desktop_watch> desktop)
    : socket_path_(std::move(socket_path)),
      video_(video_group()),
      power_(root + "/sys"),
      devices_(std::move(devices)),
      desktop_(std::move(desktop)),
      idle_(clock::now()) {
    // A crash may have left the panel dark, whatever seems to drive it now.
    apply(clock::now());
    // Only root can hand the socket to the video group; a service that runs
    // as another user serves that user alone.
    listener_ = listen_at(socket_path_, ::geteuid() == 0 ? video_ : std::nullopt);
}

int panel_service::run(int stop) {
    for (;;) {
        poll_set set;
        devices_.watch(set);
        const clock::time_point before = clock::now();
        if (!listen_again_at_ || before >= *listen_again_at_) {
            listen_again_at_.reset();
            set.add(listener_.get());
        }
        for (const client& c : clients_) set.add(c.connection.get());
        set.add(stop);
        set.wait_until(next_deadline());
        const clock::time_point now = clock::now();
        // Input first: a request must see the keys pressed before it was sent.
        take_input(set, now);
        if (set.ready(listener_.get())) accept_connections(now);
        serve_clients(set, now);
        if (set.ready(stop)) break;
        tick(now);
        apply(now);
    }
    power_.light();
    ::unlink(socket_path_.c_str());
    return 0;
}

std::optional<panel_service::clock::time_point> panel_service::next_deadline() const {
    std::optional<clock::time_point> due = idle_.deadline();
    earliest(due, retry_at_);
    earliest(due, listen_again_at_);
    for (const client& c : clients_)
        if (!c.holding) earliest(due, std::optional(c.opened + request_wait));
    return due;
}

void panel_service::take_input(const poll_set& ready, clock::time_point now) {
    bool input = false;
    const bool appeared = devices_.take_input(ready, [&](const input_device&, const std::vector<input_event>& events) {
        input = input || std::any_of(events.begin(), events.end(), is_user_input);
    });
    if (input) idle_.input(now, devices_.any_held());
    if (appeared && grabbed_) devices_.grab_all();
}

void panel_service::accept_connections(clock::time_point now) {
    for (;;) {
        const int fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            // Out of descriptors or memory the listener stays readable:
            // rest rather than spin.
            if (errno != EAGAIN && errno != EWOULDBLOCK) listen_again_at_ = now + retry_wait;
            return;
        }
        client newcomer{file_descriptor(fd), static_cast<uid_t>(-1), false, now};
        // Refused only once the request is read: a connection closed with a
        // request unread would reach its client as an error instead of the
        // refusal.
        if (const std::optional<peer_credentials> peer = credentials_of_peer(fd)) {
            newcomer.uid = peer->uid;
            newcomer.allowed = may_use_panel(*peer, ::geteuid(), video_);
        }
        if (admit(newcomer))
            clients_.push_back(std::move(newcomer));
        else
            answer(fd, reply::refused);
    }
}

bool panel_service::admit(const client& newcomer) {
    const bool user_full = static_cast<std::size_t>(std::count_if(clients_.begin(), clients_.end(), [&](const client& c) {
                               return c.uid == newcomer.uid;
                           })) >= most_clients_of_a_user;
    if (!user_full && clients_.size() < most_clients) return true;
    if (!newcomer.allowed) return false;
    // No place left: the oldest connection still waiting for its request
    // makes room, of the same user when that user has too many, else one
    // that may not use the panel first.
    auto oldest = clients_.end();
    for (auto c = clients_.begin(); c != clients_.end(); ++c) {
        if (c->holding || (user_full && c->uid != newcomer.uid)) continue;
        if (oldest == clients_.end() || (oldest->allowed && !c->allowed) ||
            (oldest->allowed == c->allowed && c->opened < oldest->opened))
            oldest = c;
    }
    if (oldest == clients_.end()) return false;
    answer(oldest->connection.get(), reply::refused);
    clients_.erase(oldest);
    return true;
}

void panel_service::serve_clients(const poll_set& ready, clock::time_point now) {
    for (auto c = clients_.begin(); c != clients_.end();) {
        bool keep = true;
        if (ready.ready(c->connection.get()))
            keep = serve(*c, now);
        else if (!c->holding && now >= c->opened + request_wait)
            keep = false;  // sent nothing in time
        if (keep) {
            ++c;
            continue;
        }
        if (c->holding) idle_.end_hold(now);
        c = clients_.erase(c);
    }
}

bool panel_service::serve(client& client, clock::time_point now) {
    const int fd = client.connection.get();
    char packet[longest_packet];
    // MSG_TRUNC: the packet's whole length, so that an over-long one shows.
    const ssize_t got = ::recv(fd, packet, sizeof packet, MSG_TRUNC);
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    if (got == 0 && hung_up(fd)) return false;
    const std::optional<panel_request> request =
        !client.allowed || client.holding || static_cast<std::size_t>(got) > sizeof packet
            ? std::nullopt
            : parse_panel_request(std::string_view(packet, static_cast<std::size_t>(got)));
    if (!request) {
        answer(fd, reply::refused);
        return false;
    }
    if (request->what == panel_request::kind::hold) {
        idle_.hold(now);
        client.holding = true;
        client.awaiting_light = true;
        apply(now);
        return true;
    }
    if (desktop_->drives_display()) {
        answer(fd, reply::desktop);
        return false;
    }
    idle_.set_time(request->seconds, now);
    answer(fd, reply::taken);
    return false;
}

void panel_service::tick(clock::time_point now) {
    const std::optional<clock::time_point> due = idle_.deadline();
    if (!due || now < *due) return;
    // A desktop that came up since the time was set drives the display now:
    // the service stands aside until it is told a time again.
    if (desktop_->drives_display())
        idle_.set_time(0, now);
    else
        idle_.tick(now, devices_.any_held());
}

void panel_service::apply(clock::time_point now) {
    // Input is taken before the light goes out and given back after it is
    // on, so that nothing given in between reaches anyone else.
    if (idle_.grabbing() && !grabbed_) {
        devices_.grab_all();
        grabbed_ = true;
    }
    const bool wanted = idle_.lit();
    if (lit_ != wanted && (!retry_at_ || now >= *retry_at_)) {
        if (wanted ? power_.light() : power_.dark()) {
            lit_ = wanted;
            retry_at_.reset();
        } else {
            lit_.reset();
            retry_at_ = now + retry_wait;
        }
    }
    if (!idle_.grabbing() && grabbed_) {
        devices_.release_all();
        grabbed_ = false;
    }
    if (lit_ != true) return;
    for (client& c : clients_)
        if (c.awaiting_light) {
            answer(c.connection.get(), reply::held);
            c.awaiting_light = false;
        }
}
