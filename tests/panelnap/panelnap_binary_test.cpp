// Runs of the built panelnap program itself, as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "command_cases.h"
#include "test_support.h"

namespace {

const std::string system_profile = "/ezxlocal/download/appwrite/setup/ezx_system.cfg";

struct binary_run {
    program_run run;
    std::vector<std::string> calls;
};

binary_run run_panelnap(const std::vector<std::string>& arguments) {
    call_recorder recorder;
    program_run run = run_program(PANELNAP_BINARY, arguments);
    return {run, recorder.calls()};
}

TEST(PanelnapBinary, UsageTextWithoutPlatformCall) {
    const binary_run r = run_panelnap({});
    EXPECT_EQ(r.run.exit_status, 0);
    EXPECT_EQ(r.run.streams.out, usage_text);
    EXPECT_EQ(r.run.streams.out.size(), 245u);
    EXPECT_EQ(r.run.streams.err, "");
    EXPECT_TRUE(r.calls.empty());
}

TEST(PanelnapBinary, OneMessageAndOnePlatformCallPerRun) {
    struct expectation {
        std::vector<std::string> arguments;
        std::string message;
        std::string seconds;
    };
    for (const expectation& e : std::vector<expectation>{
             {{"0"}, "now the lcd never sleep.\n", "0"},
             {{"3"}, "the lcd sleep now.\n", "10"},
             {{"11"}, seconds_message(11), "11"},
             {{"99999999999"}, seconds_message(2147483647), "2147483647"},
             {{""}, seconds_message(30), "30"},
             {{"-", "--", "x"}, seconds_message(30), "30"}}) {
        const binary_run r = run_panelnap(e.arguments);
        EXPECT_EQ(r.run.exit_status, 0);
        EXPECT_EQ(r.run.streams.out, e.message);
        EXPECT_EQ(r.run.streams.err, "");
        EXPECT_EQ(r.calls, std::vector<std::string>{e.seconds});
    }
}

TEST(PanelnapBinary, MessageIsOutBeforeThePlatformCall) {
    // Standard output and the call record share one pipe, so the order of
    // their lines is the order in which they left the program.
    call_recorder recorder;
    const program_run run = run_program(PANELNAP_BINARY, {"11"}, recorder.fifo());
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(recorder.calls(), (std::vector<std::string>{"set lcd sleep time to 11 seconds.", "11"}));
}

TEST(PanelnapBinary, RestoreWithoutSystemProfileUsesThirtySeconds) {
    if (std::filesystem::exists(system_profile)) GTEST_SKIP() << "this machine has a system profile";
    const binary_run r = run_panelnap({"-r", "45"});
    EXPECT_EQ(r.run.exit_status, 0);
    EXPECT_EQ(r.run.streams.err, "can not open profile: : No such file or directory\n");
    EXPECT_EQ(r.run.streams.out, seconds_message(30));
    EXPECT_EQ(r.calls, std::vector<std::string>{"30"});
}

}  // namespace
