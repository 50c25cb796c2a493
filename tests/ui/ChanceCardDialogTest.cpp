#include "ui/ChanceCardDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "careers/ChanceCardForm.h"
#include "support/LoadedCardDatabase.h"
#include "support/ScriptedPrompts.h"
#include "ui/CardItemDialog.h"

namespace jf {
namespace {

using test::fieldMessage;
using test::retype;

constexpr int kFrench = 2;
constexpr int kJapanese = 14;

QStringList lines(const QListWidget& list) {
    QStringList result;
    for (int row = 0; row < list.count(); ++row) {
        result << list.item(row)->text();
    }
    return result;
}

class ChanceCardDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loaded.ok()); }

    void open(int language = 0) {
        dialog = std::make_unique<ChanceCardListDialog>(prompts, loaded.db, card, language);
        dialog->show();
    }
    // Each item edit answers with the next scripted result (OK with the item
    // set to `to`, or Cancel when nullopt).
    void scriptEdits(std::vector<std::optional<CardItem>> answers) {
        edits = std::move(answers);
        dialog->setItemEditor([this](QWidget*, CardItem& item) {
            opened.push_back(item);
            if (edits.empty() || !edits.front()) {
                if (!edits.empty()) {
                    edits.erase(edits.begin());
                }
                return false;
            }
            item = *edits.front();
            edits.erase(edits.begin());
            return true;
        });
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    std::string global(std::size_t entry, int slot) {
        std::string text;
        loaded.db.globalText(entry, slot, text);
        return text;
    }

    test::LoadedCardDatabase loaded;
    test::ScriptedPrompts prompts;
    ChanceCard card;
    std::unique_ptr<ChanceCardListDialog> dialog;
    std::vector<std::optional<CardItem>> edits;
    std::vector<CardItem> opened;
};

TEST_F(ChanceCardDialogTest, EnterPressesTheFocusedButton) {
    card.items = {CardItem::sound(312)};
    open();
    scriptEdits({std::nullopt, std::nullopt});
    test::pressEnterIn(dialog->editButton());
    EXPECT_EQ(opened, std::vector<CardItem>{CardItem::sound(312)});
    test::pressEnterIn(dialog->addButton());
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(dialog->items().size(), 2u);
    test::pressEnterIn(dialog->deleteButton());
    EXPECT_EQ(dialog->items(), std::vector<CardItem>{CardItem::sound(312)});
    EXPECT_TRUE(dialog->isVisible());

    test::pressEnterIn(dialog->cancelButton());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(card.textIndex, 0);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ChanceCardDialogTest, EnterWithTheFocusOutsideTheButtonsPressesOk) {
    card.items = {CardItem::sound(312)};
    open();
    test::pressEnterIn(dialog->itemList());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_NE(card.textIndex, 0);
}

TEST_F(ChanceCardDialogTest, ShowsTheTextInItsLanguageAndTheItemLines) {
    ASSERT_TRUE(loaded.db.setGlobalText(12, kFrench, "Bonne chance"));
    card.textIndex = 13;
    card.items = {CardItem::budget(1, 300), CardItem::skill(0, CardItem::kSkillLogic, 2),
                  CardItem::job(56, 3), CardItem::sound(312)};
    open(kFrench);
    EXPECT_EQ(dialog->windowTitle(), "Chance cards...");
    EXPECT_EQ(dialog->textField()->toPlainText(), "Bonne chance");
    EXPECT_EQ(lines(*dialog->itemList()),
              (QStringList{"Budget: subtract 300", "Skill: Logic add 2 study point(s)",
                           "Job: Career Path set to 3", "Sound: Positive (Good)"}));
    EXPECT_EQ(dialog->itemList()->currentRow(), 0);
    EXPECT_TRUE(dialog->editButton()->isEnabled());
    EXPECT_TRUE(dialog->deleteButton()->isEnabled());
}

TEST_F(ChanceCardDialogTest, AddThenCancelLeavesTheNewBudgetItem) {
    open();
    EXPECT_FALSE(dialog->editButton()->isEnabled());
    bool sawItemDialog = false;
    test::whenModal<ChanceCardItemDialog>([&](ChanceCardItemDialog& item) {
        sawItemDialog = true;
        EXPECT_TRUE(item.radio(1)->isChecked());
        EXPECT_EQ(item.edit(CardEdit::Amount)->text(), "1000");
        QTest::mouseClick(item.cancelButton(), Qt::LeftButton);
    });
    click(dialog->addButton());
    EXPECT_TRUE(sawItemDialog);
    EXPECT_EQ(lines(*dialog->itemList()), QStringList{"Budget: add 1000"});
    EXPECT_EQ(dialog->itemList()->currentRow(), 0);
    EXPECT_TRUE(dialog->editButton()->isEnabled());
}

