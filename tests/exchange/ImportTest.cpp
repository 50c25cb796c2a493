// Career > Import: single tracks, predecessor files, card texts, icons, the
// replace choice, the messages, and what a later Save keeps.
#include <gtest/gtest.h>

#include "exchange/ExchangeTestSupport.h"

namespace jf::test {
namespace {

const char kCarPath[] = "C:\\exchange\\career.car";

class ImportTest : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        fs.addFolder("C:\\exchange");
    }
    void loadWith(const std::vector<CardRecipe>& cards = {}) {
        putInstallation(cards);
        load();
    }
    // Every change an import could make to track `position`.
    void scramble(std::size_t position) {
        CareerTrack& t = *session->database.track(position);
        t.career.internalCareerName = "scrambled";
        t.career.levels.resize(2);
        t.career.levels[0].salary = 12345;
        t.strings.setString(0, 0, StringTable::kText, "scrambled name");
        for (ChanceCard& card : t.cards) {
            card.items = {CardItem::budget(0, 1)};
        }
        session->icons.putPopupIcon(t.id, patternIcon(84, 63, 1));
        session->icons.putButtonIcon(t.id, patternIcon(112, 22, 1));
    }
    // The texts of global entry `entry` in all twenty slots.
    std::vector<std::string> entryTexts(std::size_t entry) {
        std::vector<std::string> texts;
        for (int slot = 0; slot < 20; ++slot) {
            std::string text;
            session->database.globalText(entry, slot, text);
            texts.push_back(text);
        }
        return texts;
    }
    std::vector<std::string> sampleEntryTexts(std::size_t entry) {
        std::vector<std::string> texts;
        for (int slot = 0; slot < 20; ++slot) {
            texts.push_back("G e" + std::to_string(entry) + " s" + std::to_string(slot));
        }
        return texts;
    }
    // Takes every card text entry from `first` to 255.
    void takeEntries(std::size_t from, std::size_t to) {
        for (std::size_t e = from; e <= to; ++e) {
            std::uint16_t index = 0;
            ASSERT_TRUE(session->database.allocateCardText(index));
        }
    }
    std::vector<RawTestChunk> exportedChunks(std::size_t position) {
        exportTo(position, kCarPath);
        return readChunks(*fs.fileBytes(kCarPath));
    }
    static std::vector<RawTestChunk> without(std::vector<RawTestChunk> chunks, std::uint32_t type,
                                             std::uint16_t id) {
        std::erase_if(chunks, [&](const RawTestChunk& c) {
            return (c.type == type && c.id == id) || c.type == kTypeRsmp;
        });
        return chunks;
    }
    static std::vector<RawTestChunk> replaced(std::vector<RawTestChunk> chunks, std::uint32_t type,
                                              std::uint16_t id, const Bytes& body) {
        for (RawTestChunk& c : chunks) {
            if (c.type == type && c.id == id) {
                c.body = body;
            }
        }
        std::erase_if(chunks, [](const RawTestChunk& c) { return c.type == kTypeRsmp; });
        return chunks;
    }
    int validSlots() {
        int valid = 0;
        for (std::size_t s = 1; s < session->table.slotCount(); ++s) {
            valid += session->table.valid(static_cast<int>(s)) ? 1 : 0;
        }
        return valid;
    }
};

TEST_F(ImportTest, ExportedTrackComesBackOverTheSameTrack) {
    loadWith();
    ChanceCard& card = *session->database.chanceCard(0, 2);
    card.items = {CardItem::sound(CardItem::kSoundGood), CardItem::budget(1, 300)};
    card.textIndex = 5;
    const auto expected = snapshot(0);
    exportTo(0, kCarPath);
    scramble(0);
    ASSERT_NE(snapshot(0), expected);

    EXPECT_EQ(importFile(kCarPath, 0), ExchangeResult::Succeeded);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], (PromptMessage{"Successfully imported!", "Jobforge 3",
                                               PromptButtons::Ok, PromptIcon::Information}));
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"track 0", "dirty"}));

    auto after = snapshot(0);
    // The card text moved to the lowest free entry (all were free: entry 0).
    EXPECT_EQ(after.cards[2].textIndex, 1);
    EXPECT_EQ(entryTexts(0), sampleEntryTexts(4));
    after.cards[2].textIndex = 5;
    EXPECT_EQ(after, expected);
    // The track keeps its id and position.
    EXPECT_EQ(session->database.track(0)->id, 1);
}

