// The field rules of the global options and global texts editors.
#include <gtest/gtest.h>

#include <set>

#include "careers/CareerDatabase.h"
#include "careers/DefaultTexts.h"
#include "careers/GlobalOptionsForm.h"
#include "careers/GlobalTextsForm.h"
#include "support/LoadedCardDatabase.h"

namespace jf {
namespace {

TEST(GlobalOptionsForm, ScreenOrderDiffersFromTableOrder) {
    const auto& fields = globalOptionFields();
    EXPECT_EQ(fields[0].entry, 0u);
    EXPECT_EQ(fields[4].entry, 5u);
    EXPECT_EQ(fields[5].entry, 6u);
    EXPECT_EQ(fields[6].entry, 4u);  // the promotion bonus is shown seventh
    EXPECT_STREQ(fields[6].label, "Promotion bonus:");
    EXPECT_EQ(fields[7].entry, 7u);
    std::set<std::size_t> entries;
    for (const GlobalOptionField& field : fields) {
        entries.insert(field.entry);
        // The table's own ranges agree with the screen's.
        const GlobalOptionInfo* info = globalOptionInfo(field.entry);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->minimum, field.minimum);
        EXPECT_EQ(info->maximum, field.maximum);
        EXPECT_STREQ(info->label, field.label);
    }
    EXPECT_EQ(entries.size(), 8u);
    // Reading order by table entry: 0, 7, 1, 6, 5, 4, 3, 2.
    std::vector<std::size_t> readEntries;
    for (const std::size_t position : kGlobalOptionReadOrder) {
        readEntries.push_back(fields[position].entry);
    }
    EXPECT_EQ(readEntries, (std::vector<std::size_t>{0, 7, 1, 6, 5, 4, 3, 2}));
}

TEST(GlobalOptionsForm, FieldsAreSigned16BitWithinTheirRange) {
    const GlobalOptionField& mood = globalOptionFields()[4];
    EXPECT_TRUE(checkGlobalOptionField(mood, "-100").ok);
    EXPECT_EQ(checkGlobalOptionField(mood, "-101").message,
              "Please enter an integer between -100 and 100.");
    const GlobalOptionField& bonus = globalOptionFields()[0];
    EXPECT_EQ(checkGlobalOptionField(bonus, "32768").message, "Please enter an integer.");
    EXPECT_EQ(checkGlobalOptionField(bonus, "-1").message,
              "Please enter an integer between 0 and 32767.");
    EXPECT_EQ(checkGlobalOptionField(bonus, "-").message, "Please enter an integer.");
}

TEST(GlobalOptionsForm, AShortTableOpensWithZerosAndGrowsToEight) {
    GlobalOptions options;
    ASSERT_TRUE(options.setOption(2, 9));
    ASSERT_EQ(options.count(), 3u);
    EXPECT_EQ(globalOptionValue(options, 2), 9);
    EXPECT_EQ(globalOptionValue(options, 6), 0);
    ASSERT_TRUE(storeGlobalOptions(options, {1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(options.values(), (std::vector<std::int16_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(GlobalTextsForm, FieldsLanguagesAndStoreOrder) {
    std::set<std::size_t> entries;
    for (const GlobalTextField& field : globalTextFields()) {
        entries.insert(field.entry);
    }
    EXPECT_EQ(entries, (std::set<std::size_t>{0, 1, 2, 4, 5, 7, 8, 9, 10, 11}));
    EXPECT_EQ(globalTextFields()[1].entry, 10u);
    EXPECT_FALSE(globalTextFields()[1].multiLine);
    EXPECT_TRUE(globalTextFields()[2].multiLine);
    EXPECT_STREQ(kGlobalTextLanguages[5], "Spanian");
    EXPECT_STREQ(kGlobalTextLanguages[16], "Simplified Chinese");
    EXPECT_STREQ(kGlobalTextLanguages[17], "Traditional Chinese");
    EXPECT_STREQ(kGlobalTextLanguages[19], "Korean");
}

TEST(GlobalTextsForm, StoringWritesOneLanguageAndLeavesEntries3And6) {
    test::LoadedCardDatabase loaded;
    ASSERT_TRUE(loaded.ok());
    GlobalTextValues values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = "v" + std::to_string(i);
    }
    storeGlobalTexts(loaded.db, 3, values);
    std::string text;
    ASSERT_TRUE(loaded.db.globalText(10, 3, text));
    EXPECT_EQ(text, "v1");
    ASSERT_TRUE(loaded.db.globalText(3, 3, text));
    EXPECT_EQ(text, "G e3 s3");
    ASSERT_TRUE(loaded.db.globalText(6, 3, text));
    EXPECT_EQ(text, "G e6 s3");
    ASSERT_TRUE(loaded.db.globalText(0, 2, text));
    EXPECT_EQ(text, "G e0 s2");

    GlobalTextValues read;
    readGlobalTexts(loaded.db.globalTexts(), 3, read);
    EXPECT_EQ(read, values);
}

TEST(GlobalTextsForm, DefaultsComeFromTheBuiltInBody) {
    GlobalTextValues values;
    ASSERT_EQ(readDefaultGlobalTexts(defaultGlobalTextsBody(), 0, values), DefaultTextsStatus::Ok);
    EXPECT_EQ(values[0], "Car Pool");
    GlobalTextValues french;
    ASSERT_EQ(readDefaultGlobalTexts(defaultGlobalTextsBody(), 2, french), DefaultTextsStatus::Ok);
    EXPECT_NE(french[2], values[2]);
}

TEST(GlobalTextsForm, MissingOrDamagedDefaultsChangeNothing) {
    GlobalTextValues values;
    values.fill("kept");
    EXPECT_EQ(readDefaultGlobalTexts({}, 0, values), DefaultTextsStatus::Missing);
    // Form -3 claiming one entry, then a language byte of 0.
    EXPECT_EQ(readDefaultGlobalTexts({0xFD, 0xFF, 0x01, 0x00, 0x00, 'a', 0, 0}, 0, values),
              DefaultTextsStatus::Damaged);
    for (const std::string& value : values) {
        EXPECT_EQ(value, "kept");
    }
}

}  // namespace
}  // namespace jf
