// The sleep time on a device's panel: handed to the kit's power service,
// ezxpmd, which then alone puts the panel to sleep and wakes it.
#ifndef EZXPM_PANEL_SERVICE_SLEEP_H
#define EZXPM_PANEL_SERVICE_SLEEP_H

// True when the service took the time; false when no service answers, it
// refuses this caller, or it leaves the display to a desktop session. With
// no service running this fails at once; a service that does not answer
// holds the caller one second at most.
bool hand_to_panel_service(int seconds);

#endif
