// How far into its output a running ffmpeg is, as ffmpeg itself reports it
// (-progress): the time of the last frame it wrote, which a clock in this
// process could not tell, as ffmpeg takes its time to start and a slow panel
// holds it back. Each report is a block of key=value lines; out_time_us is
// the time written, in microseconds, from 0 at the start of the output.
#ifndef PLAYER_FFMPEG_PROGRESS_H
#define PLAYER_FFMPEG_PROGRESS_H

#include <string>
#include <vector>

#include "file_descriptor.h"

class ffmpeg_progress {
public:
    // A new pipe for the next ffmpeg, the time written back at 0. Its write
    // end is inherited across exec until `started()`; false when no pipe
    // could be made, and then no progress is read.
    bool open();
    // The options that make ffmpeg report to this pipe, put before its
    // other options; none without a pipe.
    std::vector<std::string> options() const;
    // ffmpeg was started, or failed to be: the write end is its alone.
    void started();

    // Readable when reports wait or ffmpeg has ended; -1 once it has.
    int fd() const { return read_end_.get(); }
    // Takes in the reports waiting, without blocking.
    void take();
    // The time ffmpeg has written since it started, in seconds.
    double written() const { return written_; }

private:
    void take_line(const std::string& line);

    file_descriptor read_end_;
    file_descriptor write_end_;
    std::string partial_;
    double written_ = 0;
};

#endif
