// The loading sequence on a fake installation: files, fallbacks, messages,
// status texts, check points and the clean-up of failed opens.
#include <gtest/gtest.h>

#include "LoaderTestSupport.h"

namespace jf::test {
namespace {

class LoaderTest : public LoaderTestBase {};

PromptMessage warning(const char* text) {
    return {text, "Warning", PromptButtons::Ok, PromptIcon::Information};
}
PromptMessage error(const char* text) {
    return {text, "Error", PromptButtons::Ok, PromptIcon::Error};
}

TEST_F(LoaderTest, ACompleteLoadFillsTheSession) {
    putInstallation();
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(prompts.statuses, expectedStatuses("Work.iff"));
    EXPECT_FALSE(session->state.chanceCardsDisabled);
    EXPECT_EQ(session->careerFileName, "Work.iff");
    EXPECT_EQ(session->database.trackCount(), 2u);
    EXPECT_EQ(session->database.trackIds(), (std::vector<std::uint16_t>{1, 2}));
    // The loose strips, kept open for saving.
    EXPECT_EQ(popupShade(), kLooseShade);
    EXPECT_EQ(buttonShade(), kLooseShade);
    ASSERT_TRUE(session->popupIconFile);
    ASSERT_TRUE(session->buttonIconFile);
    EXPECT_EQ(session->popupIconPath, popupPath());
    EXPECT_EQ(session->buttonIconPath, buttonPath());
    EXPECT_TRUE(fs.isOpen(popupPath()));
    EXPECT_TRUE(fs.isOpen(buttonPath()));
    // The career file and the card file stay open in their views.
    EXPECT_TRUE(fs.isOpen(workPath()));
    EXPECT_TRUE(fs.isOpen(carPortalPath()));
    EXPECT_EQ(session->careerView.file()->name, "Work.iff");
    EXPECT_EQ(session->cardView.file()->name, "CarPortal.iff");
}

TEST_F(LoaderTest, AFolderWithoutItsSeparatorIsCompleted) {
    putInstallation();
    LoadRequest request;
    request.folder = "C:\\Games\\The Sims";
    runLoader(request, *session, prompts);
    EXPECT_EQ(request.resultCode.load(), LoadResult::Ok);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(LoaderTest, FirstStartWithoutCarPortalThenReload) {
    putInstallation();
    ASSERT_TRUE(fs.deleteFile(carPortalPath()) == DeleteResult::Deleted);
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{warning(kCarPortalMissingText)});
    // No CarPortal status and no chance-card step.
    EXPECT_EQ(prompts.statuses,
              (std::vector<std::string>{"Work.iff", kStatusLoadingCareers, kStatusLoadingBitmaps}));
    EXPECT_TRUE(session->state.chanceCardsDisabled);

    prompts.shown.clear();
    prompts.statuses.clear();
    ASSERT_EQ(reload(), LoadResult::Ok);
    // No CarPortal warning this time, but the card step runs and fails.
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{warning(kCannotLoadCardsText)});
    EXPECT_EQ(prompts.statuses,
              (std::vector<std::string>{"Work.iff", kStatusLoadingCareers, kStatusLoadingCards,
                                        kStatusLoadingBitmaps}));
    EXPECT_TRUE(session->state.chanceCardsDisabled);
    EXPECT_EQ(session->database.trackCount(), 2u);
}

TEST_F(LoaderTest, ReloadAfterTheCardFileCameBack) {
    putInstallation();
    const Bytes cards = *fs.fileBytes(carPortalPath());
    ASSERT_TRUE(fs.deleteFile(carPortalPath()) == DeleteResult::Deleted);
    ASSERT_EQ(load(), LoadResult::Ok);
    fs.putFile(carPortalPath(), cards);
    prompts.shown.clear();
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(session->state.chanceCardsDisabled);
}

TEST_F(LoaderTest, ADamagedCardFileSkipsTheCardStep) {
    putInstallation();
    Bytes cards = sampleCardFile();
    cards.resize(cards.size() - 3);  // the last body runs past the end
    fs.putFile(carPortalPath(), cards);
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{warning(kCarPortalDamagedText)});
    EXPECT_EQ(prompts.statuses, expectedStatuses("Work.iff", false));
    EXPECT_TRUE(session->state.chanceCardsDisabled);

