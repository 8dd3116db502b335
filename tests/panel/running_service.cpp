#include "running_service.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "file_descriptor.h"


namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <typename Condition>
bool within_ten_seconds(Condition condition) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

running_service::running_service(const std::string& panel, bool desktop) {
    namespace fs = std::filesystem;
    const std::string root = root_.path();
    for (const char* dir : {"/sys/class/backlight/panel", "/sys/class/graphics/fb0", "/sys/class/graphics/fbcon",
                            "/dev/input", "/proc/net", "/run/systemd/sessions"})
        fs::create_directories(root + dir);
    root_.write("sys/class/backlight/panel/bl_power", panel);
    root_.write("sys/class/graphics/fb0/blank", panel);
    root_.write("proc/net/unix", "Num       RefCount Protocol Flags    Type St Inode Path\n");
    if (desktop) root_.write("run/systemd/sessions/2", "UID=1000\nTYPE=x11\nACTIVE=1\n");
    pid_ = ::fork();
    if (pid_ == 0) {
        const int log = ::open((root + "/service.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (log < 0 || ::dup2(log, STDERR_FILENO) < 0) ::_exit(127);
        ::setenv("EZXPMD_ROOT", root.c_str(), 1);
        ::setenv("EZXPMD_SOCKET", socket().c_str(), 1);
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

service_answer running_service::send(const std::string& request) const {
    ::setenv("EZXPMD_SOCKET", socket().c_str(), 1);
    service_answer answer = ask_panel_service(request, std::chrono::seconds(10));
    ::unsetenv("EZXPMD_SOCKET");
    return answer;
}

std::string running_service::panel() const {
    const std::string backlight = contents(root_.path() + "/sys/class/backlight/panel/bl_power");
    return backlight == contents(root_.path() + "/sys/class/graphics/fb0/blank") ? backlight : "disagree";
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

std::string running_service::log() const { return contents(root_.path() + "/service.log"); }
