#include "x_display_sleep.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "deadline_child.h"
#include "lcd_sleep.h"

namespace {

// Xlib has no connect timeout, and a server may accept a connection and
// never answer: the talk happens in a child that is killed after this.
constexpr std::chrono::milliseconds answer_deadline{1500};

// The core protocol carries the screen-saver timeout as a 16-bit signed value.
constexpr int longest_timeout = 32767;

// A protocol error (say, a server that refuses one setting) must not end the
// talk, and Xlib's default handlers would print.
int ignore_protocol_error(Display*, XErrorEvent*) { return 0; }

// Xlib exits the process when this returns; the child leaves quietly itself.
int leave_on_lost_connection(Display*) { ::_exit(0); }

bool has_dpms(Display* display) {
    int event_base, error_base;
    // DPMSCapable alone would have Xlib report a missing extension.
    return DPMSQueryExtension(display, &event_base, &error_base) && DPMSCapable(display);
}

void apply(Display* display, lcd_sleep sleep, int seconds) {
    // Sleeping now leaves no timer behind: once woken the display stays lit.
    const int idle = sleep == lcd_sleep::after_idle ? std::min(seconds, longest_timeout) : 0;
    int timeout, interval, prefer_blanking, allow_exposures;
    XGetScreenSaver(display, &timeout, &interval, &prefer_blanking, &allow_exposures);
    XSetScreenSaver(display, idle, interval, prefer_blanking, allow_exposures);
    if (has_dpms(display)) {
        DPMSSetTimeouts(display, 0, 0, static_cast<CARD16>(idle));
        // Forcing a level needs DPMS enabled; with no timeouts it never acts alone.
        if (sleep == lcd_sleep::never)
            DPMSDisable(display);
        else
            DPMSEnable(display);
        if (sleep == lcd_sleep::now) DPMSForceLevel(display, DPMSModeOff);
    }
    if (sleep == lcd_sleep::now) XForceScreenSaver(display, ScreenSaverActive);
    XSync(display, False);
}

void talk_to_server(lcd_sleep sleep, int seconds) {
    XSetErrorHandler(ignore_protocol_error);
    XSetIOErrorHandler(leave_on_lost_connection);
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    apply(display, sleep, seconds);
    XCloseDisplay(display);
}

}  // namespace

void sleep_x_display(int seconds) {
    const lcd_sleep sleep = lcd_sleep_for(seconds);
    const char* name = std::getenv("DISPLAY");
    if (sleep == lcd_sleep::unknown || !name || !*name) return;
    // The handlers above are set in the child only, so the caller's stay as they were.
    run_with_deadline([&] { talk_to_server(sleep, seconds); }, answer_deadline);
}
