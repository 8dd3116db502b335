// The panelnap command: sets how long the LCD stays lit before it sleeps.
#ifndef PANELNAP_SLEEP_COMMAND_H
#define PANELNAP_SLEEP_COMMAND_H

// Runs the command on its arguments; the restore switch reads the profile at
// profile_path. Returns the exit status, which is always 0.
int run_sleep_command(int argc, const char* const* argv, const char* profile_path);

#endif
