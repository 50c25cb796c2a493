// Career > Export and Career > Backup: the exchange files byte by byte, the
// file choices and the messages.
#include <gtest/gtest.h>

#include "exchange/CardChunk.h"
#include "exchange/ExchangeTestSupport.h"
#include "exchange/InfoHeader.h"
#include "iff/StringTable.h"
#include "platform/RecentFolders.h"

namespace jf::test {
namespace {

const char kCarPath[] = "C:\\exchange\\career.car";
const char kCbkPath[] = "C:\\exchange\\all.cbk";

class ExportTest : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        fs.addFolder("C:\\exchange");
        putInstallation();
        load();
    }
    std::vector<RawTestChunk> writtenChunks(const std::string& path) {
        auto bytes = fs.fileBytes(path);
        EXPECT_TRUE(bytes.has_value());
        return bytes ? readChunks(*bytes) : std::vector<RawTestChunk>();
    }
    // Decodes a STR# body written by the exporter.
    StringTable table(const Bytes& body) {
        StringTable t;
        IffChunk* chunk = t.chunk();
        chunk->setSize(static_cast<std::uint32_t>(body.size()));
        std::copy(body.begin(), body.end(), chunk->data.begin());
        chunk->loaded = true;
        EXPECT_TRUE(t.decode());
        return t;
    }
};

