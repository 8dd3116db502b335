#include "ffmpeg_player.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "file_descriptor.h"

namespace {

constexpr double seek_step = 10;

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

}  // namespace

ffmpeg_player::ffmpeg_player(launcher launch, std::vector<std::string> command, double from,
                             std::string resume_file)
    : clip_player(std::move(launch), std::move(command)),
      from_(from),
      resume_file_(std::move(resume_file)) {}

pid_t ffmpeg_player::start() {
    return start_at(from_);
}

pid_t ffmpeg_player::start_at(double from) {
    from_ = std::max(0.0, from);
    paused_ = false;
    progress_.open();
    std::vector<std::string> options = progress_.options();
    // As an option before the input, -ss seeks in the input.
    if (from_ > 0) options.insert(options.end(), {"-ss", seconds_text(from_)});
    const pid_t player = launch_(command_with(options));
    progress_.started();
    return player;
}

pid_t ffmpeg_player::restart_at(pid_t player, double from) {
    // A stopped process ends on SIGKILL too.
    ::kill(player, SIGKILL);
    while (::waitpid(player, nullptr, 0) < 0 && errno == EINTR) {
    }
    return start_at(from);
}

pid_t ffmpeg_player::act(clip_action action, pid_t player) {
    progress_.take();
    const double now = position();
    switch (action) {
    case clip_action::toggle_pause:
        if (paused_) return restart_at(player, now);
        ::kill(player, SIGSTOP);
        paused_ = true;
        paused_at_ = now;
        return player;
    case clip_action::seek_back:
        return restart_at(player, now - seek_step);
    case clip_action::seek_forward:
        return restart_at(player, now + seek_step);
    default:
        return player;
    }
}

void ffmpeg_player::stop(pid_t player) {
    clip_player::stop(player);
    // A paused ffmpeg takes the request once it runs again.
    if (paused_) ::kill(player, SIGCONT);
}

void ffmpeg_player::ended(bool stopped, int status) {
    if (resume_file_.empty()) return;
    const bool played_to_end = !stopped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (played_to_end) {
        ::unlink(resume_file_.c_str());
        return;
    }
    // Stopped while paused, it is where it was paused, whatever it wrote as
    // it ran again to end; else where its last reports, given as it ended, say.
    progress_.take();
    const std::string line = "start=" + seconds_text(paused_ ? paused_at_ : position()) + "\n";
    const file_descriptor fd(::open(resume_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0 || !write_all(fd.get(), line.data(), line.size()))
        std::fprintf(stderr, "zorvid-panel: cannot keep the position in %s\n", resume_file_.c_str());
}
