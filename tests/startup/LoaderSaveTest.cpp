// File Save's four steps: what each failure shows and leaves on disk, and
// the strip files the session holds afterwards.
#include <gtest/gtest.h>

#include "LoaderTestSupport.h"
#include "startup/SaveJournal.h"

namespace jf::test {
namespace {

const char* const kStepTexts[] = {kSaveCareersFailedText, kSaveCardsFailedText,
                                  kSaveButtonsFailedText, kSavePopupFailedText};

class LoaderSaveTest : public LoaderTestBase {
protected:
    void SetUp() override {
        LoaderTestBase::SetUp();
        prompts.shown.clear();
        prompts.statuses.clear();
        faulty = std::make_unique<FaultInjectingFileSystem>(fs);
        session = std::make_unique<EditorSession>(*faulty, settings);
        session->state.installation.gameDataFolder = kGameFolder;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;
        putInstallation();
        ASSERT_EQ(load(), LoadResult::Ok);
        ASSERT_TRUE(prompts.shown.empty());
        original = snapshot();
        edit();
        faulty->resetCounts();
    }

    // The four files of the save, in step order.
    std::vector<std::string> files() const {
        return {workPath(), carPortalPath(), buttonPath(), popupPath()};
    }
    std::vector<Bytes> snapshot() const {
        std::vector<Bytes> bytes;
        for (const std::string& path : files()) {
            bytes.push_back(fs.fileBytes(path).value_or(Bytes{}));
        }
        return bytes;
    }

    // A change for every file: a career name and an icon in each strip.
    void edit() {
        session->database.track(0)->career.internalCareerName = "Renamed";
        ASSERT_TRUE(session->icons.putPopupIcon(1, sampleStrip(84, 63, 1, 77)));
        ASSERT_TRUE(session->icons.putButtonIcon(1, sampleStrip(112, 22, 1, 77)));
    }

    std::unique_ptr<FaultInjectingFileSystem> faulty;
    std::vector<Bytes> original;
};

TEST_F(LoaderSaveTest, AllFourStepsWriteTheirFiles) {
    ASSERT_TRUE(saveAll(*session, prompts));
    EXPECT_TRUE(prompts.shown.empty());
    // The journal's and one per file.
    EXPECT_EQ(faulty->renameCount(), 5u);
    EXPECT_FALSE(fs.exists(gamePath(kSaveJournalName)));
    const std::vector<Bytes> saved = snapshot();
    for (std::size_t i = 0; i < saved.size(); ++i) {
        EXPECT_NE(saved[i], original[i]) << files()[i];
    }
    // The strips went back as 24-bit bitmaps of the edited pictures.
    EXPECT_EQ(saved[2], encodeBitmapFile(session->icons.buttonStrip()));
    EXPECT_EQ(saved[3], encodeBitmapFile(session->icons.popupStrip()));
    // The session holds the new strip files open.
    ASSERT_TRUE(session->buttonIconFile);
    ASSERT_TRUE(session->popupIconFile);
    EXPECT_EQ(session->popupIconFile->length(), static_cast<std::int64_t>(saved[3].size()));
    EXPECT_TRUE(fs.isOpen(popupPath()));
    EXPECT_TRUE(fs.isOpen(buttonPath()));
    // Nothing else was left in the folders.
    for (const std::string& file : fs.allFiles()) {
        EXPECT_EQ(file.find(".tmp"), std::string::npos) << file;
    }

    // The reload that follows a save reads the edits back.
    prompts.statuses.clear();
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(session->database.track(0)->career.internalCareerName, "Renamed");
    Bitmap icon;
    ASSERT_TRUE(session->icons.getPopupIcon(1, icon));
    EXPECT_EQ(icon, sampleStrip(84, 63, 1, 77));
    ASSERT_TRUE(session->icons.getButtonIcon(1, icon));
    EXPECT_EQ(icon, sampleStrip(112, 22, 1, 77));
}

TEST_F(LoaderSaveTest, SavingTwiceWorks) {
    ASSERT_TRUE(saveAll(*session, prompts));
    session->icons.putPopupIcon(2, sampleStrip(84, 63, 1, 99));
    ASSERT_TRUE(saveAll(*session, prompts));
    EXPECT_EQ(fs.fileBytes(popupPath()), encodeBitmapFile(session->icons.popupStrip()));
}

TEST_F(LoaderSaveTest, EachFailedRenameStopsTheSaveAtItsStep) {
    // After the journal's rename, every step ends in one rename of its new
    // file over the old one.
    for (std::size_t step = 0; step < 4; ++step) {
        SCOPED_TRACE(step);
        SetUp();
        faulty->failRenameAt(step + 2);
        EXPECT_FALSE(saveAll(*session, prompts));
        faulty->clearFaults();
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0],
                  (PromptMessage{kStepTexts[step], "Error", PromptButtons::Ok, PromptIcon::Error}));
        const std::vector<Bytes> now = snapshot();
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (i < step) {
                EXPECT_NE(now[i], original[i]) << files()[i];
            } else {
                EXPECT_EQ(now[i], original[i]) << files()[i];
            }
        }
        // The journal stays for the recovery that completes the save.
        EXPECT_TRUE(fs.exists(gamePath(kSaveJournalName)));
        // The strip files stay open in the session either way.
        EXPECT_TRUE(session->buttonIconFile);
        EXPECT_TRUE(session->popupIconFile);
        EXPECT_TRUE(fs.isOpen(popupPath()));
    }
}

