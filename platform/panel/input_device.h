// One of the panel's event devices (/dev/input/eventN): keys, buttons,
// pointers and touch panels, read without blocking and grabbed on request,
// so that their input reaches this process alone.
#ifndef PANEL_INPUT_DEVICE_H
#define PANEL_INPUT_DEVICE_H

#include <linux/input.h>

#include <optional>
#include <string>
#include <vector>

#include "file_descriptor.h"

class input_device {
public:
    // The device at path when it reports what a hand makes (keys, buttons,
    // pointer or touch axes) and is no accelerometer, whose axes move by
    // themselves; nothing when it is of no use or cannot be opened.
    static std::optional<input_device> open(const std::string& path);

    const std::string& path() const { return path_; }
    int fd() const { return fd_.get(); }

    // EVIOCGRAB: false when another process holds the device already.
    bool grab();
    void release();
    bool grabbed() const { return grabbed_; }

    // Whether a key or button is down, or a finger on the panel, as the
    // kernel sees it now, whichever process got the events.
    bool held() const;

    // Appends the events waiting to be read; false once the device is gone.
    bool read(std::vector<input_event>& events);

private:
    input_device(std::string path, file_descriptor fd) : path_(std::move(path)), fd_(std::move(fd)) {}

    std::string path_;
    file_descriptor fd_;
    bool grabbed_ = false;
    int contact_slots_ = 0;  // multitouch slots whose tracking ids tell the contacts
};

// Key, button, pointer and touch events, which a hand makes; not the
// reports that close a frame (EV_SYN), scan codes (EV_MSC) or LEDs alone.
inline bool is_user_input(const input_event& event) {
    return event.type == EV_KEY || event.type == EV_REL || event.type == EV_ABS;
}

#endif
