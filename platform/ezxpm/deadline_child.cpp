#include "deadline_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "file_descriptor.h"

namespace {

using clock_type = std::chrono::steady_clock;

// The child must never reach the caller's streams. Without /dev/null it does
// nothing: a closed 1 or 2 would be taken by the next descriptor it opens.
bool silence_standard_streams() {
    file_descriptor null(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    return null.get() >= 0 && ::dup2(null.get(), STDOUT_FILENO) >= 0 && ::dup2(null.get(), STDERR_FILENO) >= 0;
}

// True once the child has closed its end of the pipe, which it holds until
// it exits; false when the deadline passes first.
bool child_ended(int pipe_read_end, clock_type::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now());
        if (left.count() <= 0) return false;
        pollfd end{pipe_read_end, POLLIN, 0};
        const int ready = ::poll(&end, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

}  // namespace

void run_with_deadline(const std::function<void()>& work, std::chrono::milliseconds deadline) {
    const clock_type::time_point end_by = clock_type::now() + deadline;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return;
    file_descriptor read_end(ends[0]), write_end(ends[1]);
    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        // _exit: the caller's atexit handlers and stdio buffers are not the child's to run.
        if (silence_standard_streams()) work();
        ::_exit(0);
    }
    write_end.close();
    // Killed only while it still holds the pipe, that is while it runs, so the
    // id cannot belong to another process yet.
    if (!child_ended(read_end.get(), end_by)) ::kill(child, SIGKILL);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}
