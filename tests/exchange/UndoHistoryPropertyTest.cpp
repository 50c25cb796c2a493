// The undo history over every kind of change, on the sample installation:
// a seeded random sequence of operations (text fields, job details, chance
// cards, icons, global options and texts, Set All, imports and restores,
// with undo and redo mixed in), then undo all must save the files as they
// were, and redo all must save them as the sequence did. Refused
// operations must change nothing and enter no step.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "careers/CareerDatabase.h"
#include "document/Document.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/SampleInstallation.h"
#include "support/FakeFileSystem.h"
#include "support/ScriptedPrompts.h"

namespace jf {
namespace {

constexpr char kFolder[] = "C:\\Games\\Sims\\";
constexpr char kCarPath[] = "C:\\Games\\one.car";
constexpr char kBackupPath[] = "C:\\Games\\all.cbk";

using Files = std::vector<std::vector<std::uint8_t>>;
constexpr std::array<const char*, 4> kFileNames = {
    "ExpansionShared\\Work.iff", "GameData\\Objects\\CarPortal.iff",
    "UIGraphics\\cpanel\\Buttons\\JobIconMultiButton.BMP",
    "UIGraphics\\cpanel\\Backgrounds\\JobIconMultiPopup.BMP"};

// Names the files that differ (and where), instead of printing them whole.
::testing::AssertionResult sameFiles(const Files& actual, const Files& expected) {
    for (std::size_t i = 0; i < kFileNames.size(); ++i) {
        if (actual[i] == expected[i]) {
            continue;
        }
        std::size_t at = 0;
        while (at < actual[i].size() && at < expected[i].size() &&
               actual[i][at] == expected[i][at]) {
            ++at;
        }
        return ::testing::AssertionFailure()
               << kFileNames[i] << " differs at byte " << at << " (sizes " << actual[i].size()
               << " and " << expected[i].size() << ")";
    }
    return ::testing::AssertionSuccess();
}

class FixedChooser final : public ReplaceCareerChooser {
public:
    std::size_t position = 0;
    std::optional<std::size_t> chooseTrackToReplace() override { return position; }
};

class QuietObserver final : public ImportObserver {
public:
    void trackReplaced(std::size_t) override {}
    void careersRestored() override {}
    void markDirty() override {}
};

class UndoHistoryPropertyTest : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override {
        disk.addFolder("C:\\Games");
        disk.addFolder(kFolder);
        ASSERT_TRUE(writeSampleGameFiles(disk, kFolder));
        AppState& state = document.session().state;
        state.installation.gameDataFolder = kFolder;
        state.installation.installedPacks = kSampleInstalledPacks;
        state.installation.knownPacks = kSampleInstalledPacks;
        load();
    }

    void load() {
        LoadRequest request;
        request.folder = kFolder;
        runLoader(request, document.session(), prompts);
        ASSERT_EQ(request.resultCode.load(), LoadResult::Ok);
        ASSERT_FALSE(document.session().state.chanceCardsDisabled);
    }

    // File Save as the editor runs it: the four files, the clean mark, the
    // reload.
    Files save() {
        EXPECT_TRUE(saveAll(document.session(), prompts));
        document.markSaved();
        prepareReload(document.session());
        load();
        return files();
    }

    Files files() const {
        Files result;
        for (const char* name : kFileNames) {
            result.push_back(
                disk.fileBytes(std::string(kFolder) + name).value_or(Files::value_type{}));
        }
        return result;
    }

    std::string word() {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz ABC";
        std::string text;
        const int length = pick(0, 8);
        for (int i = 0; i < length; ++i) {
            text.push_back(kLetters[pick(0, sizeof kLetters - 2)]);
        }
        return text;
    }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    std::size_t track() { return static_cast<std::size_t>(pick(0, kSampleTrackCount - 1)); }
    std::size_t level() { return static_cast<std::size_t>(pick(0, 9)); }
    int language() { return pick(0, kLanguageSlotCount - 1); }

    std::vector<CardItem> cardItems() {
        std::vector<CardItem> items;
        if (pick(0, 4) == 0) {
            return items;  // gives the text entry back
        }
        for (int i = pick(0, 2); i > 0; --i) {
            items.push_back(pick(0, 1) == 0
                                ? CardItem::budget(CardItem::kModeAdd,
                                                   static_cast<std::uint16_t>(pick(0, 5000)))
                                : CardItem::skill(CardItem::kModeSubtract, CardItem::kSkillLogic,
                                                  static_cast<std::uint16_t>(pick(1, 300))));
        }
        items.push_back(
            CardItem::sound(pick(0, 1) == 0 ? CardItem::kSoundGood : CardItem::kSoundBad));
        return items;
    }