TEST_F(LoaderSaveTest, AFailedWriteAnywhereLeavesEveryFileOld) {
    ASSERT_TRUE(saveAll(*session, prompts));
    const std::uint64_t writes = faulty->writeCount();
    const std::vector<Bytes> saved = snapshot();
    ASSERT_GE(writes, 4u);
    for (std::uint64_t k = 1; k <= writes; ++k) {
        SCOPED_TRACE(k);
        SetUp();
        faulty->failWriteAt(k);
        EXPECT_FALSE(saveAll(*session, prompts));
        faulty->clearFaults();
        ASSERT_EQ(prompts.shown.size(), 1u);
        std::size_t failedStep = 4;
        for (std::size_t s = 0; s < 4; ++s) {
            if (prompts.shown[0].text == kStepTexts[s]) {
                failedStep = s;
            }
        }
        ASSERT_LT(failedStep, 4u);
        // Every file is written before the first is replaced.
        EXPECT_EQ(snapshot(), original);
    }
}

TEST_F(LoaderSaveTest, DisabledChanceCardsSkipTheCardFile) {
    session->state.chanceCardsDisabled = true;
    ASSERT_TRUE(saveAll(*session, prompts));
    EXPECT_EQ(faulty->renameCount(), 4u);
    const std::vector<Bytes> now = snapshot();
    EXPECT_NE(now[0], original[0]);
    EXPECT_EQ(now[1], original[1]);
    EXPECT_NE(now[2], original[2]);
    EXPECT_NE(now[3], original[3]);
}

TEST_F(LoaderSaveTest, AReadOnlyStripIsAFailedSave) {
    ASSERT_TRUE(fs.setReadOnly(buttonPath()));
    EXPECT_FALSE(saveAll(*session, prompts));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, kSaveButtonsFailedText);
    EXPECT_EQ(snapshot()[2], original[2]);
    EXPECT_EQ(snapshot()[3], original[3]);
}

TEST(LoaderSaveWithoutLoadTest, NoStripFilesIsAFailedSave) {
    FakeFileSystem disk;
    MemorySettingsStore store;
    EditorSession session(disk, store);
    session.state.chanceCardsDisabled = true;
    ScriptedPrompts prompts;
    // No tracks: the career step writes the empty in-memory container; the
    // strips have no files to go to.
    EXPECT_FALSE(saveAll(session, prompts));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, kSaveButtonsFailedText);
}

}  // namespace
}  // namespace jf::test
