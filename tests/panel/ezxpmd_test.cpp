// The built power service on a system tree of its own: a backlight and a
// framebuffer given through the environment, lit when it starts and when it
// stops, put to sleep and woken by requests, held lit by a connection, deaf
// to bad and unauthorised requests and to what an ordinary user makes, and
// sound when writes fail, descriptors run short or connections idle.
#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "display_sockets.h"
#include "poll_set.h"
#include "running_service.h"
#include "within_ten_seconds.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const std::string lit = "0\n", dark = "4\n";
constexpr uid_t nobody = 65534;

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
    EXPECT_FALSE(fs::exists(service.socket())) << "socket left behind";
    EXPECT_EQ(service.log(), "");
}

TEST(Ezxpmd, RefusesBadRequestsAndChangesNothing) {
    running_service service(lit);
    ASSERT_TRUE(service.listening()) << service.log();
    // Each would put the panel to sleep at once if read loosely as 10.
    for (const std::string& bad : {std::string("sleep 10x"), std::string("sleep 10 "), std::string("sleep  10"),
                                   std::string("sleep +10"), std::string("SLEEP 10"), std::string("sleep 10\n"),
                                   std::string("sleep 10\0junk", 13), "sleep 10" + std::string(40, '0'),
                                   std::string("sleep 99999999999"), std::string("sleep"), std::string("hold on"),
                                   std::string("sleep 010"), std::string("sleep 00"), std::string("sleep -0"),
                                   std::string("")})
        EXPECT_EQ(service.ask(bad), "refused") << "request: \"" << bad << "\"";
    // Answered after the refusals, so the service has dealt with them all.
    EXPECT_EQ(service.ask("sleep -1"), "taken");
    EXPECT_EQ(service.panel(), lit);
}

// A process of the user nobody, who is neither root nor in the video group:
// it runs action, tells what that returns, and then stays until the end of
// the test, holding what action kept open.
class nobody_process {
public:
    explicit nobody_process(const std::function<std::string(std::vector<file_descriptor>& kept)>& action) {
        int told[2];
        if (::pipe(told) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(1);
            std::vector<file_descriptor> kept;
            const std::string report = action(kept);
            if (::write(told[1], report.data(), report.size()) < 0) ::_exit(1);
            ::close(told[1]);
            for (;;) ::pause();
        }
        ::close(told[1]);
        char text[64];
        for (ssize_t got; (got = ::read(told[0], text, sizeof text)) > 0;) report_.append(text, static_cast<std::size_t>(got));
        ::close(told[0]);
    }
    ~nobody_process() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    const std::string& report() const { return report_; }

private:
    pid_t pid_ = -1;
    std::string report_;
};

// Opens the socket's fence to nobody, so that the service's own rule is what answers.
void open_fence(const running_service& service) {
    for (std::string dir = service.socket(); dir != service.root().path();) {
        dir = dir.substr(0, dir.rfind('/'));
        ::chmod(dir.c_str(), 0755);
    }
    ::chmod(service.root().path().c_str(), 0755);
    ::chmod(service.socket().c_str(), 0666);
}