TEST_F(ImportTest, ImportStartsWithTheCareersFolderAndRemembersByKind) {
    EXPECT_EQ(importedFileKind("C:\\a\\all.cbk"), FileKind::Backups);
    EXPECT_EQ(importedFileKind("/home/u/ALL.CBK"), FileKind::Backups);
    EXPECT_EQ(importedFileKind("C:\\a\\one.car"), FileKind::Careers);
    EXPECT_EQ(importedFileKind("C:\\a.cbk\\old.iff"), FileKind::Careers);
    EXPECT_EQ(importedFileKind("cbk"), FileKind::Careers);

    loadWith();
    fs.addFolder("C:\\saved");
    exportTo(0, "C:\\saved\\one.car");
    backupTo("C:\\saved\\all.cbk");
    fs.addFolder("C:\\moved");
    fs.putFile("C:\\moved\\all.cbk", *fs.fileBytes("C:\\saved\\all.cbk"));
    prompts.fileChoices.clear();
    EXPECT_EQ(importFile("C:\\moved\\all.cbk", 0), ExchangeResult::Succeeded);
    ASSERT_EQ(prompts.fileChoices.size(), 1u);
    EXPECT_EQ(prompts.fileChoices[0].initialFolder, "C:\\saved\\");
    EXPECT_EQ(recentFolder(settings, FileKind::Backups), "C:\\moved\\");
    EXPECT_EQ(recentFolder(settings, FileKind::Careers), "C:\\saved\\");
}

TEST_F(ImportTest, CardTextsLandInTheLowestFreeEntries) {
    // The card code of track id 1 refers to entries 0 (its text), 3 and 43.
    loadWith({CardRecipe{1, 0, 1, {CardItem::sound(CardItem::kSoundGood)}}});
    ASSERT_EQ(session->database.chanceCard(0, 0)->textIndex, 1);
    ASSERT_FALSE(session->database.textEntryFree(0));
    ASSERT_FALSE(session->database.textEntryFree(3));

    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "texts");
    std::vector<TestCardRecord> records = emptyCardRecords();
    for (int level : {1, 4, 6}) {
        records[level].pairs = {{0, "text " + std::to_string(level)}};
        records[level].items = {CardItem::sound(CardItem::kSoundBad)};
    }
    recipe.cards = cardBody(records);
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 1), ExchangeResult::Succeeded);
    EXPECT_EQ(session->database.chanceCard(1, 1)->textIndex, 2);  // entry 1
    EXPECT_EQ(session->database.chanceCard(1, 4)->textIndex, 3);  // entry 2
    EXPECT_EQ(session->database.chanceCard(1, 6)->textIndex, 5);  // entry 4 (3 is taken)
    EXPECT_EQ(entryTexts(1)[0], "text 1");
    EXPECT_EQ(entryTexts(4)[0], "text 6");

    // Over track id 1, whose card frees entry 0 first.
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 0), ExchangeResult::Succeeded);
    EXPECT_EQ(session->database.chanceCard(0, 0)->textIndex, 0);
    EXPECT_TRUE(session->database.chanceCard(0, 0)->items.empty());
    EXPECT_EQ(session->database.chanceCard(0, 1)->textIndex, 1);  // entry 0 again
    EXPECT_EQ(session->database.chanceCard(0, 4)->textIndex, 6);
    EXPECT_EQ(session->database.chanceCard(0, 6)->textIndex, 7);
}

