#include "evdev_device.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <sys/stat.h>

#include <ctime>
#include <initializer_list>

#include "file_descriptor.h"

namespace {

struct evdev_free {
    void operator()(libevdev* device) const { libevdev_free(device); }
};
using evdev_handle = std::unique_ptr<libevdev, evdev_free>;

class evdev_device final : public input_device {
public:
    evdev_device(std::string path, file_descriptor fd, evdev_handle device)
        : path_(std::move(path)), fd_(std::move(fd)), device_(std::move(device)) {}
    ~evdev_device() override { release(); }

    const std::string& path() const override { return path_; }
    int fd() const override { return fd_.get(); }

    bool grab() override {
        if (!grabbed_) grabbed_ = libevdev_grab(device_.get(), LIBEVDEV_GRAB) == 0;
        return grabbed_;
    }
    void release() override {
        if (grabbed_) libevdev_grab(device_.get(), LIBEVDEV_UNGRAB);
        grabbed_ = false;
    }
    bool grabbed() const override { return grabbed_; }

    bool held() const override {
        libevdev* device = device_.get();
        for (unsigned code = 0; code <= KEY_MAX; ++code)
            if (libevdev_has_event_code(device, EV_KEY, code) && libevdev_get_event_value(device, EV_KEY, code) != 0)
                return true;
        const int slots = libevdev_get_num_slots(device);
        for (int slot = 0; slot < slots; ++slot)
            if (libevdev_get_slot_value(device, static_cast<unsigned>(slot), ABS_MT_TRACKING_ID) >= 0) return true;
        return false;
    }

    int horizontal_extent() const override {
        for (unsigned axis : {ABS_MT_POSITION_X, ABS_X})
            if (const input_absinfo* info = libevdev_get_abs_info(device_.get(), axis);
                info && info->maximum > info->minimum)
                return info->maximum - info->minimum;
        return 0;
    }

    bool read(std::vector<input_event>& events) override {
        // After SYN_DROPPED, libevdev hands out the changes that bring its
        // state up to the kernel's, then the stream goes on as before.
        unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
        for (;;) {
            input_event event{};
            const int status = libevdev_next_event(device_.get(), flags, &event);
            if (status == LIBEVDEV_READ_STATUS_SUCCESS || status == LIBEVDEV_READ_STATUS_SYNC) {
                if (status == LIBEVDEV_READ_STATUS_SYNC) flags = LIBEVDEV_READ_FLAG_SYNC;
                if (!(event.type == EV_SYN && event.code == SYN_DROPPED)) events.push_back(event);
                continue;
            }
            if (status == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
                flags = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            }
            if (status == -EINTR) continue;
            // -EAGAIN: all read. -ENODEV, or anything else: unplugged.
            return status == -EAGAIN;
        }
    }

private:
    std::string path_;
    file_descriptor fd_;
    evdev_handle device_;
    bool grabbed_ = false;
};

bool made_by_hand(const libevdev* device) {
    return (libevdev_has_event_type(device, EV_KEY) || libevdev_has_event_type(device, EV_REL) ||
            libevdev_has_event_type(device, EV_ABS)) &&
           !libevdev_has_property(device, INPUT_PROP_ACCELEROMETER);
}

}  // namespace

std::unique_ptr<input_device> open_evdev_device(const std::string& path) {
    file_descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISCHR(status.st_mode)) return nullptr;
    libevdev* raw = nullptr;
    if (libevdev_new_from_fd(fd.get(), &raw) != 0) return nullptr;
    evdev_handle device(raw);
    if (!made_by_hand(device.get()) || libevdev_set_clock_id(device.get(), CLOCK_MONOTONIC) != 0) return nullptr;
    return std::make_unique<evdev_device>(path, std::move(fd), std::move(device));
}
