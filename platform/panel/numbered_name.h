// Names the kernel gives to devices of one kind: a prefix and a number, such
// as event3 in /dev/input or fb0 in /sys/class/graphics.
#ifndef PANEL_NUMBERED_NAME_H
#define PANEL_NUMBERED_NAME_H

#include <algorithm>
#include <cstring>

inline bool is_numbered_name(const char* name, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (std::strncmp(name, prefix, length) != 0 || name[length] == '\0') return false;
    const char* digits = name + length;
    return std::all_of(digits, digits + std::strlen(digits), [](char c) { return c >= '0' && c <= '9'; });
}

#endif
