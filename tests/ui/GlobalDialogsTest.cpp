// The global options and global texts dialogs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "careers/DefaultTexts.h"
#include "careers/GlobalOptionsForm.h"
#include "careers/GlobalTextsForm.h"
#include "platform/CodePages.h"
#include "support/LoadedCardDatabase.h"
#include "support/ScriptedPrompts.h"
#include "ui/GlobalOptionsDialog.h"
#include "ui/GlobalTextsDialog.h"
#include "ui/SpinButton.h"

namespace jf {
namespace {

using test::fieldMessage;
using test::retype;

// ---- Global options ------------------------------------------------------------------

class GlobalOptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loaded.ok()); }
    void open() {
        dialog = std::make_unique<GlobalOptionsDialog>(prompts, loaded.db);
        dialog->show();
    }
    // OK; when the dialog accepts a change, the values go into the table as
    // the editor's document stores them.
    void pressOk() {
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        if (dialog->result() == QDialog::Accepted && dialog->changed()) {
            storeGlobalOptions(loaded.db.globalOptions(), dialog->values());
        }
    }
    std::vector<std::int16_t> values() const { return loaded.db.globalOptions().values(); }

    test::LoadedCardDatabase loaded;
    test::ScriptedPrompts prompts;
    std::unique_ptr<GlobalOptionsDialog> dialog;
};

TEST_F(GlobalOptionsDialogTest, FieldsShowTheTableInScreenOrder) {
    // The sample table: 500, 30, 8, 15, 2, 40, -40, 25.
    open();
    EXPECT_EQ(dialog->windowTitle(), "Global options");
    const QStringList expected{"500", "30", "8", "15", "40", "-40", "2", "25"};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(dialog->edit(i)->text(), expected[static_cast<int>(i)]) << i;
    }
    EXPECT_EQ(dialog->spin(6)->maximum(), 10);  // promotion bonus, entry 4
    EXPECT_EQ(dialog->spin(0)->maximum(), 32767);
    EXPECT_EQ(dialog->spin(4)->minimum(), -100);
    EXPECT_FALSE(dialog->changed());
}

TEST_F(GlobalOptionsDialogTest, OkWithoutTouchingAnythingWritesNothing) {
    // A short table would grow to eight entries if anything were written.
    loaded.db.globalOptions().assign(GlobalOptions());
    ASSERT_TRUE(loaded.db.setOption(0, 100));
    open();
    EXPECT_EQ(dialog->edit(7)->text(), "0");
    pressOk();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->changed());
    EXPECT_EQ(values(), std::vector<std::int16_t>{100});
}

TEST_F(GlobalOptionsDialogTest, ASpinClickAndBackCountsAsAChange) {
    open();
    QTest::mouseClick(dialog->spin(1)->upButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->edit(1)->text(), "31");
    QTest::mouseClick(dialog->spin(1)->downButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->edit(1)->text(), "30");
    EXPECT_TRUE(dialog->changed());
}

TEST_F(GlobalOptionsDialogTest, MoodsAcceptMinus100AndRefuseMinus101) {
    ASSERT_TRUE(loaded.db.setOption(6, -101));  // shown in the sixth field
    open();
    retype(dialog->edit(4), "-100");
    retype(dialog->edit(4), "-101");
    EXPECT_EQ(dialog->edit(4)->text(), "-100");  // not taken while typing
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer between -100 and 100."));
    EXPECT_EQ(dialog->focusWidget(), dialog->edit(5));
    EXPECT_EQ(dialog->edit(5)->selectedText(), "-101");
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(values(), (std::vector<std::int16_t>{500, 30, 8, 15, 2, 40, -101, 25}));
}

