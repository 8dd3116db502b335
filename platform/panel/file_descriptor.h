// An open file descriptor that closes itself, and a write that does not stop
// half-way on a signal. Failures are the caller's to handle or ignore: the
// power-management library, for one, never reports anything.
#ifndef PANEL_FILE_DESCRIPTOR_H
#define PANEL_FILE_DESCRIPTOR_H

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <utility>

class file_descriptor {
public:
    explicit file_descriptor(int fd = -1) : fd_(fd) {}
    ~file_descriptor() { close(); }
    file_descriptor(const file_descriptor&) = delete;
    file_descriptor& operator=(const file_descriptor&) = delete;
    file_descriptor(file_descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    file_descriptor& operator=(file_descriptor&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    int get() const { return fd_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Writes every byte unless the descriptor refuses; a terminal that would
// block (O_NONBLOCK) ends the write rather than holding the caller. True when
// every byte went out.
inline bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

#endif