    // A reload after the damage: no warning for the file, the cards fail.
    prompts.shown.clear();
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{warning(kCannotLoadCardsText)});
    EXPECT_TRUE(session->state.chanceCardsDisabled);
}

TEST_F(LoaderTest, ACardFileThatIsNoContainerIsClosedAgain) {
    putInstallation();
    fs.putFile(carPortalPath(), std::string("not a container at all, just some text"));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{warning(kCarPortalMissingText)});
    EXPECT_FALSE(fs.isOpen(carPortalPath()));
    EXPECT_FALSE(session->cardView.file() != nullptr &&
                 session->cardView.file()->name == "CarPortal.iff");
}

TEST_F(LoaderTest, CardsThatCannotBeReadDisableCardEditing) {
    putInstallation();
    // The texts table is missing.
    fs.putFile(carPortalPath(),
               buildContainerBytes({{kTypeBcon, 4097, 0x10, "Options", buildBconBody(8, {})}}));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{warning(kCannotLoadCardsText)});
    EXPECT_EQ(prompts.statuses, expectedStatuses("Work.iff"));
    EXPECT_TRUE(session->state.chanceCardsDisabled);
}

TEST_F(LoaderTest, CareersIffWhenWorkIffIsMissing) {
    putInstallation();
    ASSERT_TRUE(fs.deleteFile(workPath()) == DeleteResult::Deleted);
    fs.putFile(careersIffPath(), sampleCareerFile("iff"));
    fs.putFile(careersPath(), sampleCareerFile("plain"));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(prompts.statuses, expectedStatuses("Careers.iff"));
    EXPECT_EQ(session->careerFileName, "Careers.iff");
    EXPECT_EQ(session->database.track(0)->career.internalCareerName, "iff1");
    EXPECT_FALSE(fs.isOpen(careersPath()));
}

TEST_F(LoaderTest, TheExtensionlessCareersFileIsShownAsCareersIff) {
    putInstallation();
    ASSERT_TRUE(fs.deleteFile(workPath()) == DeleteResult::Deleted);
    fs.putFile(careersPath(), sampleCareerFile("plain"));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(prompts.statuses, expectedStatuses("Careers.iff"));
    EXPECT_EQ(session->careerFileName, "Careers.iff");
    EXPECT_EQ(session->database.track(0)->career.internalCareerName, "plain1");
    EXPECT_TRUE(fs.isOpen(careersPath()));
}

TEST_F(LoaderTest, AWorkFileThatIsNoContainerFallsBackAndIsClosed) {
    putInstallation();
    fs.putFile(workPath(), std::string("garbage"));
    fs.putFile(careersIffPath(), sampleCareerFile("iff"));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(session->careerFileName, "Careers.iff");
    EXPECT_FALSE(fs.isOpen(workPath()));
    EXPECT_TRUE(fs.isOpen(careersIffPath()));
}

TEST_F(LoaderTest, TheCareerFileIsExtractedFromTheExpansionArchives) {
    putInstallation();
    const Bytes work = *fs.fileBytes(workPath());
    ASSERT_TRUE(fs.deleteFile(workPath()) == DeleteResult::Deleted);
    fs.putFile(gamePath("ExpansionShared\\ExpansionShared.far"),
               buildFarArchive({{"Work.iff", work}}));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(session->careerFileName, "Work.iff");
    EXPECT_EQ(fs.fileBytes(workPath()), work);
}

struct MissingCareerCase {
    std::uint32_t installedPacks;
    const char* text;
};

class MissingCareerFileTest : public LoaderTestBase,
                              public ::testing::WithParamInterface<MissingCareerCase> {};

TEST_P(MissingCareerFileTest, TheWordingFollowsTheInstalledPacks) {
    putInstallation();
    ASSERT_TRUE(fs.deleteFile(workPath()) == DeleteResult::Deleted);
    session->state.installation.installedPacks = GetParam().installedPacks;
    session->state.installation.knownPacks = GetParam().installedPacks;
    ASSERT_EQ(load(), LoadResult::Cancel);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{error(GetParam().text)});
    EXPECT_EQ(prompts.statuses, std::vector<std::string>{kStatusCarPortal});
    EXPECT_FALSE(session->popupIconFile);
}

