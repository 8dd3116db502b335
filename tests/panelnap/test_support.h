// Helpers for the panelnap tests: temporary directories and files, capture
// of the standard streams, runs of a program, and a recorder of the
// power-management calls.
#ifndef PANELNAP_TEST_SUPPORT_H
#define PANELNAP_TEST_SUPPORT_H

#include <functional>
#include <string>
#include <vector>

class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::string& path() const { return path_; }
    // Writes bytes (NULs included) to a file in the directory; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

struct output {
    std::string out;
    std::string err;
};

// Runs action with file descriptors 1 and 2 sent to temporary files.
output capture_output(const std::function<void()>& action);

struct program_run {
    int exit_status;
    output streams;
};

// Runs the program with the arguments (argv[0] is added) and waits for it.
// With stdout_file, the program's standard output goes there instead of
// into the result.
program_run run_program(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& stdout_file = "");

// Points EZXPM_LCD_SLEEP_FILE at a FIFO held open for reading, so that every
// PM_setupLcdSleepTime call of this process or its children adds one line.
class call_recorder {
public:
    call_recorder();
    ~call_recorder();
    call_recorder(const call_recorder&) = delete;
    call_recorder& operator=(const call_recorder&) = delete;

    // The lines recorded since the last call, each a call's seconds.
    std::vector<std::string> calls();
    const std::string& fifo() const { return fifo_; }

private:
    temp_dir dir_;
    std::string fifo_;
    int read_fd_;
};

#endif
