#include "sway_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void stop(pid_t& pid, int signal) {
    if (pid <= 0) return;
    ::kill(pid, signal);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

pid_t start(const std::vector<std::string>& command, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (out < 0 || in < 0) ::_exit(127);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

const char* const session_variables[] = {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "SWAYSOCK"};

// Where /dev/shm is not everyone's (a chroot over a bare /dev), sway run as
// nobody has nowhere to put the keymaps it hands its clients and fails on
// the first keyboard. It then gets a /dev/shm of its own, in a mount
// namespace of its own; its clients take the keymaps through descriptors.
std::vector<std::string> with_own_shared_memory_where_needed() {
    struct stat shm {};
    if (::stat("/dev/shm", &shm) == 0 && (shm.st_mode & S_IWOTH) != 0) return {};
    const std::string unshare = program_on_path("unshare");
    if (unshare.empty()) return {};
    // In a chroot "/" is no mount point, so unshare cannot make it private;
    // /dev alone is made private, so that the new /dev/shm stays sway's.
    return {unshare, "--mount", "--propagation", "unchanged", "--", "/bin/sh", "-c",
            "mount --make-private /dev && mount -t tmpfs -o mode=1777,nosuid,nodev shm /dev/shm && exec \"$@\"",
            "sh"};
}

}  // namespace

std::string program_on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

bool holds_within(std::chrono::milliseconds time, const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + time;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool sway_session::installed() { return !program_on_path("sway").empty() && !program_on_path("swaymsg").empty(); }

sway_session::sway_session() : log_(config_dir_.path() + "/sway.log") {
    for (const char* name : session_variables) {
        const char* value = std::getenv(name);
        saved_environment_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    const bool root = ::geteuid() == 0;
    const std::string config = config_dir_.write("config", "xwayland disable\noutput HEADLESS-1 resolution 640x480\n");
    ::chmod(config_dir_.path().c_str(), 0755);
    ::chmod(config.c_str(), 0644);
    if (root && ::chown(runtime_.path().c_str(), 65534, 65534) != 0) return;
    std::vector<std::string> command;
    const std::string setpriv = program_on_path("setpriv");
    if (root) {
        if (setpriv.empty()) return;
        command = with_own_shared_memory_where_needed();
        command.insert(command.end(), {setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"});
    } else {
        command = {program_on_path("env")};
        if (command[0].empty()) return;
    }
    const std::vector<std::string> sway = {
        "env", "HOME=" + config_dir_.path(), "XDG_RUNTIME_DIR=" + runtime_.path(), "WLR_BACKENDS=headless",
        "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", program_on_path("sway"), "-d", "-c", config};
    if (root) command.insert(command.end(), sway.begin(), sway.end());
    else command.insert(command.end(), sway.begin() + 1, sway.end());
    pid_ = start(command, log_);
    const bool up = holds_within(std::chrono::seconds(10), [&] {
        for (const auto& entry : std::filesystem::directory_iterator(runtime_.path())) {
            const std::string name = entry.path().filename();
            if (name.rfind("sway-ipc.", 0) == 0) ipc_ = entry.path();
            if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos) display_ = name;
        }
        return !ipc_.empty() && !display_.empty() && output_lit().has_value();
    });
    if (!up) {
        display_.clear();
        return;
    }
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    ::setenv("WAYLAND_DISPLAY", display_.c_str(), 1);
    ::setenv("SWAYSOCK", ipc_.c_str(), 1);
}

sway_session::~sway_session() {
    stop(pid_, SIGTERM);
    for (const auto& [name, value] : saved_environment_) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    // The agent leaves once sway is gone; its files go with the folder.
    holds_within(std::chrono::seconds(5), [&] { return agents_in(runtime_.path()).empty(); });
}

void sway_session::kill() { stop(pid_, SIGKILL); }

std::string sway_session::log_tail() const {
    const std::string log = contents(log_);
    return log.size() > 2000 ? log.substr(log.size() - 2000) : log;
}

std::optional<bool> sway_session::output_lit() const {
    const std::string log = contents(log_);
    const std::string::size_type on = log.rfind("Turning on output HEADLESS-1"),
                                 off = log.rfind("Turning off output HEADLESS-1");
    if (on != std::string::npos || off != std::string::npos)
        return off == std::string::npos || (on != std::string::npos && on > off);
    if (ipc_.empty()) return std::nullopt;
    // The runtime folder's name is the test's own, with no quotes in it.
    std::string outputs;
    if (FILE* answer = ::popen(("SWAYSOCK='" + ipc_ + "' swaymsg -r -t get_outputs 2>/dev/null").c_str(), "r")) {
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, answer)) > 0;) outputs.append(chunk, got);
        ::pclose(answer);
    }
    if (outputs.find("\"power\": false") != std::string::npos) return false;
    if (outputs.find("\"power\": true") != std::string::npos) return true;
    return std::nullopt;
}

session_client::session_client(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& output)
    : output_(output) {
    std::vector<std::string> command{program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    pid_ = start(command, output_);
}

session_client::~session_client() { stop(pid_, SIGTERM); }

std::string session_client::output() const { return contents(output_); }

std::vector<pid_t> agents_in(const std::string& runtime_dir) {
    std::vector<pid_t> agents;
    const std::string wanted = "XDG_RUNTIME_DIR=" + runtime_dir;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        // Under an emulator the agent is an argument of the emulator's.
        std::istringstream command(contents(entry.path() / "cmdline"));
        bool agent = false;
        for (std::string word; std::getline(command, word, '\0');)
            agent = agent || (word.size() >= 12 && word.compare(word.size() - 12, 12, "/ezxpm-agent") == 0);
        if (!agent) continue;
        std::istringstream environment(contents(entry.path() / "environ"));
        for (std::string variable; std::getline(environment, variable, '\0');)
            if (variable == wanted) agents.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return agents;
}
