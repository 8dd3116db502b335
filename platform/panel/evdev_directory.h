// The event devices in a directory (/dev/input), opened through
// open_evdev_device, and those that appear there later, watched through
// inotify. The directory itself may appear late (drivers that probe late,
// udev making it) and may go and come back: while it is missing, its parent
// is watched for it.
#ifndef PANEL_EVDEV_DIRECTORY_H
#define PANEL_EVDEV_DIRECTORY_H

#include <string>

#include "file_descriptor.h"
#include "input_device_source.h"

class evdev_directory final : public input_device_source {
public:
    explicit evdev_directory(std::string directory);

    int fd() const override { return inotify_.get(); }
    std::vector<std::unique_ptr<input_device>> open_new(
        const std::function<bool(const std::string&)>& is_open) override;

private:
    // Drains the inotify queue; notes when the directory's watch ended.
    void take_notices();
    // Watches the directory, or its parent while the directory is missing.
    void watch_directory();

    std::string directory_;
    std::string parent_;
    file_descriptor inotify_;
    int directory_watch_ = -1;
    int parent_watch_ = -1;
};

#endif
