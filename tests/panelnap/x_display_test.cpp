// panelnap against X displays: a private server whose settings are read back
// after each run, and displays that are dead or never answer.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "command_cases.h"
#include "test_support.h"
#include "x_server.h"

namespace {

// DISPLAY for the runs of one test; the session has none otherwise.
class display_variable {
public:
    explicit display_variable(const std::string& name) { ::setenv("DISPLAY", name.c_str(), 1); }
    ~display_variable() { ::unsetenv("DISPLAY"); }
};

struct timed_run {
    program_run run;
    std::vector<std::string> calls;
    double seconds;
};

timed_run run_panelnap(const std::string& argument) {
    call_recorder recorder;
    const auto start = std::chrono::steady_clock::now();
    program_run run = run_program(PANELNAP_BINARY, {argument});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {run, recorder.calls(), took.count()};
}

struct screen_saver {
    int timeout;
    int state;  // ScreenSaverOn, ScreenSaverOff or ScreenSaverDisabled
};

screen_saver read_screen_saver(Display* display) {
    int timeout, interval, prefer_blanking, allow_exposures;
    XGetScreenSaver(display, &timeout, &interval, &prefer_blanking, &allow_exposures);
    std::unique_ptr<XScreenSaverInfo, int (*)(void*)> info(XScreenSaverAllocInfo(), XFree);
    XScreenSaverQueryInfo(display, DefaultRootWindow(display), info.get());
    return {timeout, info->state};
}

TEST(XDisplay, PanelnapSetsTheServersScreenSaver) {
    if (!private_x_server::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup.sh installs it)";
    private_x_server server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    std::unique_ptr<Display, int (*)(Display*)> reader(XOpenDisplay(server.display().c_str()), XCloseDisplay);
    ASSERT_TRUE(reader);
    const display_variable variable(server.display());

    struct step {
        std::string argument;
        std::string message;
        screen_saver expected;
    };
    for (const step& s : std::vector<step>{
             {"45", seconds_message(45), {45, ScreenSaverOff}},
             {"0", "now the lcd never sleep.\n", {0, ScreenSaverDisabled}},
             {"5", "the lcd sleep now.\n", {0, ScreenSaverOn}},
             // The core protocol's largest timeout.
             {"99999", seconds_message(99999), {32767, ScreenSaverOff}}}) {
        SCOPED_TRACE("panelnap " + s.argument);
        const timed_run r = run_panelnap(s.argument);
        EXPECT_EQ(r.run.exit_status, 0);
        EXPECT_EQ(r.run.streams.out, s.message);
        EXPECT_EQ(r.run.streams.err, "");
        EXPECT_EQ(r.calls.size(), 1u);
        const screen_saver saver = read_screen_saver(reader.get());
        EXPECT_EQ(saver.timeout, s.expected.timeout);
        EXPECT_EQ(saver.state, s.expected.state);
        if (s.argument == "5") {
            // Woken by the user, the display stays lit as with 0.
            XForceScreenSaver(reader.get(), ScreenSaverReset);
            EXPECT_EQ(read_screen_saver(reader.get()).state, ScreenSaverDisabled);
        }
    }
}

// A loopback port that accepts connections and never answers: X display n
// listens on port 6000 + n. Returns the display, or -1 when no port is free.
int listen_silently(int socket) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int display = 100; display < 200; ++display) {
        address.sin_port = htons(static_cast<uint16_t>(6000 + display));
        if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(socket, 4) == 0)
            return display;
    }
    return -1;
}

TEST(XDisplay, ASilentOrDeadDisplayCostsNoMoreThanAMoment) {
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int number = listen_silently(listener);
    ASSERT_GE(number, 0) << "no free port for a listener";
    // What starting panelnap costs here without a display (more under an emulator).
    const double start_up = run_panelnap("45").seconds;
    const display_variable variable("127.0.0.1:" + std::to_string(number));
    // First it never answers, then nothing listens there any more.
    for (const double limit : {3.0, 0.5}) {
        const timed_run r = run_panelnap("45");
        EXPECT_EQ(r.run.exit_status, 0);
        EXPECT_EQ(r.run.streams.out, seconds_message(45));
        EXPECT_EQ(r.run.streams.err, "");
        EXPECT_EQ(r.calls, std::vector<std::string>{"45"});
        EXPECT_LT(r.seconds - start_up, limit);
        if (listener >= 0) ::close(std::exchange(listener, -1));
    }
}

}  // namespace