TEST_F(ExportTest, CarFileOfTrackWithEmptyCardsHoldsSevenChunksInOrder) {
    exportTo(1, kCarPath);
    std::vector<RawTestChunk> chunks = writtenChunks(kCarPath);
    ASSERT_EQ(chunks.size(), 8u);  // seven and the map
    const std::string name = session->database.track(1)->career.internalCareerName;
    struct Expected {
        std::uint32_t type;
        std::uint16_t id;
        std::string label;
    };
    const std::vector<Expected> expected = {
        {makeTypeCode('C', 'A', 'R', '#'), 0, name},
        {makeTypeCode('S', 'T', 'R', '#'), 0, name},
        {makeTypeCode('C', 'A', 'R', 'D'), 0, name},
        {makeTypeCode('S', 'T', 'R', '#'), 4096, "Extended CARD information v2"},
        {makeTypeCode('B', 'M', 'P', '1'), 0, "Popup"},
        {makeTypeCode('B', 'M', 'P', '2'), 0, "Button"},
        {makeTypeCode('I', 'N', 'F', 'O'), 0, "Information header"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(chunks[i].type, expected[i].type);
        EXPECT_EQ(chunks[i].id, expected[i].id);
        EXPECT_EQ(chunks[i].label, expected[i].label);
        EXPECT_EQ(chunks[i].flags, 0x0010);
    }
    EXPECT_EQ(chunks[7].type, kTypeRsmp);

    // CARD: "CARD", 10, ten times 0xFF and a zero count.
    Bytes card = {'C', 'A', 'R', 'D', 10, 0, 0, 0};
    for (int i = 0; i < 10; ++i) {
        card.insert(card.end(), {0xFF, 0, 0, 0, 0});
    }
    EXPECT_EQ(chunks[2].body.size(), 58u);
    EXPECT_EQ(chunks[2].body, card);

    // INFO: 1, 2, 28, the text and two zero bytes.
    EXPECT_EQ(chunks[6].body, trackHeaderBody());
    EXPECT_EQ(chunks[6].body.size(), 40u);

    // The career chunk and strings are the track's own encodings.
    Bytes careerBody;
    ASSERT_TRUE(session->database.track(1)->career.encodedBody(careerBody));
    EXPECT_EQ(chunks[0].body, careerBody);
    Bytes stringsBody;
    ASSERT_TRUE(session->database.track(1)->strings.encodedBody(stringsBody));
    EXPECT_EQ(chunks[1].body, stringsBody);

    // The card text table: form -3 with nothing in it.
    EXPECT_EQ(chunks[3].body, (Bytes{0xFD, 0xFF, 0, 0}));

    // The icons of id 2 as complete 24-bit BMP files.
    Bitmap popup;
    Bitmap button;
    ASSERT_TRUE(session->icons.getPopupIcon(2, popup));
    ASSERT_TRUE(session->icons.getButtonIcon(2, button));
    EXPECT_EQ(chunks[4].body, encodeBitmapFile(popup));
    EXPECT_EQ(chunks[4].body.size(), 15930u);
    EXPECT_EQ(chunks[5].body, encodeBitmapFile(button));
    ASSERT_GT(chunks[5].body.size(), 28u);
    EXPECT_EQ(chunks[5].body[28], 24);  // bits per pixel

    ASSERT_EQ(prompts.shown.size(), 0u);
}

TEST_F(ExportTest, CardWithItemAndTextGetsMarkerAndTextTableRow) {
    ChanceCard& card = *session->database.chanceCard(0, 3);
    card.items = {CardItem::budget(CardItem::kModeSubtract, 500)};
    card.textIndex = 12;
    exportTo(0, kCarPath);
    std::vector<RawTestChunk> chunks = writtenChunks(kCarPath);
    const RawTestChunk* cardChunk = findChunk(chunks, kTypeCard, 0);
    ASSERT_NE(cardChunk, nullptr);
    Bytes expected = {'C', 'A', 'R', 'D', 10, 0, 0, 0};
    for (int level = 0; level < 10; ++level) {
        if (level == 3) {
            expected.insert(expected.end(), {0x00, 0x00, 0xFF, 1, 0, 0, 0});
            expected.insert(expected.end(), {1, 0, 0, 0, 1, 0, 0, 0, 0xF4, 0x01, 0, 0});
        } else {
            expected.insert(expected.end(), {0xFF, 0, 0, 0, 0});
        }
    }
    EXPECT_EQ(cardChunk->body, expected);

    const RawTestChunk* texts = findChunk(chunks, kTypeStr, 4096);
    ASSERT_NE(texts, nullptr);
    StringTable t = table(texts->body);
    ASSERT_EQ(t.rowCount(), 10u);
    for (int slot = 0; slot < 20; ++slot) {
        EXPECT_EQ(t.text(3, slot), "G e11 s" + std::to_string(slot));
        EXPECT_EQ(t.text(2, slot), "");
        EXPECT_EQ(t.text(4, slot), "");
    }
}

TEST_F(ExportTest, CardsWithoutItemsOrWithoutTextTravelWithoutText) {
    ChanceCard& itemsOnly = *session->database.chanceCard(0, 0);
    itemsOnly.items = {CardItem::sound(CardItem::kSoundGood)};
    ChanceCard& textOnly = *session->database.chanceCard(0, 1);
    textOnly.textIndex = 5;
    // A text entry past the end of the global texts table gives empty strings.
    ChanceCard& pastEnd = *session->database.chanceCard(0, 2);
    pastEnd.items = {CardItem::sound(CardItem::kSoundBad)};
    pastEnd.textIndex = 200;
    exportTo(0, kCarPath);
    std::vector<RawTestChunk> chunks = writtenChunks(kCarPath);
    const Bytes& body = findChunk(chunks, kTypeCard, 0)->body;
    // Record 0: FF, count 1, one item; record 1: FF, count 0; record 2: marker.
    EXPECT_EQ(body[8], 0xFF);
    EXPECT_EQ(leU32(body, 9), 1u);
    EXPECT_EQ(body[25], 0xFF);
    EXPECT_EQ(leU32(body, 26), 0u);
    EXPECT_EQ(body[30], 0x00);
    EXPECT_EQ(body[31], 0x00);
    EXPECT_EQ(body[32], 0xFF);
    StringTable t = table(findChunk(chunks, kTypeStr, 4096)->body);
    for (std::size_t row = 0; row < t.rowCount(); ++row) {
        for (int slot = 0; slot < 20; ++slot) {
            EXPECT_EQ(t.text(row, slot), "");
        }
    }
}

TEST_F(ExportTest, BackupHoldsEveryTrackByPositionAndTheHeaderLast) {
    backupTo(kCbkPath);
    std::vector<RawTestChunk> chunks = writtenChunks(kCbkPath);
    ASSERT_EQ(chunks.size(), 3u * 7u + 2u);
    for (std::uint16_t p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        const std::uint16_t id = static_cast<std::uint16_t>(p + 1);
        const std::vector<std::pair<std::uint32_t, std::uint16_t>> set = {
            {kTypeCareerExchange, id},
            {kTypeStr, id},
            {kTypeCard, id},
            {kTypeStr, static_cast<std::uint16_t>(id + 4096)},
            {kTypePopupBitmap, id},
            {kTypeButtonBitmap, id},
            {kTypeInfo, id}};
        for (std::size_t i = 0; i < set.size(); ++i) {
            EXPECT_EQ(chunks[p * 7u + i].type, set[i].first);
            EXPECT_EQ(chunks[p * 7u + i].id, set[i].second);
        }
        EXPECT_EQ(chunks[p * 7u].label, session->database.track(p)->career.internalCareerName);
    }
    const RawTestChunk& info = chunks[21];
    EXPECT_EQ(info.type, kTypeInfo);
    EXPECT_EQ(info.id, 0);
    EXPECT_EQ(info.label, "Information header");
    ASSERT_EQ(info.body.size(), 44u);
    EXPECT_EQ(info.body, backupHeaderBody({0, 1, 2}));
    EXPECT_EQ(chunks[22].type, kTypeRsmp);
}

TEST_F(ExportTest, FileChoicesAndSuccessMessages) {
    prompts.saveFiles.push_back(std::string(kCarPath));
    ASSERT_EQ(exportCareer(*session, prompts, 0), ExchangeResult::Succeeded);
    ASSERT_EQ(prompts.fileChoices.size(), 1u);
    const FileChoice& car = prompts.fileChoices[0];
    EXPECT_EQ(car.defaultExtension, "car");
    EXPECT_EQ(car.initialName, "*.car");
    ASSERT_EQ(car.filters.size(), 1u);
    EXPECT_EQ(car.filters[0].description, "CAR files (*.CAR)");
    EXPECT_EQ(car.filters[0].pattern, "*.car");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], (PromptMessage{"Successfully exported!", "Jobforge 3",
                                               PromptButtons::Ok, PromptIcon::Information}));

    prompts.shown.clear();
    prompts.saveFiles.push_back(std::string(kCbkPath));
    ASSERT_EQ(backupCareers(*session, prompts), ExchangeResult::Succeeded);
    const FileChoice& cbk = prompts.fileChoices[1];
    EXPECT_EQ(cbk.defaultExtension, "cbk");
    EXPECT_EQ(cbk.initialName, "*.cbk");
    ASSERT_EQ(cbk.filters.size(), 1u);
    EXPECT_EQ(cbk.filters[0].description, "Jobforge 3 backups (*.CBK)");
    EXPECT_EQ(cbk.filters[0].pattern, "*.cbk");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"Successfully backed up!\n\nTo restore the careers, use \"Import\" in "
                             "the \"Career\" menu.",
                             "jobforge3", PromptButtons::Ok, PromptIcon::Information}));
}