TEST_F(ImportTest, PredecessorLanguageCodesAreMapped) {
    loadWith();
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "old");
    recipe.info = predecessorHeaderBody();
    std::vector<TestCardRecord> records = emptyCardRecords();
    records[0].pairs = {{0, "Hello"},   {7, "Hej"},   {8, "Ola"},
                        {14, "Korean"}, {15, "none"}, {251, "wraps to 0"}};
    records[0].items = {CardItem::sound(CardItem::kSoundGood)};
    recipe.cards = cardBody(records);
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 1), ExchangeResult::Succeeded);
    const ChanceCard& card = *session->database.chanceCard(1, 0);
    ASSERT_EQ(card.textIndex, 1);
    std::vector<std::string> expected = sampleEntryTexts(0);
    expected[0] = "wraps to 0";  // 251 + 5 = 256 -> 0 in 8 bits, after "Hello"
    expected[8] = "Hej";
    expected[13] = "Ola";
    expected[19] = "Korean";
    EXPECT_EQ(entryTexts(0), expected);
    EXPECT_EQ(entryTexts(0)[7], "G e0 s7");  // Danish keeps what the entry held
}

TEST_F(ImportTest, CurrentFilesUseTheLanguageByteAsSlot) {
    loadWith();
    for (std::uint32_t version : {0u, 2u}) {
        SCOPED_TRACE(version);
        ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "new");
        recipe.info = trackHeaderBody(1, version);
        std::vector<TestCardRecord> records = emptyCardRecords();
        records[0].pairs = {{7, "Dansk"}, {8, "Svenska"}, {20, "none"}};
        records[0].items = {CardItem::sound(CardItem::kSoundGood)};
        recipe.cards = cardBody(records);
        EXPECT_EQ(importChunks(exchangeChunks(recipe), 1), ExchangeResult::Succeeded);
        const std::size_t entry = session->database.chanceCard(1, 0)->textIndex - 1u;
        EXPECT_EQ(entryTexts(entry)[7], "Dansk");
        EXPECT_EQ(entryTexts(entry)[8], "Svenska");
    }
}

TEST_F(ImportTest, MissingCardTextTableFallsBackToTheTextPairs) {
    loadWith();
    ChanceCard& card = *session->database.chanceCard(0, 0);
    card.items = {CardItem::sound(CardItem::kSoundGood)};
    card.textIndex = 10;
    std::vector<RawTestChunk> chunks = without(exportedChunks(0), kTypeStr, 4096);
    EXPECT_EQ(importChunks(chunks, 1), ExchangeResult::Succeeded);
    // The marker pair sets USEnglish of the new entry (0) to ""; the rest stays.
    std::vector<std::string> expected = sampleEntryTexts(0);
    expected[0] = "";
    EXPECT_EQ(session->database.chanceCard(1, 0)->textIndex, 1);
    EXPECT_EQ(entryTexts(0), expected);

    // An undecodable table falls back the same way.
    std::vector<RawTestChunk> damaged =
        replaced(exportedChunks(0), kTypeStr, 4096, Bytes{0xFD, 0xFF, 5, 0, 0});
    EXPECT_EQ(importChunks(damaged, 2), ExchangeResult::Succeeded);
    const std::size_t entry = session->database.chanceCard(2, 0)->textIndex - 1u;
    EXPECT_EQ(entryTexts(entry)[0], "");
    EXPECT_EQ(entryTexts(entry)[5], "G e" + std::to_string(entry) + " s5");
}

