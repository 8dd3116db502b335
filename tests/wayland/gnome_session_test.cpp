// In a GNOME session the library sets GNOME's own idle time with gsettings,
// and blanks at once through GNOME's screen saver only where that does not
// lock the screen. A fake gsettings and gdbus on PATH note their arguments.
// An X server beside a Wayland compositor (Xwayland) is left alone.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <X11/Xlib.h>

#include "ezxpm.h"
#include "file_descriptor.h"
#include "test_support.h"
#include "x_server.h"

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class GnomeSession : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"gsettings", "gdbus"}) {
            const std::string fake = dir_.write(
                name, std::string("#!/bin/sh\necho \"") + name + " $*\" >> \"$FAKE_LOG\"\n" +
                          "[ \"$1\" = get ] && echo \"$FAKE_LOCK\"\nsleep \"${FAKE_DELAY:-0}\"\nexit 0\n");
            ::chmod(fake.c_str(), 0755);
        }
        saved_path_ = std::getenv("PATH");
        ::setenv("PATH", (dir_.path() + ":" + saved_path_).c_str(), 1);
        ::setenv("FAKE_LOG", log_.c_str(), 1);
        ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
        ::setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", "wayland-gnome", 1);
        ::setenv("EZXPM_LCD_SLEEP_FILE", (dir_.path() + "/record").c_str(), 1);
        // A compositor that listens; the library only needs to reach it.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, (dir_.path() + "/wayland-gnome").c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(compositor_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(compositor_.get(), 8), 0);
    }
    void TearDown() override {
        ::setenv("PATH", saved_path_.c_str(), 1);
        for (const char* name : {"FAKE_LOG", "FAKE_LOCK", "FAKE_DELAY", "XDG_CURRENT_DESKTOP", "XDG_RUNTIME_DIR",
                                 "WAYLAND_DISPLAY", "EZXPM_LCD_SLEEP_FILE"})
            ::unsetenv(name);
    }
    std::string calls_for(int seconds) {
        std::remove(log_.c_str());
        PM_setupLcdSleepTime(seconds);
        return contents(log_);
    }

    temp_dir dir_;
    std::string log_ = dir_.path() + "/calls";
    std::string saved_path_;
    file_descriptor compositor_{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
};

TEST_F(GnomeSession, IdleDelayAlwaysAndTheScreenSaverOnlyWithoutLocking) {
    EXPECT_EQ(calls_for(45), "gsettings set org.gnome.desktop.session idle-delay 45\n");
    EXPECT_EQ(calls_for(0), "gsettings set org.gnome.desktop.session idle-delay 0\n");
    EXPECT_EQ(calls_for(-3), "") << "a negative time changed GNOME's settings";

    ::setenv("FAKE_LOCK", "true", 1);
    EXPECT_EQ(calls_for(10),
              "gsettings set org.gnome.desktop.session idle-delay 0\n"
              "gsettings get org.gnome.desktop.screensaver lock-enabled\n")
        << "10 would lock the screen";
    ::setenv("FAKE_LOCK", "false", 1);
    EXPECT_EQ(calls_for(10),
              "gsettings set org.gnome.desktop.session idle-delay 0\n"
              "gsettings get org.gnome.desktop.screensaver lock-enabled\n"
              "gdbus call --session --dest org.gnome.ScreenSaver --object-path /org/gnome/ScreenSaver "
              "--method org.gnome.ScreenSaver.SetActive true\n");

    // No compositor listening: the Wayland path is not taken at all.
    compositor_.close();
    EXPECT_EQ(calls_for(45), "");
}

TEST_F(GnomeSession, AHangingGsettingsCostsASecondAtMost) {
    ::setenv("FAKE_DELAY", "10", 1);
    const auto start = std::chrono::steady_clock::now();
    PM_setupLcdSleepTime(45);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("returned after %.2f s with gsettings hanging for 10 s\n", took);
    EXPECT_LT(took, 3.0);
}

int screen_saver_timeout(const std::string& display_name) {
    Display* display = XOpenDisplay(display_name.c_str());
    if (!display) return -1;
    int timeout, interval, prefer_blanking, allow_exposures;
    XGetScreenSaver(display, &timeout, &interval, &prefer_blanking, &allow_exposures);
    XCloseDisplay(display);
    return timeout;
}

TEST_F(GnomeSession, BesideAListeningCompositorTheXServerIsLeftAlone) {
    if (!private_x_server::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup.sh installs it)";
    private_x_server server;
    ASSERT_FALSE(server.display().empty());
    ::setenv("DISPLAY", server.display().c_str(), 1);
    const int before = screen_saver_timeout(server.display());
    EXPECT_EQ(calls_for(45), "gsettings set org.gnome.desktop.session idle-delay 45\n");
    EXPECT_EQ(screen_saver_timeout(server.display()), before) << "Xwayland took a time the compositor ignores";
    // The compositor gone, its socket file left: the X server takes the time.
    compositor_.close();
    EXPECT_EQ(calls_for(45), "");
    EXPECT_EQ(screen_saver_timeout(server.display()), 45);
    ::unsetenv("DISPLAY");
}

}  // namespace
