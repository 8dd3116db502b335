// Desktop stand-in for the platform's power-management library. There is no
// LCD to put to sleep here, so the sleep time is recorded in a file where
// users and tests can see it. It never writes to the standard streams: the
// caller owns those.
#include "ezxpm.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class file_descriptor {
public:
    explicit file_descriptor(int fd) : fd_(fd) {}
    ~file_descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    file_descriptor(const file_descriptor&) = delete;
    file_descriptor& operator=(const file_descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

const char* non_empty_env(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Empty when neither variable names a place: then nothing is recorded.
std::string record_path() {
    if (const char* file = non_empty_env("EZXPM_LCD_SLEEP_FILE")) return file;
    if (const char* dir = non_empty_env("XDG_RUNTIME_DIR")) return std::string(dir) + "/ezxpm-lcd-sleep-time";
    return {};
}

void write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

}  // namespace

extern "C" int PM_setupLcdSleepTime(int seconds) {
    const std::string path = record_path();
    if (path.empty()) return 0;
    // O_NOFOLLOW: a symlink planted at the record path must not redirect the write.
    file_descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() < 0) return 0;
    char line[16];
    const int length = std::snprintf(line, sizeof line, "%d\n", seconds);
    write_all(fd.get(), line, static_cast<size_t>(length));
    return 0;
}
