#include "evdev_directory.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <climits>
#include <cstdint>

#include "directory_entries.h"
#include "evdev_device.h"
#include "numbered_name.h"

namespace {

// A node is made (IN_CREATE) before its permissions are set (IN_ATTRIB);
// IN_DELETE_SELF and IN_MOVE_SELF end the watch (IN_IGNORED follows).
constexpr std::uint32_t directory_events = IN_CREATE | IN_ATTRIB | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr std::uint32_t parent_events = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;

std::string parent_of(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

evdev_directory::evdev_directory(std::string directory)
    : directory_(std::move(directory)), parent_(parent_of(directory_)),
      inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    watch_directory();
}

void evdev_directory::watch_directory() {
    if (inotify_.get() < 0 || directory_watch_ >= 0) return;
    // The parent first: a directory made between the two calls is then seen.
    if (parent_watch_ < 0) parent_watch_ = ::inotify_add_watch(inotify_.get(), parent_.c_str(), parent_events);
    directory_watch_ = ::inotify_add_watch(inotify_.get(), directory_.c_str(), directory_events | IN_ONLYDIR);
    if (directory_watch_ >= 0 && parent_watch_ >= 0) {
        ::inotify_rm_watch(inotify_.get(), parent_watch_);
        parent_watch_ = -1;
    }
}

void evdev_directory::take_notices() {
    alignas(inotify_event) char buffer[sizeof(inotify_event) + NAME_MAX + 1];
    for (;;) {
        const ssize_t got = ::read(inotify_.get(), buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) continue;
            return;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* notice = reinterpret_cast<const inotify_event*>(buffer + at);
            if (notice->mask & IN_IGNORED) {
                if (notice->wd == directory_watch_) directory_watch_ = -1;
                if (notice->wd == parent_watch_) parent_watch_ = -1;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + notice->len);
        }
    }
}

std::vector<std::unique_ptr<input_device>> evdev_directory::open_new(
    const std::function<bool(const std::string&)>& is_open) {
    take_notices();
    watch_directory();
    std::vector<std::unique_ptr<input_device>> opened;
    for (const std::string& name : directory_entries(directory_)) {
        if (!is_numbered_name(name.c_str(), "event")) continue;
        const std::string path = directory_ + "/" + name;
        if (is_open(path)) continue;
        if (std::unique_ptr<input_device> device = open_evdev_device(path)) opened.push_back(std::move(device));
    }
    return opened;
}
