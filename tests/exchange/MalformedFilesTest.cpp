// Exchange files from strangers: every malformed file ends in one message,
// never a crash, a hang or a write outside the database.
#include <gtest/gtest.h>

#include <random>

#include "exchange/CardChunk.h"
#include "exchange/ExchangeTestSupport.h"
#include "exchange/InfoHeader.h"

namespace jf::test {
namespace {

const char kFilePath[] = "C:\\exchange\\stranger.car";

class MalformedFilesTest : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        fs.addFolder("C:\\exchange");
        putInstallation();
        load();
    }
    // Imports a file over track 1 and returns the messages shown.
    std::vector<PromptMessage> importBytes(const Bytes& file) {
        prompts.shown.clear();
        fs.putFile(kFilePath, file);
        importFile(kFilePath, 1);
        EXPECT_FALSE(fs.isOpen(kFilePath));
        return prompts.shown;
    }
};

struct MessageCase {
    std::string name;
    std::function<void(ExchangeTrackRecipe&)> damage;
    std::string message;
    std::string caption = "Error!";
};

TEST_F(MalformedFilesTest, EachDamageHasItsMessage) {
    const Bytes card = cardBody(emptyCardRecords());
    const std::vector<MessageCase> cases = {
        {"header of three bytes",
         [](ExchangeTrackRecipe& s) {
             s.info = Bytes{1, 0, 0};
         },
         "Incorrect information header!"},
        {"type 5", [](ExchangeTrackRecipe& s) { s.info = trackHeaderBody(5, 2); },
         "Incorrect type!"},
        {"no version field", [](ExchangeTrackRecipe& s) { s.info = Bytes{1, 0, 0, 0, 2, 0}; },
         "Incorrect Information header!"},
        {"no text length",
         [](ExchangeTrackRecipe& s) { s.info = Bytes{1, 0, 0, 0, 2, 0, 0, 0, 28}; },
         "Incorrect Information header!"},
        {"text longer than the header",
         [](ExchangeTrackRecipe& s) {
             s.info = trackHeaderBody();
             s.info[8] = 29;
         },
         "Incorrect Information header!"},
        {"version 3", [](ExchangeTrackRecipe& s) { s.info = trackHeaderBody(1, 3); },
         "Unknown version! Please download the newest version of Jobforge!", "Error"},
        {"no career chunk", [](ExchangeTrackRecipe& s) { s.career.clear(); },
         "Can't load the career resource!"},
        {"career chunk with a wrong magic", [](ExchangeTrackRecipe& s) { s.career[8] ^= 0xFF; },
         "File damaged!"},
        {"no strings", [](ExchangeTrackRecipe& s) { s.strings.clear(); },
         "Can't load the strings resource!"},
        {"strings with language byte 0",
         [](ExchangeTrackRecipe& s) { s.strings = Bytes{0xFD, 0xFF, 1, 0, 0, 'a', 0, 0}; },
         "File damaged!"},
        {"no cards", [](ExchangeTrackRecipe& s) { s.cards.clear(); },
         "Can't load the cards resource!"},
        {"cards with a wrong magic", [](ExchangeTrackRecipe& s) { s.cards[0] = 'X'; },
         "Incorrect cards resource!"},
        {"nine card records", [](ExchangeTrackRecipe& s) { s.cards[4] = 9; },
         "Incorrect cards resource!"},
        {"cards of four bytes", [](ExchangeTrackRecipe& s) { s.cards.resize(4); },
         "Incorrect cards resource!"},
        {"cards ending before the tenth record", [](ExchangeTrackRecipe& s) { s.cards.pop_back(); },
         "Incorrect cards resource!"},
        {"text pair without its end",
         [](ExchangeTrackRecipe& s) {
             s.cards.resize(8);
             s.cards.insert(s.cards.end(), {0, 'a', 'b', 'c'});
         },
         "Incorrect cards resource!"},
        {"text pairs without 0xFF",
         [](ExchangeTrackRecipe& s) {
             s.cards.resize(8);
             s.cards.insert(s.cards.end(), {0, 'a', 0, 1, 'b', 0});
         },
         "Incorrect cards resource!"},
        {"item count past the end",
         [](ExchangeTrackRecipe& s) {
             s.cards[9] = 0xFF;
             s.cards[10] = 0xFF;
             s.cards[11] = 0xFF;
             s.cards[12] = 0x0F;
         },
         "Incorrect cards resource!"},
        {"more items than a card holds",
         [](ExchangeTrackRecipe& s) {
             std::vector<TestCardRecord> records = emptyCardRecords();
             records[0].items.assign(257, CardItem::sound(312));
             s.cards = cardBody(records);
         },
         "Incorrect cards resource!"},
        {"no popup", [](ExchangeTrackRecipe& s) { s.popup.clear(); },
         "Can't load the popup resource!"},
        {"popup of the button's size",
         [](ExchangeTrackRecipe& s) { s.popup = encodeBitmapFile(patternIcon(112, 22, 3)); },
         "Couldn't load the popup bitmap!"},
        {"popup that is no bitmap",
         [](ExchangeTrackRecipe& s) {
             s.popup = Bytes{'B', 'M', 1};
         },
         "Couldn't load the popup bitmap!"},
        {"no button", [](ExchangeTrackRecipe& s) { s.button.clear(); },
         "Can't load the button resource!"},
        {"button of the popup's size",
         [](ExchangeTrackRecipe& s) { s.button = encodeBitmapFile(patternIcon(84, 63, 3)); },
         "Couldn't load the button bitmap!"},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "stranger");
        c.damage(recipe);
        std::vector<RawTestChunk> chunks = exchangeChunks(recipe);
        // An empty body stands for a missing chunk.
        std::erase_if(chunks, [](const RawTestChunk& chunk) { return chunk.body.empty(); });
        const std::vector<PromptMessage> shown = importBytes(buildContainerBytes(chunks));
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], errorMessage(c.message, c.caption));
        EXPECT_EQ(session->database.trackCount(), 3u);
    }
}

