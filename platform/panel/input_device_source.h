// Where the panel's input devices come from: the devices present at the
// start, and those that appear later.
#ifndef PANEL_INPUT_DEVICE_SOURCE_H
#define PANEL_INPUT_DEVICE_SOURCE_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input_device.h"

class input_device_source {
public:
    virtual ~input_device_source() = default;

    // Readable when devices may have appeared; -1 when nothing tells.
    virtual int fd() const = 0;
    // Takes what fd() reported, then opens every present device whose path
    // is_open does not know.
    virtual std::vector<std::unique_ptr<input_device>> open_new(
        const std::function<bool(const std::string&)>& is_open) = 0;
};

#endif
