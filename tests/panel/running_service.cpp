#include "running_service.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "file_descriptor.h"
#include "within_ten_seconds.h"

namespace {

// What the file holds; empty when it cannot be read (a directory in its place).
std::string contents(const std::string& path) {
    const file_descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    char buffer[256];
    for (ssize_t got; fd.get() >= 0 && (got = ::read(fd.get(), buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

}  // namespace

file_descriptor listen_on(const std::string& path, int type) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (path[0] == '@')
        address.sun_path[0] = '\0';
    else
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    file_descriptor listener(::socket(AF_UNIX, type | SOCK_CLOEXEC, 0));
    const socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (path[0] == '@' ? 0 : 1));
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), size) != 0 || ::listen(listener.get(), 4) != 0)
        listener.close();
    return listener;
}

void make_panel_tree(const temp_dir& root, const std::string& panel) {
    for (const char* dir : {"/sys/class/backlight/panel", "/sys/class/graphics/fb0", "/sys/class/graphics/fbcon",
                            "/dev/input", "/run"})
        std::filesystem::create_directories(root.path() + dir);
    root.write("sys/class/backlight/panel/bl_power", panel);
    root.write("sys/class/graphics/fb0/blank", panel);
}

std::string panel_in_tree(const temp_dir& root) {
    const std::string backlight = contents(root.path() + "/sys/class/backlight/panel/bl_power");
    return backlight == contents(root.path() + "/sys/class/graphics/fb0/blank") ? backlight : "disagree";
}

running_service::running_service(const std::string& panel, const std::function<void()>& in_child) {
    const std::string root = root_.path();
    make_panel_tree(root_, panel);
    pid_ = ::fork();
    if (pid_ == 0) {
        const int log = ::open((root + "/service.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (log < 0 || ::dup2(log, STDERR_FILENO) < 0) ::_exit(127);
        ::setenv("EZXPMD_ROOT", root.c_str(), 1);
        ::setenv("EZXPMD_SOCKET", socket().c_str(), 1);
        if (in_child) in_child();
        ::execl(EZXPMD_BINARY, EZXPMD_BINARY, static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

running_service::~running_service() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

bool running_service::listening() const {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket().c_str(), sizeof address.sun_path - 1);
    return within_ten_seconds([&] {
        const file_descriptor probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
        return ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    });
}

service_answer running_service::send(const std::string& request, std::chrono::milliseconds deadline) const {
    ::setenv("EZXPMD_SOCKET", socket().c_str(), 1);
    service_answer answer = ask_panel_service(request, deadline);
    ::unsetenv("EZXPMD_SOCKET");
    return answer;
}

bool running_service::panel_becomes(const std::string& value) const {
    return within_ten_seconds([&] { return panel() == value; });
}

int running_service::stop() {
    int status = -1;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int running_service::ended() {
    int status = -1;
    if (!within_ten_seconds([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string running_service::log() const { return contents(root_.path() + "/service.log"); }
