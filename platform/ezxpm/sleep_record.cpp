#include "sleep_record.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "file_descriptor.h"

namespace {

const char* non_empty_env(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Empty when neither variable names a place.
std::string record_path() {
    if (const char* file = non_empty_env("EZXPM_LCD_SLEEP_FILE")) return file;
    if (const char* dir = non_empty_env("XDG_RUNTIME_DIR")) return std::string(dir) + "/ezxpm-lcd-sleep-time";
    return {};
}

}  // namespace

void record_sleep_time(int seconds) {
    const std::string path = record_path();
    if (path.empty()) return;
    // O_NOFOLLOW: a symlink planted at the record path must not redirect the write.
    file_descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() < 0) return;
    char line[16];
    const int length = std::snprintf(line, sizeof line, "%d\n", seconds);
    write_all(fd.get(), line, static_cast<std::size_t>(length));
}