TEST_F(ImportTest, CardTextTableRowsAreCopiedInAllLanguages) {
    loadWith();
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "table");
    std::vector<TestCardRecord> records = emptyCardRecords();
    records[2].pairs = {{0, "ignored"}};
    records[2].items = {CardItem::sound(CardItem::kSoundGood)};
    records[9].pairs = {{0, ""}};  // row 9 is missing from the table
    records[9].items = {CardItem::sound(CardItem::kSoundGood)};
    recipe.cards = cardBody(records);
    std::vector<TextsBySlot> rows(3);
    for (int slot = 0; slot < 20; ++slot) {
        rows[2][slot] = "row2 s" + std::to_string(slot);
    }
    recipe.cardTexts = buildLanguageTableBody(rows);
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 1), ExchangeResult::Succeeded);
    std::vector<std::string> expected;
    for (int slot = 0; slot < 20; ++slot) {
        expected.push_back("row2 s" + std::to_string(slot));
    }
    EXPECT_EQ(entryTexts(session->database.chanceCard(1, 2)->textIndex - 1u), expected);
    EXPECT_EQ(entryTexts(session->database.chanceCard(1, 9)->textIndex - 1u),
              std::vector<std::string>(20, ""));
}

TEST_F(ImportTest, OverflowWarningAppearsOnceAndCardsKeepTheirItems) {
    loadWith();
    takeEntries(0, 255);
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "many");
    std::vector<TestCardRecord> records = emptyCardRecords();
    for (int level : {0, 1, 2, 3}) {
        records[level].pairs = {{0, "card " + std::to_string(level)}};
        records[level].items = {CardItem::sound(CardItem::kSoundGood),
                                CardItem::budget(0, static_cast<std::uint16_t>(level))};
    }
    recipe.cards = cardBody(records);
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 1), ExchangeResult::Succeeded);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"Message overflow!\n\nYou have too many chance cards!\n\nIt is "
                             "recommended to have only 4 chance cards per career!",
                             "Overflow Warning", PromptButtons::Ok, PromptIcon::Error}));
    EXPECT_EQ(prompts.shown[1].text, "Successfully imported!");
    for (int level : {0, 1, 2, 3}) {
        const ChanceCard& card = *session->database.chanceCard(1, level);
        EXPECT_EQ(card.textIndex, 0);
        EXPECT_EQ(card.items.size(), 2u);
        EXPECT_EQ(card.items[1].value, static_cast<std::uint32_t>(level));
    }
}

TEST_F(ImportTest, EntriesPastTheEndOfTheGlobalTextsGetTheirRows) {
    loadWith();
    ASSERT_EQ(session->database.globalTexts().rowCount(), 12u);
    takeEntries(0, 19);
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "far");
    std::vector<TestCardRecord> records = emptyCardRecords();
    records[0].pairs = {{3, "far away"}};
    records[0].items = {CardItem::sound(CardItem::kSoundGood)};
    recipe.cards = cardBody(records);
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 1), ExchangeResult::Succeeded);
    EXPECT_EQ(session->database.chanceCard(1, 0)->textIndex, 21);
    ASSERT_EQ(session->database.globalTexts().rowCount(), 21u);
    EXPECT_EQ(entryTexts(20)[3], "far away");
    EXPECT_EQ(entryTexts(15), std::vector<std::string>(20, ""));
}

TEST_F(ImportTest, WithChanceCardsDisabledCardsComeWithoutTexts) {
    loadWith();
    session->state.chanceCardsDisabled = true;
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "off");
    std::vector<TestCardRecord> records = emptyCardRecords();
    records[5].pairs = {{0, "text"}};
    records[5].items = {CardItem::sound(CardItem::kSoundGood)};
    recipe.cards = cardBody(records);
    const std::size_t rows = session->database.globalTexts().rowCount();
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 1), ExchangeResult::Succeeded);
    EXPECT_EQ(texts(), std::vector<std::string>{"Successfully imported!"});
    EXPECT_EQ(session->database.chanceCard(1, 5)->textIndex, 0);
    EXPECT_EQ(session->database.chanceCard(1, 5)->items.size(), 1u);
    EXPECT_EQ(session->database.globalTexts().rowCount(), rows);
}

