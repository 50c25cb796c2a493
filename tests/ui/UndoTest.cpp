// Undo and Redo as the user meets them in the main window: keys in the text
// fields, the place shown after undoing, the title's unsaved marker, and a
// File Save that keeps the history and the place.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTest>

#include "MainDialogFixture.h"

namespace jf {
namespace {

class UndoTest : public test::MainDialogFixture {
protected:
    QLineEdit* lineEdit(TextField field) {
        return qobject_cast<QLineEdit*>(window->fieldWidget(field));
    }
    // Types at the end of a field, keystroke by keystroke, as the user does.
    void typeAtEnd(TextField field, const char* text) {
        QLineEdit* edit = lineEdit(field);
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, text);
    }
    QString undoText() { return window->action(command::kUndo)->text(); }
};

TEST_F(UndoTest, CtrlZInAFieldTakesBackTheTypedWordAndTheMarker) {
    open();
    const QString before = shown(TextField::CareerName);
    typeAtEnd(TextField::CareerName, "XYZ");
    EXPECT_EQ(entry(0, 0, 0), "A e0 s0XYZ");
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Change Career Name"));
    EXPECT_EQ(document->history().count(), 1u);  // three keystrokes, one step

    // The key goes to the window's Undo, not to the field's own history.
    QTest::keyClick(lineEdit(TextField::CareerName), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shown(TextField::CareerName), before);
    EXPECT_EQ(entry(0, 0, 0), "A e0 s0");
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_FALSE(window->action(command::kUndo)->isEnabled());
    EXPECT_EQ(window->action(command::kRedo)->text(), QStringLiteral("&Redo Change Career Name"));

    QTest::keyClick(lineEdit(TextField::CareerName), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(shown(TextField::CareerName), before + "XYZ");
    EXPECT_TRUE(window->isWindowModified());
    QTest::keyClick(lineEdit(TextField::CareerName), Qt::Key_Z,
                    Qt::ControlModifier | Qt::ShiftModifier);  // nothing left to redo
    EXPECT_EQ(entry(0, 0, 0), "A e0 s0XYZ");
}

TEST_F(UndoTest, UndoAcrossAJobLevelChangeShowsThatLevelAndLanguage) {
    open();
    clickRow(jobs(), 2);
    window->setLanguage(2);
    typeAtEnd(TextField::FemaleJobName, "!");
    const std::string edited = entry(0, 25, 2);
    clickRow(jobs(), 5);
    window->setLanguage(0);
    typeAtEnd(TextField::FemaleJobName, "?");
    EXPECT_EQ(document->history().count(), 2u);  // a new level is a new step

    window->action(command::kUndo)->trigger();
    EXPECT_EQ(jobs().selectedRow(), 5);
    window->action(command::kUndo)->trigger();
    EXPECT_EQ(entry(0, 25, 2), edited.substr(0, edited.size() - 1));
    EXPECT_EQ(jobs().selectedRow(), 2);
    EXPECT_EQ(window->currentLanguage(), 2);
    EXPECT_EQ(shown(TextField::FemaleJobName),
              QString::fromStdString(edited.substr(0, edited.size() - 1)));
    EXPECT_TRUE(window->isClean());
}

TEST_F(UndoTest, UndoOfAnInternalNameRenamesTheCareerRowBack) {
    open();
    clickRow(careers(), 1);
    typeAtEnd(TextField::InternalCareerName, "X");
    clickRow(careers(), 2);
    EXPECT_EQ(careers().rowText(1, 1), QStringLiteral("CareerBX"));
    window->action(command::kUndo)->trigger();
    EXPECT_EQ(careers().rowText(1, 1), QStringLiteral("CareerB"));
    EXPECT_EQ(careers().selectedRow(), 1);
    EXPECT_EQ(shown(TextField::InternalCareerName), QStringLiteral("CareerB"));
}

TEST_F(UndoTest, SaveKeepsThePlaceAndTheHistory) {
    open();
    clickRow(careers(), 2);
    clickRow(jobs(), 4);
    window->setLanguage(3);
    const QString before = shown(TextField::CareerName);
    typeAtEnd(TextField::CareerName, "Z");
    window->action(command::kSave)->trigger();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(careers().selectedRow(), 2);
    EXPECT_EQ(jobs().selectedRow(), 4);
    EXPECT_EQ(window->currentLanguage(), 3);
    EXPECT_TRUE(window->action(32775)->isChecked());  // German
    EXPECT_EQ(shown(TextField::CareerName), before + "Z");
    EXPECT_FALSE(window->isWindowModified());

    // The step before the save can still be undone, and the data is then
    // unsaved; redoing it reaches the saved state again.
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Change Career Name"));
    const std::vector<std::uint8_t> saved = bytesOf(test::kTestCareersPath);
    window->action(command::kUndo)->trigger();
    EXPECT_EQ(shown(TextField::CareerName), before);
    EXPECT_TRUE(window->isWindowModified());
    window->action(command::kRedo)->trigger();
    EXPECT_FALSE(window->isWindowModified());
    // Undo and Redo never write: only Save does.
    EXPECT_EQ(bytesOf(test::kTestCareersPath), saved);
}

}  // namespace
}  // namespace jf
