#include "mpv_player.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "file_descriptor.h"
#include "poll_set.h"

namespace {

constexpr std::chrono::milliseconds answer_wait{300};

std::string private_folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string pattern = std::string(runtime && *runtime ? runtime : "/tmp") + "/zorvid-panel.XXXXXX";
    // mkdtemp makes the folder for its owner alone.
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

const char* command_for(clip_action action) {
    switch (action) {
    case clip_action::toggle_pause: return R"({"command":["cycle","pause"]})";
    case clip_action::seek_back: return R"({"command":["seek",-10,"relative+exact"]})";
    case clip_action::seek_forward: return R"({"command":["seek",10,"relative+exact"]})";
    case clip_action::volume_up: return R"({"command":["add","volume",5]})";
    case clip_action::volume_down: return R"({"command":["add","volume",-5]})";
    case clip_action::stop: break;
    }
    return nullptr;
}

}  // namespace

mpv_player::mpv_player(launcher launch, std::vector<std::string> command)
    : clip_player(std::move(launch), std::move(command)), folder_(private_folder()) {
    if (!folder_.empty()) socket_ = folder_ + "/mpv";
}

mpv_player::~mpv_player() {
    if (folder_.empty()) return;
    ::unlink(socket_.c_str());
    ::rmdir(folder_.c_str());
}

pid_t mpv_player::start() {
    if (socket_.empty()) return clip_player::start();
    return launch_(command_with({"--input-ipc-server=" + socket_}));
}

pid_t mpv_player::act(clip_action action, pid_t player) {
    if (const char* command = command_for(action)) send(std::string(command) + "\n");
    return player;
}

void mpv_player::send(const std::string& command) const {
    sockaddr_un address{};
    if (socket_.empty() || socket_.size() >= sizeof address.sun_path) return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socket_.c_str(), socket_.size());
    const file_descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0 || ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return;
    // A socket whose mpv has gone must not end this program by SIGPIPE.
    if (::send(fd.get(), command.data(), command.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(command.size()))
        return;
    // mpv drops what is left of a connection whose answer it cannot write.
    char answer[256];
    if (readable_before(fd.get(), std::chrono::steady_clock::now() + answer_wait))
        [[maybe_unused]] const ssize_t got = ::read(fd.get(), answer, sizeof answer);
}
