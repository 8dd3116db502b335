// Access to the platform's system settings profile.
#ifndef PANELNAP_PROFILE_H
#define PANELNAP_PROFILE_H

#include <cstdint>

// Parameter block of the platform's settings calls: 128 words.
struct _para {
    std::uint32_t word[128];
};

// The code stored under LcdSleepTime in the profile at path, or -1 when the
// profile cannot be opened or read, has no such line or a malformed one.
// Reports trouble on the standard streams itself.
int load_system_setting_lcd_sleep_time(const char* path);

// The profile belongs to the platform: this writes nothing and returns 1.
int set_system_setting_lcd_sleep_time(int code);

// Diagnostic print of a parameter block on standard output.
void dump(_para* block);

#endif
