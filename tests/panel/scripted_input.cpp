#include "scripted_input.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

#include "file_descriptor.h"

struct scripted_device_state {
    explicit scripted_device_state(std::string path) : path(std::move(path)), ready(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

    const std::string path;
    const file_descriptor ready;  // counts the frames not read yet
    std::mutex lock;
    std::deque<input_event> waiting;
    std::size_t seen_by_others = 0;
    bool grabbed = false;
};

namespace {

void give(scripted_device_state& state, const std::vector<input_event>& frame) {
    {
        const std::lock_guard<std::mutex> hold(state.lock);
        if (!state.grabbed) state.seen_by_others += frame.size();
        state.waiting.insert(state.waiting.end(), frame.begin(), frame.end());
    }
    const std::uint64_t one = 1;
    if (::write(state.ready.get(), &one, sizeof one) != sizeof one) std::abort();
}

// Reads the script; keys and contacts are down as the events read so far say.
class scripted_device final : public input_device {
public:
    explicit scripted_device(std::shared_ptr<scripted_device_state> state) : state_(std::move(state)) {}
    ~scripted_device() override { release(); }

    const std::string& path() const override { return state_->path; }
    int fd() const override { return state_->ready.get(); }
    bool grab() override { return set_grab(true); }
    void release() override { set_grab(false); }
    bool grabbed() const override {
        const std::lock_guard<std::mutex> hold(state_->lock);
        return state_->grabbed;
    }
    bool held() const override {
        return contact_ || std::any_of(keys_.begin(), keys_.end(), [](const auto& key) { return key.second != 0; });
    }
    // A panel 240 wide, as the board's.
    int horizontal_extent() const override { return 240; }
    bool read(std::vector<input_event>& events) override {
        std::uint64_t frames = 0;
        if (::read(state_->ready.get(), &frames, sizeof frames) < 0 && errno != EAGAIN) return false;
        const std::lock_guard<std::mutex> hold(state_->lock);
        for (const input_event& event : state_->waiting) {
            if (event.type == EV_KEY) keys_[event.code] = event.value;
            if (event.type == EV_ABS && event.code == ABS_MT_TRACKING_ID) contact_ = event.value >= 0;
            events.push_back(event);
        }
        state_->waiting.clear();
        return true;
    }

private:
    bool set_grab(bool grab) {
        const std::lock_guard<std::mutex> hold(state_->lock);
        state_->grabbed = grab;
        return true;
    }

    std::shared_ptr<scripted_device_state> state_;
    std::map<unsigned short, int> keys_;
    bool contact_ = false;
};

class scripted_source final : public input_device_source {
public:
    explicit scripted_source(std::shared_ptr<scripted_device_state> device) : device_(std::move(device)) {}
    int fd() const override { return -1; }
    std::vector<std::unique_ptr<input_device>> open_new(const std::function<bool(const std::string&)>& is_open) override {
        std::vector<std::unique_ptr<input_device>> opened;
        if (!is_open(device_->path)) opened.push_back(std::make_unique<scripted_device>(device_));
        return opened;
    }

private:
    std::shared_ptr<scripted_device_state> device_;
};

}  // namespace

scripted_panel::scripted_panel(std::string path) : state_(std::make_shared<scripted_device_state>(std::move(path))) {}

void scripted_panel::key(unsigned short code, int value, std::chrono::milliseconds at) {
    give(*state_, {event_at(EV_KEY, code, value, at), event_at(EV_SYN, SYN_REPORT, 0, at)});
}

void scripted_panel::touch(bool down, std::chrono::milliseconds at) {
    give(*state_, {event_at(EV_ABS, ABS_MT_TRACKING_ID, down ? 1 : -1, at), event_at(EV_KEY, BTN_TOUCH, down, at),
                   event_at(EV_SYN, SYN_REPORT, 0, at)});
}

bool scripted_panel::grabbed() const {
    const std::lock_guard<std::mutex> hold(state_->lock);
    return state_->grabbed;
}

std::size_t scripted_panel::seen_by_others() const {
    const std::lock_guard<std::mutex> hold(state_->lock);
    return state_->seen_by_others;
}

std::unique_ptr<input_device_source> scripted_panel::source() const {
    return std::make_unique<scripted_source>(state_);
}

input_event event_at(unsigned short type, unsigned short code, int value, std::chrono::milliseconds at) {
    input_event event{};
    event.input_event_sec = static_cast<decltype(event.input_event_sec)>(at.count() / 1000);
    event.input_event_usec = static_cast<decltype(event.input_event_usec)>(at.count() % 1000 * 1000);
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}
