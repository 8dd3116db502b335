#include "x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string xvfb_path() {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/Xvfb";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Reads what the server writes once it is ready: its display number and a
// line feed; empty if it ends or takes longer than startup_ms.
std::string read_display_number(int fd) {
    constexpr int startup_ms = 15000;
    std::string number;
    char c;
    pollfd ready{fd, POLLIN, 0};
    while (::poll(&ready, 1, startup_ms) > 0 && ::read(fd, &c, 1) == 1 && c != '\n') number += c;
    return number;
}

}  // namespace

bool private_x_server::installed() { return !xvfb_path().empty(); }

private_x_server::private_x_server() {
    const std::string program = xvfb_path();
    int ends[2];
    if (program.empty() || ::pipe2(ends, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::fcntl(ends[1], F_SETFD, 0);  // the one descriptor the server keeps
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        const std::string fd = std::to_string(ends[1]);
        ::execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp",
                "-screen", "0", "240x320x24", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ends[1]);
    const std::string number = pid_ > 0 ? read_display_number(ends[0]) : "";
    ::close(ends[0]);
    if (!number.empty()) display_ = ":" + number;
}

private_x_server::~private_x_server() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}
