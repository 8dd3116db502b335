// An open file descriptor that closes itself, and a write that does not stop
// half-way on a signal. Failures are the caller's to ignore: the library
// never reports anything.
#ifndef EZXPM_FILE_DESCRIPTOR_H
#define EZXPM_FILE_DESCRIPTOR_H

#include <unistd.h>

#include <cerrno>
#include <cstddef>

class file_descriptor {
public:
    explicit file_descriptor(int fd = -1) : fd_(fd) {}
    ~file_descriptor() { close(); }
    file_descriptor(const file_descriptor&) = delete;
    file_descriptor& operator=(const file_descriptor&) = delete;

    int get() const { return fd_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Writes every byte unless the descriptor refuses; a terminal that would
// block (O_NONBLOCK) ends the write rather than holding the caller.
inline void write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

#endif