TEST_F(MalformedFilesTest, FilesThatAreNoCareerFiles) {
    EXPECT_EQ(importBytes(Bytes{'h', 'e', 'l', 'l', 'o'}),
              std::vector<PromptMessage>{
                  errorMessage("Error while opening this file with OpenIFFFile()!", "Error!")});
    EXPECT_EQ(importBytes(buildContainerBytes({{kTypeStr, 0, 0x10, "", Bytes{0xFD, 0xFF, 0, 0}}})),
              std::vector<PromptMessage>{errorMessage("Not a career file!", "Error!")});
    prompts.shown.clear();
    EXPECT_EQ(importFile("C:\\exchange\\missing.car"), ExchangeResult::Failed);
    EXPECT_EQ(prompts.shown,
              std::vector<PromptMessage>{errorMessage("Couldn't open this file!", "Error!")});
}

TEST_F(MalformedFilesTest, IconsThatTheStoreCannotTake) {
    // Strips without a band for track id 2.
    session->icons.clear();
    ASSERT_TRUE(session->icons.readPopupStrip(
        *std::make_unique<MemoryFile>(encodeBitmapFile(Bitmap(84, 63 * 2)))));
    ASSERT_TRUE(session->icons.readButtonStrip(
        *std::make_unique<MemoryFile>(encodeBitmapFile(Bitmap(112, 22 * 3)))));
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "icons");
    EXPECT_EQ(importBytes(buildContainerBytes(exchangeChunks(recipe))),
              std::vector<PromptMessage>{errorMessage("Couldn't set the popup bitmap!", "Error!")});
    ASSERT_TRUE(session->icons.readPopupStrip(
        *std::make_unique<MemoryFile>(encodeBitmapFile(Bitmap(84, 63 * 3)))));
    ASSERT_TRUE(session->icons.readButtonStrip(
        *std::make_unique<MemoryFile>(encodeBitmapFile(Bitmap(112, 22 * 2)))));
    EXPECT_EQ(
        importBytes(buildContainerBytes(exchangeChunks(recipe))),
        std::vector<PromptMessage>{errorMessage("Couldn't set the button bitmap!", "Error!")});
}

TEST_F(MalformedFilesTest, CardChunkIsCheckedWholeBeforeAnyCardChanges) {
    CareerTrack& track = *session->database.track(1);
    track.cards[0].items = {CardItem::sound(311)};
    const TrackCards before = track.cards;
    ExchangeTrackRecipe recipe = sampleExchangeTrack(0, "cards");
    recipe.cards.resize(recipe.cards.size() - 1);  // the last record loses a byte
    importBytes(buildContainerBytes(exchangeChunks(recipe)));
    EXPECT_EQ(track.cards, before);
}

TEST(CardChunkCodec, RoundTripAndBounds) {
    CardRecords records;
    records[0].texts = {{0, ""}};
    records[0].items = {CardItem::budget(1, 500), CardItem::sound(312)};
    records[9].texts = {{3, "drei"}, {19, "kor"}};
    std::vector<std::uint8_t> body;
    ASSERT_TRUE(encodeCardChunk(records, body));
    CardRecords back;
    ASSERT_EQ(decodeCardChunk(body.data(), body.size(), back), CardChunkStatus::Ok);
    EXPECT_EQ(back, records);
    // Every shorter body is refused; none is read past its end.
    for (std::size_t n = 0; n < body.size(); ++n) {
        std::vector<std::uint8_t> cut(body.begin(), body.begin() + static_cast<long>(n));
        EXPECT_NE(decodeCardChunk(cut.data(), cut.size(), back), CardChunkStatus::Ok) << n;
    }
    // Trailing bytes are ignored.
    body.push_back(7);
    EXPECT_EQ(decodeCardChunk(body.data(), body.size(), back), CardChunkStatus::Ok);
    // A pair that cannot be written.
    records[1].texts = {{0xFF, "x"}};
    EXPECT_FALSE(encodeCardChunk(records, body));
}

