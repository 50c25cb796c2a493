// The synthetic installation: its files load cleanly through the loading
// sequence, with every text in its language's code page, cards of every
// kind, dialog references kept, and icon strips that come from the archive.
#include <set>

#include <gtest/gtest.h>

#include "LoaderTestSupport.h"
#include "careers/CodeTree.h"
#include "platform/CodePages.h"
#include "platform/WineRegistry.h"
#include "startup/SampleInstallation.h"

namespace jf::test {
namespace {

class SampleInstallationTest : public LoaderTestBase {
protected:
    void SetUp() override {
        LoaderTestBase::SetUp();
        fs.addFolder(kGameFolder);
        session->state.installation.installedPacks = kSampleInstalledPacks;
        session->state.installation.knownPacks = kSampleInstalledPacks;
    }
};

TEST_F(SampleInstallationTest, WritesTheGameFilesAndNoLooseBitmap) {
    ASSERT_TRUE(writeSampleGameFiles(fs, kGameFolder));
    EXPECT_TRUE(fs.isFile(workPath()));
    EXPECT_TRUE(fs.isFile(carPortalPath()));
    EXPECT_TRUE(fs.isFile(interfaceFolder() + kSampleArchiveName));
    EXPECT_FALSE(fs.isFile(popupPath()));
    EXPECT_FALSE(fs.isFile(buttonPath()));
    for (const std::string& file : fs.allFiles()) {
        EXPECT_EQ(file.find("jf3tmp"), std::string::npos) << file;
    }
}

TEST_F(SampleInstallationTest, LoadsCleanlyAndExtractsTheIcons) {
    ASSERT_TRUE(writeSampleGameFiles(fs, kGameFolder));
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().text;
    EXPECT_EQ(prompts.statuses, expectedStatuses("Work.iff"));
    EXPECT_FALSE(session->state.chanceCardsDisabled);
    EXPECT_TRUE(fs.isFile(popupPath()));
    EXPECT_TRUE(fs.isFile(buttonPath()));

    const CareerDatabase& database = session->database;
    ASSERT_EQ(database.trackIds(), sampleTrackIds());
    ASSERT_GE(database.trackCount(), 12u);
    std::size_t cards = 0;
    std::set<std::uint32_t> kinds;
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        const CareerTrack& track = *database.track(p);
        SCOPED_TRACE(track.career.internalCareerName);
        EXPECT_EQ(track.career.levels.size(), 10u);
        ASSERT_EQ(track.strings.rowCount(), CareerStrings::kEntryCount);
        // Every text in all twenty languages, each in its own code page.
        for (std::size_t entry = 0; entry < CareerStrings::kEntryCount; ++entry) {
            for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
                const std::string text = track.strings.text(entry, slot);
                EXPECT_FALSE(text.empty()) << entry << " " << slot;
                EXPECT_TRUE(toUtf8(text, codePageForSlot(slot))) << entry << " " << slot;
            }
        }
        // The job-name copy is there and in step.
        IffChunk* copy = session->careerView.find(kTypeStr, CareerStrings::jobNameCopyId(track.id));
        ASSERT_NE(copy, nullptr);
        StringTable copyTable;
        ASSERT_TRUE(copyTable.attachTo(session->careerView, *copy));
        EXPECT_EQ(copyTable.text(CareerStrings::maleJobNameEntry(9), 14),
                  track.strings.text(CareerStrings::maleJobNameEntry(9), 14));
        for (const ChanceCard& card : track.cards) {
            if (card.empty()) {
                continue;
            }
            ++cards;
            ASSERT_GT(card.textIndex, 0u);
            for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
                std::string text;
                ASSERT_TRUE(database.globalText(card.textIndex - 1u, slot, text));
                EXPECT_TRUE(toUtf8(text, codePageForSlot(slot)));
            }
            for (const CardItem& item : card.items) {
                kinds.insert(item.kind);
            }
        }
    }
    EXPECT_GE(cards, 3 * database.trackCount());
    EXPECT_EQ(kinds, (std::set<std::uint32_t>{CardItem::kKindBudget, CardItem::kKindSkill,
                                              CardItem::kKindJob, CardItem::kKindSound}));

    // The global options, the default texts and the texts dialogs refer to.
    std::int16_t value = 0;
    ASSERT_TRUE(database.option(kOptionSchoolStartHour, value));
    EXPECT_EQ(value, 8);
    for (std::size_t entry = 0; entry < 48; ++entry) {
        EXPECT_FALSE(database.textEntryFree(entry)) << entry;
    }
    EXPECT_TRUE(database.textEntryFree(299));
    std::size_t dialogs = 0;
    for (IffChunk* chunk : session->cardView.chunksOfType(kTypeBhav)) {
        CodeTree tree;
        ASSERT_TRUE(tree.attachTo(session->cardView, *chunk));
        for (const Instruction& instruction : tree.instructions()) {
            dialogs += instruction.opcode == 36 ? 1 : 0;
        }
    }
    EXPECT_GT(dialogs, cards);

    // The strips: 84 x 63 and 112 x 22 per icon, a distinct picture per track.
    EXPECT_EQ(session->icons.popupStrip().width(), 84);
    EXPECT_EQ(session->icons.buttonStrip().width(), 112);
    EXPECT_GT(session->icons.popupIconCount(), 17);
    EXPECT_EQ(session->icons.popupIconCount(), session->icons.buttonIconCount());
    std::vector<Bitmap> popups;
    std::vector<Bitmap> buttons;
    for (std::uint16_t id : sampleTrackIds()) {
        Bitmap popup;
        Bitmap button;
        ASSERT_TRUE(session->icons.getPopupIcon(id, popup));
        ASSERT_TRUE(session->icons.getButtonIcon(id, button));
        for (const Bitmap& other : popups) {
            EXPECT_NE(popup, other) << id;
        }
        for (const Bitmap& other : buttons) {
            EXPECT_NE(button, other) << id;
        }
        popups.push_back(popup);
        buttons.push_back(button);
    }
}

