// The sleep time on the Linux text console: the kernel's blank timer.
#ifndef EZXPM_CONSOLE_SLEEP_H
#define EZXPM_CONSOLE_SLEEP_H

#include <string>

// The console's own escape sequence that sets its blank timer for the sleep
// time: whole minutes, rounded up, at most 60 (the kernel's limit); "never"
// for 0 and for sleeping now, which leaves no timer behind.
std::string blank_timer_sequence(int seconds);

// Applies the sleep time when the process's controlling terminal is a
// virtual console in text mode and the process is in its foreground: any
// other terminal gets no byte. Sleeping now blanks at once; every other time
// also wakes a console blanked that way, which keys do not.
void sleep_console(int seconds);

#endif
