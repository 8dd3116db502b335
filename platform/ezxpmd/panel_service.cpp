#include "panel_service.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "desktop_session.h"
#include "panel_channel.h"
#include "peer_credentials.h"
#include "service_socket.h"

namespace {

using clock_type = panel_idle::clock;

// Connections kept at once; more are refused. Each holder of the panel keeps one.
constexpr std::size_t most_clients = 64;

void answer(int connection, std::string_view text) {
    ::send(connection, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace

panel_service::panel_service(std::string root, std::string socket_path)
    : root_(std::move(root)),
      socket_path_(std::move(socket_path)),
      video_(video_group()),
      power_(root_ + "/sys"),
      devices_(root_ + "/dev/input"),
      idle_(clock_type::now()) {
    if (!desktop_session_active(root_)) power_.light();
    // Only root can hand the socket to the video group; a service that runs
    // as another user serves that user alone.
    listener_ = listen_at(socket_path_, ::geteuid() == 0 ? video_ : std::nullopt);
}

int panel_service::run(int signals) {
    for (;;) {
        poll_set set;
        devices_.watch(set);
        set.add(listener_.get());
        for (const client& c : clients_) set.add(c.connection.get());
        set.add(signals);
        set.wait_until(idle_.deadline());
        const clock_type::time_point now = clock_type::now();
        // Input first: a request must see the keys pressed before it was sent.
        take_input(set, now);
        take_connections(set, now);
        if (set.ready(signals)) break;
        tick(now);
        apply();
    }
    if (dark_) power_.light();
    ::unlink(socket_path_.c_str());
    return 0;
}

void panel_service::take_input(const poll_set& ready, clock_type::time_point now) {
    bool input = false;
    const bool appeared = devices_.take_input(ready, [&](const input_device&, const std::vector<input_event>& events) {
        input = input || std::any_of(events.begin(), events.end(), is_user_input);
    });
    if (input) idle_.input(now, devices_.any_held());
    if (appeared && grabbed_) devices_.grab_all();
}

void panel_service::take_connections(const poll_set& ready, clock_type::time_point now) {
    if (ready.ready(listener_.get())) {
        for (int fd; (fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0;) {
            file_descriptor connection(fd);
            if (clients_.size() >= most_clients) {
                answer(fd, reply::refused);
                continue;
            }
            // Refused only once the request is read: a connection closed
            // with a request unread would reach its client as an error
            // instead of the refusal.
            const std::optional<peer_credentials> peer = credentials_of_peer(fd);
            clients_.push_back({std::move(connection), peer && may_use_panel(*peer, ::geteuid(), video_)});
        }
    }
    for (auto c = clients_.begin(); c != clients_.end();) {
        if (!ready.ready(c->connection.get()) || serve(*c, now)) {
            ++c;
            continue;
        }
        if (c->holding) idle_.end_hold(now);
        c = clients_.erase(c);
    }
}

bool panel_service::serve(client& client, clock_type::time_point now) {
    const int fd = client.connection.get();
    char packet[longest_packet];
    // MSG_TRUNC: the packet's whole length, so that an over-long one shows.
    const ssize_t got = ::recv(fd, packet, sizeof packet, MSG_TRUNC);
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    if (got == 0) return false;
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
        apply();
        client.holding = true;
        answer(fd, reply::held);
        return true;
    }
    if (desktop_session_active(root_)) {
        answer(fd, reply::desktop);
        return false;
    }
    idle_.set_time(request->seconds, now);
    answer(fd, reply::taken);
    return false;
}

void panel_service::tick(clock_type::time_point now) {
    const std::optional<clock_type::time_point> due = idle_.deadline();
    if (!due || now < *due) return;
    // A desktop that came up since the time was set drives the display now:
    // the service stands aside until it is told a time again.
    if (desktop_session_active(root_))
        idle_.set_time(0, now);
    else
        idle_.tick(now, devices_.any_held());
}

void panel_service::apply() {
    // Input is taken before the light goes out and given back after it is
    // on, so that nothing given in between reaches anyone else.
    if (idle_.grabbing() && !grabbed_) {
        devices_.grab_all();
        grabbed_ = true;
    }
    if (idle_.lit() == dark_) {
        if (dark_)
            power_.light();
        else
            power_.dark();
        dark_ = !dark_;
    }
    if (!idle_.grabbing() && grabbed_) {
        devices_.release_all();
        grabbed_ = false;
    }
}