TEST_F(GlobalOptionsDialogTest, FieldsTakeDigitsAndAMinusOnlyWhereNegativesFit) {
    open();
    QLineEdit* bonus = dialog->edit(0);
    bonus->selectAll();
    QTest::keyClicks(bonus, "-1e3");
    EXPECT_EQ(bonus->text(), "13");
    QLineEdit* mood = dialog->edit(4);
    mood->selectAll();
    QTest::keyClicks(mood, "-5o0");
    EXPECT_EQ(mood->text(), "-50");
    EXPECT_EQ(bonus->toolTip(), "An integer from 0 to 32767.");
    EXPECT_EQ(mood->toolTip(), "An integer from -100 to 100.");
    EXPECT_EQ(dialog->edit(6)->toolTip(), "An integer from 0 to 10.");
    pressOk();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(values(), (std::vector<std::int16_t>{13, 30, 8, 15, 2, -50, -40, 25}));
}

TEST_F(GlobalOptionsDialogTest, ThePromotionBonusIsTheSeventhFieldAndEntryFour) {
    open();
    retype(dialog->edit(6), "7");
    pressOk();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(values(), (std::vector<std::int16_t>{500, 30, 8, 15, 7, 40, -40, 25}));
}

TEST_F(GlobalOptionsDialogTest, FieldsAreReadInTheirOrder) {
    ASSERT_TRUE(loaded.db.setOption(7, 101));  // entry 7, read second
    open();
    retype(dialog->edit(2), "");  // entry 2, read last
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer between 0 and 100."));
    EXPECT_EQ(dialog->focusWidget(), dialog->edit(7));
    retype(dialog->edit(7), "100");
    retype(dialog->edit(0), "");
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1], fieldMessage("Please enter an integer."));
    EXPECT_EQ(dialog->focusWidget(), dialog->edit(0));
}

TEST_F(GlobalOptionsDialogTest, AShortTableGrowsToEightEntriesAfterAChange) {
    loaded.db.globalOptions().assign(GlobalOptions());
    ASSERT_TRUE(loaded.db.setOption(1, 50));
    open();
    retype(dialog->edit(3), "16");
    pressOk();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(values(), (std::vector<std::int16_t>{0, 50, 0, 16, 0, 0, 0, 0}));
}

TEST_F(GlobalOptionsDialogTest, AStoredValueOutOfRangeOpensButMustBeCorrected) {
    ASSERT_TRUE(loaded.db.setOption(4, 12));
    open();
    EXPECT_EQ(dialog->edit(6)->text(), "12");
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer between 0 and 10."));
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// ---- Global texts --------------------------------------------------------------------

constexpr int kFrench = 2;
constexpr int kGerman = 3;
constexpr int kRussian = 12;

class GlobalTextsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loaded.ok()); }
    void open(GlobalTextsDialog::DefaultsSource defaults = {}) {
        dialog = std::make_unique<GlobalTextsDialog>(prompts, loaded.db, std::move(defaults));
        dialog->show();
    }
    // The text the editor would store for (entry, slot): what the dialog
    // kept for that language, else the table's.
    std::string global(std::size_t entry, int slot) {
        const auto kept = dialog->storedTexts().find(slot);
        const auto& fields = globalTextFields();
        for (std::size_t i = 0; kept != dialog->storedTexts().end() && i < fields.size(); ++i) {
            if (fields[i].entry == entry) {
                return kept->second[i];
            }
        }
        return table(entry, slot);
    }
    std::string table(std::size_t entry, int slot) {
        std::string text;
        loaded.db.globalText(entry, slot, text);
        return text;
    }
    void choose(int slot) { dialog->languageList()->setCurrentIndex(slot); }
    // Types at the end of a field as the user does.
    void type(std::size_t position, const QString& text) {
        QWidget* field = dialog->field(position);
        field->setFocus();
        if (auto* multi = qobject_cast<QPlainTextEdit*>(field)) {
            multi->moveCursor(QTextCursor::End);
        } else {
            static_cast<QLineEdit*>(field)->end(false);
        }
        QTest::keyClicks(field, text);
    }
    std::vector<std::string> allTexts() {
        std::vector<std::string> texts;
        for (std::size_t row = 0; row < loaded.db.globalTexts().rowCount(); ++row) {
            for (int slot = 0; slot < 20; ++slot) {
                texts.push_back(global(row, slot));
            }
        }
        return texts;
    }

    test::LoadedCardDatabase loaded;
    test::ScriptedPrompts prompts;
    std::unique_ptr<GlobalTextsDialog> dialog;
};

