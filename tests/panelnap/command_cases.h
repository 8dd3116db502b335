// Texts of the panelnap command, shared by the tests of its logic and of the
// real binary.
#ifndef PANELNAP_COMMAND_CASES_H
#define PANELNAP_COMMAND_CASES_H

#include <string>

inline const std::string usage_text =
    "USAGE:panelnap [n] [-r]\n"
    "      n:sleep time in seconds:0=never sleep;1~10=sleep now,when wakeup like 0;other=seconds\n"
    "      -r:restore system setting\n"
    "\n"
    "      " + std::string(41, ':') + "\n"
    "      (   -" + std::string(15, '_') + "-)~  sooooo weak.....\n";

inline std::string seconds_message(int seconds) {
    return "set lcd sleep time to " + std::to_string(seconds) + " seconds.\n";
}

#endif
