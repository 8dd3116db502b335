#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "scanner.h"

namespace {

const std::string eof_message = "config file format error:unexpected eof\r\n";

// The position is private; these show where the scanner stands.
std::string rest(scanner& scan) {
    std::string characters;
    while (!scan.eof()) characters += scan.getChar();
    return characters;
}

void expect_format_error(const std::function<void()>& step) {
    try {
        step();
        ADD_FAILURE() << "no format error";
    } catch (const std::logic_error& error) {
        EXPECT_EQ(error.what(), eof_message);
    }
}

TEST(Scanner, EmptyTextIsAtEndAndOnlyPeekAndGetCharRaise) {
    scanner scan("");
    EXPECT_TRUE(scan.eof());
    EXPECT_EQ(scan.getToken(scanner::spacechar), "");
    EXPECT_FALSE(scan.goUntil('='));
    EXPECT_FALSE(scan.goUntilNot(scanner::spacechar));
    expect_format_error([&] { scan.peek(); });
    expect_format_error([&] { scan.getChar(); });
    EXPECT_TRUE(scan.eof());
}

TEST(Scanner, ReadsKeyEqualsAndValueOfASpacedLine) {
    scanner scan("  LcdSleepTime = 2");
    EXPECT_EQ(scan.getToken(scanner::spacechar), "LcdSleepTime");
    EXPECT_EQ(scan.peek(), ' ');
    EXPECT_TRUE(scan.goUntil('='));
    EXPECT_EQ(scan.peek(), '=');
    EXPECT_EQ(scan.getChar(), '=');
    EXPECT_EQ(scan.getToken(scanner::spacechar), "2");
    EXPECT_TRUE(scan.eof());
}

TEST(Scanner, OnlyWhitespaceEndsAToken) {
    scanner glued("LcdSleepTime=2");
    EXPECT_EQ(glued.getToken(scanner::spacechar), "LcdSleepTime=2");
    scanner punctuation("#=;[x]\tnext");
    EXPECT_EQ(punctuation.getToken(scanner::spacechar), "#=;[x]");
    EXPECT_EQ(rest(punctuation), "\tnext");
}

TEST(Scanner, WalkingOperationsReportTheEndByResult) {
    scanner no_equals("LcdSleepTime 2");
    EXPECT_FALSE(no_equals.goUntil('='));
    EXPECT_TRUE(no_equals.eof());
    expect_format_error([&] { no_equals.getChar(); });

    scanner blanks_only("\t\r\n\t");
    EXPECT_EQ(blanks_only.getToken(scanner::spacechar), "");
    EXPECT_TRUE(blanks_only.eof());

    scanner word("ab cd");
    EXPECT_TRUE(word.goUntilNot(scanner::spacechar));
    EXPECT_EQ(rest(word), " cd");
    scanner last_word("ab");
    EXPECT_FALSE(last_word.goUntilNot(scanner::spacechar));
}

TEST(Format, RendersLikePrintfAndCutsAt1023Characters) {
    EXPECT_EQ(format("config file format error:unexpected eof\r\n"), eof_message);
    EXPECT_EQ(format("line:%d error:%s", 3, "x"), "line:3 error:x");
    const std::string long_text(5000, 'a');
    EXPECT_EQ(format("%s!", long_text.c_str()), std::string(1023, 'a'));
}

}  // namespace
