// The power-management library hands the sleep time to the power service:
// only a time the service takes keeps the library off the console, and no
// service, or one that never answers, costs the caller no more than a moment.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "display_sockets.h"
#include "ezxpm.h"
#include "file_descriptor.h"
#include "panel_service_sleep.h"
#include "running_service.h"
#include "test_support.h"

namespace {

TEST(LibraryHandOff, OnlyATimeTheServiceTakesCounts) {
    running_service service("0\n");
    ASSERT_TRUE(service.listening()) << service.log();
    temp_dir dir;
    ::setenv("EZXPM_LCD_SLEEP_FILE", (dir.path() + "/record").c_str(), 1);
    ::setenv("EZXPMD_SOCKET", service.socket().c_str(), 1);
    EXPECT_EQ(PM_setupLcdSleepTime(10), 0);
    ::unsetenv("EZXPMD_SOCKET");
    ::unsetenv("EZXPM_LCD_SLEEP_FILE");
    EXPECT_TRUE(service.panel_becomes("4\n")) << "the service did not get the time";
    std::string record;
    std::getline(std::ifstream(dir.path() + "/record"), record);
    EXPECT_EQ(record, "10") << "the record is no longer kept";

    if (!listening_unix_sockets()) GTEST_SKIP() << "the kernel's table of sockets cannot be read here";
    const file_descriptor x_server = listen_on(service.root().path() + "/tmp/.X11-unix/X0", SOCK_STREAM);
    ASSERT_GE(x_server.get(), 0);
    ::setenv("EZXPMD_SOCKET", service.socket().c_str(), 1);
    EXPECT_FALSE(hand_to_panel_service(10)) << "a desktop's display counts as the service's";
    ::unsetenv("EZXPMD_SOCKET");
}

double seconds_to_hand_over(const std::string& socket) {
    ::setenv("EZXPMD_SOCKET", socket.c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(hand_to_panel_service(45)) << socket;
    ::unsetenv("EZXPMD_SOCKET");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(LibraryHandOff, NoServiceOrASilentOneCostsNoMoreThanAMoment) {
    temp_dir dir;
    EXPECT_LT(seconds_to_hand_over(dir.path() + "/no-such-socket"), 0.5);
    EXPECT_LT(seconds_to_hand_over(dir.write("not-a-socket", "")), 0.5);
    // A socket that takes connections into its queue and never answers.
    const std::string path = dir.path() + "/silent";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const file_descriptor silent(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    ASSERT_EQ(::bind(silent.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent.get(), 4), 0);
    EXPECT_LT(seconds_to_hand_over(path), 3.0);
}

}  // namespace
