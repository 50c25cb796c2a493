#include "careers/NumericField.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace jf {
namespace {

std::optional<std::int64_t> parse(const std::string& text,
                                  NumericKind kind = NumericKind::Integer) {
    return parseNumericField(text, kind);
}

TEST(NumericField, PlainSignedAndBlankSurroundedNumbers) {
    EXPECT_EQ(parse("42"), 42);
    EXPECT_EQ(parse("-17"), -17);
    EXPECT_EQ(parse("+17"), 17);
    EXPECT_EQ(parse(" \t 5\t "), 5);
    EXPECT_EQ(parse("007"), 7);
}

TEST(NumericField, ZeroCountsOnlyWhenItsFirstCharacterIsTheDigitZero) {
    EXPECT_EQ(parse("0"), 0);
    EXPECT_EQ(parse("  0  "), 0);
    EXPECT_EQ(parse("000"), 0);
    EXPECT_EQ(parse("-0"), std::nullopt);
    EXPECT_EQ(parse("+0"), std::nullopt);
    EXPECT_EQ(parse("-0", NumericKind::Mood), std::nullopt);
}

TEST(NumericField, AnythingElseIsNotANumber) {
    for (const char* text : {"", " ", "-", "+", "abc", "5a", "5 6", "- 5", "0x10", "1.5", "1,000",
                             "\n5", "5\n", "٣"}) {
        EXPECT_EQ(parse(text), std::nullopt) << text;
    }
}

TEST(NumericField, OnlyTheFirst31CharactersAreRead) {
    // 31 characters: "7" and 30 blanks; whatever follows is not read.
    const std::string head = "7" + std::string(30, ' ');
    EXPECT_EQ(parse(head + "junk"), 7);
    EXPECT_EQ(parse(head.substr(0, 30) + "x"), std::nullopt);
    // Counted in characters, not bytes: 30 two-byte letters do not hide the 31st.
    std::string letters;
    for (int i = 0; i < 30; ++i) {
        letters += "\xC3\xA9";
    }
    EXPECT_EQ(parse(letters + "5"), std::nullopt);
    // Digits beyond the 31st are cut off, so the number is a different one.
    EXPECT_EQ(parse(std::string(30, '0') + "12"), 1);
}

TEST(NumericField, ALoneMinusIsZeroInMoodFieldsOnly) {
    EXPECT_EQ(parse("-", NumericKind::Mood), 0);
    EXPECT_EQ(parse("-", NumericKind::Integer), std::nullopt);
    EXPECT_EQ(parse(" -", NumericKind::Mood), std::nullopt);
    EXPECT_EQ(parse("-5", NumericKind::Mood), -5);
}

TEST(NumericField, UnsignedFieldsRefuseAMinus) {
    EXPECT_EQ(parse("-1", NumericKind::Unsigned), std::nullopt);
    EXPECT_EQ(parse(" -0", NumericKind::Unsigned), std::nullopt);
    EXPECT_EQ(parse("+5", NumericKind::Unsigned), 5);
    EXPECT_EQ(parse("4294967295", NumericKind::Unsigned), 4294967295LL);
}

TEST(NumericField, NumbersBeyondTheTypeAreRefusedNotClamped) {
    EXPECT_EQ(parse("2147483647"), 2147483647LL);
    EXPECT_EQ(parse("-2147483648"), -2147483648LL);
    EXPECT_EQ(parse("2147483648"), std::nullopt);
    EXPECT_EQ(parse("-2147483649"), std::nullopt);
    EXPECT_EQ(parse("99999999999999999999999999"), std::nullopt);
    EXPECT_EQ(parse("4294967296", NumericKind::Unsigned), std::nullopt);
    EXPECT_EQ(parse("32767", NumericKind::Short), 32767);
    EXPECT_EQ(parse("-32768", NumericKind::Short), -32768);
    EXPECT_EQ(parse("32768", NumericKind::Short), std::nullopt);
    EXPECT_EQ(parse("-32769", NumericKind::Short), std::nullopt);
}

TEST(NumericField, MessagesFollowTheKindAndTheRange) {
    EXPECT_EQ(rangeMessage(-100, 100), "Please enter an integer between -100 and 100.");

    NumericCheck check = checkNumericField("abc", NumericKind::Integer, NumericRange{0, 23});
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, "Please enter an integer.");

    check = checkNumericField("-1", NumericKind::Unsigned, NumericRange{0, 25});
    EXPECT_EQ(check.message, "Please enter a positive integer.");
    check = checkNumericField("26", NumericKind::Unsigned, NumericRange{0, 25});
    EXPECT_EQ(check.message, "Please enter an integer between 0 and 25.");

    check = checkNumericField("-101", NumericKind::Short, NumericRange{-100, 100});
    EXPECT_EQ(check.message, "Please enter an integer between -100 and 100.");
    check = checkNumericField("40000", NumericKind::Short, NumericRange{0, 32767});
    EXPECT_EQ(check.message, "Please enter an integer.");

