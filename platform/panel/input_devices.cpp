#include "input_devices.h"

#include <sys/inotify.h>

#include <algorithm>

#include "directory_entries.h"
#include "numbered_name.h"

namespace {

void drain(int fd) {
    char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace

input_devices::input_devices(std::string directory)
    : directory_(std::move(directory)), watch_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    // A node is made (IN_CREATE) before its permissions are set (IN_ATTRIB).
    if (watch_.get() >= 0 && ::inotify_add_watch(watch_.get(), directory_.c_str(), IN_CREATE | IN_ATTRIB | IN_MOVED_TO) < 0)
        watch_.close();
    open_new();
}

bool input_devices::open_new() {
    bool opened = false;
    for (const std::string& name : directory_entries(directory_)) {
        if (!is_numbered_name(name.c_str(), "event")) continue;
        const std::string path = directory_ + "/" + name;
        if (std::any_of(devices_.begin(), devices_.end(), [&](const input_device& d) { return d.path() == path; }))
            continue;
        if (std::optional<input_device> device = input_device::open(path)) {
            devices_.push_back(std::move(*device));
            opened = true;
        }
    }
    return opened;
}

void input_devices::watch(poll_set& set) const {
    if (watch_.get() >= 0) set.add(watch_.get());
    for (const input_device& device : devices_) set.add(device.fd());
}

bool input_devices::take_input(
    const poll_set& ready, const std::function<void(const input_device&, const std::vector<input_event>&)>& on_events) {
    std::vector<input_event> events;
    for (auto device = devices_.begin(); device != devices_.end();) {
        if (!ready.ready(device->fd())) {
            ++device;
            continue;
        }
        events.clear();
        const bool present = device->read(events);
        if (!events.empty()) on_events(*device, events);
        device = present ? device + 1 : devices_.erase(device);
    }
    if (watch_.get() < 0 || !ready.ready(watch_.get())) return false;
    drain(watch_.get());
    return open_new();
}

bool input_devices::any_held() const {
    return std::any_of(devices_.begin(), devices_.end(), [](const input_device& d) { return d.held(); });
}

void input_devices::grab_all() {
    for (input_device& device : devices_) device.grab();
}

void input_devices::grab_free() {
    for (input_device& device : devices_)
        if (!device.grabbed() && !device.held()) device.grab();
}

void input_devices::release_all() {
    for (input_device& device : devices_) device.release();
}

void input_devices::close_all() {
    devices_.clear();
    watch_.close();
}
