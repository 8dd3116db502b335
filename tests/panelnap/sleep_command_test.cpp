#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_cases.h"
#include "sleep_command.h"
#include "test_support.h"

namespace {

struct command_run {
    output streams;
    std::vector<std::string> calls;
};

// Runs the command logic with a temporary profile holding profile_text, or
// with no profile at all when profile_text is null.
command_run run_command(const std::vector<std::string>& arguments, const char* profile_text = nullptr) {
    temp_dir dir;
    const std::string profile = profile_text ? dir.write("ezx_system.cfg", profile_text) : dir.path() + "/missing.cfg";
    std::vector<const char*> argv{"panelnap"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    call_recorder recorder;
    int status = -1;
    output streams = capture_output([&] { status = run_sleep_command(int(argv.size()), argv.data(), profile.c_str()); });
    EXPECT_EQ(status, 0);
    return {streams, recorder.calls()};
}

void expect_sets(const command_run& run, const std::string& message, const std::string& seconds) {
    EXPECT_EQ(run.streams.out, message);
    EXPECT_EQ(run.streams.err, "");
    EXPECT_EQ(run.calls, std::vector<std::string>{seconds});
}

TEST(SleepCommand, NoArgumentsPrintsTheUsageOnly) {
    const command_run run = run_command({});
    EXPECT_EQ(usage_text.size(), 245u);
    EXPECT_EQ(run.streams.out, usage_text);
    EXPECT_EQ(run.streams.err, "");
    EXPECT_TRUE(run.calls.empty());
}

TEST(SleepCommand, NormalisesTheNumberGiven) {
    expect_sets(run_command({"0"}), "now the lcd never sleep.\n", "0");
    expect_sets(run_command({"5"}), "the lcd sleep now.\n", "10");
    expect_sets(run_command({"1"}), "the lcd sleep now.\n", "10");
    expect_sets(run_command({"10"}), "the lcd sleep now.\n", "10");
    expect_sets(run_command({"5abc"}), "the lcd sleep now.\n", "10");
    expect_sets(run_command({"11"}), seconds_message(11), "11");
    expect_sets(run_command({"7", "45"}), seconds_message(45), "45");
    expect_sets(run_command({"99999999999"}), seconds_message(2147483647), "2147483647");
}

TEST(SleepCommand, ArgumentsThatAreNoNumberLeaveTheDefault) {
    for (const char* argument : {"abc", "-x", "-5", "-", "", "+5", " 5"})
        expect_sets(run_command({argument}, "LcdSleepTime = 2\n"), seconds_message(30), "30");
}

TEST(SleepCommand, RestoreMapsTheStoredCode) {
    expect_sets(run_command({"-r"}, "LcdSleepTime = 0\n"), seconds_message(30), "30");
    expect_sets(run_command({"-r"}, "LcdSleepTime = 1\n"), seconds_message(60), "60");
    expect_sets(run_command({"45", "-r"}, "LcdSleepTime = 2\n"), seconds_message(300), "300");
    expect_sets(run_command({"-r", "0"}, "LcdSleepTime = 3\n"), seconds_message(600), "600");
    expect_sets(run_command({"-restore"}, "LcdSleepTime = 4\n"), seconds_message(30), "30");
    expect_sets(run_command({"-r"}, "LcdSleepTime = 99999999999\n"), seconds_message(30), "30");
}

TEST(SleepCommand, LastHyphenArgumentDecidesTheRestoreSwitch) {
    expect_sets(run_command({"-r", "-x", "45"}, "LcdSleepTime = 2\n"), seconds_message(45), "45");
    expect_sets(run_command({"-r", "-"}, "LcdSleepTime = 2\n"), seconds_message(30), "30");
    expect_sets(run_command({"-x", "-r"}, "LcdSleepTime = 2\n"), seconds_message(300), "300");
}

TEST(SleepCommand, RestoreFallsBackToThirtySecondsAfterTheReadersReport) {
    const command_run missing = run_command({"-r"});
    EXPECT_EQ(missing.streams.err, "can not open profile: : No such file or directory\n");
    EXPECT_EQ(missing.streams.out, seconds_message(30));
    EXPECT_EQ(missing.calls, std::vector<std::string>{"30"});

    expect_sets(run_command({"-r", "5"}, "LcdSleepTime\n"),
                "line:1 error:config file format error:unexpected eof\r\n" + seconds_message(30), "30");
}

}  // namespace
