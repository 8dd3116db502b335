#include "console_sleep.h"

#include <fcntl.h>
#include <linux/kd.h>
#include <linux/tiocl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "file_descriptor.h"
#include "lcd_sleep.h"

namespace {

constexpr int longest_blank_minutes = 60;

// KDGETMODE answers on virtual consoles only; a console in graphics mode
// (X, or Qt on linuxfb) is never blanked by the kernel, so it is left alone.
// A background job stays off the terminal, where a write could stop it.
bool is_foreground_text_console(int tty) {
    int mode = 0;
    return ::ioctl(tty, KDGETMODE, &mode) == 0 && mode == KD_TEXT && ::tcgetpgrp(tty) == ::getpgrp();
}

}  // namespace

std::string blank_timer_sequence(int seconds) {
    int minutes = 0;
    if (lcd_sleep_for(seconds) == lcd_sleep::after_idle)
        minutes = std::min(seconds / 60 + (seconds % 60 != 0), longest_blank_minutes);
    return "\033[9;" + std::to_string(minutes) + "]";
}

void sleep_console(int seconds) {
    const lcd_sleep sleep = lcd_sleep_for(seconds);
    if (sleep == lcd_sleep::unknown) return;
    // The terminal itself rather than standard output, which may be redirected.
    file_descriptor tty(::open("/dev/tty", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (tty.get() < 0 || !is_foreground_text_console(tty.get())) return;
    const std::string sequence = blank_timer_sequence(seconds);
    write_all(tty.get(), sequence.data(), sequence.size());
    // The kernel's "blank now" ignores keys until it is explicitly undone.
    char request = sleep == lcd_sleep::now ? TIOCL_BLANKSCREEN : TIOCL_UNBLANKSCREEN;
    ::ioctl(tty.get(), TIOCLINUX, &request);
}
