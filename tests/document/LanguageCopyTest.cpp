#include "document/LanguageCopy.h"

#include <gtest/gtest.h>

#include "careers/CareerStrings.h"

namespace jf {
namespace {

constexpr int kGerman = 3;

CareerStrings tableWithRows(std::size_t rows) {
    CareerStrings table;
    for (std::size_t row = 0; row < rows; ++row) {
        for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
            const std::string tag = "r" + std::to_string(row) + "s" + std::to_string(slot);
            EXPECT_TRUE(table.setString(row, slot, StringTable::kText, "text " + tag));
            EXPECT_TRUE(table.setString(row, slot, StringTable::kComment, "note " + tag));
        }
    }
    return table;
}

TEST(LanguageCopyTest, EveryLanguageGetsTheGermanTexts) {
    CareerStrings table = tableWithRows(33);
    copyTrackTextsToAllLanguages(table, kGerman);
    ASSERT_EQ(table.rowCount(), 33u);
    for (std::size_t row = 0; row < 33; ++row) {
        const std::string german = "text r" + std::to_string(row) + "s3";
        for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
            EXPECT_EQ(table.text(row, slot), german) << row << " " << slot;
            // Comments are no texts of the career and stay as they were.
            std::string comment;
            ASSERT_TRUE(table.getString(row, slot, StringTable::kComment, comment));
            EXPECT_EQ(comment, "note r" + std::to_string(row) + "s" + std::to_string(slot));
        }
    }
}

TEST(LanguageCopyTest, ShortTablesGetNoNewRows) {
    CareerStrings table = tableWithRows(20);
    copyTrackTextsToAllLanguages(table, 0);
    EXPECT_EQ(table.rowCount(), 20u);
    EXPECT_EQ(table.text(19, 12), "text r19s0");
}

TEST(LanguageCopyTest, OnlyTheCareerEntriesAreCopied) {
    CareerStrings table = tableWithRows(40);
    copyTrackTextsToAllLanguages(table, 1);
    EXPECT_EQ(table.text(32, 5), "text r32s1");
    EXPECT_EQ(table.text(33, 5), "text r33s5");
}

TEST(LanguageCopyTest, BytesAreCopiedUnconverted) {
    CareerStrings table;
    const std::string shiftJis = "\x93\xFA\x96\x7B";  // two Japanese characters
    ASSERT_TRUE(table.setString(0, 14, StringTable::kText, shiftJis));
    copyTrackTextsToAllLanguages(table, 14);
    EXPECT_EQ(table.text(0, 0), shiftJis);
    EXPECT_EQ(table.text(0, 19), shiftJis);
}

}  // namespace
}  // namespace jf