INSTANTIATE_TEST_SUITE_P(Packs, MissingCareerFileTest,
                         ::testing::Values(MissingCareerCase{0x0F, kNoWorkFileText},
                                           MissingCareerCase{0x07, kNoCareersFileText},
                                           MissingCareerCase{0x01, kNoCareersFileText},
                                           MissingCareerCase{0x11, kNoWorkFileText},
                                           MissingCareerCase{0x41, kNoWorkFileText},
                                           MissingCareerCase{0x03, kNoCareersFileText}));

TEST_F(LoaderTest, ACareerBodyThatCannotBeReadIsAnInvalidCareersFile) {
    putInstallation();
    Bytes work = sampleCareerFile();
    work.resize(work.size() - 5);
    fs.putFile(workPath(), work);
    ASSERT_EQ(load(), LoadResult::Cancel);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{error(kInvalidCareersText)});
    EXPECT_EQ(prompts.statuses, (std::vector<std::string>{kStatusCarPortal, "Work.iff"}));
}

TEST_F(LoaderTest, ACareerFileWithoutTracksCannotBeLoaded) {
    putInstallation();
    fs.putFile(workPath(), buildContainerBytes({{kTypeStr, 1, 0x10, "", buildStrBody(-1, {})}}));
    ASSERT_EQ(load(), LoadResult::Cancel);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{error(kCannotLoadCareersText)});
    EXPECT_EQ(prompts.statuses,
              (std::vector<std::string>{kStatusCarPortal, "Work.iff", kStatusLoadingCareers}));
}

TEST_F(LoaderTest, CancelWhileAWarningIsOpenStopsAtTheNextCheckPoint) {
    putInstallation();
    ASSERT_TRUE(fs.deleteFile(carPortalPath()) == DeleteResult::Deleted);
    LoadRequest request;
    request.folder = kGameFolder;
    prompts.onShow = [&](const PromptMessage&) { request.cancelRequested.store(1); };
    runLoader(request, *session, prompts);
    EXPECT_EQ(request.finished.load(), 1);
    EXPECT_EQ(request.resultCode.load(), LoadResult::Cancel);
    // The box was answered; nothing after the check point ran.
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{warning(kCarPortalMissingText)});
    EXPECT_TRUE(prompts.statuses.empty());
    EXPECT_TRUE(session->state.chanceCardsDisabled);
    EXPECT_EQ(session->database.trackCount(), 0u);
}

TEST_F(LoaderTest, CancelBeforeTheStartLoadsNothing) {
    putInstallation();
    LoadRequest request;
    request.folder = kGameFolder;
    request.cancelRequested.store(1);
    runLoader(request, *session, prompts);
    EXPECT_EQ(request.finished.load(), 1);
    EXPECT_EQ(request.resultCode.load(), LoadResult::Cancel);
    EXPECT_TRUE(prompts.statuses.empty());
    EXPECT_FALSE(fs.isOpen(carPortalPath()));
}

TEST_F(LoaderTest, CancelDuringTheIconStepStillLoadsTheIcons) {
    putInstallation();
    LoadRequest request;
    request.folder = kGameFolder;
    prompts.onStatus = [&](const std::string& text) {
        if (text == kStatusLoadingBitmaps) {
            request.cancelRequested.store(1);
        }
    };
    runLoader(request, *session, prompts);
    EXPECT_EQ(request.finished.load(), 1);
    EXPECT_EQ(request.resultCode.load(), LoadResult::Cancel);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(session->icons.hasPopupStrip());
    EXPECT_TRUE(session->icons.hasButtonStrip());
    EXPECT_TRUE(session->buttonIconFile);
}

