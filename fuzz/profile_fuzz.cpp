// libFuzzer target for panelnap's profile handling: each input is read as a
// profile file by the command's own reader, and scanned as one line with the
// reader's sequence of scanner operations.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "number.h"
#include "profile.h"
#include "scanner.h"

namespace {

std::string profile_path;

void remove_profile_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(profile_path).parent_path(), ignored);
}

void write_profile(const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(profile_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0) std::abort();
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    ::close(fd);
}

void scan_like_the_reader(const char* line) {
    scanner scan(line);
    if (scan.getToken(scanner::spacechar).empty()) return;
    scan.goUntil('=');
    try {
        scan.getChar();
    } catch (const std::logic_error&) {
        return;
    }
    to_int_saturating(scan.getToken(scanner::spacechar).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader reports on standard output; libFuzzer and the sanitizers use
    // standard error, which stays open.
    const int null_fd = ::open("/dev/null", O_WRONLY);
    if (null_fd < 0 || ::dup2(null_fd, STDOUT_FILENO) < 0) std::abort();
    ::close(null_fd);

    std::string dir = (std::filesystem::temp_directory_path() / "panelnap-fuzz-XXXXXX").string();
    if (!::mkdtemp(dir.data())) std::abort();
    profile_path = dir + "/ezx_system.cfg";
    std::atexit(remove_profile_dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    write_profile(data, size);
    load_system_setting_lcd_sleep_time(profile_path.c_str());

    const std::string text(reinterpret_cast<const char*>(data), size);
    scan_like_the_reader(text.c_str());
    return 0;
}
