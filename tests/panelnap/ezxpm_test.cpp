#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "ezxpm.h"
#include "test_support.h"

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets or unsets the two variables for one test and puts them back after.
class ezxpm_environment : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"EZXPM_LCD_SLEEP_FILE", "XDG_RUNTIME_DIR"})
            if (const char* value = std::getenv(name)) saved_[name] = value;
        ::unsetenv("EZXPM_LCD_SLEEP_FILE");
        ::setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    }
    void TearDown() override {
        for (const char* name : {"EZXPM_LCD_SLEEP_FILE", "XDG_RUNTIME_DIR"}) ::unsetenv(name);
        for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    }
    temp_dir dir_;
    std::map<std::string, std::string> saved_;
};

TEST_F(ezxpm_environment, RecordsSilentlyInTheNamedFileReplacingItsContent) {
    const std::string file = dir_.write("record", "old content, longer than the new\n");
    ::setenv("EZXPM_LCD_SLEEP_FILE", file.c_str(), 1);
    const output streams = capture_output([] { EXPECT_EQ(PM_setupLcdSleepTime(-45), 0); });
    EXPECT_EQ(contents(file), "-45\n");
    EXPECT_EQ(streams.out, "");
    EXPECT_EQ(streams.err, "");
}

TEST_F(ezxpm_environment, FallsBackToTheRuntimeDirectory) {
    PM_setupLcdSleepTime(600);
    EXPECT_EQ(contents(dir_.path() + "/ezxpm-lcd-sleep-time"), "600\n");
}

TEST_F(ezxpm_environment, FollowsNoSymlinkAndIgnoresFailures) {
    const std::string target = dir_.write("target", "keep\n");
    const std::string link = dir_.path() + "/link";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ::setenv("EZXPM_LCD_SLEEP_FILE", link.c_str(), 1);
    const output streams = capture_output([] { EXPECT_EQ(PM_setupLcdSleepTime(30), 0); });
    EXPECT_EQ(contents(target), "keep\n");
    EXPECT_EQ(streams.err, "");
}

TEST_F(ezxpm_environment, RecordsNothingWithoutAPlace) {
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PM_setupLcdSleepTime(30), 0);
    EXPECT_FALSE(std::ifstream(dir_.path() + "/ezxpm-lcd-sleep-time").is_open());
}

}  // namespace
