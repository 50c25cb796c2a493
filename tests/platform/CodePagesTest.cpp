#include "platform/CodePages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "iff/StringTable.h"

namespace jf {
namespace {

struct RoundTrip {
    int codePage;
    const char* utf8;
    const char* bytes;  // the expected encoding
};

class CodePageRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CodePageRoundTrip, EncodesToKnownBytesAndBack) {
    const RoundTrip& sample = GetParam();
    std::optional<std::string> encoded = fromUtf8(sample.utf8, sample.codePage);
    ASSERT_TRUE(encoded.has_value()) << sample.utf8;
    EXPECT_EQ(*encoded, std::string(sample.bytes));
    std::optional<std::string> decoded = toUtf8(*encoded, sample.codePage);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, std::string(sample.utf8));
}

INSTANTIATE_TEST_SUITE_P(
    EveryCodePage, CodePageRoundTrip,
    ::testing::Values(RoundTrip{1252, "Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 \x80"},  // Café €
                      RoundTrip{1255, "\xD7\x90\xD7\x91", "\xE0\xE1"},              // אב
                      RoundTrip{1251, "\xD0\x96\xD0\xB0", "\xC6\xE0"},              // Жа
                      RoundTrip{932, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",        // 日本語
                                "\x93\xFA\x96\x7B\x8C\xEA"},
                      RoundTrip{1250,
                                "\xC5\x82\xC3\xB3"
                                "d\xC5\xBA",
                                "\xB3\xF3"
                                "d\x9F"},                                              // łódź
                      RoundTrip{936, "\xE7\xAE\x80\xE4\xBD\x93", "\xBC\xF2\xCC\xE5"},  // 简体
                      RoundTrip{950, "\xE7\xB9\x81\xE9\xAB\x94", "\xC1\x63\xC5\xE9"},  // 繁體
                      RoundTrip{874, "\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2",           // ไทย
                                "\xE4\xB7\xC2"},
                      RoundTrip{949, "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",  // 한국어
                                "\xC7\xD1\xB1\xB9\xBE\xEE"}));

TEST(CodePages, SlotsMapToTheirCodePages) {
    const int expected[kLanguageSlotCount] = {1252, 1252, 1252, 1252, 1252, 1252, 1252,
                                              1252, 1252, 1252, 1252, 1255, 1251, 1252,
                                              932,  1250, 936,  950,  874,  949};
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        EXPECT_EQ(codePageForSlot(slot), expected[slot]) << "slot " << slot;
    }
    EXPECT_EQ(codePageForSlot(-1), kNeutralCodePage);
    EXPECT_EQ(codePageForSlot(kLanguageSlotCount), kNeutralCodePage);
    EXPECT_EQ(kNeutralCodePage, 1252);
    EXPECT_STREQ(languageNameForSlot(0), "USEnglish");
    EXPECT_STREQ(languageNameForSlot(16), "Simplified Chinese");
    EXPECT_STREQ(languageNameForSlot(17), "Traditional Chinese");
    EXPECT_STREQ(languageNameForSlot(19), "Korean");
    EXPECT_STREQ(languageNameForSlot(20), "");
    EXPECT_EQ(languageSlotFromName("simplified CHINESE"), 16);
    EXPECT_EQ(languageSlotFromName("17"), 17);
    EXPECT_EQ(languageSlotFromName("20"), std::nullopt);
    EXPECT_EQ(languageSlotFromName("Klingon"), std::nullopt);
    EXPECT_EQ(languageSlotFromName(""), std::nullopt);
}

TEST(CodePages, TheFirstCharacterACodePageCannotHoldIsNamed) {
    EXPECT_EQ(firstUnstorableCharacter("plain", 1251), std::nullopt);
    // "é" fits into 1252, the CJK character behind it does not.
    EXPECT_EQ(firstUnstorableCharacter("Caf\xC3\xA9 \xE6\x97\xA5 \xD0\x96", 1252), U'\u65E5');
    EXPECT_EQ(firstUnstorableCharacter("\xE6\x97\xA5", kCodePageJapanese), std::nullopt);
    // A best fit does not count: 932 has no yen sign of its own.
    EXPECT_EQ(firstUnstorableCharacter("\xC2\xA5", kCodePageJapanese), U'\u00A5');
    EXPECT_EQ(firstUnstorableCharacter("\xF0\x9F\x98\x80", 1250), U'\U0001F600');
    // Bytes that are not UTF-8 are named as U+FFFD.
    EXPECT_EQ(firstUnstorableCharacter("a\xFF", 1252), U'\uFFFD');
    EXPECT_EQ(firstUnstorableCharacter("\xC0\x80", 1252), U'\uFFFD');
    EXPECT_EQ(firstUnstorableCharacter("\xED\xA0\x80", 1252), U'\uFFFD');
    EXPECT_EQ(firstUnstorableCharacter("\xE6\x97", kCodePageJapanese), U'\uFFFD');
    EXPECT_EQ(firstUnstorableCharacter("x", 12345), std::nullopt);
}

