#include "careers/ChanceCardForm.h"

#include <gtest/gtest.h>

#include "careers/CareerDatabase.h"
#include "support/LoadedCardDatabase.h"

namespace jf {
namespace {

constexpr std::uint32_t kHalf = 65536;

TEST(DescribeItem, BudgetLines) {
    EXPECT_EQ(describeItem(kNewCardItem), "Budget: add 1000");
    EXPECT_EQ(describeItem({1, 1, 250}), "Budget: subtract 250");
    EXPECT_EQ(describeItem({1, 7, 4000000000u}), "Budget: subtract 4000000000");
}

TEST(DescribeItem, SkillLines) {
    EXPECT_EQ(describeItem(CardItem::skill(0, CardItem::kSkillLogic, 2)),
              "Skill: Logic add 2 study point(s)");
    EXPECT_EQ(describeItem({2, 1, 10 * kHalf + 5}), "Skill: Cooking subtract 5 study point(s)");
    EXPECT_EQ(describeItem({2, 0, 11 * kHalf}), "Skill: Charisma add 0 study point(s)");
    EXPECT_EQ(describeItem({2, 0, 12 * kHalf + 1}), "Skill: Mechanical add 1 study point(s)");
    EXPECT_EQ(describeItem({2, 0, 15 * kHalf + 1}), "Skill: Creativity add 1 study point(s)");
    EXPECT_EQ(describeItem({2, 0, 17 * kHalf + 1}), "Skill: Body add 1 study point(s)");
    EXPECT_EQ(describeItem({2, 0, 13 * kHalf + 3}), "Skill: unknown add 3 study point(s)");
    EXPECT_EQ(describeItem({2, 2, 18 * kHalf + 3}), "Skill: Logic unknown 3 study point(s)");
}

TEST(DescribeItem, JobAndSoundLinesAndUnknownKinds) {
    EXPECT_EQ(describeItem(CardItem::job(56, 7)), "Job: Career Path set to 7");
    EXPECT_EQ(describeItem(CardItem::job(57, 3)), "Job: Promotion Level set to 3");
    EXPECT_EQ(describeItem({3, 0, 58 * kHalf + 1}), "Job: unknown unknown 1");
    EXPECT_EQ(describeItem(CardItem::sound(312)), "Sound: Positive (Good)");
    EXPECT_EQ(describeItem(CardItem::sound(311)), "Sound: Negative (Bad)");
    EXPECT_EQ(describeItem(CardItem::sound(5)), "Sound: Unknown");
    EXPECT_EQ(describeItem({0, 0, 0}), "");
    EXPECT_EQ(describeItem({9, 0, 0}), "");
}

TEST(CardItemFields, OpeningFillsTheGroupOfTheKind) {
    CardItemFields fields = cardItemFields({1, 1, 700});
    EXPECT_EQ(fields.kind, 1u);
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::BudgetMode)], 1);
    EXPECT_EQ(fields.edits[static_cast<int>(CardEdit::Amount)], "700");
    EXPECT_EQ(fields.edits[static_cast<int>(CardEdit::Points)], "0");

    fields = cardItemFields(CardItem::skill(1, CardItem::kSkillBody, 40));
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::Skill)], 3);
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::SkillMode)], 1);
    EXPECT_EQ(fields.edits[static_cast<int>(CardEdit::Points)], "40");

    // A skill number not in the list shows "Cooking".
    fields = cardItemFields({2, 0, 13 * kHalf + 4});
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::Skill)], 0);

    fields = cardItemFields(CardItem::job(57, 4));
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::JobTarget)], 1);
    EXPECT_EQ(fields.edits[static_cast<int>(CardEdit::Number)], "4");
    fields = cardItemFields(CardItem::job(56, 4));
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::JobTarget)], 0);

    fields = cardItemFields(CardItem::sound(311));
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::Sound)], 1);
    EXPECT_EQ(fields.lists[static_cast<int>(CardList::BudgetMode)], 0);

    fields = cardItemFields({6, 1, 2});
    EXPECT_EQ(fields.kind, 0u);
    EXPECT_EQ(fields.lists, (std::array<int, 5>{-1, -1, -1, -1, -1}));
    EXPECT_EQ(fields.edits, (std::array<std::string, 3>{"0", "0", "0"}));
    EXPECT_TRUE(cardGroupEnabled(0, 1));
    EXPECT_TRUE(cardGroupEnabled(0, 4));
    EXPECT_TRUE(cardGroupEnabled(2, 2));
    EXPECT_FALSE(cardGroupEnabled(2, 3));
}