TEST_F(ChanceCardDialogTest, EditReplacesTheSelectedItem) {
    card.items = {CardItem::sound(312), CardItem::budget(0, 5)};
    open();
    scriptEdits({CardItem::skill(1, CardItem::kSkillBody, 9)});
    dialog->itemList()->setCurrentRow(1);
    click(dialog->editButton());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], CardItem::budget(0, 5));
    EXPECT_EQ(lines(*dialog->itemList()),
              (QStringList{"Sound: Positive (Good)", "Skill: Body subtract 9 study point(s)"}));
    EXPECT_EQ(dialog->itemList()->currentRow(), 1);
    // A double-click edits too.
    scriptEdits({std::nullopt});
    QListWidget* list = dialog->itemList();
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], CardItem::sound(312));
}

TEST_F(ChanceCardDialogTest, TwoSoundItemsOrNoneCannotBeConfirmed) {
    card.items = {CardItem::sound(312), CardItem::sound(311)};
    const ChanceCard before = card;
    open();
    click(dialog->okButton());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], (PromptMessage{"You must have exactly one sound item!", "Error",
                                               PromptButtons::Ok, PromptIcon::Warning}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    dialog->itemList()->setCurrentRow(0);
    click(dialog->deleteButton());
    click(dialog->deleteButton());
    scriptEdits({std::nullopt});
    click(dialog->addButton());  // a budget item only
    click(dialog->okButton());
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(card, before);
    EXPECT_TRUE(loaded.db.textEntryFree(12));
}

TEST_F(ChanceCardDialogTest, ANewCardTextTakesTheLowestFreeEntryInTheDialogLanguage) {
    card.items = {CardItem::sound(311)};
    open(kFrench);
    dialog->textField()->setPlainText(QString::fromUtf8("Vous \xC3\xAAtes promu\nBravo"));
    click(dialog->okButton());
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(card.textIndex, 13);
    EXPECT_FALSE(loaded.db.textEntryFree(12));
    EXPECT_EQ(global(12, kFrench), "Vous \xEAtes promu\r\nBravo");
    EXPECT_EQ(global(12, 0), "");
    EXPECT_EQ(card.items, std::vector<CardItem>{CardItem::sound(311)});
}

TEST_F(ChanceCardDialogTest, DeletingEveryItemGivesTheTextBack) {
    card.items = {CardItem::sound(312)};
    ASSERT_TRUE(loaded.db.allocateCardText(card));
    ASSERT_EQ(card.textIndex, 13);
    ASSERT_TRUE(loaded.db.setGlobalText(12, 0, "Old text"));
    open();
    click(dialog->deleteButton());
    EXPECT_EQ(dialog->itemList()->count(), 0);
    EXPECT_FALSE(dialog->editButton()->isEnabled());
    EXPECT_FALSE(dialog->deleteButton()->isEnabled());
    click(dialog->okButton());
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(card.textIndex, 0);
    EXPECT_TRUE(card.items.empty());
    EXPECT_TRUE(loaded.db.textEntryFree(12));
}

TEST_F(ChanceCardDialogTest, DeletingTheLastRowSelectsTheNewLastRow) {
    card.items = {CardItem::sound(312), CardItem::budget(0, 1), CardItem::budget(0, 2)};
    open();
    dialog->itemList()->setCurrentRow(2);
    click(dialog->deleteButton());
    EXPECT_EQ(dialog->itemList()->currentRow(), 1);
    EXPECT_TRUE(dialog->itemList()->item(1)->isSelected());
    dialog->itemList()->setCurrentRow(0);
    click(dialog->deleteButton());
    EXPECT_EQ(lines(*dialog->itemList()), QStringList{"Budget: add 1"});
    EXPECT_TRUE(dialog->itemList()->item(0)->isSelected());
}

TEST_F(ChanceCardDialogTest, CancelChangesNothing) {
    card.items = {CardItem::sound(312)};
    open();
    dialog->textField()->setPlainText("typed");
    click(dialog->deleteButton());
    click(dialog->cancelButton());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(card.items, std::vector<CardItem>{CardItem::sound(312)});
    EXPECT_EQ(card.textIndex, 0);
    EXPECT_TRUE(loaded.db.textEntryFree(12));
}