TEST_F(SampleInstallationTest, SavesAndReloadsUnchanged) {
    ASSERT_TRUE(writeSampleGameFiles(fs, kGameFolder));
    ASSERT_EQ(load(), LoadResult::Ok);
    const std::size_t tracks = session->database.trackCount();
    std::vector<TrackCards> before;
    for (std::size_t p = 0; p < tracks; ++p) {
        before.push_back(session->database.track(p)->cards);
    }
    const Bytes cardFile = *fs.fileBytes(carPortalPath());
    ASSERT_TRUE(saveAll(*session, prompts));
    // The card trees were generated by the same code: the file comes back
    // byte for byte.
    EXPECT_EQ(*fs.fileBytes(carPortalPath()), cardFile);
    ASSERT_EQ(reload(), LoadResult::Ok);
    EXPECT_TRUE(prompts.shown.empty());
    ASSERT_EQ(session->database.trackCount(), tracks);
    for (std::size_t p = 0; p < tracks; ++p) {
        EXPECT_EQ(session->database.track(p)->cards, before[p]) << p;
    }
}

TEST_F(SampleInstallationTest, TheLaterRootTreeIsUsedForLaterPacks) {
    ASSERT_TRUE(writeSampleGameFiles(fs, kGameFolder, 0x7F));
    session->state.installation.installedPacks = 0x7F;
    session->state.installation.knownPacks = 0x7F;
    ASSERT_EQ(load(), LoadResult::Ok);
    EXPECT_NE(session->cardView.find(kTypeBhav, 4134), nullptr);
    EXPECT_EQ(session->cardView.find(kTypeBhav, 4124), nullptr);
    EXPECT_FALSE(session->database.track(0)->cards[0].empty());
}

TEST(SampleRegistryTest, NamesTheGameFolderAndThreePacks) {
    const std::string text = sampleSystemRegistry();
    SettingsValues values;
    ASSERT_TRUE(wine::readKey(text, kGameKeyPath, values));
    EXPECT_EQ(settings::textOf(values["SIMS_DATA"].data), kSampleGameFolder);
    EXPECT_EQ(settings::textOf(values["EPInstalled"].data), "1");
    EXPECT_EQ(settings::textOf(values["EP3Installed"].data), "1");
    EXPECT_EQ(values.count("EP4Installed"), 0u);
}

}  // namespace
}  // namespace jf::test