TEST_F(ImportTest, UnknownVersionIsRefusedBeforeAnythingChanges) {
    loadWith();
    std::vector<RawTestChunk> chunks =
        replaced(exportedChunks(0), kTypeInfo, 0, trackHeaderBody(1, 3));
    scramble(1);
    const auto before = snapshot(1);
    const auto textsBefore = session->database.globalTexts().rows();
    const auto flagsBefore = session->database.freeTextFlags();
    EXPECT_EQ(importChunks(chunks, 1), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(
        prompts.shown[0],
        errorMessage("Unknown version! Please download the newest version of Jobforge!", "Error"));
    EXPECT_EQ(snapshot(1), before);
    EXPECT_EQ(session->database.globalTexts().rows(), textsBefore);
    EXPECT_EQ(session->database.freeTextFlags(), flagsBefore);
    // The row is refreshed and the editor marked changed, whatever the outcome.
    EXPECT_EQ(observer.events, (std::vector<std::string>{"track 1", "dirty"}));

    // A version field in a header too short for anything else is still read.
    prompts.shown.clear();
    Bytes shortHeader;
    putU32(shortHeader, 1);
    putU32(shortHeader, 7);
    chunks = replaced(chunks, kTypeInfo, 0, shortHeader);
    EXPECT_EQ(importChunks(chunks, 1), ExchangeResult::Failed);
    EXPECT_EQ(texts(), std::vector<std::string>{
                           "Unknown version! Please download the newest version of Jobforge!"});
}

TEST_F(ImportTest, CancelledChoiceChangesNothingAndReleasesTheFile) {
    loadWith();
    exportTo(0, kCarPath);
    scramble(0);
    const auto before = snapshot(0);
    EXPECT_EQ(importFile(kCarPath, std::nullopt), ExchangeResult::Cancelled);
    EXPECT_EQ(snapshot(0), before);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(observer.events.empty());
    EXPECT_FALSE(fs.isOpen(kCarPath));
    EXPECT_EQ(validSlots(), 2);

    // No file chosen: nothing at all.
    ScriptedPrompts quiet;
    EXPECT_EQ(importCareers(*document, quiet, chooser, observer), ExchangeResult::Cancelled);
    ASSERT_EQ(quiet.fileChoices.size(), 1u);
    const FileChoice& choice = quiet.fileChoices[0];
    EXPECT_EQ(choice.defaultExtension, "");
    EXPECT_EQ(choice.initialName, "*.car");
    ASSERT_EQ(choice.filters.size(), 4u);
    EXPECT_EQ(choice.filters[0].description, "Jobforge 3 careers (*.CAR)");
    EXPECT_EQ(choice.filters[0].pattern, "*.car");
    EXPECT_EQ(choice.filters[1].description, "Jobforge 3 backups (*.CBK)");
    EXPECT_EQ(choice.filters[1].pattern, "*.cbk");
    EXPECT_EQ(choice.filters[2].description, "Jobforge 2 careers (*.IFF)");
    EXPECT_EQ(choice.filters[2].pattern, "*.iff");
    EXPECT_EQ(choice.filters[3].description, "All files (*)");
    EXPECT_EQ(choice.filters[3].pattern, "*");
    EXPECT_EQ(choice.initialFolder, "C:\\exchange\\");  // where the export went
}

TEST_F(ImportTest, ImportClosesTheExchangeFileOnEveryPath) {
    loadWith();
    exportTo(0, kCarPath);
    EXPECT_EQ(importFile(kCarPath, 1), ExchangeResult::Succeeded);
    EXPECT_FALSE(fs.isOpen(kCarPath));
    EXPECT_EQ(validSlots(), 2);
    // Another program may write the file now.
    EXPECT_NE(fs.open(kCarPath, OpenMode::ReadWrite), nullptr);

    fs.putFile(kCarPath, std::string("IFF FILE 9.9 not a version we read"));
    EXPECT_EQ(importFile(kCarPath, 1), ExchangeResult::Failed);
    EXPECT_FALSE(fs.isOpen(kCarPath));
    EXPECT_EQ(validSlots(), 2);

    fs.putFile(kCarPath, buildContainerBytes({}));
    EXPECT_EQ(importFile(kCarPath, 1), ExchangeResult::Failed);
    EXPECT_FALSE(fs.isOpen(kCarPath));
    EXPECT_EQ(validSlots(), 2);
}

TEST_F(ImportTest, PositionOutsideTheTracksChangesNothing) {
    loadWith();
    exportTo(0, kCarPath);
    EXPECT_EQ(importFile(kCarPath, 3), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], errorMessage(noSuchTrackText(3, 3), "Error!"));
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(ImportTest, ImportSaveReloadKeepsTheImportWithoutStrayChunks) {
    loadWith();
    ChanceCard& card = *session->database.chanceCard(0, 1);
    card.items = {CardItem::sound(CardItem::kSoundGood), CardItem::budget(1, 250)};
    card.textIndex = 7;
    exportTo(0, kCarPath);
    const auto source = snapshot(0);

    ASSERT_EQ(importFile(kCarPath, 2), ExchangeResult::Succeeded);
    auto expected = snapshot(2);
    ASSERT_TRUE(saveAll(*session, prompts)) << ::testing::PrintToString(prompts.texts());
    reload();

    auto after = snapshot(2);
    EXPECT_EQ(after.name, source.name);
    EXPECT_EQ(after.levels, source.levels);
    EXPECT_EQ(after.strings, source.strings);
    EXPECT_EQ(after.popup, source.popup);
    EXPECT_EQ(after.button, source.button);
    EXPECT_EQ(after.cards[1].items, source.cards[1].items);
    EXPECT_EQ(after, expected);
    EXPECT_EQ(entryTexts(after.cards[1].textIndex - 1u), sampleEntryTexts(6));
    EXPECT_EQ(session->database.track(2)->id, 3);

    // The career file holds the tracks' own chunks, with their labels, and
    // nothing else but the job-name copies the save adds.
    std::vector<RawTestChunk> chunks = readChunks(*fs.fileBytes(workPath()));
    std::vector<std::pair<std::string, std::uint16_t>> listed;
    for (const RawTestChunk& c : chunks) {
        if (c.type != kTypeRsmp) {
            listed.emplace_back(typeCodeToString(c.type), c.id);
        }
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, std::uint16_t>>{{"CARR", 1},
                                                                          {"CARR", 2},
                                                                          {"CARR", 3},
                                                                          {"STR#", 1},
                                                                          {"STR#", 2},
                                                                          {"STR#", 3},
                                                                          {"STR#", 1001},
                                                                          {"STR#", 1002},
                                                                          {"STR#", 1003}}));
    EXPECT_EQ(findChunk(chunks, kTypeCarr, 3)->label, "Career");
    EXPECT_EQ(findChunk(chunks, kTypeStr, 3)->label, "Career texts");
}

TEST_F(ImportTest, DamagedCareerChunkKeepsTheTrackAttached) {
    // "File damaged!" leaves the career as far as decoded; a Save then still
    // writes the track into its own chunk.
    loadWith();
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "damaged");
    recipe.career.resize(recipe.career.size() - 10);
    EXPECT_EQ(importChunks(exchangeChunks(recipe), 0), ExchangeResult::Failed);
    EXPECT_EQ(texts(), std::vector<std::string>{"File damaged!"});
    EXPECT_EQ(session->database.track(0)->career.internalCareerName, "damaged");
    EXPECT_FALSE(session->database.track(0)->career.ownsChunk());
    EXPECT_FALSE(session->database.track(0)->strings.ownsChunk());
    const auto expected = snapshot(0);
    ASSERT_TRUE(saveAll(*session, prompts));
    reload();
    EXPECT_EQ(snapshot(0).levels, expected.levels);
    EXPECT_EQ(snapshot(0).name, "damaged");
}

}  // namespace
}  // namespace jf::test