TEST(CardItemFields, DropDownIndexesMapOntoItemValues) {
    const std::array<std::uint32_t, 3> values{900, 12, 34};  // amount, number, points
    CardItemFields fields = resetCardItemFields(2);
    const std::array<std::uint16_t, 6> skills{10, 12, 11, 17, 18, 15};
    for (int i = 0; i < 6; ++i) {
        fields.lists[static_cast<int>(CardList::Skill)] = i;
        const CardItem item = cardItemFromFields(fields, values, {});
        EXPECT_EQ(item.high(), skills[static_cast<std::size_t>(i)]);
        EXPECT_EQ(item.low(), 34);
        EXPECT_EQ(item.mode, 0u);
    }
    fields.lists[static_cast<int>(CardList::SkillMode)] = 1;
    EXPECT_EQ(cardItemFromFields(fields, values, {}).mode, 1u);

    fields = resetCardItemFields(1);
    fields.lists[static_cast<int>(CardList::BudgetMode)] = 1;
    EXPECT_EQ(cardItemFromFields(fields, values, {}), (CardItem{1, 1, 900}));

    fields = resetCardItemFields(3);
    EXPECT_EQ(cardItemFromFields(fields, values, {}), (CardItem{3, 2, 56 * kHalf + 12}));
    fields.lists[static_cast<int>(CardList::JobTarget)] = 1;
    EXPECT_EQ(cardItemFromFields(fields, values, {}), (CardItem{3, 2, 57 * kHalf + 12}));

    fields = resetCardItemFields(4);
    EXPECT_EQ(cardItemFromFields(fields, values, {}), (CardItem{4, 2, 312}));
    fields.lists[static_cast<int>(CardList::Sound)] = 1;
    EXPECT_EQ(cardItemFromFields(fields, values, {}), (CardItem{4, 2, 311}));

    // No radio selected: the item comes back as it was.
    const CardItem odd{7, 3, 99};
    EXPECT_EQ(cardItemFromFields(cardItemFields(odd), values, odd), odd);
}

TEST(CardItemFields, EditRangesAndKinds) {
    EXPECT_EQ(cardEditKind(CardEdit::Amount), NumericKind::Unsigned);
    EXPECT_EQ(
        checkNumericField("65536", cardEditKind(CardEdit::Amount), cardEditRange(CardEdit::Amount))
            .message,
        "Please enter an integer between 0 and 65535.");
    EXPECT_EQ(
        checkNumericField("-1", cardEditKind(CardEdit::Amount), cardEditRange(CardEdit::Amount))
            .message,
        "Please enter a positive integer.");
    EXPECT_EQ(
        checkNumericField("x", cardEditKind(CardEdit::Points), cardEditRange(CardEdit::Points))
            .message,
        "Please enter an integer.");
    EXPECT_EQ(
        checkNumericField("1001", cardEditKind(CardEdit::Number), cardEditRange(CardEdit::Number))
            .message,
        "Please enter an integer between 0 and 1000.");
}

// ---- Confirming a card ----------------------------------------------------------

std::string globalText(const CareerDatabase& db, std::size_t entry, int slot) {
    std::string text;
    db.globalText(entry, slot, text);
    return text;
}

TEST(ConfirmCard, ExactlyOneSoundItemIsRequired) {
    test::LoadedCardDatabase loaded;
    ASSERT_TRUE(loaded.ok());
    std::uint16_t index = 0;
    EXPECT_EQ(confirmCard(loaded.db, index, {CardItem::sound(312), CardItem::sound(311)}, 0, "t"),
              CardConfirmation::NeedOneSound);
    EXPECT_EQ(confirmCard(loaded.db, index, {kNewCardItem}, 0, "t"),
              CardConfirmation::NeedOneSound);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(loaded.db.textEntryFree(12));
}

TEST(ConfirmCard, ANewTextTakesTheLowestFreeEntryInTheDialogLanguageOnly) {
    test::LoadedCardDatabase loaded;
    ASSERT_TRUE(loaded.ok());
    std::uint16_t index = 0;
    EXPECT_EQ(confirmCard(loaded.db, index, {kNewCardItem, CardItem::sound(312)}, 2, "Bonjour"),
              CardConfirmation::Stored);
    EXPECT_EQ(index, 13);
    EXPECT_FALSE(loaded.db.textEntryFree(12));
    EXPECT_EQ(globalText(loaded.db, 12, 2), "Bonjour");
    EXPECT_EQ(globalText(loaded.db, 12, 0), "");

    // A card with an entry rewrites it in place.
    EXPECT_EQ(confirmCard(loaded.db, index, {CardItem::sound(311)}, 0, "Hello"),
              CardConfirmation::Stored);
    EXPECT_EQ(index, 13);
    EXPECT_EQ(globalText(loaded.db, 12, 0), "Hello");
    EXPECT_EQ(globalText(loaded.db, 12, 2), "Bonjour");
}

TEST(ConfirmCard, NoItemsGivesTheEntryBackWithoutSoundCheck) {
    test::LoadedCardDatabase loaded;
    ASSERT_TRUE(loaded.ok());
    std::uint16_t index = 0;
    ASSERT_EQ(confirmCard(loaded.db, index, {CardItem::sound(312)}, 0, "x"),
              CardConfirmation::Stored);
    ASSERT_EQ(index, 13);
    EXPECT_EQ(confirmCard(loaded.db, index, {}, 0, "ignored"), CardConfirmation::Stored);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(loaded.db.textEntryFree(12));
    EXPECT_EQ(globalText(loaded.db, 12, 0), "x");
}

TEST(ConfirmCard, NoFreeEntryLeavesTheCardWithoutText) {
    test::LoadedCardDatabase loaded;
    ASSERT_TRUE(loaded.ok());
    loaded.useAllTextEntries();
    std::uint16_t index = 0;
    EXPECT_EQ(confirmCard(loaded.db, index, {CardItem::sound(312)}, 0, "lost"),
              CardConfirmation::NoFreeEntry);
    EXPECT_EQ(index, 0);
}

}  // namespace
}  // namespace jf
