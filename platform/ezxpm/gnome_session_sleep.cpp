#include "gnome_session_sleep.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "deadline_child.h"
#include "file_descriptor.h"
#include "lcd_sleep.h"

namespace {

constexpr std::chrono::milliseconds answer_deadline{1000};

// Runs a program found on PATH; its standard output, when wanted, is read
// to the end. The deadline child's streams lead to /dev/null already.
std::string run(const std::vector<std::string>& command, bool read_output = false) {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    int ends[2] = {-1, -1};
    if (read_output && ::pipe2(ends, O_CLOEXEC) != 0) return {};
    file_descriptor read_end(ends[0]), write_end(ends[1]);
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0) {
        if (read_output) ::dup2(write_end.get(), STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    write_end.close();
    std::string output;
    char buffer[256];
    for (ssize_t got; read_output && (got = ::read(read_end.get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        output.append(buffer, static_cast<std::size_t>(got));
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return output;
}

void apply(lcd_sleep sleep, int seconds) {
    // Once woken after sleeping now, the screen stays lit: no idle time.
    const int idle_delay = sleep == lcd_sleep::after_idle ? seconds : 0;
    run({"gsettings", "set", "org.gnome.desktop.session", "idle-delay", std::to_string(idle_delay)});
    if (sleep != lcd_sleep::now) return;
    if (run({"gsettings", "get", "org.gnome.desktop.screensaver", "lock-enabled"}, true) != "false\n") return;
    run({"gdbus", "call", "--session", "--dest", "org.gnome.ScreenSaver", "--object-path", "/org/gnome/ScreenSaver",
         "--method", "org.gnome.ScreenSaver.SetActive", "true"});
}

}  // namespace

bool gnome_desktop() {
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    std::istringstream list(desktops ? desktops : "");
    for (std::string name; std::getline(list, name, ':');)
        if (name == "GNOME") return true;
    return false;
}

void sleep_gnome_session(int seconds) {
    const lcd_sleep sleep = lcd_sleep_for(seconds);
    if (sleep == lcd_sleep::unknown) return;
    run_with_deadline([&] { apply(sleep, seconds); }, answer_deadline);
}
