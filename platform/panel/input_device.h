// One of the panel's input devices: keys, buttons, pointers and touch
// panels, read without blocking and grabbed on request, so that their input
// reaches this process alone. The service and the player's helper take their
// devices through this interface; tests give them scripted ones.
#ifndef PANEL_INPUT_DEVICE_H
#define PANEL_INPUT_DEVICE_H

#include <linux/input.h>

#include <string>
#include <vector>

class input_device {
public:
    virtual ~input_device() = default;

    // The device node, which names the device while it is present.
    virtual const std::string& path() const = 0;
    // Readable when events wait, or once the device is gone.
    virtual int fd() const = 0;

    // False when another process holds the device already.
    virtual bool grab() = 0;
    virtual void release() = 0;
    virtual bool grabbed() const = 0;

    // Whether a key or button is down, or a finger on the panel, after the
    // events read so far.
    virtual bool held() const = 0;

    // The extent of the horizontal axis a finger or an absolute pointer
    // moves on (the multitouch position's, else the single one's); 0 for a
    // device without one.
    virtual int horizontal_extent() const = 0;

    // Appends the events waiting to be read, each with the time the kernel
    // gave it on the monotonic clock; false once the device is gone.
    virtual bool read(std::vector<input_event>& events) = 0;
};

// Key, button, pointer and touch events, which a hand makes; not the
// reports that close a frame (EV_SYN), scan codes (EV_MSC) or LEDs alone.
inline bool is_user_input(const input_event& event) {
    return event.type == EV_KEY || event.type == EV_REL || event.type == EV_ABS;
}

#endif
