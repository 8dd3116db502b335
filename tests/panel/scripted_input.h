// Input devices that a test scripts, for the service and the player's helper
// through their device interface: the test presses keys and touches the
// panel, each frame with a time of its own, and sees what the program did
// with the device (grabbed, released, closed) and which events reached the
// other readers, those given while the device was not grabbed, as the
// kernel hands them out.
#ifndef PANEL_TESTS_SCRIPTED_INPUT_H
#define PANEL_TESTS_SCRIPTED_INPUT_H

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "file_descriptor.h"
#include "input_device_source.h"

class scripted_device_state;

// One scripted device; the test keeps it, the program gets a device that
// reads it.
class scripted_panel {
public:
    explicit scripted_panel(std::string path);

    // One frame each, at the given time of the monotonic clock.
    void key(unsigned short code, int value, std::chrono::milliseconds at);
    void touch(bool down, std::chrono::milliseconds at);

    bool grabbed() const;
    bool closed() const;  // the program let the device go
    // Events that reached other readers: given while the device was not grabbed.
    std::size_t seen_by_others() const;

    const std::shared_ptr<scripted_device_state>& state() const { return state_; }

private:
    std::shared_ptr<scripted_device_state> state_;
};

// Gives the program the devices added to it, at the start or later.
class scripted_source final : public input_device_source {
public:
    scripted_source();
    void add(const scripted_panel& device);

    int fd() const override { return appeared_.get(); }
    std::vector<std::unique_ptr<input_device>> open_new(const std::function<bool(const std::string&)>& is_open) override;

private:
    std::shared_ptr<std::mutex> lock_;
    std::vector<std::shared_ptr<scripted_device_state>> devices_;
    file_descriptor appeared_;
};

// A source the test keeps a hand on after handing it to the program.
struct scripted_input {
    std::unique_ptr<scripted_source> owned = std::make_unique<scripted_source>();
    scripted_source* source = owned.get();
};

#endif
