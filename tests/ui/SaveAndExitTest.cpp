#include <gtest/gtest.h>

#include <QAction>

#include "MainDialogFixture.h"

namespace jf {
namespace {

using test::kSlotUsEnglish;
using test::kTestButtonPath;
using test::kTestCareersPath;
using test::kTestCarPortalPath;
using test::kTestPopupPath;
using test::TestInstallation;

class SaveAndExitTest : public test::MainDialogFixture {
protected:
    struct DiskState {
        std::vector<std::uint8_t> careers, carPortal, buttons, popup;
        bool operator==(const DiskState&) const = default;
    };
    DiskState diskState() {
        return {bytesOf(kTestCareersPath), bytesOf(kTestCarPortalPath), bytesOf(kTestButtonPath),
                bytesOf(kTestPopupPath)};
    }
    // An edit that every save writes into the career file.
    void editCareerName() {
        retype(TextField::CareerName, QStringLiteral("Edited"));
        ASSERT_FALSE(window->isClean());
    }
};

const std::array<const char*, 4> kSaveFailures = {
    "Couldn't save the careers! There's probably a file I/O error!",
    "Couldn't save the chance cards! There's probably a file I/O error!",
    "Couldn't save the Career buttons! There's probably a file I/O error!",
    "Couldn't save the Career popup! There's probably a file I/O error!",
};

TEST_F(SaveAndExitTest, SaveWritesReloadsAndReportsCompletion) {
    open();
    editCareerName();
    const DiskState before = diskState();
    fs.resetCounts();
    window->action(command::kSave)->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], (PromptMessage{"Operation complete!", "Jobforge 3",
                                               PromptButtons::Ok, PromptIcon::Information}));
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(window->isClean());
    EXPECT_EQ(fs.renameCount(), 5u);  // the save journal's and one per file
    const DiskState after = diskState();
    EXPECT_NE(after.careers, before.careers);
    // After the reload the window shows the saved data, language back at 0.
    EXPECT_EQ(window->currentLanguage(), 0);
    EXPECT_EQ(careers().selectedRow(), 0);
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("Edited"));
    EXPECT_EQ(entry(0, 0, kSlotUsEnglish), "Edited");
    EXPECT_EQ(window->result(), 0);
}

// Texts that are only looked at are written back byte for byte; an edit in a
// double-byte code page works on characters, so a trail byte 0x5C is never
// taken for the backslash of "\n".
TEST_F(SaveAndExitTest, LanguageTextsAreWrittenBackUnchanged) {
    open();
    const std::string japaneseName = entry(0, 0, test::kSlotJapanese);
    const std::string russianName = entry(0, 0, test::kSlotRussian);
    window->setLanguage(test::kSlotRussian);
    window->setLanguage(test::kSlotJapanese);
    EXPECT_EQ(shown(TextField::MaleJobName), QString::fromUtf8("\xE8\xA1\xA8n"));
    typeText(window->fieldWidget(TextField::MaleJobName), QStringLiteral("X"));
    EXPECT_EQ(entry(0, 3, test::kSlotJapanese),
              std::string(TestInstallation::kJapaneseJobName) + "X");

    window->action(command::kSave)->trigger();
    ASSERT_EQ(loads, 2);
    EXPECT_EQ(entry(0, 0, test::kSlotJapanese), japaneseName);
    EXPECT_EQ(entry(0, 0, test::kSlotRussian), russianName);
    EXPECT_EQ(entry(0, 3, test::kSlotJapanese), "\x95\x5CnX");
    window->setLanguage(test::kSlotJapanese);
    EXPECT_EQ(shown(TextField::CareerName),
              QString::fromStdString(TestInstallation::japaneseCareerName()));
    EXPECT_EQ(shown(TextField::MaleJobName), QString::fromUtf8("\xE8\xA1\xA8nX"));
}

TEST_F(SaveAndExitTest, ReloadAsksBeforeDiscardingChangesAndKeepsTheJobRow) {
    open();
    clickRow(jobs(), 5);
    window->setLanguage(4);
    editCareerName();

    // No (the default) keeps everything.
    prompts.answers = {PromptAnswer::No};
    window->action(command::kReload)->trigger();
    EXPECT_EQ(loads, 1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Discard the unsaved changes and reload the careers from the game files?");
    EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompts.shown[0].defaultAnswer, PromptAnswer::No);
    EXPECT_EQ(entry(0, 0, 4), "Edited");
    EXPECT_FALSE(window->isClean());

    prompts.answers = {PromptAnswer::Yes};
    window->action(command::kReload)->trigger();
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(window->isClean());
    EXPECT_FALSE(window->action(command::kUndo)->isEnabled());
    EXPECT_EQ(window->currentLanguage(), 0);
    EXPECT_TRUE(window->action(32772)->isChecked());
    EXPECT_EQ(entry(0, 0, 4), "A e0 s4");
    EXPECT_EQ(jobs().selectedRow(), 5);

    // Nothing unsaved: no question.
    prompts.shown.clear();
    window->action(command::kReload)->trigger();
    EXPECT_EQ(loads, 3);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(SaveAndExitTest, EachSaveFailureStopsWithItsMessage) {
    for (std::size_t step = 0; step < kSaveFailures.size(); ++step) {
        SCOPED_TRACE(step);
        open();
        editCareerName();
        const DiskState before = diskState();
        fs.resetCounts();
        fs.failRenameAt(step + 2);  // after the save journal's
        window->action(command::kSave)->trigger();
        fs.clearFaults();
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0], errorMessage(kSaveFailures[step]));
        // Nothing further was written, no reload, nothing reported as done.
        EXPECT_EQ(fs.renameCount(), step + 2);
        // The failing file and every later one are as they were.
        const DiskState after = diskState();
        const std::array<bool, 4> unchanged = {
            after.careers == before.careers, after.carPortal == before.carPortal,
            after.buttons == before.buttons, after.popup == before.popup};
        for (std::size_t file = step; file < unchanged.size(); ++file) {
            EXPECT_TRUE(unchanged[file]) << file;
        }
        if (step > 0) {
            EXPECT_FALSE(unchanged[0]);  // the careers were saved before the failure
        }
        EXPECT_EQ(loads, 1);
        EXPECT_FALSE(window->isClean());
        EXPECT_EQ(window->result(), 0);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(entry(0, 0, kSlotUsEnglish), "Edited");
        window.reset();
        document.reset();
        session = nullptr;
        loads = 0;
        prompts.shown.clear();
    }
}

