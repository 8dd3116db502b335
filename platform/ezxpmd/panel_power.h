// The panel's light, through sysfs: every backlight's power (bl_power) and
// every framebuffer's blank state, the kernel's FBIOBLANK. A panel driven
// through DRM without a framebuffer has no power state that anyone but the
// program drawing on it may change (only the DRM master sets a connector's
// DPMS), so there only its backlight goes dark.
#ifndef EZXPMD_PANEL_POWER_H
#define EZXPMD_PANEL_POWER_H

#include <string>

class panel_power {
public:
    // sysfs: where sysfs is mounted, /sys on a device.
    explicit panel_power(std::string sysfs) : sysfs_(std::move(sysfs)) {}

    // Backlights off (bl_power 4), then framebuffers blanked to power-down
    // (4). Every write is tried; true when every one succeeded.
    bool dark();
    // Framebuffers unblanked (0), then backlights on (0), so that the light
    // comes on over the picture. Every write is tried; true when every one
    // succeeded.
    bool light();

private:
    bool write_each(const std::string& class_dir, bool (*wanted)(const char*), const char* attribute, int value);
    bool finish(bool written);

    std::string sysfs_;
    bool failing_ = false;  // a failure was told, and none is told again until the writes succeed
};

#endif
