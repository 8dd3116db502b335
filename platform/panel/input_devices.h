// Every input device of the panel that a source gives, as one set: read,
// grabbed and released together, the ones that went away dropped.
#ifndef PANEL_INPUT_DEVICES_H
#define PANEL_INPUT_DEVICES_H

#include <functional>
#include <memory>
#include <vector>

#include "input_device_source.h"
#include "poll_set.h"

class input_devices {
public:
    // Opens the devices present now.
    explicit input_devices(std::unique_ptr<input_device_source> source);

    // The source's notices and every device, for the next wait.
    void watch(poll_set& set) const;
    // After a wait: hands each ready device's events to on_events, drops
    // the devices that went away and opens those that appeared. Returns
    // whether any device appeared.
    bool take_input(const poll_set& ready,
                    const std::function<void(const input_device&, const std::vector<input_event>&)>& on_events);

    // Whether a key, button or contact is down on any device.
    bool any_held() const;
    // Grabs every device; devices that appear later are the caller's to grab.
    void grab_all();
    // Grabs each device on which nothing is down, so that whatever was
    // pressed before still reaches the other readers whole, release included.
    // A device another process holds is read without a grab.
    void grab_free();
    void release_all();
    // Lets every device go, grabs and all, and takes no new ones.
    void close_all();

private:
    bool open_new();

    std::unique_ptr<input_device_source> source_;
    std::vector<std::unique_ptr<input_device>> devices_;
};

#endif