std::string ask_as_nobody(const running_service& service, const std::string& request) {
    open_fence(service);
    return nobody_process([&](std::vector<file_descriptor>&) { return service.ask(request); }).report();
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

TEST(Ezxpmd, OnlyADisplayServerOfRootsKeepsItsHandsOffThePanel) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can listen as another user";
    if (!listening_unix_sockets()) GTEST_SKIP() << "the kernel's table of sockets cannot be read here";
    running_service service(lit);
    ASSERT_TRUE(service.listening()) << service.log();
    const std::string x_folder = service.root().path() + "/tmp/.X11-unix";
    fs::create_directories(x_folder);
    ::chmod(service.root().path().c_str(), 0755);
    ::chmod((service.root().path() + "/tmp").c_str(), 0755);
    ::chmod(x_folder.c_str(), 01777);
    // What nobody can make: an X server's name in the abstract namespace, a
    // socket file of its own, and a listener whose path holds a stale socket
    // file of root's, as one bound in another mount namespace shows in the
    // kernel's table.
    const std::string shadowed = x_folder + "/X7";
    const nobody_process fakes([&](std::vector<file_descriptor>& kept) {
        for (const std::string& path : {"@" + x_folder + "/X5", x_folder + "/X6", shadowed})
            kept.push_back(listen_on(path, SOCK_STREAM));
        const bool made = kept[0].get() >= 0 && kept[1].get() >= 0 && kept[2].get() >= 0;
        return made && std::rename(shadowed.c_str(), (x_folder + "/moved").c_str()) == 0 ? "ready" : "failed";
    });
    listen_on(shadowed, SOCK_STREAM);  // closed at once: a stale file of root's
    ASSERT_EQ(fakes.report(), "ready");
    EXPECT_EQ(service.ask("sleep 10"), "taken") << "a display server that nobody made counts";
    EXPECT_TRUE(service.panel_becomes(dark));
    EXPECT_EQ(service.ask("sleep 0"), "taken");
    EXPECT_TRUE(service.panel_becomes(lit));

    const file_descriptor x_server = listen_on(x_folder + "/X0", SOCK_STREAM);
    ASSERT_GE(x_server.get(), 0);
    EXPECT_EQ(service.ask("sleep 10"), "desktop");
    EXPECT_EQ(service.ask("sleep 45"), "desktop");
    EXPECT_EQ(service.panel(), lit);
}

TEST(Ezxpmd, AFailedWriteIsTriedAgainAndNeverTakenForDone) {
    // Standard error a pipe that nobody reads: telling the failure must not
    // end the service (SIGPIPE).
    running_service service(lit, [] {
        int pipe_ends[2];
        if (::pipe(pipe_ends) != 0 || ::dup2(pipe_ends[1], STDERR_FILENO) < 0) ::_exit(127);
        ::close(pipe_ends[0]);
    });
    ASSERT_TRUE(service.listening());
    const std::string blank = service.root().path() + "/sys/class/graphics/fb0/blank";
    fs::remove(blank);
    fs::create_directory(blank);  // a write to it fails, as root's would to a read-only attribute
    EXPECT_EQ(service.ask("sleep 10"), "taken");
    EXPECT_TRUE(within_ten_seconds([&] { return service.panel() == "disagree"; })) << "the backlight stayed on";
    EXPECT_EQ(service.send("hold", milliseconds(1500)).reply, "") << "held while the panel cannot be lit";

    fs::remove(blank);
    service.root().write("sys/class/graphics/fb0/blank", dark);
    EXPECT_TRUE(service.panel_becomes(lit)) << "the failed write was not tried again";
    EXPECT_EQ(service.ask("hold"), "held");
    EXPECT_EQ(service.stop(), 0) << "the service did not live through its failures";
}

