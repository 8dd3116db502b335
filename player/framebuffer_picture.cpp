#include "framebuffer_picture.h"

#include <fcntl.h>
#include <unistd.h>

#include "file_descriptor.h"

namespace {

// More than any panel's memory; a larger device is not kept whole.
constexpr std::size_t largest_picture = std::size_t(64) << 20;

}  // namespace

framebuffer_picture::framebuffer_picture(std::string device) : device_(std::move(device)) {
    file_descriptor fd(::open(device_.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return;
    // A framebuffer reads as its memory, then as the end of a file.
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || bytes_.size() + static_cast<std::size_t>(got) > largest_picture) break;
        bytes_.insert(bytes_.end(), chunk, chunk + got);
    }
}

void framebuffer_picture::put_back() const {
    if (bytes_.empty()) return;
    file_descriptor fd(::open(device_.c_str(), O_WRONLY | O_CLOEXEC));
    if (fd.get() >= 0) write_all(fd.get(), bytes_.data(), bytes_.size());
}
