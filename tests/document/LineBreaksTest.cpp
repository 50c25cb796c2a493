#include "document/LineBreaks.h"

#include <gtest/gtest.h>

#include "platform/CodePages.h"

namespace jf {
namespace {

TEST(LineBreaksTest, EscapeTurnsCrLfIntoBackslashN) {
    EXPECT_EQ(escapeLineBreaks("Junior\r\nClerk"), "Junior\\nClerk");
    EXPECT_EQ(escapeLineBreaks("a\r\n\r\nb"), "a\\n\\nb");
    EXPECT_EQ(escapeLineBreaks("\r\n"), "\\n");
}

TEST(LineBreaksTest, EscapeKeepsLoneCrAndLf) {
    EXPECT_EQ(escapeLineBreaks("a\rb\nc"), "a\rb\nc");
    EXPECT_EQ(escapeLineBreaks("a\n\rb"), "a\n\rb");
    EXPECT_EQ(escapeLineBreaks("end\r"), "end\r");
    EXPECT_EQ(escapeLineBreaks(""), "");
}

TEST(LineBreaksTest, UnescapeTurnsBackslashNIntoCrLf) {
    EXPECT_EQ(unescapeLineBreaks("Junior\\nClerk"), "Junior\r\nClerk");
    EXPECT_EQ(unescapeLineBreaks("\\n\\n"), "\r\n\r\n");
}

TEST(LineBreaksTest, DoubledBackslashBeforeNStaysAsTyped) {
    // Backslash, backslash, n: the pair is copied, the n stays a letter.
    EXPECT_EQ(unescapeLineBreaks("a\\\\nb"), "a\\\\nb");
    // Three backslashes and n: the first pair is copied, the third makes the break.
    EXPECT_EQ(unescapeLineBreaks("a\\\\\\nb"), "a\\\\\r\nb");
}

TEST(LineBreaksTest, UnescapeCopiesOtherEscapesAndATrailingBackslash) {
    EXPECT_EQ(unescapeLineBreaks("C:\\temp"), "C:\\temp");
    EXPECT_EQ(unescapeLineBreaks("ends with\\"), "ends with\\");
    EXPECT_EQ(unescapeLineBreaks("\\"), "\\");
    EXPECT_EQ(unescapeLineBreaks("\\N"), "\\N");
}

TEST(LineBreaksTest, RoundTripOfStoredNames) {
    for (const char* stored : {"Chief\r\nExecutive", "plain", "a\r\nb\r\nc", ""}) {
        EXPECT_EQ(unescapeLineBreaks(escapeLineBreaks(stored)), stored) << stored;
    }
}

TEST(LineBreaksTest, MultiLineFieldsShowLfAndStoreCrLf) {
    EXPECT_EQ(multiLineFieldText("one\r\ntwo"), "one\ntwo");
    EXPECT_EQ(multiLineDataText("one\ntwo\n"), "one\r\ntwo\r\n");
    EXPECT_EQ(multiLineDataText("already\r\nthere"), "already\r\nthere");
    EXPECT_EQ(multiLineDataText(multiLineFieldText("a\r\nb\r\n\r\nc")), "a\r\nb\r\n\r\nc");
}

// In Shift-JIS the second byte of many characters is 0x5C, the byte of a
// backslash: U+8868 is 0x95 0x5C. Working on characters keeps it intact.
TEST(LineBreaksTest, ShiftJisTrailByteIsNoBackslash) {
    const std::string stored =
        "\x95\x5C"
        "n";  // the character U+8868 followed by "n"
    const std::optional<std::string> shown = toUtf8(stored, kCodePageJapanese);
    ASSERT_TRUE(shown.has_value());
    const std::string typed = escapeLineBreaks(*shown);
    const std::optional<std::string> back = fromUtf8(unescapeLineBreaks(typed), kCodePageJapanese);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, stored);

    // A real line break between two such characters survives both ways.
    const std::string twoLines = "\x95\x5C\r\n\x95\x5C";
    const std::optional<std::string> shownLines = toUtf8(twoLines, kCodePageJapanese);
    ASSERT_TRUE(shownLines.has_value());
    const std::string field = escapeLineBreaks(*shownLines);
    EXPECT_EQ(field, "\xE8\xA1\xA8\\n\xE8\xA1\xA8");
    EXPECT_EQ(fromUtf8(unescapeLineBreaks(field), kCodePageJapanese), twoLines);
}

TEST(LineBreaksTest, BigFiveAndGbkTrailBytesAreNoBackslash) {
    // Big5 0xA5 0x5C is U+529F; GBK 0x81 0x5C is U+4E8F.
    for (const auto& [bytes, codePage] :
         {std::pair<std::string, int>{"\xA5\x5Cn", kCodePageTraditionalChinese},
          std::pair<std::string, int>{"\x81\x5Cn", kCodePageSimplifiedChinese}}) {
        const std::optional<std::string> shown = toUtf8(bytes, codePage);
        ASSERT_TRUE(shown.has_value()) << codePage;
        EXPECT_EQ(shown->find('\\'), std::string::npos) << codePage;
        EXPECT_EQ(fromUtf8(unescapeLineBreaks(escapeLineBreaks(*shown)), codePage), bytes)
            << codePage;
    }
}

}  // namespace
}  // namespace jf