TEST_F(ExportTest, ABackupNamedWithoutExtensionGetsCbk) {
    EXPECT_EQ(backupPath("C:\\exchange\\all"), "C:\\exchange\\all.cbk");
    EXPECT_EQ(backupPath("/home/u/my.backups/all"), "/home/u/my.backups/all.cbk");
    EXPECT_EQ(backupPath("C:\\exchange\\all.cbk"), "C:\\exchange\\all.cbk");
    EXPECT_EQ(backupPath("C:\\exchange\\all.old"), "C:\\exchange\\all.old");

    backupTo("C:\\exchange\\all");
    EXPECT_FALSE(fs.isFile("C:\\exchange\\all"));
    ASSERT_TRUE(fs.isFile(kCbkPath));
    EXPECT_EQ(writtenChunks(kCbkPath).size(), 23u);
}

TEST_F(ExportTest, ExportAndBackupStartWhereTheirKindWasLastSaved) {
    fs.addFolder("C:\\careers");
    fs.addFolder("C:\\backups");
    prompts.saveFiles = {"C:\\careers\\one.car", "C:\\backups\\all.cbk"};
    ASSERT_EQ(exportCareer(*session, prompts, 0), ExchangeResult::Succeeded);
    ASSERT_EQ(backupCareers(*session, prompts), ExchangeResult::Succeeded);
    // Cancelled choices change nothing.
    EXPECT_EQ(exportCareer(*session, prompts, 0), ExchangeResult::Cancelled);
    EXPECT_EQ(backupCareers(*session, prompts), ExchangeResult::Cancelled);
    ASSERT_EQ(prompts.fileChoices.size(), 4u);
    EXPECT_EQ(prompts.fileChoices[0].initialFolder, "");
    EXPECT_EQ(prompts.fileChoices[1].initialFolder, "");
    EXPECT_EQ(prompts.fileChoices[2].initialFolder, "C:\\careers\\");
    EXPECT_EQ(prompts.fileChoices[3].initialFolder, "C:\\backups\\");
    EXPECT_EQ(recentFolder(settings, FileKind::Careers), "C:\\careers\\");
    EXPECT_EQ(recentFolder(settings, FileKind::Backups), "C:\\backups\\");
}

