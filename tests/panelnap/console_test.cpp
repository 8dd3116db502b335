// The Linux console side of the power-management library: the blank timer's
// escape sequence, and no byte of it on a terminal that is no console.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "command_cases.h"
#include "console_sleep.h"
#include "test_support.h"

namespace {

TEST(ConsoleSleep, BlankTimerInWholeMinutesUpToTheKernelsHour) {
    struct expectation {
        int seconds;
        std::string minutes;
    };
    for (const expectation& e : std::vector<expectation>{
             {0, "0"}, {10, "0"}, {11, "1"}, {60, "1"}, {61, "2"}, {3599, "60"}, {3601, "60"}, {INT_MAX, "60"}})
        EXPECT_EQ(blank_timer_sequence(e.seconds), "\033[9;" + e.minutes + "]") << e.seconds << " seconds";
}

// Runs panelnap with a pseudo-terminal as its controlling terminal and
// standard streams; returns everything that reached the terminal.
std::string run_on_pseudo_terminal(const std::string& argument) {
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        ::execl(PANELNAP_BINARY, PANELNAP_BINARY, argument.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (child < 0) return "forkpty failed";
    std::string bytes;
    char chunk[256];
    ssize_t got;
    // The master reads EIO once the child has gone and all it wrote is read.
    while ((got = ::read(master, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(got));
    ::close(master);
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return bytes;
}

TEST(ConsoleSleep, ATerminalThatIsNoConsoleGetsOnlyTheMessage) {
    // A chroot or container without /dev/pts has no terminal to run on.
    int master, slave;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        GTEST_SKIP() << "no pseudo-terminal can be opened here";
    ::close(master);
    ::close(slave);
    struct expectation {
        std::string argument;
        std::string message;
    };
    for (const expectation& e : std::vector<expectation>{
             {"5", "the lcd sleep now.\n"}, {"45", seconds_message(45)}, {"0", "now the lcd never sleep.\n"}}) {
        call_recorder recorder;
        std::string on_terminal = e.message;
        on_terminal.insert(on_terminal.size() - 1, "\r");  // the terminal's own line ending
        EXPECT_EQ(run_on_pseudo_terminal(e.argument), on_terminal);
        EXPECT_EQ(recorder.calls().size(), 1u) << "panelnap " << e.argument;
    }
}

}  // namespace
