// Waits for what a program does at its own pace.
#ifndef PANEL_TESTS_WITHIN_TEN_SECONDS_H
#define PANEL_TESTS_WITHIN_TEN_SECONDS_H

#include <chrono>
#include <thread>

// Whether condition() holds, waiting for it up to ten seconds.
template <typename Condition>
bool within_ten_seconds(Condition condition) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

#endif
