// The expansion-pack check of the loading sequence: when it asks, when the
// icons are reset from the archives, and what is stored as the known packs.
#include <gtest/gtest.h>

#include "LoaderTestSupport.h"

namespace jf::test {
namespace {

const PromptMessage kQuestion{kPacksChangedText, "Jobforge 3", PromptButtons::YesNo,
                              PromptIcon::Question};

class LoaderPacksTest : public LoaderTestBase {
protected:
    void setPacks(std::uint32_t known, std::uint32_t installed) {
        session->state.installation.knownPacks = known;
        session->state.installation.installedPacks = installed;
    }
    // The stored "ExpansionPacks", or -1 when none.
    long long storedPacks() const {
        const SettingsValue* value = settings.value(kOwnKeyPath, kKnownPacksValue);
        std::uint32_t mask = 0;
        if (value == nullptr || !settings::dwordOf(*value, mask)) {
            return -1;
        }
        return mask;
    }
    int questionsAsked() const {
        int count = 0;
        for (const PromptMessage& message : prompts.shown) {
            count += message == kQuestion ? 1 : 0;
        }
        return count;
    }
};

TEST_F(LoaderPacksTest, NoQuestionWhenNothingIsNew) {
    putInstallation();
    setPacks(0x0F, 0x0F);
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(questionsAsked(), 0);
    EXPECT_EQ(storedPacks(), -1);
    // Fewer packs than known is no change either.
    setPacks(0x0F, 0x03);
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_EQ(questionsAsked(), 0);
}

TEST_F(LoaderPacksTest, FirstRunWithTheBaseGameAsksOnceWhateverTheAnswer) {
    for (PromptAnswer answer : {PromptAnswer::Yes, PromptAnswer::No}) {
        SCOPED_TRACE(answer == PromptAnswer::Yes ? "Yes" : "No");
        SetUp();
        settings.removeKey(kOwnKeyPath);
        prompts.shown.clear();
        putInstallation();
        setPacks(0x00, 0x01);
        prompts.answers = {answer};
        ASSERT_EQ(load(), LoadResult::Ok);
        EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{kQuestion});
        EXPECT_EQ(storedPacks(), 0x01);
        EXPECT_EQ(session->state.installation.knownPacks, 0x01u);
        // Nothing was deleted: the loose strips were read.
        EXPECT_EQ(popupShade(), kLooseShade);
        EXPECT_EQ(buttonShade(), kLooseShade);
        // The next load does not ask again.
        ASSERT_EQ(reload(), LoadResult::Ok);
        EXPECT_EQ(questionsAsked(), 1);
    }
}

TEST_F(LoaderPacksTest, AFirstPackAfterTheBaseGameResetsTheIcons) {
    putInstallation();
    setPacks(0x01, 0x03);
    prompts.answers = {PromptAnswer::Yes};
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(prompts.shown, std::vector<PromptMessage>{kQuestion});
    // Deleted and extracted afresh from the archive.
    EXPECT_EQ(popupShade(), kArchiveShade);
    EXPECT_EQ(buttonShade(), kArchiveShade);
    EXPECT_EQ(fs.fileBytes(popupPath()), popupStripFile(kArchiveShade));
    EXPECT_EQ(fs.fileBytes(buttonPath()), buttonStripFile(kArchiveShade));
    EXPECT_EQ(storedPacks(), 0x03);
    EXPECT_EQ(session->state.installation.knownPacks, 0x03u);
}

TEST_F(LoaderPacksTest, AnsweringNoKeepsTheIconsAndStoresTheMask) {
    putInstallation();
    setPacks(0x01, 0x03);
    prompts.answers = {PromptAnswer::No};
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(popupShade(), kLooseShade);
    EXPECT_EQ(storedPacks(), 0x03);
}

struct ResetCase {
    std::uint32_t known;
    std::uint32_t installed;
    bool reset;
};

class ResetRuleTest : public LoaderPacksTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetRuleTest, YesResetsOnlyWhereTheRuleSays) {
    putInstallation();
    setPacks(GetParam().known, GetParam().installed);
    prompts.answers = {PromptAnswer::Yes};
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(questionsAsked(), 1);
    EXPECT_EQ(popupShade(), GetParam().reset ? kArchiveShade : kLooseShade);
    EXPECT_EQ(buttonShade(), GetParam().reset ? kArchiveShade : kLooseShade);
    EXPECT_EQ(storedPacks(), static_cast<long long>(GetParam().installed));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ResetRuleTest,
    ::testing::Values(
        // Known packs exactly the base game: any new pack resets.
        ResetCase{0x01, 0x03, true}, ResetCase{0x01, 0x11, true}, ResetCase{0x01, 0x7F, true},
        // Nothing stored yet, 0x07 or 0x0F: only packs 5 and 6 reset.
        ResetCase{0x00, 0x21, true}, ResetCase{0x00, 0x41, true}, ResetCase{0x00, 0x1F, false},
        ResetCase{0x07, 0x27, true}, ResetCase{0x07, 0x0F, false}, ResetCase{0x0F, 0x2F, true},
        ResetCase{0x0F, 0x4F, true}, ResetCase{0x0F, 0x1F, false},
        // Above 15: never.
        ResetCase{0x11, 0x7F, false}, ResetCase{0x2F, 0x7F, false},
        // A stored mask with the sign bit is below 15 as a signed value.
        ResetCase{0x80000000u, 0x80000041u, true}, ResetCase{0x80000000u, 0x80000003u, false}));