TEST_F(ExportTest, CancelAndNoSelectionWriteNothing) {
    EXPECT_EQ(exportCareer(*session, prompts, std::nullopt), ExchangeResult::Cancelled);
    EXPECT_TRUE(prompts.fileChoices.empty());
    EXPECT_EQ(exportCareer(*session, prompts, 0), ExchangeResult::Cancelled);  // no file chosen
    EXPECT_EQ(backupCareers(*session, prompts), ExchangeResult::Cancelled);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(fs.isFile(kCarPath));
}

TEST_F(ExportTest, FileThatCannotBeCreatedIsReported) {
    prompts.saveFiles.push_back(std::string("C:\\missing folder\\x.car"));
    EXPECT_EQ(exportCareer(*session, prompts, 0), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], errorMessage("Couldn't create this file!", "Error!"));

    fs.putFile(kCbkPath, std::string("old"));
    fs.setReadOnly(kCbkPath);
    prompts.shown.clear();
    prompts.saveFiles.push_back(std::string(kCbkPath));
    EXPECT_EQ(backupCareers(*session, prompts), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], errorMessage("Couldn't create this file!", "Error!"));
    EXPECT_EQ(*fs.fileBytes(kCbkPath), Bytes({'o', 'l', 'd'}));
    // No probe file is left behind.
    for (const std::string& file : fs.allFiles()) {
        EXPECT_EQ(file.find("jf3tmp"), std::string::npos) << file;
    }
}

TEST_F(ExportTest, MissingIconsAreReportedAndWrittenBlack) {
    // Track id 3 has no band in strips of three icons.
    session->icons.clear();
    ASSERT_TRUE(session->icons.readPopupStrip(
        *std::make_unique<MemoryFile>(encodeBitmapFile(Bitmap(84, 63 * 3)))));
    ASSERT_TRUE(session->icons.readButtonStrip(
        *std::make_unique<MemoryFile>(encodeBitmapFile(Bitmap(112, 22 * 3)))));
    prompts.saveFiles.push_back(std::string(kCarPath));
    ASSERT_EQ(exportCareer(*session, prompts, 2), ExchangeResult::Succeeded);
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[0], errorMessage("Can't load the Popup bitmap!\n\n", "Error!"));
    EXPECT_EQ(prompts.shown[1], errorMessage("Can't load the Button bitmap!\n\n", "Error!"));
    EXPECT_EQ(prompts.shown[2].text, "Successfully exported!");
    std::vector<RawTestChunk> chunks = writtenChunks(kCarPath);
    EXPECT_EQ(findChunk(chunks, kTypePopupBitmap, 0)->body, encodeBitmapFile(Bitmap(84, 63)));
    EXPECT_EQ(findChunk(chunks, kTypeButtonBitmap, 0)->body, encodeBitmapFile(Bitmap(112, 22)));
}

TEST_F(ExportTest, ExportChangesNothingInTheSession) {
    const auto before = snapshot(0);
    const std::size_t globalRows = session->database.globalTexts().rowCount();
    session->database.chanceCard(0, 0)->items = {CardItem::sound(312)};
    session->database.chanceCard(0, 0)->textIndex = 3;
    auto expected = snapshot(0);
    exportTo(0, kCarPath);
    backupTo(kCbkPath);
    EXPECT_EQ(snapshot(0), expected);
    EXPECT_NE(snapshot(0), before);
    EXPECT_EQ(session->database.globalTexts().rowCount(), globalRows);
    // The exchange containers are gone from the table.
    int valid = 0;
    for (std::size_t s = 1; s < session->table.slotCount(); ++s) {
        valid += session->table.valid(static_cast<int>(s)) ? 1 : 0;
    }
    EXPECT_EQ(valid, 2);  // the career file and the card file
}

TEST_F(ExportTest, FailedWriteKeepsTheOldFile) {
    fs.putFile(kCarPath, std::string("previous"));
    faults.resetCounts();
    faults.failRenameAt(1);
    prompts.saveFiles.push_back(std::string(kCarPath));
    EXPECT_EQ(exportCareer(*session, prompts, 0), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], errorMessage("Unable to save the IFF file", "Fatal error!"));
    EXPECT_EQ(*fs.fileBytes(kCarPath), Bytes({'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'}));

    faults.resetCounts();
    faults.failWriteAt(1);
    prompts.shown.clear();
    prompts.saveFiles.push_back(std::string(kCarPath));
    EXPECT_EQ(backupCareers(*session, prompts), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], errorMessage("Unable to save the IFF file", "Fatal error!"));
    EXPECT_EQ(*fs.fileBytes(kCarPath), Bytes({'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'}));
}

}  // namespace
}  // namespace jf::test