TEST_F(ChanceCardDialogTest, WithoutAFreeEntryTheOverflowWarningIsShown) {
    loaded.useAllTextEntries();
    card.items = {CardItem::sound(312), CardItem::budget(0, 10)};
    open();
    dialog->textField()->setPlainText("Nowhere to go");
    click(dialog->okButton());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"Message overflow!\n\nYou have too many chance cards!\n\nIt is "
                             "recommended to have only 4 chance cards per career!",
                             "Overflow Warning", PromptButtons::Ok, PromptIcon::Error}));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(card.textIndex, 0);
    EXPECT_EQ(card.items.size(), 2u);
}

TEST_F(ChanceCardDialogTest, EnterPressesOkAndCtrlEnterBreaksTheLine) {
    card.items = {CardItem::sound(312)};
    open();
    dialog->textField()->setFocus();
    QTest::keyClicks(dialog->textField(), "One");
    QTest::keyClick(dialog->textField(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(dialog->textField(), "Two");
    EXPECT_EQ(dialog->textField()->toPlainText(), "One\nTwo");
    QTest::keyClick(dialog->textField(), Qt::Key_Return);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(global(12, 0), "One\r\nTwo");
}

TEST_F(ChanceCardDialogTest, AnUndecodableTextIsKeptByteForByteWhenNotEdited) {
    // A Shift-JIS lead byte without its second byte.
    ASSERT_TRUE(loaded.db.setGlobalText(12, kJapanese, "abc\x82"));
    card.textIndex = 13;
    card.items = {CardItem::sound(312)};
    open(kJapanese);
    click(dialog->okButton());
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(global(12, kJapanese), "abc\x82");
}

TEST_F(ChanceCardDialogTest, ATextTheLanguageCannotHoldIsRefused) {
    card.items = {CardItem::sound(312)};
    open(kFrench);
    dialog->textField()->setPlainText(QString::fromUtf8("Le \xE6\x97\xA5\xE6\x9C\xAC"));
    click(dialog->okButton());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"The text contains a character that cannot be stored in the code page "
                             "of its language.\n\nPlease change the text.\n\nCharacter: "
                             "\xC2\xAB\xE6\x97\xA5\xC2\xBB (U+65E5), language: French",
                             "Warning", PromptButtons::Ok, PromptIcon::Warning}));
    EXPECT_EQ(dialog->focusWidget(), dialog->textField());
    EXPECT_EQ(dialog->textField()->textCursor().selectedText(),
              QString::fromUtf8("Le \xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(card.textIndex, 0);
    EXPECT_TRUE(loaded.db.textEntryFree(12));
}

// ---- The item dialog --------------------------------------------------------------

class CardItemDialogTest : public ::testing::Test {
protected:
    void open(CardItem start) {
        item = start;
        dialog = std::make_unique<ChanceCardItemDialog>(prompts, item);
        dialog->show();
    }
    void pressOk() { QTest::mouseClick(dialog->okButton(), Qt::LeftButton); }

    test::ScriptedPrompts prompts;
    CardItem item;
    std::unique_ptr<ChanceCardItemDialog> dialog;
};

TEST_F(CardItemDialogTest, ListsHoldTheirEntriesInOrder) {
    open(kNewCardItem);
    EXPECT_EQ(dialog->windowTitle(), "Chance card...");
    QComboBox* skills = dialog->list(CardList::Skill);
    ASSERT_EQ(skills->count(), 6);
    EXPECT_EQ(skills->itemText(1), "Mechanical");
    EXPECT_EQ(skills->itemText(5), "Creativity");
    EXPECT_EQ(dialog->list(CardList::JobTarget)->itemText(1), "Promotion Level");
    EXPECT_EQ(dialog->list(CardList::Sound)->itemText(0), "Positive (Good)");
    EXPECT_EQ(dialog->list(CardList::BudgetMode)->itemText(1), "Subtract");
    // Only the budget group is enabled.
    EXPECT_TRUE(dialog->edit(CardEdit::Amount)->isEnabled());
    EXPECT_FALSE(dialog->edit(CardEdit::Points)->isEnabled());
    EXPECT_FALSE(dialog->list(CardList::Sound)->isEnabled());
}

TEST_F(CardItemDialogTest, SkillThirteenShowsCooking) {
    open({CardItem::kKindSkill, 1, 13u * 65536u + 7u});
    EXPECT_TRUE(dialog->radio(2)->isChecked());
    EXPECT_EQ(dialog->list(CardList::Skill)->currentText(), "Cooking");
    EXPECT_EQ(dialog->list(CardList::SkillMode)->currentText(), "Subtract");
    EXPECT_EQ(dialog->edit(CardEdit::Points)->text(), "7");
    EXPECT_EQ(describeItem(item), "Skill: unknown subtract 7 study point(s)");
}

TEST_F(CardItemDialogTest, BudgetAmountsOutsideSixteenBitsAreRefused) {
    open({CardItem::kKindBudget, CardItem::kModeAdd, 70000});
    EXPECT_EQ(dialog->edit(CardEdit::Amount)->text(), "70000");
    pressOk();
    retype(dialog->edit(CardEdit::Amount), "");
    pressOk();
    // Once the field holds what it can, typing takes neither a minus nor
    // more than 65535.
    retype(dialog->edit(CardEdit::Amount), "65536");
    EXPECT_EQ(dialog->edit(CardEdit::Amount)->text(), "");
    retype(dialog->edit(CardEdit::Amount), "-1");
    EXPECT_EQ(dialog->edit(CardEdit::Amount)->text(), "");
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer between 0 and 65535."));
    EXPECT_EQ(prompts.shown[1], fieldMessage("Please enter a positive integer."));
    EXPECT_EQ(dialog->focusWidget(), dialog->edit(CardEdit::Amount));
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    retype(dialog->edit(CardEdit::Amount), "65535");
    dialog->list(CardList::BudgetMode)->setCurrentIndex(1);
    pressOk();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(item, (CardItem{1, 1, 65535}));
    EXPECT_EQ(dialog->edit(CardEdit::Amount)->toolTip(), "An integer from 0 to 65535.");
}

TEST_F(CardItemDialogTest, NumberFieldsTakeDigitsOnly) {
    open(kNewCardItem);
    QLineEdit* amount = dialog->edit(CardEdit::Amount);
    amount->selectAll();
    QTest::keyClicks(amount, "-2k5");
    EXPECT_EQ(amount->text(), "25");
    EXPECT_EQ(dialog->edit(CardEdit::Number)->toolTip(), "An integer from 0 to 1000.");
    EXPECT_EQ(dialog->edit(CardEdit::Points)->toolTip(), "An integer from 0 to 1000.");
    pressOk();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(item, (CardItem{1, 0, 25}));
}

TEST_F(CardItemDialogTest, ARadioClickResetsAndEnablesItsGroup) {
    open(kNewCardItem);
    retype(dialog->edit(CardEdit::Amount), "500");
    QTest::mouseClick(dialog->radio(2), Qt::LeftButton);
    EXPECT_TRUE(dialog->radio(2)->isChecked());
    EXPECT_FALSE(dialog->radio(1)->isChecked());
    EXPECT_EQ(dialog->edit(CardEdit::Amount)->text(), "0");
    EXPECT_FALSE(dialog->edit(CardEdit::Amount)->isEnabled());
    EXPECT_TRUE(dialog->edit(CardEdit::Points)->isEnabled());
    EXPECT_EQ(dialog->list(CardList::Skill)->currentIndex(), 0);
    dialog->list(CardList::Skill)->setCurrentIndex(4);  // Logic
    retype(dialog->edit(CardEdit::Points), "2");
    pressOk();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(describeItem(item), "Skill: Logic add 2 study point(s)");
}

TEST_F(CardItemDialogTest, ABadFieldAtARadioClickIsReportedAndTheResetGoesAhead) {
    open(CardItem::job(57, 2000));
    QTest::mouseClick(dialog->radio(4), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer between 0 and 1000."));
    EXPECT_TRUE(dialog->radio(4)->isChecked());
    EXPECT_EQ(dialog->edit(CardEdit::Number)->text(), "0");
    dialog->list(CardList::Sound)->setCurrentIndex(1);
    pressOk();
    EXPECT_EQ(item, CardItem::sound(311));
}

TEST_F(CardItemDialogTest, JobItemsMapTheirTarget) {
    open(CardItem::job(56, 12));
    EXPECT_EQ(dialog->list(CardList::JobTarget)->currentText(), "Career Path");
    EXPECT_EQ(dialog->edit(CardEdit::Number)->text(), "12");
    dialog->list(CardList::JobTarget)->setCurrentIndex(1);
    pressOk();
    EXPECT_EQ(item, CardItem::job(57, 12));
}

TEST_F(CardItemDialogTest, AnUnknownKindComesBackUnchanged) {
    open({9, 4, 12345});
    for (std::uint32_t kind = 1; kind <= 4; ++kind) {
        EXPECT_FALSE(dialog->radio(kind)->isChecked());
    }
    EXPECT_TRUE(dialog->edit(CardEdit::Points)->isEnabled());
    EXPECT_EQ(dialog->list(CardList::Skill)->currentIndex(), -1);
    pressOk();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(item, (CardItem{9, 4, 12345}));
}

TEST_F(CardItemDialogTest, CancelLeavesTheItem) {
    open(CardItem::sound(312));
    dialog->list(CardList::Sound)->setCurrentIndex(1);
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(item, CardItem::sound(312));
}

}  // namespace
}  // namespace jf
