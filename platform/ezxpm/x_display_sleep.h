// The sleep time on an X11 display: the server's screen saver, and the
// monitor's power levels where the server has DPMS.
#ifndef EZXPM_X_DISPLAY_SLEEP_H
#define EZXPM_X_DISPLAY_SLEEP_H

// Applies the sleep time to the display named by DISPLAY, if it answers.
// Never prints, and never holds the caller for more than a moment or two.
void sleep_x_display(int seconds);

#endif
