// The Career menu through the main window: export, import over another
// track with the replace-career dialog, backup and restore.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "MainDialogFixture.h"
#include "platform/RecentFolders.h"
#include "ui/CareerListControl.h"
#include "ui/ReplaceCareerDialog.h"
#include "ui/StandardDialogs.h"

namespace jf {
namespace {

constexpr char kExportFolder[] = "C:\\Exports";
constexpr char kCarPath[] = "C:\\Exports\\first.car";
constexpr char kBackupPath[] = "C:\\Exports\\all.cbk";

class CareerMenuTest : public test::MainDialogFixture {
protected:
    void SetUp() override {
        installation.install(disk);
        disk.addFolder(kExportFolder);
        document = std::make_unique<Document>(fs, settings);
        session = &document->session();
        session->state.installation.gameDataFolder = test::kTestGameFolder;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;
        dialogs = std::make_unique<StandardDialogs>(*document, prompts);
        window = std::make_unique<MainDialog>(*document, prompts, loadStep(), *dialogs);
        ASSERT_TRUE(window->initialise());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        prompts.shown.clear();
    }
    void trigger(int command) {
        QAction* entry = window->action(command);
        ASSERT_NE(entry, nullptr);
        entry->trigger();
    }
    std::vector<StringTable::Row> rowsOf(std::size_t position) {
        return database().careerStrings(position)->rows();
    }
    Bitmap popupOf(std::size_t position) {
        Bitmap icon;
        session->icons.getPopupIcon(database().track(position)->id, icon);
        return icon;
    }