TEST_F(GlobalTextsDialogTest, OpensInUsEnglishWithTheTenEntries) {
    open();
    EXPECT_EQ(dialog->windowTitle(), "Global texts");
    EXPECT_EQ(dialog->languageList()->currentIndex(), 0);
    EXPECT_EQ(dialog->languageList()->count(), 20);
    EXPECT_EQ(dialog->languageList()->itemText(5), "Spanian");
    EXPECT_EQ(dialog->fieldText(0), "G e0 s0");
    EXPECT_EQ(dialog->fieldText(1), "G e10 s0");
    EXPECT_EQ(dialog->fieldText(9), "G e9 s0");
    EXPECT_FALSE(dialog->dirty());
    EXPECT_FALSE(dialog->changed());
}

TEST_F(GlobalTextsDialogTest, TheTextFieldsGrowWithTheDialog) {
    open();
    const QSize smallest = dialog->size();
    const QRect single = dialog->field(0)->geometry();
    const QRect multi = dialog->field(2)->geometry();
    dialog->resize(smallest + QSize(200, 300));
    EXPECT_EQ(dialog->field(0)->width(), single.width() + 200);
    EXPECT_EQ(dialog->field(0)->height(), single.height());
    EXPECT_GT(dialog->field(2)->height(), multi.height());
    EXPECT_TRUE(dialog->rect().contains(dialog->defaultsButton()->geometry()));
    EXPECT_GT(dialog->okButton()->y(), dialog->field(9)->geometry().bottom());
}

TEST_F(GlobalTextsDialogTest, SwitchingWithoutTypingAsksNothing) {
    open();
    choose(kFrench);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(dialog->fieldText(0), "G e0 s2");
    EXPECT_EQ(dialog->shownLanguage(), kFrench);
}

TEST_F(GlobalTextsDialogTest, AnsweringNoDropsWhatWasTyped) {
    open();
    choose(kFrench);
    type(2, "!");
    choose(kGerman);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"Do you want to save the changes made in this language?", "Question",
                             PromptButtons::YesNo, PromptIcon::Question}));
    EXPECT_EQ(global(1, kFrench), "G e1 s2");
    EXPECT_EQ(table(1, kFrench), "G e1 s2");
    EXPECT_EQ(dialog->fieldText(2), "G e1 s3");
    EXPECT_FALSE(dialog->changed());
}

TEST_F(GlobalTextsDialogTest, AnsweringYesStoresInTheLanguageTheTextsCameFrom) {
    open();
    choose(kFrench);
    type(2, "!");
    prompts.answers = {PromptAnswer::Yes};
    choose(kGerman);
    EXPECT_EQ(global(1, kFrench), "G e1 s2!");
    EXPECT_EQ(global(1, kGerman), "G e1 s3");
    EXPECT_EQ(global(3, kFrench), "G e3 s2");  // entries 3 and 6 untouched
    EXPECT_TRUE(dialog->changed());
    EXPECT_FALSE(dialog->dirty());
}

TEST_F(GlobalTextsDialogTest, CancelDropsWhatWasKeptAtALanguageChange) {
    open();
    type(0, "X");
    prompts.answers = {PromptAnswer::Yes};
    choose(kFrench);
    EXPECT_EQ(global(0, 0), "G e0 s0X");
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    // The dialog worked on its own copy: the table never changed.
    EXPECT_EQ(table(0, 0), "G e0 s0");
}

TEST_F(GlobalTextsDialogTest, OkStoresTheFieldsOnlyWhenTyped) {
    open();
    const std::vector<std::string> before = allTexts();
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->changed());
    EXPECT_EQ(allTexts(), before);

    open();
    choose(kRussian);
    auto* warning = static_cast<QPlainTextEdit*>(dialog->field(3));
    warning->moveCursor(QTextCursor::End);
    warning->insertPlainText(QString::fromUtf8("\xD0\x96"));
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog->changed());
    EXPECT_EQ(global(11, kRussian), "G e11 s12\xC6");  // cp1251
}

