#include "ffmpeg_progress.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

bool ffmpeg_progress::open() {
    read_end_.close();
    write_end_.close();
    partial_.clear();
    written_ = 0;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return false;
    read_end_ = file_descriptor(ends[0]);
    write_end_ = file_descriptor(ends[1]);
    // The write end alone crosses into ffmpeg; reading never blocks the
    // helper's loop.
    if (::fcntl(read_end_.get(), F_SETFL, O_NONBLOCK) != 0 || ::fcntl(write_end_.get(), F_SETFD, 0) != 0) {
        read_end_.close();
        write_end_.close();
        return false;
    }
    return true;
}

std::vector<std::string> ffmpeg_progress::options() const {
    if (write_end_.get() < 0) return {};
    return {"-progress", "pipe:" + std::to_string(write_end_.get())};
}

void ffmpeg_progress::started() {
    write_end_.close();
}

void ffmpeg_progress::take() {
    char chunk[512];
    for (;;) {
        const ssize_t got = ::read(read_end_.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return;  // EAGAIN: all read for now
        if (got == 0) {
            // ffmpeg has ended; a last line without its newline still counts.
            take_line(partial_);
            partial_.clear();
            read_end_.close();
            return;
        }
        partial_.append(chunk, static_cast<std::size_t>(got));
        for (std::size_t end; (end = partial_.find('\n')) != std::string::npos;) {
            take_line(partial_.substr(0, end));
            partial_.erase(0, end + 1);
        }
        // A line longer than any report is no report.
        if (partial_.size() > 256) partial_.clear();
    }
}

void ffmpeg_progress::take_line(const std::string& line) {
    static const std::string key = "out_time_us=";
    if (line.compare(0, key.size(), key) != 0) return;
    const char* digits = line.c_str() + key.size();
    char* end = nullptr;
    errno = 0;
    const long long microseconds = std::strtoll(digits, &end, 10);
    // "N/A" before the first frame, and nothing negative, moves nothing.
    if (end == digits || *end != '\0' || errno != 0 || microseconds < 0) return;
    written_ = static_cast<double>(microseconds) / 1e6;
}
