#include "ui/EditorStartup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "TestInstallation.h"
#include "document/EditorSession.h"
#include "platform/HostEnvironment.h"
#include "platform/SettingsStore.h"
#include "startup/SaveJournal.h"
#include "startup/Startup.h"
#include "support/ScriptedPrompts.h"

namespace jf {
namespace {

TEST(EditorStartupTest, WithoutTheGameKeyNoWindowOpens) {
    MemorySettingsStore settings;
    test::FakeFileSystem disk;
    test::ScriptedPrompts prompts;
    int loads = 0;
    EditorStartupOptions options;
    options.prompts = &prompts;
    options.load = [&](EditorSession&, QWidget*) {
        ++loads;
        return true;
    };
    EXPECT_EQ(runEditor(settings, LegacySearchPlaces{}, disk, options), kEditorExitFailed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], (PromptMessage{"Can't load SIMS registry info!", "Error",
                                               PromptButtons::Ok, PromptIcon::Error}));
    EXPECT_EQ(loads, 0);
}

TEST(EditorStartupTest, AFailedLoadEndsTheProgram) {
    MemorySettingsStore settings;
    settings.setText(kGameKeyPath, kDataFolderValue, "C:\\Sims");
    test::FakeFileSystem disk;
    test::ScriptedPrompts prompts;
    std::string folderSeen;
    EditorStartupOptions options;
    options.prompts = &prompts;
    options.load = [&](EditorSession& session, QWidget*) {
        folderSeen = session.state.installation.gameDataFolder;
        return false;
    };
    EXPECT_EQ(runEditor(settings, LegacySearchPlaces{}, disk, options), kEditorExitFailed);
    EXPECT_EQ(folderSeen, "C:\\Sims\\");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(EditorStartupTest, AnInterruptedSaveIsRecoveredBeforeTheFirstLoad) {
    MemorySettingsStore settings;
    settings.setText(kGameKeyPath, kDataFolderValue, "C:\\Sims");
    test::FakeFileSystem disk;
    const std::string leftover = "C:\\Sims\\ExpansionShared\\Work.iff.jf3tmp-77-1";
    disk.putFile(leftover, "half a career file");
    test::ScriptedPrompts prompts;
    std::size_t messagesBeforeLoad = 0;
    bool leftoverAtLoad = true;
    EditorStartupOptions options;
    options.prompts = &prompts;
    options.load = [&](EditorSession&, QWidget*) {
        messagesBeforeLoad = prompts.shown.size();
        leftoverAtLoad = disk.isFile(leftover);
        return false;
    };
    EXPECT_EQ(runEditor(settings, LegacySearchPlaces{}, disk, options), kEditorExitFailed);
    EXPECT_FALSE(leftoverAtLoad);
    ASSERT_EQ(messagesBeforeLoad, 1u);
    EXPECT_EQ(prompts.shown[0], (PromptMessage{kRecoveryUndoneText, "Jobforge 3", PromptButtons::Ok,
                                               PromptIcon::Information}));
}

// The whole start-up with the real loading window on its worker thread,
// ending with the screenshot the demo takes.
TEST(EditorStartupTest, ScreenshotOfTheLoadedWindow) {
    MemorySettingsStore settings;
    settings.setText(kGameKeyPath, kDataFolderValue, "C:\\Sims");
    settings.setDword(kOwnKeyPath, kKnownPacksValue, kBaseGameBit);
    test::FakeFileSystem disk;
    test::TestInstallation().install(disk);
    test::ScriptedPrompts prompts;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EditorStartupOptions options;
    options.prompts = &prompts;
    options.screenshotPath = QDir(folder.path()).filePath(QStringLiteral("shot.png")).toStdString();
    EXPECT_EQ(runEditor(settings, LegacySearchPlaces{}, disk, options), kEditorExitOk);
    EXPECT_TRUE(prompts.shown.empty());
    QImage shot(QString::fromStdString(options.screenshotPath));
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(shot.width(), 400);
    EXPECT_GT(shot.height(), 300);
}

}  // namespace
}  // namespace jf
