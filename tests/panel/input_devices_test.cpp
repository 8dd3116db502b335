// The real input code: the folder of event devices, watched while it is
// missing and after it comes back, and, where /dev/uinput can make devices,
// libevdev's reading, grabbing and state on such a device.
#include <gtest/gtest.h>

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "evdev_device.h"
#include "evdev_directory.h"
#include "poll_set.h"
#include "test_support.h"
#include "within_ten_seconds.h"

namespace {

namespace fs = std::filesystem;

bool notice_within_ten_seconds(int fd) {
    return readable_before(fd, std::chrono::steady_clock::now() + std::chrono::seconds(10));
}

TEST(EvdevDirectory, WatchesAnInputFolderThatAppearsLateOrGoesAndComesBack) {
    temp_dir dev;
    const std::string input = dev.path() + "/input";
    evdev_directory directory(input);
    ASSERT_GE(directory.fd(), 0);
    const auto nothing_open = [](const std::string&) { return false; };
    EXPECT_TRUE(directory.open_new(nothing_open).empty());
    for (const char* round : {"late", "back"}) {
        SCOPED_TRACE(round);
        fs::create_directory(input);
        ASSERT_TRUE(notice_within_ten_seconds(directory.fd())) << "the folder's coming went unseen";
        directory.open_new(nothing_open);
        std::ofstream(input + "/event0").close();
        ASSERT_TRUE(notice_within_ten_seconds(directory.fd())) << "a node in the folder went unseen";
        EXPECT_TRUE(directory.open_new(nothing_open).empty()) << "a plain file taken for a device";
        fs::remove_all(input);
        ASSERT_TRUE(notice_within_ten_seconds(directory.fd()));
        directory.open_new(nothing_open);
    }
}

struct uinput_destroy {
    void operator()(libevdev_uinput* device) const { libevdev_uinput_destroy(device); }
};
struct evdev_free {
    void operator()(libevdev* device) const { libevdev_free(device); }
};

void emit(libevdev_uinput* device, unsigned type, unsigned code, int value) {
    libevdev_uinput_write_event(device, type, code, value);
    libevdev_uinput_write_event(device, EV_SYN, SYN_REPORT, 0);
}

std::vector<input_event> events_of(input_device& device) {
    std::vector<input_event> events;
    if (notice_within_ten_seconds(device.fd())) device.read(events);
    return events;
}

TEST(UinputDevices, ReadGrabbedWithTheirOwnTimesAndState) {
    if (::access("/dev/uinput", R_OK | W_OK) != 0)
        GTEST_SKIP() << "skipped: no usable /dev/uinput here (" << std::strerror(errno) << ")";
    const std::unique_ptr<libevdev, evdev_free> model(libevdev_new());
    libevdev_set_name(model.get(), "mediakit test panel");
    libevdev_enable_event_code(model.get(), EV_KEY, KEY_ESC, nullptr);
    libevdev_uinput* made = nullptr;
    const int error = libevdev_uinput_create_from_device(model.get(), LIBEVDEV_UINPUT_OPEN_MANAGED, &made);
    if (error != 0) GTEST_SKIP() << "skipped: /dev/uinput makes no device here (" << std::strerror(-error) << ")";
    std::unique_ptr<libevdev_uinput, uinput_destroy> uinput(made);
    const char* node = libevdev_uinput_get_devnode(uinput.get());
    ASSERT_NE(node, nullptr);
    ASSERT_TRUE(within_ten_seconds([&] { return ::access(node, F_OK) == 0; })) << node;

    // Found in its folder among the machine's own devices, which stay closed.
    evdev_directory directory(fs::path(node).parent_path().string());
    std::vector<std::unique_ptr<input_device>> found =
        directory.open_new([&](const std::string& path) { return path != node; });
    ASSERT_EQ(found.size(), 1U);
    input_device& device = *found[0];
    const std::unique_ptr<input_device> other = open_evdev_device(node);
    ASSERT_TRUE(other);

    ASSERT_TRUE(device.grab());
    emit(uinput.get(), EV_KEY, KEY_ESC, 1);
    const std::vector<input_event> pressed = events_of(device);
    ASSERT_FALSE(pressed.empty());
    EXPECT_EQ(pressed[0].code, KEY_ESC);
    EXPECT_TRUE(device.held());
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    EXPECT_LT(std::abs(static_cast<long long>(now.tv_sec) - static_cast<long long>(pressed[0].input_event_sec)), 10)
        << "the event's time is not of the monotonic clock";
    EXPECT_FALSE(readable_before(other->fd(), std::chrono::steady_clock::now() + std::chrono::milliseconds(200)))
        << "a grabbed device's input reached another reader";
    emit(uinput.get(), EV_KEY, KEY_ESC, 0);
    events_of(device);
    EXPECT_FALSE(device.held());

    device.release();
    emit(uinput.get(), EV_KEY, KEY_ESC, 1);
    EXPECT_FALSE(events_of(*other).empty()) << "a released device's input does not reach others";

    uinput.reset();
    std::vector<input_event> last;
    EXPECT_TRUE(notice_within_ten_seconds(device.fd()));
    EXPECT_FALSE(device.read(last)) << "a device gone is still read";
}

}  // namespace
