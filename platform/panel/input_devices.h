// Every event device of the panel in a directory (/dev/input), and the ones
// that appear there later, watched through inotify.
#ifndef PANEL_INPUT_DEVICES_H
#define PANEL_INPUT_DEVICES_H

#include <functional>
#include <string>
#include <vector>

#include "file_descriptor.h"
#include "input_device.h"
#include "poll_set.h"

class input_devices {
public:
    explicit input_devices(std::string directory);

    // The watch for new devices and every device, for the next wait.
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
    // Lets every device go, grabs and all, and watches for no new ones.
    void close_all();

private:
    bool open_new();

    std::string directory_;
    file_descriptor watch_;
    std::vector<input_device> devices_;
};

#endif
