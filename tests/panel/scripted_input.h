// Input devices that a test scripts, for the service and the player's helper
// through their device interface: the test presses keys and touches the
// panel, each frame with a time of its own, and sees whether the program
// holds the device grabbed and which events reached the other readers,
// those given while it was not grabbed, as the kernel hands them out.
#ifndef PANEL_TESTS_SCRIPTED_INPUT_H
#define PANEL_TESTS_SCRIPTED_INPUT_H

#include <linux/input.h>

#include <chrono>
#include <memory>
#include <vector>

#include "input_device_source.h"

struct scripted_device_state;

// An event as a device gives it, stamped at `at` on the monotonic clock.
input_event event_at(unsigned short type, unsigned short code, int value, std::chrono::milliseconds at);

// One scripted device; the test keeps it, the program reads it.
class scripted_panel {
public:
    explicit scripted_panel(std::string path);

    // One frame each, at the given time of the monotonic clock.
    void key(unsigned short code, int value, std::chrono::milliseconds at);
    void touch(bool down, std::chrono::milliseconds at);

    bool grabbed() const;
    // Events that reached other readers: given while the device was not grabbed.
    std::size_t seen_by_others() const;

    // A source that gives the program this device alone.
    std::unique_ptr<input_device_source> source() const;

private:
    std::shared_ptr<scripted_device_state> state_;
};

#endif
