#include "deadline_child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "file_descriptor.h"
#include "poll_set.h"

namespace {

using clock_type = std::chrono::steady_clock;

// The child must never reach the caller's streams. Without /dev/null it does
// nothing: a closed 1 or 2 would be taken by the next descriptor it opens.
bool silence_standard_streams() {
    file_descriptor null(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    return null.get() >= 0 && ::dup2(null.get(), STDOUT_FILENO) >= 0 && ::dup2(null.get(), STDERR_FILENO) >= 0;
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
        // A process group of its own, so that programs the work runs die with it.
        ::setpgid(0, 0);
        // _exit: the caller's atexit handlers and stdio buffers are not the child's to run.
        if (silence_standard_streams()) work();
        ::_exit(0);
    }
    // Made here as well as in the child, so that it is there before any kill.
    ::setpgid(child, child);
    write_end.close();
    // The child holds the pipe's write end until it exits. Killed only while
    // it still holds it, that is while it runs, so the id cannot belong to
    // another process yet.
    if (!readable_before(read_end.get(), end_by)) {
        ::kill(-child, SIGKILL);
        ::kill(child, SIGKILL);
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}
