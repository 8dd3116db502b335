#include "scanner.h"

#include <cstdarg>
#include <cstdio>

std::string format(const char* fmt, ...) {
    // vsnprintf cuts longer output at 1023 characters instead of overrunning.
    char buffer[1024];
    va_list args;
    va_start(args, fmt);
    const int length = std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return length < 0 ? std::string() : std::string(buffer);
}