TEST(CodePages, CharacterOutsideTheCodePageIsRefused) {
    EXPECT_FALSE(fromUtf8("\xD0\x96", 1252).has_value());         // Ж
    EXPECT_FALSE(fromUtf8("a\xD7\x90", 1251).has_value());        // א in Cyrillic
    EXPECT_FALSE(fromUtf8("\xE0\xB9\x84", 932).has_value());      // ไ in Japanese
    EXPECT_FALSE(fromUtf8("\xF0\x9F\x98\x80", 949).has_value());  // an emoji
    EXPECT_FALSE(fromUtf8("\xC3\xA9", 1255).has_value());         // é in Hebrew
}

TEST(CodePages, BestFitIsRefusedNotSubstituted) {
    // Some converters map the yen sign to 0x5C and a wave dash look-alike to
    // the wave dash; either would come back as a different character.
    EXPECT_FALSE(fromUtf8("\xC2\xA5", 932).has_value());  // ¥
    // 0x81 0x60 reads as one of the two wave dashes; only that one encodes.
    std::optional<std::string> waveDash = toUtf8("\x81\x60", 932);
    ASSERT_TRUE(waveDash.has_value());
    const std::string fullwidthTilde = "\xEF\xBD\x9E";  // ～
    const std::string other = *waveDash == fullwidthTilde ? "\xE3\x80\x9C" : fullwidthTilde;
    EXPECT_EQ(fromUtf8(*waveDash, 932), std::optional<std::string>("\x81\x60"));
    EXPECT_FALSE(fromUtf8(other, 932).has_value());
    // ł has no place in 1252; a best fit would give a plain l.
    EXPECT_FALSE(fromUtf8("\xC5\x82", 1252).has_value());
}

TEST(CodePages, ShiftJisTrailByte5CIsPartOfTheCharacter) {
    // ソ is 0x83 0x5C; the trail byte must not be read as a backslash, and
    // a lone 0x5C is a backslash in code page 932.
    std::optional<std::string> decoded = toUtf8("\x83\x5C\x5C", 932);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, "\xE3\x82\xBD\\");
    EXPECT_EQ(fromUtf8("\xE3\x82\xBD\\", 932), std::optional<std::string>("\x83\x5C\x5C"));
    EXPECT_EQ(toUtf8("~", 932), std::optional<std::string>("~"));
}

TEST(CodePages, Cp1252GapBytesRoundTrip) {
    const std::string gaps = "\x81\x8D\x8F\x90\x9D";
    std::optional<std::string> decoded = toUtf8(gaps, 1252);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(fromUtf8(*decoded, 1252), std::optional<std::string>(gaps));

    std::string every;
    for (int byte = 1; byte < 256; ++byte) {
        every += static_cast<char>(byte);
    }
    std::optional<std::string> all = toUtf8(every, 1252);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(fromUtf8(*all, 1252), std::optional<std::string>(every));
}

TEST(CodePages, UndecodableBytesFailStrictDecoding) {
    EXPECT_FALSE(toUtf8("ab\x83", 932).has_value());  // lead byte cut off at the end
    EXPECT_FALSE(toUtf8("\xFF", 949).has_value());    // not a character in 949
    EXPECT_FALSE(toUtf8("\xFF", 1255).has_value());   // unassigned in 1255
}