// CPU time the process used, user and system, in seconds.
double cpu_seconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i < 14; ++i) fields >> field;  // state ... cmajflt
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Connections that send nothing, many more than the service keeps, each
// with a descriptor of its own in the service.
std::vector<file_descriptor> idle_connections(const std::string& socket, int count) {
    std::vector<file_descriptor> connections;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    for (int i = 0; i < count; ++i) {
        file_descriptor c(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (::connect(c.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            connections.push_back(std::move(c));
    }
    return connections;
}

TEST(Ezxpmd, IdleConnectionsAreClosedAndLockNobodyOut) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can connect as another user";
    running_service service(lit);
    ASSERT_TRUE(service.listening()) << service.log();
    open_fence(service);
    const nobody_process squatter([&](std::vector<file_descriptor>& kept) {
        kept = idle_connections(service.socket(), 80);
        return "ready";
    });
    ASSERT_EQ(squatter.report(), "ready");
    std::vector<file_descriptor> own = idle_connections(service.socket(), 80);
    EXPECT_EQ(service.ask("sleep 10"), "taken") << "a legitimate request was locked out";
    EXPECT_TRUE(service.panel_becomes(dark));

    const auto opened = std::chrono::steady_clock::now();
    const std::vector<file_descriptor> one = idle_connections(service.socket(), 1);
    ASSERT_EQ(one.size(), 1U);
    ASSERT_TRUE(readable_before(one[0].get(), opened + std::chrono::seconds(30))) << "an idle connection is kept";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
    std::printf("an idle connection was closed after %.1f s\n", seconds);
    EXPECT_LT(seconds, 15.0);
}

TEST(Ezxpmd, RestsInsteadOfSpinningWhenDescriptorsRunOut) {
    running_service service(lit, [] {
        const rlimit few{20, 20};
        if (::setrlimit(RLIMIT_NOFILE, &few) != 0) ::_exit(127);
    });
    ASSERT_TRUE(service.listening()) << service.log();
    const std::vector<file_descriptor> connections = idle_connections(service.socket(), 40);
    const double before = cpu_seconds(service.pid());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double used = cpu_seconds(service.pid()) - before;
    std::printf("out of descriptors, the service used %.2f s of CPU in 2 s\n", used);
    EXPECT_LT(used, 0.5) << "the service spins";
    EXPECT_EQ(service.ask("sleep 10"), "taken");
    EXPECT_EQ(service.stop(), 0);
}

TEST(Ezxpmd, TheSocketAndItsFolderAreTheServicesAlone) {
    const group* video = ::getgrnam("video");
    {
        running_service service(lit);
        ASSERT_TRUE(service.listening()) << service.log();
        struct stat socket {}, folder {};
        ASSERT_EQ(::lstat(service.socket().c_str(), &socket), 0);
        ASSERT_EQ(::lstat(fs::path(service.socket()).parent_path().c_str(), &folder), 0);
        const bool grouped = video && ::geteuid() == 0;
        EXPECT_EQ(socket.st_mode & 07777, grouped ? 0660U : 0600U);
        EXPECT_EQ(folder.st_mode & 07777, grouped ? 0750U : 0700U);
        if (grouped) {
            EXPECT_EQ(socket.st_gid, video->gr_gid);
            EXPECT_EQ(folder.st_gid, video->gr_gid);
        }
    }
    // A folder others may write in, a link in the folder's place, another
    // program's socket: the service does not start and changes nothing.
    const std::vector<std::pair<std::string, std::function<file_descriptor(const std::string&)>>> in_the_way{
        {"a folder others may write in", [](const std::string& folder) {
             fs::create_directories(folder);
             ::chmod(folder.c_str(), 0777);
             return file_descriptor();
         }},
        {"a link in the folder's place", [](const std::string& folder) {
             fs::create_directories(folder + "-elsewhere");
             std::ofstream(folder + "-elsewhere/socket") << "root's own";
             ::chmod((folder + "-elsewhere/socket").c_str(), 0600);
             fs::create_directory_symlink(folder + "-elsewhere", folder);
             return file_descriptor();
         }},
        {"another program's stream socket", [](const std::string& folder) {
             fs::create_directories(folder);
             ::chmod(folder.c_str(), 0700);
             return listen_on(folder + "/socket", SOCK_STREAM);
         }},
    };
    for (const auto& [what, make] : in_the_way) {
        SCOPED_TRACE(what);
        temp_dir place;
        const std::string folder = place.path() + "/ezxpmd", socket = folder + "/socket";
        const file_descriptor listening = make(folder);
        struct stat before {}, after {};
        const bool was_there = ::lstat(socket.c_str(), &before) == 0;
        running_service service(lit, [&] { ::setenv("EZXPMD_SOCKET", socket.c_str(), 1); });
        EXPECT_EQ(service.ended(), 1);
        EXPECT_NE(service.log(), "") << "no word on why it did not start";
        EXPECT_EQ(::lstat(socket.c_str(), &after) == 0, was_there) << "what was there is gone, or a socket was made";
        if (was_there) {
            EXPECT_EQ(after.st_mode, before.st_mode) << "a link was followed";
            EXPECT_EQ(after.st_gid, before.st_gid) << "a link was followed";
        }
    }
}

}  // namespace
