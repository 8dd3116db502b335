#include "sleep_command.h"

#include <cstdio>

#include "ezxpm.h"
#include "number.h"
#include "profile.h"

namespace {

const char usage_text[] =
    "USAGE:panelnap [n] [-r]\n"
    "      n:sleep time in seconds:0=never sleep;1~10=sleep now,when wakeup like 0;other=seconds\n"
    "      -r:restore system setting\n"
    "\n"
    "      :::::::::::::::::::::::::::::::::::::::::\n"
    "      (   -_______________-)~  sooooo weak.....\n";

constexpr int default_seconds = 30;

int seconds_for_stored_code(int code) {
    switch (code) {
    case 1: return 60;
    case 2: return 300;
    case 3: return 600;
    default: return default_seconds;
    }
}

// 1 to 10 all mean "sleep now"; the platform knows that as 10.
int normalised(int seconds) {
    return seconds >= 1 && seconds <= 10 ? 10 : seconds;
}

void announce(int seconds) {
    if (seconds == 0)
        std::printf("now the lcd never sleep.\n");
    else if (seconds == 10)
        std::printf("the lcd sleep now.\n");
    else
        std::printf("set lcd sleep time to %d seconds.\n", seconds);
}

}  // namespace

int run_sleep_command(int argc, const char* const* argv, const char* profile_path) {
    if (argc == 1) {
        std::printf("%s", usage_text);
        return 0;
    }
    int seconds = default_seconds;
    bool restore = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] == '-')
            restore = argument[1] == 'r';
        else if (argument[0] >= '0' && argument[0] <= '9')
            seconds = to_int_saturating(argument);
    }
    if (restore) seconds = seconds_for_stored_code(load_system_setting_lcd_sleep_time(profile_path));
    seconds = normalised(seconds);
    announce(seconds);
    // The message must be out before the platform acts on the display.
    std::fflush(stdout);
    PM_setupLcdSleepTime(seconds);
    return 0;
}
