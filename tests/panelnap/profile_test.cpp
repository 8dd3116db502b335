#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "profile.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

const std::string eof_report = "config file format error:unexpected eof\r\n";

struct reading {
    int result;
    output streams;
};

reading read_profile_at(const std::string& path) {
    int result = 0;
    output streams = capture_output([&] { result = load_system_setting_lcd_sleep_time(path.c_str()); });
    return {result, streams};
}

reading read_profile(const std::string& bytes) {
    temp_dir dir;
    return read_profile_at(dir.write("ezx_system.cfg", bytes));
}

std::string lines(int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + "\n";
    return text;
}

struct quiet_case {
    const char* name;
    std::string profile;
    int expected;
};

void PrintTo(const quiet_case& c, std::ostream* os) {
    *os << c.name;
}

class QuietProfile : public testing::TestWithParam<quiet_case> {};

// Profiles that give a result without a word on either stream.
TEST_P(QuietProfile, GivesTheCodeSilently) {
    const reading r = read_profile(GetParam().profile);
    EXPECT_EQ(r.result, GetParam().expected);
    EXPECT_EQ(r.streams.out, "");
    EXPECT_EQ(r.streams.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Reader, QuietProfile,
    testing::Values(
        quiet_case{"Empty", "", -1},
        quiet_case{"FifthLine", "[Display]\nBrightness = 5\n# LcdSleepTime = 1\n\n LcdSleepTime = 2\nx\n", 2},
        quiet_case{"NoFinalLineFeed", "LcdSleepTime = 3", 3},
        quiet_case{"CrLfLines", "a = 1\r\n\r\nLcdSleepTime = 3\r\n", 3},
        quiet_case{"KeyGluedToEquals", "LcdSleepTime=2\n", -1},
        quiet_case{"GluedThenProper", "LcdSleepTime=2\nLcdSleepTime = 1\n", 1},
        quiet_case{"KeyCaseMatters", "lcdsleeptime = 2\n", -1},
        quiet_case{"IndentedNumberSignIsAKey", " #LcdSleepTime = 2\n", -1},
        quiet_case{"EmptyValue", "LcdSleepTime =\n", 0},
        quiet_case{"LettersValue", "LcdSleepTime = abc\n", 0},
        quiet_case{"DigitsThenLetters", "LcdSleepTime = 12abc tail\n", 12},
        quiet_case{"TextBeforeEquals", "LcdSleepTime : x = 3\n", 3},
        quiet_case{"FirstKeyCountsRestUnread", "LcdSleepTime = 1\nLcdSleepTime\n", 1},
        quiet_case{"OverflowSaturatesHigh", "LcdSleepTime = 99999999999\n", INT_MAX},
        quiet_case{"OverflowSaturatesLow", "LcdSleepTime = -99999999999\n", INT_MIN},
        quiet_case{"ValueEndsAtNul", "LcdSleepTime = 2\0" "7\n"s, 2},
        quiet_case{"LineStartingWithNulIsEmpty", "\0LcdSleepTime = 2\n"s, -1},
        quiet_case{"NulInsideKey", "LcdSleep\0Time = 2\n"s, -1},
        quiet_case{"ByteOrderMarkIsPartOfTheKey", "\xEF\xBB\xBFLcdSleepTime = 2\n", -1},
        quiet_case{"LineOf1023FitsExactly", std::string(1023, 'x') + "\nLcdSleepTime = 2\n", 2},
        // The rest of an over-long line is discarded, never read as a line of its own.
        quiet_case{"TailOfLongLineDiscarded",
                   std::string(1023, 'x') + " LcdSleepTime = 3\nLcdSleepTime = 1\n", 1},
        quiet_case{"OneMegabyteLineThenKey", std::string(1 << 20, 'x') + "\nLcdSleepTime = 2\n", 2},
        quiet_case{"OneMegabyteLineWithoutLineFeed", std::string(1 << 20, 'x'), -1},
        quiet_case{"ValueCutAtTheLineLimit", "LcdSleepTime = " + std::string(1006, ' ') + "12345\n", 12},
        quiet_case{"ManyLinesBeforeKey", lines(50000, "Other = 1") + "LcdSleepTime = 3\n", 3}),
    [](const testing::TestParamInfo<quiet_case>& info) { return std::string(info.param.name); });

TEST(Reader, KeyWithoutEqualsReportsItsLineNumber) {
    for (const std::string& key_line : {"LcdSleepTime"s, "LcdSleepTime   \r"s}) {
        const reading r = read_profile("[Display]\n# comment\n" + key_line + "\nLcdSleepTime = 2\n");
        EXPECT_EQ(r.result, -1);
        EXPECT_EQ(r.streams.out, "line:3 error:" + eof_report);
        EXPECT_EQ(r.streams.err, "");
    }
}

TEST(Reader, LongLinesAndManyLinesCountOnceEach) {
    EXPECT_EQ(read_profile(std::string(5000, 'x') + "\nLcdSleepTime\n").streams.out, "line:2 error:" + eof_report);
    // The equals sign lies beyond the 1023 characters that are scanned.
    EXPECT_EQ(read_profile("LcdSleepTime" + std::string(1100, ' ') + "= 2\n").streams.out,
              "line:1 error:" + eof_report);
    EXPECT_EQ(read_profile(lines(20000, "") + "LcdSleepTime\n").streams.out, "line:20001 error:" + eof_report);
}

TEST(Reader, MissingProfileIsReportedByPerror) {
    temp_dir dir;
    const reading r = read_profile_at(dir.path() + "/absent.cfg");
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.streams.out, "");
    EXPECT_EQ(r.streams.err, "can not open profile: : No such file or directory\n");
}

TEST(Reader, ReadErrorEndsTheWalkLikeEndOfFile) {
    temp_dir dir;
    // A directory opens but cannot be read.
    const reading r = read_profile_at(dir.path());
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.streams.out, "");
    EXPECT_EQ(r.streams.err, "");
}

TEST(Profile, WriterAndDumpDoTheirSmallJobs) {
    EXPECT_EQ(set_system_setting_lcd_sleep_time(2), 1);
    _para block{};
    block.word[0] = 0xdeadbeef;
    block.word[127] = 10;
    std::string expected = "deadbeef ";
    for (int i = 1; i < 127; ++i) expected += "0 ";
    expected += "a \n---\n";
    EXPECT_EQ(capture_output([&] { dump(&block); }).out, expected);
}

}  // namespace
