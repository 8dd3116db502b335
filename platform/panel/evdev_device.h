// An event device (/dev/input/eventN) read through libevdev, which keeps its
// keys' and contacts' state and resynchronises it when the kernel's buffer
// overflowed (SYN_DROPPED).
#ifndef PANEL_EVDEV_DEVICE_H
#define PANEL_EVDEV_DEVICE_H

#include <memory>
#include <string>

#include "input_device.h"

// The device at path when it is a character device that reports what a hand
// makes (keys, buttons, pointer or touch axes) and is no accelerometer,
// whose axes move by themselves; nothing when it is of no use or cannot be
// opened. Its events carry times of the monotonic clock.
std::unique_ptr<input_device> open_evdev_device(const std::string& path);

#endif
