#include "number.h"

#include <climits>
#include <cstdlib>

int to_int_saturating(const char* text) {
    // strtol already saturates at LONG_MAX/LONG_MIN; narrowing to int saturates again.
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}
