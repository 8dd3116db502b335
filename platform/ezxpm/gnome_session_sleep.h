// The sleep time in a GNOME session, which blanks its screens itself: its
// idle time, org.gnome.desktop.session idle-delay (seconds, 0 never), set
// with gsettings. GNOME blanks at once only through its screen saver, which
// locks the screen unless the user turned locking off; so 10 blanks now only
// where org.gnome.desktop.screensaver lock-enabled is false.
#ifndef EZXPM_GNOME_SESSION_SLEEP_H
#define EZXPM_GNOME_SESSION_SLEEP_H

// Whether XDG_CURRENT_DESKTOP names GNOME among its desktops.
bool gnome_desktop();

// Applies the sleep time through gsettings (and gdbus for 10), found on
// PATH, in a child that is killed after a second: never prints, never holds
// the caller longer.
void sleep_gnome_session(int seconds);

#endif