TEST_F(LoaderTest, CancelAfterCareerFileStopsBeforeReadingItsBodies) {
    putInstallation();
    LoadRequest request;
    request.folder = kGameFolder;
    prompts.onStatus = [&](const std::string& text) {
        if (text == "Work.iff") {
            request.cancelRequested.store(1);
        }
    };
    runLoader(request, *session, prompts);
    EXPECT_EQ(request.resultCode.load(), LoadResult::Cancel);
    EXPECT_EQ(prompts.statuses, (std::vector<std::string>{kStatusCarPortal, "Work.iff"}));
    EXPECT_EQ(session->database.trackCount(), 0u);
}

TEST_F(LoaderTest, AReloadClosesThePreviousCareerContainer) {
    putInstallation();
    ASSERT_EQ(load(), LoadResult::Ok);
    const int firstSlot = session->careerView.slot();
    prompts.statuses.clear();
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_EQ(prompts.statuses, expectedStatuses("Work.iff"));
    EXPECT_NE(session->careerView.slot(), 0);
    if (session->careerView.slot() != firstSlot) {
        EXPECT_FALSE(session->table.valid(firstSlot));
    }
    EXPECT_EQ(session->database.trackCount(), 2u);
    // Reloading again and again does not pile up containers.
    const std::size_t slots = session->table.slotCount();
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(reload(), LoadResult::Ok);
    }
    EXPECT_EQ(session->table.slotCount(), slots);
}

TEST_F(LoaderTest, PrepareReloadLetsGoOfTheGameFiles) {
    putInstallation();
    ASSERT_EQ(load(), LoadResult::Ok);
    prepareReload(*session);
    EXPECT_FALSE(fs.isOpen(workPath()));
    EXPECT_FALSE(fs.isOpen(carPortalPath()));
    EXPECT_FALSE(fs.isOpen(popupPath()));
    EXPECT_FALSE(fs.isOpen(buttonPath()));
    EXPECT_FALSE(session->popupIconFile);
    EXPECT_FALSE(session->buttonIconFile);
    // The career chunks stay in memory for the tracks still shown.
    ASSERT_NE(session->careerView.file(), nullptr);
    EXPECT_FALSE(session->careerView.file()->chunks.empty());
    EXPECT_FALSE(session->careerView.file()->writeProtected);
}

// ---- Icons ---------------------------------------------------------------------

TEST_F(LoaderTest, MissingIconsAreExtractedFromTheArchive) {
    putInstallation();
    ASSERT_TRUE(fs.deleteFile(popupPath()) == DeleteResult::Deleted);
    ASSERT_TRUE(fs.deleteFile(buttonPath()) == DeleteResult::Deleted);
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(popupShade(), kArchiveShade);
    EXPECT_EQ(buttonShade(), kArchiveShade);
    EXPECT_EQ(fs.fileBytes(popupPath()), popupStripFile(kArchiveShade));
    EXPECT_EQ(fs.fileBytes(buttonPath()), buttonStripFile(kArchiveShade));
    EXPECT_TRUE(fs.isOpen(popupPath()));
}

TEST_F(LoaderTest, IconFoldersAreCreatedForTheExtraction) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    putIconArchive();
    ASSERT_FALSE(fs.isFolder(interfaceFolder() + "cpanel"));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_TRUE(fs.isFolder(interfaceFolder() + "cpanel\\Backgrounds"));
    EXPECT_TRUE(fs.isFolder(interfaceFolder() + "cpanel\\Buttons"));
    EXPECT_TRUE(fs.isFile(popupPath()));
}

TEST_F(LoaderTest, ArchiveEntryNamesMatchInAnyCase) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    putIconArchive("ui.FaR", "CPANEL\\backgrounds\\jobiconmultipopup.bmp",
                   "cPanel\\BUTTONS\\JobIconMultiButton.bmp");
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(popupShade(), kArchiveShade);
    EXPECT_EQ(buttonShade(), kArchiveShade);
}

TEST_F(LoaderTest, TheFirstArchiveWithAMatchWins) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    putIconArchive("a.far", "", "", 1);  // no strips in the first archive
    putIconArchive("b.far", kPopupIconName, kButtonIconName, 50);
    putIconArchive("c.far", kPopupIconName, kButtonIconName, 90);
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(popupShade(), 50);
    EXPECT_EQ(buttonShade(), 50);
}