    std::unique_ptr<StandardDialogs> dialogs;
};

TEST_F(CareerMenuTest, ExportThenImportOverAnotherTrackCopiesTheCareer) {
    ASSERT_TRUE(window->isClean());
    prompts.saveFiles = {kCarPath};
    trigger(command::kExport);
    ASSERT_EQ(prompts.texts(), std::vector<std::string>{"Successfully exported!"});
    ASSERT_EQ(prompts.fileChoices.size(), 1u);
    EXPECT_EQ(prompts.fileChoices[0].initialName, "*.car");
    EXPECT_TRUE(disk.isFile(kCarPath));
    EXPECT_TRUE(window->isClean());

    const std::string name = database().track(0)->career.internalCareerName;
    const std::vector<JobLevel> levels = database().track(0)->career.levels;
    const auto strings = rowsOf(0);
    const Bitmap popup = popupOf(0);
    ASSERT_NE(popupOf(2), popup);
    const std::uint16_t idBefore = database().track(2)->id;

    prompts.shown.clear();
    prompts.openFiles = {kCarPath};
    bool chose = false;
    test::whenModal<ReplaceCareerDialog>([&](ReplaceCareerDialog& replace) {
        chose = true;
        CareerListControl* list = replace.careerList();
        const QPoint at = list->visualRect(list->model()->index(2, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseClick(replace.okButton(), Qt::LeftButton);
    });
    trigger(command::kImport);
    ASSERT_TRUE(chose);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Successfully imported!"});
    const CareerTrack& replaced = *database().track(2);
    EXPECT_EQ(replaced.id, idBefore);
    EXPECT_EQ(replaced.career.internalCareerName, name);
    EXPECT_EQ(replaced.career.levels, levels);
    EXPECT_EQ(rowsOf(2), strings);
    EXPECT_EQ(popupOf(2), popup);
    EXPECT_EQ(replaced.cards[0].items, database().track(0)->cards[0].items);
    // The window shows the replaced track and counts the change.
    EXPECT_FALSE(window->isClean());
    EXPECT_EQ(careers().selectedRow(), 2);
    EXPECT_EQ(careers().rowText(2, 1).toStdString(), name);
    EXPECT_EQ(window->selectedCareer(), 2u);

    // One Undo takes the whole import back, one Redo brings it again.
    EXPECT_EQ(window->action(command::kUndo)->text(), QStringLiteral("&Undo Import Career"));
    clickRow(careers(), 0);
    window->action(command::kUndo)->trigger();
    EXPECT_EQ(careers().selectedRow(), 2);
    EXPECT_NE(database().track(2)->career.internalCareerName, name);
    EXPECT_EQ(careers().rowText(2, 1).toStdString(),
              database().track(2)->career.internalCareerName);
    EXPECT_NE(popupOf(2), popup);
    EXPECT_TRUE(window->isClean());
    window->action(command::kRedo)->trigger();
    EXPECT_EQ(database().track(2)->career.levels, levels);
    EXPECT_EQ(rowsOf(2), strings);
    EXPECT_EQ(popupOf(2), popup);
    EXPECT_EQ(careers().rowText(2, 1).toStdString(), name);
}

TEST_F(CareerMenuTest, ImportCancelledInTheReplaceDialogChangesNothing) {
    prompts.saveFiles = {kCarPath};
    trigger(command::kExport);
    prompts.shown.clear();
    const std::vector<JobLevel> before = database().track(1)->career.levels;
    prompts.openFiles = {kCarPath};
    test::whenModal<ReplaceCareerDialog>([](ReplaceCareerDialog& replace) {
        QTest::mouseClick(replace.cancelButton(), Qt::LeftButton);
    });
    trigger(command::kImport);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(database().track(1)->career.levels, before);
    EXPECT_TRUE(window->isClean());
}

TEST_F(CareerMenuTest, BackupThenRestoreBringsEveryTrackBack) {
    prompts.saveFiles = {kBackupPath};
    trigger(command::kBackup);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text.rfind("Successfully backed up!", 0), 0u);
    ASSERT_EQ(prompts.fileChoices.size(), 1u);
    EXPECT_EQ(prompts.fileChoices[0].initialName, "*.cbk");

    const std::string name = database().track(1)->career.internalCareerName;
    const std::vector<JobLevel> levels = database().track(1)->career.levels;
    database().track(1)->career.internalCareerName = "Scrambled";
    database().track(1)->career.levels[4].salary = 1;

    prompts.shown.clear();
    prompts.openFiles = {kBackupPath};
    prompts.answers = {PromptAnswer::Yes};
    trigger(command::kImport);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompts.shown[1].text, "Successfully restored!");
    EXPECT_EQ(database().track(1)->career.internalCareerName, name);
    EXPECT_EQ(database().track(1)->career.levels, levels);
    EXPECT_EQ(careers().rowText(1, 1).toStdString(), name);
    EXPECT_EQ(careers().selectedRow(), 0);
    EXPECT_FALSE(window->isClean());
}

TEST_F(CareerMenuTest, BackupNamedWithoutExtensionGetsCbkAndEachKindRemembersItsFolder) {
    disk.addFolder("C:\\Backups");
    prompts.saveFiles = {kCarPath, "C:\\Backups\\monday"};
    trigger(command::kExport);
    trigger(command::kBackup);
    EXPECT_TRUE(disk.isFile("C:\\Backups\\monday.cbk"));
    EXPECT_FALSE(disk.isFile("C:\\Backups\\monday"));
    EXPECT_EQ(settings.value(kRecentFoldersKeyPath, "Careers")->data,
              settings::textBytes("C:\\Exports\\"));

    // The next choices start where the last file of their kind was saved.
    trigger(command::kExport);
    trigger(command::kBackup);
    trigger(command::kImport);
    ASSERT_EQ(prompts.fileChoices.size(), 5u);
    EXPECT_EQ(prompts.fileChoices[0].initialFolder, "");
    EXPECT_EQ(prompts.fileChoices[1].initialFolder, "");
    EXPECT_EQ(prompts.fileChoices[2].initialFolder, "C:\\Exports\\");
    EXPECT_EQ(prompts.fileChoices[3].initialFolder, "C:\\Backups\\");
    EXPECT_EQ(prompts.fileChoices[4].initialFolder, "C:\\Exports\\");
    EXPECT_EQ(prompts.fileChoices[4].filters.back().description, "All files (*)");
    EXPECT_TRUE(window->isClean());
}

TEST_F(CareerMenuTest, CancelledFileChoicesDoNothing) {
    trigger(command::kExport);
    trigger(command::kBackup);
    trigger(command::kImport);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(prompts.fileChoices.size(), 3u);
    EXPECT_TRUE(window->isClean());
}

}  // namespace
}  // namespace jf
