#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "MainDialogFixture.h"

namespace jf {
namespace {

using test::kSlotFrench;
using test::kSlotGerman;
using test::kSlotUsEnglish;

class LanguageMenuTest : public test::MainDialogFixture {};

TEST_F(LanguageMenuTest, SwitchingLanguageWithAJobSelectedShowsItsTexts) {
    open();
    window->action(32774)->trigger();  // French
    EXPECT_EQ(window->currentLanguage(), kSlotFrench);
    EXPECT_TRUE(window->action(32774)->isChecked());
    EXPECT_FALSE(window->action(32772)->isChecked());
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("A e0 s2"));
    EXPECT_EQ(shown(TextField::FemaleOffer), QStringLiteral("A e2 s2"));
    // The French job name holds a line break, shown as backslash n.
    EXPECT_EQ(shown(TextField::MaleJobName), QStringLiteral("Petit\\nCommis"));
    EXPECT_EQ(shown(TextField::JobDescription), QStringLiteral("A e4 s2"));
    // The internal name belongs to no language.
    EXPECT_EQ(shown(TextField::InternalCareerName), QStringLiteral("CareerA"));
    EXPECT_TRUE(window->isClean());

    // Edits now go into French.
    retype(TextField::CareerName, QStringLiteral("Bureau"));
    EXPECT_EQ(entry(0, 0, kSlotFrench), "Bureau");
    EXPECT_EQ(entry(0, 0, kSlotUsEnglish), "A e0 s0");

    // Danish (32794) is slot 7 although its id is out of order.
    window->action(32794)->trigger();
    EXPECT_EQ(window->currentLanguage(), 7);
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("A e0 s7"));
}

TEST_F(LanguageMenuTest, TheChineseEntriesNameTheScriptTheirSlotHolds) {
    // 校车 (school bus) in GBK under language byte 17, 校車 in Big5 under 18.
    constexpr char kGbk[] = "\xD0\xA3\xB3\xB5";
    constexpr char kBig5[] = "\xAE\xD5\xA8\xAE";
    installation.tracks[0].texts[0][16] = kGbk;
    installation.tracks[0].texts[0][17] = kBig5;
    open();

    QAction* simplified = window->action(32783);
    QAction* traditional = window->action(32784);
    ASSERT_NE(simplified, nullptr);
    ASSERT_NE(traditional, nullptr);
    EXPECT_EQ(simplified->text(), QStringLiteral("Simplified Chinese"));
    EXPECT_EQ(traditional->text(), QStringLiteral("Traditional Chinese"));
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_GE(menus.size(), 4);
    const QList<QAction*> entries = menus[3]->menu()->actions();
    ASSERT_GE(entries.size(), 18);
    EXPECT_EQ(entries[16], simplified);
    EXPECT_EQ(entries[17], traditional);

    simplified->trigger();
    EXPECT_EQ(window->currentLanguage(), 16);
    EXPECT_EQ(shown(TextField::CareerName), QString::fromUtf8("\xE6\xA0\xA1\xE8\xBD\xA6"));
    traditional->trigger();
    EXPECT_EQ(window->currentLanguage(), 17);
    EXPECT_EQ(shown(TextField::CareerName), QString::fromUtf8("\xE6\xA0\xA1\xE8\xBB\x8A"));

    // Typing in Traditional Chinese stores Big5.
    retype(TextField::CareerName, QString());
    typeText(window->fieldWidget(TextField::CareerName), QString::fromUtf8("\xE8\xBB\x8A"));
    EXPECT_EQ(entry(0, 0, 17), "\xA8\xAE");
    EXPECT_EQ(entry(0, 0, 16), kGbk);
}

TEST_F(LanguageMenuTest, SwitchingLanguageWithoutACareerOnlyMovesTheTick) {
    open();
    clickRow(careers(), 0, Qt::ControlModifier);
    ASSERT_EQ(careers().selectedRow(), -1);
    window->action(32775)->trigger();  // German
    EXPECT_EQ(window->currentLanguage(), kSlotGerman);
    EXPECT_TRUE(window->action(32775)->isChecked());
    EXPECT_EQ(shown(TextField::CareerName), QString());
    EXPECT_TRUE(window->isClean());
    // Selecting a career then shows German.
    clickRow(careers(), 1);
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("B e0 s3"));
}

TEST_F(LanguageMenuTest, SetAllAnsweredNoChangesNothing) {
    open();
    prompts.answers = {PromptAnswer::No};
    window->action(command::kSetAll)->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"Do you really want to set the texts of all other languages to the "
                             "current language?",
                             "Warning", PromptButtons::YesNo, PromptIcon::Question}));
    EXPECT_EQ(entry(0, 0, kSlotFrench), "A e0 s2");
    EXPECT_TRUE(window->isClean());
}

TEST_F(LanguageMenuTest, SetAllYesThenNoCopiesTheTrackTextsOnly) {
    open();
    window->setLanguage(kSlotGerman);
    clickRow(careers(), 1);
    prompts.answers = {PromptAnswer::Yes, PromptAnswer::No};
    window->action(command::kSetAll)->trigger();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1],
              (PromptMessage{"Do you want to set the texts of the Chance Cards as well?",
                             "Jobforge 3", PromptButtons::YesNo, PromptIcon::Question}));
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        for (std::size_t row = 0; row < 33; ++row) {
            EXPECT_EQ(entry(1, row, slot), "B e" + std::to_string(row) + " s3") << row << slot;
        }
    }
    // Only the shown track changes.
    EXPECT_EQ(entry(0, 5, kSlotFrench), "A e5 s2");
    EXPECT_EQ(entry(2, 5, kSlotFrench), "C e5 s2");
    EXPECT_FALSE(window->isClean());
}

TEST_F(LanguageMenuTest, SetAllYesThenYesCopiesTheCardTextsToo) {
    open();
    const ChanceCard* card = database().chanceCard(0, 0);
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(card->textIndex, installation.cardTextIndex);
    const std::size_t cardEntry = card->textIndex - 1u;
    window->setLanguage(kSlotGerman);
    prompts.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    window->action(command::kSetAll)->trigger();
    EXPECT_EQ(prompts.shown.size(), 2u);
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        std::string text;
        ASSERT_TRUE(database().globalText(cardEntry, slot, text));
        EXPECT_EQ(text, "global e" + std::to_string(cardEntry) + " s3") << slot;
        // Entries of no card of this track stay.
        ASSERT_TRUE(database().globalText(0, slot, text));
        EXPECT_EQ(text, "global e0 s" + std::to_string(slot));
        EXPECT_EQ(entry(0, 1, slot), "A e1 s3");
    }
    EXPECT_FALSE(window->isClean());
}

}  // namespace
}  // namespace jf
