#include "panel_channel.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <charconv>
#include <cstring>
#include <thread>

#include "poll_set.h"
#include "system_paths.h"

namespace {

constexpr std::string_view sleep_word = "sleep ";

using clock_type = std::chrono::steady_clock;

constexpr std::chrono::milliseconds queue_full_retry{20};

}  // namespace

std::string sleep_request(int seconds) {
    return std::string(sleep_word) + std::to_string(seconds);
}

std::optional<panel_request> parse_panel_request(std::string_view packet) {
    if (packet == hold_request) return panel_request{panel_request::kind::hold, 0};
    if (packet.substr(0, sleep_word.size()) != sleep_word) return std::nullopt;
    const std::string_view number = packet.substr(sleep_word.size());
    // Written as sleep_request() writes it: no sign but a minus, no leading
    // zeros, so that no two packets say the same time.
    const std::string_view digits = number.substr(number.rfind('-', 0) == 0 ? 1 : 0);
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
    if (digits == "0" && digits.size() != number.size()) return std::nullopt;
    int seconds = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, seconds);
    if (number.empty() || error != std::errc() || stop != end) return std::nullopt;
    return panel_request{panel_request::kind::sleep, seconds};
}

service_answer ask_panel_service(std::string_view request, std::chrono::milliseconds deadline) {
    return ask_over_socket(service_socket_path(), request, deadline);
}

service_answer ask_over_socket(const std::string& path, std::string_view request, std::chrono::milliseconds deadline) {
    const clock_type::time_point end_by = clock_type::now() + deadline;
    service_answer answer;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return answer;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // Non-blocking: a service whose queue is full refuses (EAGAIN) instead
    // of holding the caller, and is asked again until the deadline, as
    // another client may be filling the queue.
    file_descriptor connection(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (connection.get() < 0) return answer;
    while (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EAGAIN || clock_type::now() >= end_by) return answer;
        std::this_thread::sleep_for(queue_full_retry);
    }
    // MSG_NOSIGNAL: a service gone in between must not end the caller by
    // SIGPIPE. A send that fails is no reason to stop: a service that
    // refuses a caller answers and closes at once, maybe before the send.
    ::send(connection.get(), request.data(), request.size(), MSG_NOSIGNAL);
    if (!readable_before(connection.get(), end_by)) return answer;
    char packet[longest_packet];
    const ssize_t got = ::recv(connection.get(), packet, sizeof packet, 0);
    if (got <= 0) return answer;
    answer.reply.assign(packet, static_cast<std::size_t>(got));
    answer.connection = std::move(connection);
    return answer;
}