TEST(PredecessorLanguages, MapToSlots) {
    const std::vector<std::pair<int, int>> table = {
        {0, 0},   {6, 6},   {7, 8},   {8, 13},  {9, 14},    {10, 15}, {11, 16},
        {12, 17}, {13, 18}, {14, 19}, {15, 20}, {250, 255}, {251, 0}, {255, 4}};
    for (const auto& [code, slot] : table) {
        EXPECT_EQ(slotFromPredecessorLanguage(static_cast<std::uint8_t>(code)), slot) << code;
    }
}

TEST(TrackHeaders, ReadingRules) {
    TrackHeader header;
    EXPECT_EQ(readTrackHeader(encodeTrackHeader(), header), TrackHeaderStatus::Ok);
    EXPECT_EQ(header.exportType, 1u);
    EXPECT_EQ(header.formatVersion, 2u);
    // 32 bytes: version 1, whatever the bytes say.
    Bytes predecessor = predecessorHeaderBody();
    predecessor[4] = 9;
    EXPECT_EQ(readTrackHeader(predecessor, header), TrackHeaderStatus::Ok);
    EXPECT_EQ(header.formatVersion, 1u);
    // Version 0 with an empty text.
    Bytes zero;
    putU32(zero, 1);
    putU32(zero, 0);
    putU32(zero, 0);
    EXPECT_EQ(readTrackHeader(zero, header), TrackHeaderStatus::Ok);
    EXPECT_EQ(header.formatVersion, 0u);
    // A text length that would overflow 32 bits.
    zero[8] = zero[9] = zero[10] = zero[11] = 0xFF;
    EXPECT_EQ(readTrackHeader(zero, header), TrackHeaderStatus::Incorrect);
    EXPECT_EQ(readTrackHeader(Bytes{}, header), TrackHeaderStatus::Incorrect);
}

// ---- Fuzz-style runs ------------------------------------------------------------

class ExchangeFuzzTest : public MalformedFilesTest {
protected:
    // Runs one import of `file` and checks that the session is still whole.
    void importAndCheck(const Bytes& file) {
        fs.putFile(kFilePath, file);
        prompts.shown.clear();
        importFile(kFilePath, 1);
        ASSERT_FALSE(fs.isOpen(kFilePath));
        ASSERT_EQ(session->database.trackCount(), 3u);
        ASSERT_LE(session->database.globalTexts().rowCount(), 256u);
        for (std::size_t p = 0; p < 3; ++p) {
            for (const ChanceCard& card : session->database.track(p)->cards) {
                ASSERT_LE(card.items.size(), 256u);
                ASSERT_LE(card.textIndex, 256);
            }
        }
    }
    Bytes exported() {
        ChanceCard& card = *session->database.chanceCard(0, 1);
        card.items = {CardItem::sound(312), CardItem::budget(1, 20)};
        card.textIndex = 4;
        exportTo(0, kFilePath);
        return *fs.fileBytes(kFilePath);
    }
    Bytes backedUp() {
        backupTo(kFilePath);
        return *fs.fileBytes(kFilePath);
    }
};

TEST_F(ExchangeFuzzTest, TruncatedCarFiles) {
    const Bytes file = exported();
    for (std::size_t n = 0; n < file.size(); n += (n < 2048 ? 1 : 97)) {
        SCOPED_TRACE(n);
        importAndCheck(Bytes(file.begin(), file.begin() + static_cast<long>(n)));
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(ExchangeFuzzTest, CorruptedCarFiles) {
    const Bytes file = exported();
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        Bytes damaged = file;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int f = 0; f < flips; ++f) {
            // Mostly in the chunk headers and the small bodies at the front.
            const std::size_t limit =
                round % 2 == 0 ? std::min<std::size_t>(1500, damaged.size()) : damaged.size();
            damaged[random() % limit] = static_cast<std::uint8_t>(random());
        }
        importAndCheck(damaged);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(ExchangeFuzzTest, CorruptedBackups) {
    const Bytes file = backedUp();
    std::mt19937 random(77);
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        Bytes damaged = file;
        const int flips = 1 + static_cast<int>(random() % 6);
        for (int f = 0; f < flips; ++f) {
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        }
        if (round % 3 == 0) {
            damaged.resize(random() % damaged.size());
        }
        importAndCheck(damaged);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(ExchangeFuzzTest, RandomCardBodies) {
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        Bytes body = {'C', 'A', 'R', 'D', 10, 0, 0, 0};
        const std::size_t extra = random() % 200;
        for (std::size_t i = 0; i < extra; ++i) {
            // Bias towards the bytes that steer the reader.
            const unsigned pick = random() % 4;
            body.push_back(pick == 0 ? 0xFF : pick == 1 ? 0 : static_cast<std::uint8_t>(random()));
        }
        CardRecords records;
        decodeCardChunk(body.data(), body.size(), records);
    }
}

}  // namespace
}  // namespace jf::test
