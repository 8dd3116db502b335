// Power-management interface of the phone platform, as the tools call it.
// C linkage so that a device's own libezxpm-xscale-r.so can replace this
// library without relinking its callers.
#ifndef EZXPM_H
#define EZXPM_H

#ifdef __cplusplus
extern "C" {
#endif

// Sets how many seconds the LCD stays lit before it sleeps. The result is
// always 0 and carries no meaning.
__attribute__((visibility("default"))) int PM_setupLcdSleepTime(int seconds);

#ifdef __cplusplus
}
#endif

#endif
