#include "session_agent_start.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

std::string folder_of_this_library() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&folder_of_this_library), &info) == 0 || !info.dli_fname) return {};
    const std::string path = info.dli_fname;
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool executable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

// In the new process before exec: only calls that are safe after fork.
[[noreturn]] void become_agent(char* const argv[]) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) ::_exit(127);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    // The caller's descriptors (its sockets, its files) are not the agent's.
    if (::close_range(3, ~0U, 0) != 0)
        for (int fd = 3; fd < 1024; ++fd) ::close(fd);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    // Holds no folder of the caller's, which could then not be unmounted.
    if (::chdir("/") != 0) ::_exit(127);
    ::execv(argv[0], argv);
    ::_exit(127);
}

}  // namespace

std::string session_agent_program() {
    if (const char* named = std::getenv("EZXPM_AGENT"); named && *named) return executable(named) ? named : "";
    const std::string folder = folder_of_this_library();
    if (folder.empty()) return {};
    for (const std::string& candidate : {folder + "/" EZXPM_LIBRARY_TO_AGENT, folder + "/ezxpm-agent"})
        if (executable(candidate)) return candidate;
    return {};
}

void start_session_agent(const std::string& program, int seconds) {
    std::string path = program, argument = std::to_string(seconds);
    char* const argv[] = {path.data(), argument.data(), nullptr};
    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        // A session of its own, and a second fork so that it is no session
        // leader and never gains a terminal; the caller reaps the first.
        ::setsid();
        const pid_t agent = ::fork();
        if (agent == 0) become_agent(argv);
        ::_exit(agent < 0);
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}
