// ffmpeg writing a clip to the framebuffer, at the clip's own pace. It has
// no controls of its own while it plays: a pause stops the process
// (SIGSTOP), and a resume or a seek of 10 s starts it again at the position
// (-ss), since its pacing (-re) would race through the time it stood still
// once it went on. Its volume stays as it is. The position is where it was
// started plus the time ffmpeg reports it has written; it is kept in a
// resume file, as a line start=<seconds>, when the clip did not play to its
// end, and the file removed when it did.
#ifndef PLAYER_FFMPEG_PLAYER_H
#define PLAYER_FFMPEG_PLAYER_H

#include <string>

#include "clip_player.h"
#include "ffmpeg_progress.h"

class ffmpeg_player : public clip_player {
public:
    // `resume_file` empty: no position is kept.
    ffmpeg_player(launcher launch, std::vector<std::string> command, double from, std::string resume_file);

    pid_t start() override;
    pid_t act(clip_action action, pid_t player) override;
    void stop(pid_t player) override;
    int report_fd() const override { return progress_.fd(); }
    void take_reports() override { progress_.take(); }
    void ended(bool stopped, int status) override;

private:
    pid_t start_at(double from);
    pid_t restart_at(pid_t player, double from);
    double position() const { return from_ + progress_.written(); }

    double from_;
    bool paused_ = false;
    double paused_at_ = 0;
    ffmpeg_progress progress_;
    std::string resume_file_;
};

#endif