TEST_F(SaveAndExitTest, ExitWithoutChangesClosesAtOnce) {
    open();
    const DiskState before = diskState();
    window->action(command::kExit)->trigger();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(diskState(), before);
}

TEST_F(SaveAndExitTest, ExitAnsweredCancelLeavesEverythingAsItWas) {
    open();
    editCareerName();
    const DiskState before = diskState();
    prompts.answers = {PromptAnswer::Cancel};
    window->action(command::kExit)->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], (PromptMessage{"Do you want to save the careers?", "Jobforge 3",
                                               PromptButtons::YesNoCancel, PromptIcon::Question}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
    EXPECT_FALSE(window->isClean());
    EXPECT_EQ(entry(0, 0, kSlotUsEnglish), "Edited");
    EXPECT_EQ(diskState(), before);
}

TEST_F(SaveAndExitTest, ExitAnsweredNoClosesWithoutSaving) {
    open();
    editCareerName();
    const DiskState before = diskState();
    prompts.answers = {PromptAnswer::No};
    // The close box asks the same question.
    window->close();
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(diskState(), before);
}

TEST_F(SaveAndExitTest, ExitAnsweredYesSavesWithoutReloadAndCloses) {
    open();
    editCareerName();
    const DiskState before = diskState();
    prompts.answers = {PromptAnswer::Yes};
    window->action(command::kExit)->trigger();
    EXPECT_EQ(prompts.shown.size(), 1u);  // no "Operation complete!"
    EXPECT_EQ(loads, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_NE(diskState().careers, before.careers);
    EXPECT_FALSE(session->popupIconFile);
    EXPECT_FALSE(session->buttonIconFile);
}

TEST_F(SaveAndExitTest, ExitAnsweredYesWithAFailingSaveStaysOpen) {
    open();
    editCareerName();
    prompts.answers = {PromptAnswer::Yes};
    fs.resetCounts();
    fs.failRenameAt(1);
    window->action(command::kExit)->trigger();
    fs.clearFaults();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1], errorMessage(kSaveFailures[0]));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
    EXPECT_FALSE(window->isClean());
}

TEST_F(SaveAndExitTest, AFailedFirstLoadClosesTheWindow) {
    // No career file at all.
    installation.install(disk);
    disk.deleteFile(kTestCareersPath);
    createWindow();
    EXPECT_FALSE(window->initialise());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(window->isInitialised());
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back(),
              errorMessage("Can't locate/open/load the Careers or Careers.iff file!"));
}

TEST_F(SaveAndExitTest, ACancelledLoadClosesTheWindow) {
    installation.install(disk);
    createWindow();
    failLoads = true;
    EXPECT_FALSE(window->initialise());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST_F(SaveAndExitTest, AFailedReloadClosesTheWindow) {
    open();
    disk.deleteFile(kTestCareersPath);
    window->action(command::kReload)->trigger();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(SaveAndExitTest, WithChanceCardsDisabledTheButtonStaysOffAndSaveSkipsTheCards) {
    installation.withCarPortal = false;
    installation.install(disk);
    createWindow();
    ASSERT_TRUE(window->initialise());
    window->show();
    EXPECT_TRUE(session->state.chanceCardsDisabled);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Cannot load the CarPortal.iff file!\n\nChance Card editing has been disabled.");
    prompts.shown.clear();

    EXPECT_TRUE(window->jobDetailsButton()->isEnabled());
    EXPECT_FALSE(window->chanceCardsButton()->isEnabled());
    for (int row : {3, 7, 0}) {
        clickRow(jobs(), row);
        EXPECT_FALSE(window->chanceCardsButton()->isEnabled()) << row;
    }
    clickRow(careers(), 2);
    EXPECT_FALSE(window->chanceCardsButton()->isEnabled());

    editCareerName();
    fs.resetCounts();
    window->action(command::kSave)->trigger();
    EXPECT_EQ(fs.renameCount(), 4u);  // the save journal's and one per file
    EXPECT_FALSE(disk.isFile(kTestCarPortalPath));
    EXPECT_FALSE(window->chanceCardsButton()->isEnabled());
}

}  // namespace
}  // namespace jf