    check = checkNumericField("-100", NumericKind::Short, NumericRange{-100, 100});
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.value, -100);
    EXPECT_TRUE(check.message.empty());

    check = checkNumericField("123456", NumericKind::Unsigned, std::nullopt);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.value, 123456);
}

TEST(NumericFieldTyping, OnlyDigitsAndAMinusWhereNegativesFit) {
    using enum TypedNumber;
    const NumericRange skills{300, 1000};
    const NumericRange moods{-100, 100};
    for (const char* text : {"a", "5a", "1.5", " 5", "5 ", "+5", "1,0", "0x1", "\xD9\xA3"}) {
        EXPECT_EQ(judgeTypedNumber(text, NumericKind::Integer, skills), Refused) << text;
        EXPECT_EQ(judgeTypedNumber(text, NumericKind::Mood, moods), Refused) << text;
    }
    EXPECT_EQ(judgeTypedNumber("-5", NumericKind::Integer, skills), Refused);
    EXPECT_EQ(judgeTypedNumber("-", NumericKind::Unsigned, std::nullopt), Refused);
    EXPECT_EQ(judgeTypedNumber("5-", NumericKind::Mood, moods), Refused);
    EXPECT_EQ(judgeTypedNumber("--5", NumericKind::Mood, moods), Refused);

    EXPECT_EQ(judgeTypedNumber("", NumericKind::Integer, skills), Incomplete);
    EXPECT_EQ(judgeTypedNumber("-", NumericKind::Mood, moods), Complete);  // reads as 0
    EXPECT_EQ(judgeTypedNumber("-", NumericKind::Short, moods), Incomplete);
    EXPECT_EQ(judgeTypedNumber("-0", NumericKind::Short, moods), Incomplete);
    EXPECT_EQ(judgeTypedNumber("-40", NumericKind::Mood, moods), Complete);
    EXPECT_EQ(judgeTypedNumber("007", NumericKind::Short, moods), Complete);
}

TEST(NumericFieldTyping, NumbersBeyondTheLimitsThatDigitsCannotBringBackAreRefused) {
    using enum TypedNumber;
    const NumericRange skills{300, 1000};
    EXPECT_EQ(judgeTypedNumber("2", NumericKind::Integer, skills), Incomplete);
    EXPECT_EQ(judgeTypedNumber("250", NumericKind::Integer, skills), Incomplete);
    EXPECT_EQ(judgeTypedNumber("300", NumericKind::Integer, skills), Complete);
    EXPECT_EQ(judgeTypedNumber("1000", NumericKind::Integer, skills), Complete);
    EXPECT_EQ(judgeTypedNumber("1001", NumericKind::Integer, skills), Refused);
    EXPECT_EQ(judgeTypedNumber("-100", NumericKind::Mood, NumericRange{-100, 100}), Complete);
    EXPECT_EQ(judgeTypedNumber("-101", NumericKind::Mood, NumericRange{-100, 100}), Refused);
    EXPECT_EQ(judgeTypedNumber("101", NumericKind::Mood, NumericRange{-100, 100}), Refused);

    // Without a range the type is the limit.
    EXPECT_EQ(judgeTypedNumber("4294967295", NumericKind::Unsigned, std::nullopt), Complete);
    EXPECT_EQ(judgeTypedNumber("4294967296", NumericKind::Unsigned, std::nullopt), Refused);
    EXPECT_EQ(judgeTypedNumber("-32768", NumericKind::Short, std::nullopt), Complete);
    EXPECT_EQ(judgeTypedNumber("-32769", NumericKind::Short, std::nullopt), Refused);
    EXPECT_EQ(judgeTypedNumber(std::string(40, '9'), NumericKind::Integer, std::nullopt), Refused);
    // Leading zeros may fill the field up to the characters that are read.
    EXPECT_EQ(judgeTypedNumber(std::string(30, '0') + "1", NumericKind::Integer, std::nullopt),
              Complete);
    EXPECT_EQ(judgeTypedNumber(std::string(31, '0') + "1", NumericKind::Integer, std::nullopt),
              Refused);
}

TEST(NumericFieldTyping, LimitsAndTips) {
    EXPECT_EQ(numericFieldLimits(NumericKind::Short, NumericRange{-100, 100}).minimum, -100);
    EXPECT_EQ(numericFieldLimits(NumericKind::Short, NumericRange{0, 70000}).maximum, 32767);
    EXPECT_EQ(numericFieldLimits(NumericKind::Unsigned, std::nullopt).maximum, 4294967295);
    EXPECT_EQ(numericFieldTip(NumericKind::Integer, NumericRange{300, 1000}),
              "An integer from 300 to 1000.");
    EXPECT_EQ(numericFieldTip(NumericKind::Mood, NumericRange{-100, 100}),
              "An integer from -100 to 100.");
    EXPECT_EQ(numericFieldTip(NumericKind::Unsigned, std::nullopt),
              "An integer from 0 to 4294967295.");
}

}  // namespace
}  // namespace jf
