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

}  // namespace
}  // namespace jf