    Bitmap picture(int width, int height) {
        Bitmap icon(width, height);
        const Rgb colour{static_cast<std::uint8_t>(pick(0, 255)),
                         static_cast<std::uint8_t>(pick(0, 255)),
                         static_cast<std::uint8_t>(pick(0, 255))};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                icon.setPixel(x, y, colour);
            }
        }
        return icon;
    }

    ExchangeResult importFile(const char* path, std::size_t position) {
        prompts.openFiles.push_back(path);
        prompts.answers.push_back(PromptAnswer::Yes);
        chooser.position = position;
        const ExchangeResult result = importCareers(document, prompts, chooser, observer);
        prompts.answers.clear();
        return result;
    }

    // One random operation; `kinds` counts the kinds that made a step.
    void randomOperation(std::map<int, int>& kinds) {
        const int kind = pick(0, 12);
        const std::size_t before = document.history().count();
        EditResult result;
        switch (kind) {
            case 0:
            case 1: {
                const TextField field = static_cast<TextField>(pick(0, kTextFieldCount - 1));
                result = document.commitFieldText(track(), level(), field, language(),
                                                  word() + (pick(0, 3) == 0 ? "\\n" : ""));
                break;
            }
            case 2:
                result = document.setTrackText(track(), static_cast<std::size_t>(pick(0, 32)),
                                               language(), word());
                break;
            case 3: {
                const std::size_t position = track();
                const std::size_t j = level();
                JobLevel value = document.database().track(position)->career.levels[j];
                value.salary = pick(0, 32767);
                if (pick(0, 1) == 0) {
                    value.internalJobName = word();
                    value.carType = pick(0, 8);
                }
                result = document.setJobLevel(position, j, value);
                break;
            }
            case 4:
                result = document.setChanceCard(track(), level(), cardItems(), language(), word());
                break;
            case 5:
                result = document.setIcons(track(), picture(84, 63), picture(112, 22));
                break;
            case 6: {
                std::array<std::int16_t, kGlobalOptionCount> values{};
                for (std::int16_t& value : values) {
                    value = static_cast<std::int16_t>(pick(0, 100));
                }
                result = document.setGlobalOptions(values);
                break;
            }
            case 7: {
                std::map<int, GlobalTextValues> texts;
                for (int i = pick(1, 3); i > 0; --i) {
                    GlobalTextValues& values = texts[language()];
                    for (std::string& value : values) {
                        value = word();
                    }
                }
                result = document.setGlobalTexts(texts);
                break;
            }
            case 8:
                result = document.copyToAllLanguages(track(), language(), pick(0, 1) == 0);
                break;
            case 9:
                importFile(kCarPath, track());
                break;
            case 10:
                importFile(kBackupPath, 0);
                break;
            case 11:
                document.undo();
                return;
            case 12:
                document.redo();
                return;
        }
        if (result.refused()) {
            EXPECT_EQ(document.history().count(), before) << kind;
        }
        if (document.history().count() != before || result.applied()) {
            ++kinds[kind];
        }
    }

    test::FakeFileSystem disk;
    MemorySettingsStore settings;
    Document document{disk, settings};
    test::ScriptedPrompts prompts;
    FixedChooser chooser;
    QuietObserver observer;
    std::mt19937 random{GetParam()};
};

TEST_P(UndoHistoryPropertyTest, UndoAllSavesTheOriginalsAndRedoAllSavesTheSequence) {
    // The exchange files the sequence imports, made before anything changes.
    prompts.saveFiles = {kCarPath, kBackupPath};
    ASSERT_EQ(exportCareer(document.session(), prompts, 3), ExchangeResult::Succeeded);
    ASSERT_EQ(backupCareers(document.session(), prompts), ExchangeResult::Succeeded);
    const Files original = files();

    std::map<int, int> kinds;
    for (int i = 0; i < 300; ++i) {
        randomOperation(kinds);
    }
    // Every kind of operation made at least one step.
    for (int kind = 0; kind <= 10; ++kind) {
        EXPECT_GT(kinds[kind], 0) << "operation kind " << kind;
    }
    ASSERT_GT(document.history().count(), 0u);

    // Steps undone at the end of the sequence stay undone.
    const std::size_t reached = document.history().index();
    const Files sequence = save();
    EXPECT_FALSE(document.isModified());
    while (document.undo()) {
    }
    EXPECT_TRUE(document.isModified());
    EXPECT_TRUE(sameFiles(save(), original));
    while (document.history().index() < reached) {
        ASSERT_TRUE(document.redo());
    }
    // The clean mark moved to the last save, where nothing was applied.
    EXPECT_TRUE(document.isModified());
    EXPECT_TRUE(sameFiles(save(), sequence));
}

TEST_P(UndoHistoryPropertyTest, RefusedOperationsChangeNothing) {
    const Files original = files();
    const std::size_t count = document.database().trackCount();
    EXPECT_TRUE(document.setTrackText(count, 0, 0, "x").refused());
    EXPECT_TRUE(document.setTrackText(0, 40, 0, "x").refused());
    EXPECT_TRUE(document.setJobLevel(0, 10, JobLevel{}).refused());
    EXPECT_TRUE(document.setIcons(count, Bitmap(84, 63), Bitmap(112, 22)).refused());
    // Two sound items, and a CJK character in a Russian text.
    EXPECT_TRUE(
        document
            .setChanceCard(
                0, 0, {CardItem::sound(CardItem::kSoundGood), CardItem::sound(CardItem::kSoundBad)},
                0, "x")
            .refused());
    EXPECT_TRUE(
        document.commitFieldText(0, 0, TextField::CareerName, 12, "\xE6\x97\xA5").refused());
    EXPECT_TRUE(
        document.commitFieldText(0, 0, TextField::InternalCareerName, 0, "\xD0\x96").refused());
    EXPECT_EQ(document.history().count(), 0u);
    EXPECT_FALSE(document.isModified());
    EXPECT_TRUE(sameFiles(save(), original));
}

INSTANTIATE_TEST_SUITE_P(Seeds, UndoHistoryPropertyTest, ::testing::Values(1u, 7u, 2026u, 90210u));

}  // namespace
}  // namespace jf
