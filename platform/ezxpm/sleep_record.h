// The record of the last sleep time, where users and tests can see it.
#ifndef EZXPM_SLEEP_RECORD_H
#define EZXPM_SLEEP_RECORD_H

// Replaces the file named by EZXPM_LCD_SLEEP_FILE, else
// $XDG_RUNTIME_DIR/ezxpm-lcd-sleep-time, with the seconds as one decimal
// line; records nothing when neither names a place.
void record_sleep_time(int seconds);

#endif