TEST_F(LoaderTest, AnUnreadableArchiveIsSkipped) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    fs.putFile(interfaceFolder() + "broken.far", std::string("FAR!byAZ\x01"));
    putIconArchive("good.far");
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(popupShade(), kArchiveShade);
}

TEST_F(LoaderTest, AReadOnlyIconFileIsOpenedAfterClearingTheAttribute) {
    putInstallation();
    ASSERT_TRUE(fs.setReadOnly(popupPath()));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_FALSE(fs.isReadOnly(popupPath()));
    EXPECT_EQ(popupShade(), kLooseShade);
    EXPECT_TRUE(fs.isOpen(popupPath()));
}

TEST_F(LoaderTest, APopupStripMissingEverywhereFailsTheLoad) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    fs.putFile(buttonPath(), buttonStripFile(kLooseShade));
    putIconArchive("UIGraphics.far", "", kButtonIconName);
    ASSERT_EQ(load(), LoadResult::Cancel);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{error(kCannotLoadPopupText)});
    EXPECT_FALSE(session->icons.hasButtonStrip());
}

TEST_F(LoaderTest, AButtonStripMissingEverywhereFailsTheLoad) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    fs.putFile(popupPath(), popupStripFile(kLooseShade));
    ASSERT_EQ(load(), LoadResult::Cancel);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{error(kCannotLoadButtonText)});
    EXPECT_TRUE(session->icons.hasPopupStrip());
}

TEST_F(LoaderTest, AnIconFileThatIsNoBitmapFailsTheLoad) {
    putInstallation();
    fs.putFile(popupPath(), std::string("BM but not really"));
    ASSERT_EQ(load(), LoadResult::Cancel);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{error(kCannotLoadPopupText)});
}

TEST(OpenIconFileTest, AFailedExtractionLeavesNothingBehind) {
    FakeFileSystem disk;
    disk.putFile("C:\\ui\\icons.far",
                 buildFarArchive({{"cpanel\\Buttons\\X.BMP", Bytes(5000, 0x42)}}));
    const std::vector<std::string> before = disk.allFiles();
    for (std::uint64_t k = 1;; ++k) {
        FaultInjectingFileSystem faulty(disk);
        faulty.failWriteAt(k);
        std::unique_ptr<File> file;
        if (openIconFile(faulty, file, "C:\\ui\\", "cpanel\\Buttons\\X.BMP")) {
            // Past the last write: every earlier one was a failure.
            EXPECT_LT(faulty.writeCount(), k);
            EXPECT_GT(k, 1u);
            break;
        }
        EXPECT_FALSE(file);
        EXPECT_FALSE(disk.isFile("C:\\ui\\cpanel\\Buttons\\X.BMP")) << k;
        EXPECT_EQ(disk.allFiles(), before) << k;
    }
    ASSERT_TRUE(disk.deleteFile("C:\\ui\\cpanel\\Buttons\\X.BMP") == DeleteResult::Deleted);
    {
        FaultInjectingFileSystem faulty(disk);
        faulty.failRenameAt(1);
        std::unique_ptr<File> file;
        EXPECT_FALSE(openIconFile(faulty, file, "C:\\ui\\", "cpanel\\Buttons\\X.BMP"));
        EXPECT_EQ(disk.allFiles(), before);
    }
    // And the next attempt extracts it whole.
    std::unique_ptr<File> file;
    ASSERT_TRUE(openIconFile(disk, file, "C:\\ui\\", "cpanel\\Buttons\\X.BMP"));
    EXPECT_EQ(disk.fileBytes("C:\\ui\\cpanel\\Buttons\\X.BMP"), Bytes(5000, 0x42));
    EXPECT_EQ(file->length(), 5000);
}

TEST(OpenIconFileTest, NotInAnyArchive) {
    FakeFileSystem disk;
    disk.putFile("C:\\ui\\icons.far", buildFarArchive({{"a\\c.bmp", Bytes{1}}}));
    std::unique_ptr<File> file;
    EXPECT_FALSE(openIconFile(disk, file, "C:\\ui\\", "a\\b.bmp"));
    EXPECT_FALSE(disk.isFile("C:\\ui\\a\\b.bmp"));
}

}  // namespace
}  // namespace jf::test
