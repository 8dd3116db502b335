#include "input_device.h"

#include <fcntl.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr std::size_t long_bits = sizeof(unsigned long) * CHAR_BIT;

// The kernel's bit sets, as arrays of unsigned long in its own order.
template <std::size_t highest>
struct bit_set {
    unsigned long words[highest / long_bits + 1] = {};
    bool has(unsigned bit) const { return (words[bit / long_bits] >> (bit % long_bits)) & 1UL; }
    bool any() const {
        return std::any_of(std::begin(words), std::end(words), [](unsigned long word) { return word != 0; });
    }
};

// More slots than any panel has; a larger count is read no further.
constexpr int most_slots = 64;

}  // namespace

std::optional<input_device> input_device::open(const std::string& path) {
    file_descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    bit_set<EV_MAX> types;
    bit_set<ABS_MAX> axes;
    bit_set<INPUT_PROP_MAX> properties;
    if (::ioctl(fd.get(), EVIOCGBIT(0, sizeof types.words), types.words) < 0) return std::nullopt;
    ::ioctl(fd.get(), EVIOCGBIT(EV_ABS, sizeof axes.words), axes.words);
    ::ioctl(fd.get(), EVIOCGPROP(sizeof properties.words), properties.words);
    if (!(types.has(EV_KEY) || types.has(EV_REL) || types.has(EV_ABS)) || properties.has(INPUT_PROP_ACCELEROMETER))
        return std::nullopt;
    input_device device(path, std::move(fd));
    input_absinfo slot{};
    if (axes.has(ABS_MT_SLOT) && axes.has(ABS_MT_TRACKING_ID) && ::ioctl(device.fd(), EVIOCGABS(ABS_MT_SLOT), &slot) == 0)
        device.contact_slots_ = std::clamp(slot.maximum + 1, 0, most_slots);
    return device;
}

bool input_device::grab() {
    if (!grabbed_) grabbed_ = ::ioctl(fd(), EVIOCGRAB, 1) == 0;
    return grabbed_;
}

void input_device::release() {
    if (grabbed_) ::ioctl(fd(), EVIOCGRAB, 0);
    grabbed_ = false;
}

bool input_device::held() const {
    bit_set<KEY_MAX> down;
    if (::ioctl(fd(), EVIOCGKEY(sizeof down.words), down.words) >= 0 && down.any()) return true;
    if (contact_slots_ == 0) return false;
    // EVIOCGMTSLOTS fills a code followed by one value per slot; -1 is no contact.
    std::int32_t ids[most_slots + 1] = {ABS_MT_TRACKING_ID};
    const std::size_t size = sizeof(std::int32_t) * static_cast<std::size_t>(contact_slots_ + 1);
    if (::ioctl(fd(), EVIOCGMTSLOTS(size), ids) < 0) return false;
    return std::any_of(ids + 1, ids + 1 + contact_slots_, [](std::int32_t id) { return id >= 0; });
}

bool input_device::read(std::vector<input_event>& events) {
    for (;;) {
        input_event batch[64];
        const ssize_t got = ::read(fd(), batch, sizeof batch);
        if (got > 0) {
            events.insert(events.end(), batch, batch + static_cast<std::size_t>(got) / sizeof(input_event));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        // EAGAIN: all read. ENODEV, or an end of file: unplugged.
        return got < 0 && errno == EAGAIN;
    }
}
