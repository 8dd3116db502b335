#include "input_devices.h"

#include <algorithm>

input_devices::input_devices(std::unique_ptr<input_device_source> source) : source_(std::move(source)) { open_new(); }

bool input_devices::open_new() {
    if (!source_) return false;
    std::vector<std::unique_ptr<input_device>> opened = source_->open_new([this](const std::string& path) {
        return std::any_of(devices_.begin(), devices_.end(), [&](const auto& d) { return d->path() == path; });
    });
    for (auto& device : opened) devices_.push_back(std::move(device));
    return !opened.empty();
}

void input_devices::watch(poll_set& set) const {
    if (source_ && source_->fd() >= 0) set.add(source_->fd());
    for (const auto& device : devices_) set.add(device->fd());
}

bool input_devices::take_input(
    const poll_set& ready, const std::function<void(const input_device&, const std::vector<input_event>&)>& on_events) {
    std::vector<input_event> events;
    for (auto device = devices_.begin(); device != devices_.end();) {
        if (!ready.ready((*device)->fd())) {
            ++device;
            continue;
        }
        events.clear();
        const bool present = (*device)->read(events);
        if (!events.empty()) on_events(**device, events);
        device = present ? device + 1 : devices_.erase(device);
    }
    if (!source_ || source_->fd() < 0 || !ready.ready(source_->fd())) return false;
    return open_new();
}

bool input_devices::any_held() const {
    return std::any_of(devices_.begin(), devices_.end(), [](const auto& d) { return d->held(); });
}

void input_devices::grab_all() {
    for (auto& device : devices_) device->grab();
}

void input_devices::grab_free() {
    for (auto& device : devices_)
        if (!device->grabbed() && !device->held()) device->grab();
}

void input_devices::release_all() {
    for (auto& device : devices_) device->release();
}

void input_devices::close_all() {
    devices_.clear();
    source_.reset();
}