TEST_F(GlobalTextsDialogTest, ATextTheLanguageCannotHoldNamesItsCharacter) {
    open();
    choose(kRussian);
    auto* field = qobject_cast<QLineEdit*>(dialog->field(0));
    ASSERT_NE(field, nullptr);
    field->setText(QString::fromUtf8("\xD0\x90\xC3\xA9"));  // "Аé": 1251 has no é
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "The text contains a character that cannot be stored in the code page of its "
              "language.\n\nPlease change the text.\n\nCharacter: \xC2\xAB\xC3\xA9\xC2\xBB "
              "(U+00E9), language: Russian");
    EXPECT_EQ(dialog->focusWidget(), field);
    EXPECT_EQ(field->selectedText(), QString::fromUtf8("\xD0\x90\xC3\xA9"));
    EXPECT_NE(dialog->result(), QDialog::Accepted);
}

TEST_F(GlobalTextsDialogTest, DefaultsThenCancelChangesNothing) {
    open();
    const std::vector<std::string> before = allTexts();
    QTest::mouseClick(dialog->defaultsButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->fieldText(0), "Car Pool");
    EXPECT_TRUE(dialog->dirty());
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->changed());
    EXPECT_EQ(allTexts(), before);
}

TEST_F(GlobalTextsDialogTest, DefaultsThenOkStoresTheDefaultsOfTheSelectedLanguage) {
    GlobalTextValues french;
    ASSERT_EQ(readDefaultGlobalTexts(defaultGlobalTextsBody(), kFrench, french),
              DefaultTextsStatus::Ok);
    open();
    choose(kFrench);
    type(0, "typed");
    QTest::mouseClick(dialog->defaultsButton(), Qt::LeftButton);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(dialog->fieldText(0).toStdString(), toUtf8Lossy(french[0], codePageForSlot(kFrench)));
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const auto& fields = globalTextFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(global(fields[i].entry, kFrench), french[i]) << i;
    }
    EXPECT_EQ(global(0, 0), "G e0 s0");
    EXPECT_EQ(global(6, kFrench), "G e6 s2");
}

TEST_F(GlobalTextsDialogTest, EnterPressesTheFocusedButtonAndOkElsewhere) {
    open();
    const std::vector<std::string> before = allTexts();
    test::pressEnterIn(dialog->defaultsButton());
    EXPECT_EQ(dialog->fieldText(0), "Car Pool");
    EXPECT_TRUE(dialog->isVisible());
    test::pressEnterIn(dialog->cancelButton());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->changed());
    EXPECT_EQ(allTexts(), before);

    open();
    type(0, "!");
    test::pressEnterIn(dialog->field(0));
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(global(0, 0), "G e0 s0!");
}

TEST_F(GlobalTextsDialogTest, MissingOrDamagedDefaultsShowTheirMessages) {
    open([] { return std::vector<std::uint8_t>{}; });
    type(0, "Z");
    QTest::mouseClick(dialog->defaultsButton(), Qt::LeftButton);
    open([] { return std::vector<std::uint8_t>{0xFD, 0xFF, 0x05, 0x00, 0x01}; });
    QTest::mouseClick(dialog->defaultsButton(), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0],
              errorMessage("Error while loading default strings...\n\nDo you have a memory "
                           "problem?",
                           "Error"));
    EXPECT_EQ(prompts.shown[1], errorMessage("Default strings are damaged!", "Error"));
    EXPECT_EQ(dialog->fieldText(0), "G e0 s0");
    EXPECT_FALSE(dialog->dirty());
}

TEST_F(GlobalTextsDialogTest, LineBreaksAreStoredAsCrLf) {
    open();
    QWidget* field = dialog->field(2);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(field, "more");
    QTest::keyClick(field, Qt::Key_Return);  // presses OK
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(global(1, 0), "G e1 s0\r\nmore");
}

}  // namespace
}  // namespace jf
