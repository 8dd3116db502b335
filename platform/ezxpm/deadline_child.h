// Work that may block for ever, such as talking to a display server that
// accepted the connection and never answers, done in a child process that
// is killed when its time is up.
#ifndef EZXPM_DEADLINE_CHILD_H
#define EZXPM_DEADLINE_CHILD_H

#include <chrono>
#include <functional>

// Runs work in a forked child whose standard output and error lead to
// /dev/null, and returns when it has ended or, at the latest, after the
// deadline, having killed it and the programs it started (its process
// group). The child is always reaped.
void run_with_deadline(const std::function<void()>& work, std::chrono::milliseconds deadline);

#endif
