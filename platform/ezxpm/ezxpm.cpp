// Stand-in for the platform's power-management library. It puts to sleep
// whatever display it can drive: a Wayland session through the kit's agent,
// else an X11 server; a device's panel through the kit's power service, else
// the Linux text console; and it records the sleep time in a file where
// users and tests can see it. It never writes to the standard streams: the
// caller owns those.
#include "ezxpm.h"

#include "console_sleep.h"
#include "panel_service_sleep.h"
#include "sleep_record.h"
#include "wayland_session_sleep.h"
#include "x_display_sleep.h"

extern "C" int PM_setupLcdSleepTime(int seconds) {
    record_sleep_time(seconds);
    // Under a Wayland compositor an X server (Xwayland) drives no output.
    if (!hand_to_wayland_session(seconds)) sleep_x_display(seconds);
    // Where the service takes the time, it alone blanks and wakes the panel.
    if (!hand_to_panel_service(seconds)) sleep_console(seconds);
    return 0;
}
