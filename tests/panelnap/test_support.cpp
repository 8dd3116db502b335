#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void require(bool condition, const char* what) {
    if (!condition) throw std::runtime_error(what);
}

}  // namespace

temp_dir::temp_dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "panelnap-test-XXXXXX").string();
    require(::mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
    path_ = pattern;
}

temp_dir::~temp_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string temp_dir::write(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "/" + name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    require(out.good(), "cannot write temporary file");
    return file;
}

output capture_output(const std::function<void()>& action) {
    temp_dir dir;
    const std::string out_path = dir.path() + "/out", err_path = dir.path() + "/err";
    std::fflush(stdout);
    std::fflush(stderr);
    const int saved_out = ::dup(1), saved_err = ::dup(2);
    const int out_fd = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err_fd = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    require(saved_out >= 0 && saved_err >= 0 && out_fd >= 0 && err_fd >= 0, "cannot redirect output");
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    ::close(out_fd);
    ::close(err_fd);
    auto restore = [&] {
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(saved_out, 1);
        ::dup2(saved_err, 2);
        ::close(saved_out);
        ::close(saved_err);
    };
    try {
        action();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return {read_file(out_path), read_file(err_path)};
}

program_run run_program(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& stdout_file) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int status = -1;
    output streams = capture_output([&] {
        const pid_t child = ::fork();
        require(child >= 0, "fork failed");
        if (child == 0) {
            if (!stdout_file.empty()) {
                const int fd = ::open(stdout_file.c_str(), O_WRONLY | O_CLOEXEC);
                if (fd < 0 || ::dup2(fd, 1) < 0) ::_exit(127);
            }
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        require(::waitpid(child, &status, 0) == child, "waitpid failed");
    });
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, streams};
}

call_recorder::call_recorder() {
    fifo_ = dir_.path() + "/lcd-sleep-time";
    require(::mkfifo(fifo_.c_str(), 0600) == 0, "mkfifo failed");
    // Non-blocking: opening needs no writer, and reading stops when the pipe is drained.
    read_fd_ = ::open(fifo_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    require(read_fd_ >= 0, "cannot open FIFO");
    ::setenv("EZXPM_LCD_SLEEP_FILE", fifo_.c_str(), 1);
}

call_recorder::~call_recorder() {
    ::unsetenv("EZXPM_LCD_SLEEP_FILE");
    ::close(read_fd_);
}

std::vector<std::string> call_recorder::calls() {
    std::string bytes;
    char chunk[256];
    ssize_t got;
    while ((got = ::read(read_fd_, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(got));
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