TEST(CodePages, LossyDecodingReplacesAndReports) {
    bool complete = true;
    EXPECT_EQ(toUtf8Lossy("a\xFF"
                          "b",
                          949, &complete),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_FALSE(complete);
    EXPECT_EQ(toUtf8Lossy("ab\x83", 932, &complete), "ab\xEF\xBF\xBD");
    EXPECT_FALSE(complete);
    EXPECT_EQ(toUtf8Lossy("\x83\x5C", 932, &complete), "\xE3\x82\xBD");
    EXPECT_TRUE(complete);
    EXPECT_EQ(toUtf8Lossy("x", 12345, &complete), "");
    EXPECT_FALSE(complete);
    EXPECT_EQ(toUtf8Lossy("", 932, &complete), "");
    EXPECT_TRUE(complete);
}

TEST(CodePages, AFailedConversionLeavesNothingForTheNext) {
    // Converters are kept between calls: a conversion cut off in the middle
    // of a character must not leave part of it to the next call.
    for (int round = 0; round < 3; ++round) {
        EXPECT_FALSE(toUtf8("ab\x83", 932).has_value());
        EXPECT_EQ(toUtf8("\x5C", 932), std::optional<std::string>("\\"));
        EXPECT_FALSE(fromUtf8("\xE6\x97\xA5\xC2\xA5", 932).has_value());
        EXPECT_EQ(fromUtf8("\xE6\x97\xA5", 932), std::optional<std::string>("\x93\xFA"));
    }
}

TEST(CodePages, ThreadsConvertSideBySide) {
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong, t] {
            const int codePage = t % 2 == 0 ? 932 : 1251;
            const std::string utf8 = t % 2 == 0 ? "\xE6\x97\xA5"
                                                  "a"
                                                : "\xD0\x96"
                                                  "a";  // 日a, Жa
            const std::string bytes = t % 2 == 0 ? "\x93\xFA"
                                                   "a"
                                                 : "\xC6"
                                                   "a";
            for (int i = 0; i < 500; ++i) {
                if (fromUtf8(utf8, codePage) != std::optional<std::string>(bytes) ||
                    toUtf8(bytes, codePage) != std::optional<std::string>(utf8)) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

TEST(CodePages, InvalidUtf8AndUnknownCodePagesAreRefused) {
    EXPECT_FALSE(fromUtf8("\xC3", 1252).has_value());         // cut-off sequence
    EXPECT_FALSE(fromUtf8("\xFF\xFE", 1252).has_value());     // not UTF-8
    EXPECT_FALSE(fromUtf8("\xED\xA0\x80", 932).has_value());  // a surrogate
    EXPECT_FALSE(fromUtf8("a", 65001).has_value());
    EXPECT_FALSE(toUtf8("a", 437).has_value());
}

TEST(CodePages, EmptyAndLongTexts) {
    EXPECT_EQ(fromUtf8("", 932), std::optional<std::string>(""));
    EXPECT_EQ(toUtf8("", 950), std::optional<std::string>(""));
    // Longer than one conversion buffer, to cross chunk boundaries.
    std::string utf8;
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        utf8 +=
            "\xE6\x97\xA5"
            "a";  // 日a
        bytes +=
            "\x93\xFA"
            "a";
    }
    EXPECT_EQ(fromUtf8(utf8, 932), std::optional<std::string>(bytes));
    EXPECT_EQ(toUtf8(bytes, 932), std::optional<std::string>(utf8));
}

// Where glibc and Windows read bytes differently, both builds follow the one
// rule documented in platform/CodePages.h (the cases come from a sweep over
// every byte and byte pair of each code page, tests/sweep).
struct Disagreement {
    int codePage;
    const char* bytes;
    std::optional<std::string> utf8;  // nullopt: no character
};

void PrintTo(const Disagreement& c, std::ostream* out) {
    *out << "code page " << c.codePage << " bytes "
         << ::testing::PrintToString(std::string(c.bytes));
}

class CodePageRule : public ::testing::TestWithParam<Disagreement> {};

TEST_P(CodePageRule, DecodesTheSameOnEveryBuild) {
    const Disagreement& c = GetParam();
    EXPECT_EQ(toUtf8(c.bytes, c.codePage), c.utf8);
    if (c.utf8) {
        EXPECT_EQ(fromUtf8(*c.utf8, c.codePage), std::optional<std::string>(c.bytes));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CodePageRule,
    ::testing::Values(
        // Gaps of the single-byte code pages: the C1 control of the same value.
        Disagreement{1250, "\x81", "\xC2\x81"}, Disagreement{1250, "\x98", "\xC2\x98"},
        Disagreement{1251, "\x98", "\xC2\x98"}, Disagreement{1255, "\x8A", "\xC2\x8A"},
        Disagreement{1255, "\x9F", "\xC2\x9F"}, Disagreement{874, "\x81", "\xC2\x81"},
        Disagreement{874, "\x9F", "\xC2\x9F"}, Disagreement{1252, "\x9D", "\xC2\x9D"},
        // The lone 0x80 of 932 and 949; as a 932 trail byte it stays part of
        // its character (0x81 0x80 is the division sign).
        Disagreement{949, "\x80", "\xC2\x80"}, Disagreement{932, "a\x80", "a\xC2\x80"},
        Disagreement{932, "\x81\x80\x80", "\xC3\xB7\xC2\x80"},
        // Hebrew: no merging of a letter and its point; 0xCA is holam haser.
        Disagreement{1255, "\xE0\xC7", "\xD7\x90\xD6\xB7"},
        Disagreement{1255, "\xF9\xD1", "\xD7\xA9\xD7\x81"}, Disagreement{1255, "\xCA", "\xD6\xBA"},
        // User-defined double-byte ranges: no character.
        Disagreement{936, "\xA1\x40", std::nullopt}, Disagreement{936, "\xFE\xFE", std::nullopt},
        Disagreement{949, "\xC9\xA1", std::nullopt}, Disagreement{950, "\x81\x40", std::nullopt},
        Disagreement{950, "\xFA\x40", std::nullopt}, Disagreement{932, "\xF0\x40", std::nullopt},
        // Agreed refusals stay refusals.
        Disagreement{1255, "\xFF", std::nullopt}, Disagreement{874, "\xDB", std::nullopt}));

TEST(CodePageRule, LossyDecodingOfAUserDefinedPairReplacesItsLeadByte) {
    bool complete = true;
    EXPECT_EQ(toUtf8Lossy("\xA1\x40", 936, &complete), "\xEF\xBF\xBD@");
    EXPECT_FALSE(complete);
}

}  // namespace
}  // namespace jf
