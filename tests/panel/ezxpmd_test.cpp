// The built power service on a system tree of its own: a backlight and a
// framebuffer given through the environment, lit when it starts and when it
// stops, put to sleep and woken by requests, held lit by a connection, and
// deaf to bad and unauthorised requests and to a desktop's display.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "running_service.h"

namespace {

const std::string lit = "0\n", dark = "4\n";

TEST(Ezxpmd, LightsAPanelLeftDarkSleepsAndWakesItAndLightsItWhenStopped) {
    running_service service(dark);
    ASSERT_TRUE(service.listening()) << service.log();
    EXPECT_TRUE(service.panel_becomes(lit)) << "a panel left dark by a crash stays dark";

    EXPECT_EQ(service.ask("sleep 10"), "taken");
    EXPECT_TRUE(service.panel_becomes(dark)) << "sleep now";
    EXPECT_EQ(service.ask("sleep 0"), "taken");
    EXPECT_TRUE(service.panel_becomes(lit)) << "never sleep wakes it";

    // A clip holds the panel lit for as long as its connection is open: a
    // request answered after "sleep 10" shows that the service has acted on it.
    service_answer hold = service.send("hold");
    EXPECT_EQ(hold.reply, "held");
    EXPECT_EQ(service.ask("sleep 10"), "taken");
    EXPECT_EQ(service.ask("sleep -1"), "taken");
    EXPECT_EQ(service.panel(), lit) << "asleep while held";
    hold.connection.close();
    EXPECT_TRUE(service.panel_becomes(dark)) << "the sleep put off by the hold never came";

    EXPECT_EQ(service.stop(), 0);
    EXPECT_EQ(service.panel(), lit) << "left dark when stopped";
    EXPECT_FALSE(std::filesystem::exists(service.socket())) << "socket left behind";
    EXPECT_EQ(service.log(), "");
}

// Runs a request as the user nobody, who is neither root nor in the video
// group; the socket's fence is opened to it first, so that the service's own
// rule is what answers.
std::string ask_as_nobody(const running_service& service, const std::string& request) {
    for (std::string dir = service.socket(); dir != service.root().path();) {
        dir = dir.substr(0, dir.rfind('/'));
        ::chmod(dir.c_str(), 0755);
    }
    ::chmod(service.root().path().c_str(), 0755);
    ::chmod(service.socket().c_str(), 0666);
    int answer[2];
    if (::pipe(answer) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(answer[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
        const std::string reply = service.ask(request);
        ::_exit(::write(answer[1], reply.data(), reply.size()) == static_cast<ssize_t>(reply.size()) ? 0 : 1);
    }
    ::close(answer[1]);
    char reply[64];
    const ssize_t got = ::read(answer[0], reply, sizeof reply);
    ::close(answer[0]);
    ::waitpid(child, nullptr, 0);
    return got > 0 ? std::string(reply, static_cast<std::size_t>(got)) : "";
}

TEST(Ezxpmd, RefusesBadRequestsAndChangesNothing) {
    running_service service(lit);
    ASSERT_TRUE(service.listening()) << service.log();
    // Each would put the panel to sleep at once if read loosely as 10.
    for (const std::string& bad : {std::string("sleep 10x"), std::string("sleep 10 "), std::string("sleep  10"),
                                   std::string("sleep +10"), std::string("SLEEP 10"), std::string("sleep 10\n"),
                                   std::string("sleep 10\0junk", 13), "sleep 10" + std::string(40, '0'),
                                   std::string("sleep 99999999999"), std::string("sleep"), std::string("hold on")})
        EXPECT_EQ(service.ask(bad), "refused") << "request: " << bad;
    // Answered after the refusals, so the service has dealt with them all.
    EXPECT_EQ(service.ask("sleep -1"), "taken");
    EXPECT_EQ(service.panel(), lit);
}

TEST(Ezxpmd, RefusesWhoeverIsNeitherRootNorInTheVideoGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can ask as another user";
    running_service service(lit);
    ASSERT_TRUE(service.listening()) << service.log();
    EXPECT_EQ(ask_as_nobody(service, "sleep 10"), "refused");
    EXPECT_EQ(ask_as_nobody(service, "hold"), "refused");
    EXPECT_EQ(service.ask("sleep -1"), "taken");
    EXPECT_EQ(service.panel(), lit);
}

TEST(Ezxpmd, LeavesTheDisplayOfADesktopSessionAlone) {
    running_service service(dark, true);
    ASSERT_TRUE(service.listening()) << service.log();
    EXPECT_EQ(service.ask("sleep 0"), "desktop");
    EXPECT_EQ(service.ask("sleep 10"), "desktop");
    EXPECT_EQ(service.stop(), 0);
    EXPECT_EQ(service.panel(), dark) << "the service lit or blanked a desktop's display";
}

}  // namespace
