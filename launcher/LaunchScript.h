#ifndef LAUNCHSCRIPT_H
#define LAUNCHSCRIPT_H

#include <QString>

// The playback options the player is started with.
struct PlaybackOptions
{
    bool sound;
    bool fps;
    bool hi;
};

// The player's command line for `path`: the path double-quoted, with the
// characters the shell still interprets inside double quotes escaped, then
// " -nosound", " -dfr" and " -hi" as the options ask, always in that order.
QString playerCommandLine(const QString& path, const PlaybackOptions& options);

// Writes `commandLine` as the launch script "exec" in the working directory
// and makes it executable. False when the script could not be fully written,
// so that no stale script is ever run.
bool writeLaunchScript(const QString& commandLine);

// Runs the launch script through the shell and waits until it has finished.
void runLaunchScript();

#endif
