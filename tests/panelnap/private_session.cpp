// The power-management library puts real displays to sleep. Every test runs
// off the user's X display, Wayland session and terminal; a test that wants
// a display brings its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

namespace {

void drop_controlling_terminal() {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return;
    // Were this process a session leader, its terminal would hang up the
    // foreground group, this process included.
    struct sigaction ignore{}, saved{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGHUP, &ignore, &saved);
    ::ioctl(tty, TIOCNOTTY);
    ::sigaction(SIGHUP, &saved, nullptr);
    ::close(tty);
}

class private_session : public testing::Environment {
public:
    void SetUp() override {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        drop_controlling_terminal();
    }
};

[[maybe_unused]] testing::Environment* const session = testing::AddGlobalTestEnvironment(new private_session);

}  // namespace
