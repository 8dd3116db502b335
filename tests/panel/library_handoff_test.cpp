// The power-management library hands the sleep time to the power service:
// only a service that takes it keeps the library off the console, and no
// service, or one that never answers, costs the caller no more than a moment.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ezxpm.h"
#include "fake_panel_service.h"
#include "panel_service_sleep.h"
#include "test_support.h"

namespace {

// The fake's log once the client has closed its connection.
std::vector<std::string> log_once_closed(fake_panel_service& service) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::vector<std::string> log = service.log();
    while ((log.empty() || log.back() != "closed") && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = service.log();
    }
    return log;
}

TEST(LibraryHandOff, OnlyATakenTimeCounts) {
    for (const auto& [reply, taken] : std::vector<std::pair<std::string, bool>>{
             {"taken", true}, {"desktop", false}, {"refused", false}, {"taken, or not", false}}) {
        fake_panel_service service(reply);
        EXPECT_EQ(hand_to_panel_service(45), taken) << reply;
        EXPECT_EQ(log_once_closed(service), (std::vector<std::string>{"sleep 45", "closed"}));
    }
    // The library's own entry point: the record stays as it was.
    temp_dir dir;
    ::setenv("EZXPM_LCD_SLEEP_FILE", (dir.path() + "/record").c_str(), 1);
    fake_panel_service service("taken");
    EXPECT_EQ(PM_setupLcdSleepTime(10), 0);
    ::unsetenv("EZXPM_LCD_SLEEP_FILE");
    EXPECT_EQ(log_once_closed(service), (std::vector<std::string>{"sleep 10", "closed"}));
    std::string record;
    std::getline(std::ifstream(dir.path() + "/record"), record);
    EXPECT_EQ(record, "10");
}

double seconds_to_hand(int seconds) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(hand_to_panel_service(seconds));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(LibraryHandOff, NoServiceOrASilentOneCostsNoMoreThanAMoment) {
    temp_dir dir;
    ::setenv("EZXPMD_SOCKET", (dir.path() + "/no-such-socket").c_str(), 1);
    EXPECT_LT(seconds_to_hand(45), 0.5);
    ::setenv("EZXPMD_SOCKET", dir.write("not-a-socket", "").c_str(), 1);
    EXPECT_LT(seconds_to_hand(45), 0.5);
    ::unsetenv("EZXPMD_SOCKET");
    fake_panel_service silent(std::nullopt);
    EXPECT_LT(seconds_to_hand(45), 3.0);
    EXPECT_EQ(log_once_closed(silent), (std::vector<std::string>{"sleep 45", "closed"}));
}

}  // namespace