TEST_F(LoaderPacksTest, AResetNeedsBothStripsInTheArchives) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    putLooseIcons();
    putIconArchive("UIGraphics.far", kPopupIconName, "");
    setPacks(0x01, 0x03);
    prompts.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    ASSERT_EQ(load(), LoadResult::Ok);
    // Nothing deleted, mask not saved: the question comes back.
    EXPECT_EQ(popupShade(), kLooseShade);
    EXPECT_EQ(buttonShade(), kLooseShade);
    EXPECT_EQ(storedPacks(), -1);
    EXPECT_EQ(session->state.installation.knownPacks, 0x01u);
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_EQ(questionsAsked(), 2);
    // The archive slots used for the check were closed again.
    std::size_t open = 0;
    for (std::size_t slot = 1; slot < session->table.slotCount(); ++slot) {
        open += session->table.valid(static_cast<int>(slot)) ? 1 : 0;
    }
    EXPECT_EQ(open, 2u);  // the career container and the card container
}

TEST_F(LoaderPacksTest, ARefusedDeletionLeavesTheMaskUnsaved) {
    putInstallation();
    ASSERT_TRUE(fs.setReadOnly(buttonPath()));
    setPacks(0x01, 0x03);
    prompts.answers = {PromptAnswer::Yes};
    ASSERT_EQ(load(), LoadResult::Ok);
    // The popup strip was deleted and extracted again; the button strip stays.
    EXPECT_EQ(popupShade(), kArchiveShade);
    EXPECT_EQ(buttonShade(), kLooseShade);
    EXPECT_EQ(storedPacks(), -1);
    EXPECT_EQ(session->state.installation.knownPacks, 0x01u);
}

TEST_F(LoaderPacksTest, AResetWithoutLooseFilesIsFine) {
    fs.putFile(workPath(), sampleCareerFile());
    fs.putFile(carPortalPath(), sampleCardFile());
    putIconArchive();
    setPacks(0x01, 0x03);
    prompts.answers = {PromptAnswer::Yes};
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(popupShade(), kArchiveShade);
    EXPECT_EQ(storedPacks(), 0x03);
}

TEST_F(LoaderPacksTest, AResetClosesTheIconFilesOfAnEarlierLoad) {
    putInstallation();
    ASSERT_EQ(load(), LoadResult::Ok);
    ASSERT_TRUE(session->popupIconFile);
    // Straight into the check, with the strip files still open.
    setPacks(0x01, 0x03);
    prompts.answers = {PromptAnswer::Yes};
    checkExpansionPacks(*session, prompts, interfaceFolder());
    EXPECT_FALSE(session->popupIconFile);
    EXPECT_FALSE(session->buttonIconFile);
    EXPECT_FALSE(fs.isFile(popupPath()));
    EXPECT_FALSE(fs.isFile(buttonPath()));
    EXPECT_EQ(storedPacks(), 0x03);
}

TEST_F(LoaderPacksTest, AFailedRegistryWriteUpdatesTheMaskInMemoryOnly) {
    putInstallation();
    settings.removeKey(kOwnKeyPath);
    settings.setCreateFails(true);
    setPacks(0x03, 0x07);
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_EQ(session->state.installation.knownPacks, 0x07u);
    EXPECT_FALSE(settings.hasKey(kOwnKeyPath));
    // Within the run the question is not asked again.
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_EQ(questionsAsked(), 1);
}

}  // namespace
}  // namespace jf::test
