// Restoring a backup: every track by position, the question, the header
// checks, and the stop at the first failing track.
#include <gtest/gtest.h>

#include "exchange/ExchangeTestSupport.h"

namespace jf::test {
namespace {

const char kCbkPath[] = "C:\\exchange\\all.cbk";

const PromptMessage kQuestion{
    "This file contains a backup of all careers.\n\nAre you sure you want to restore the careers?",
    "Question", PromptButtons::YesNo, PromptIcon::Question};
const PromptMessage kRestored{"Successfully restored!", "jobforge3", PromptButtons::Ok,
                              PromptIcon::Information};

class RestoreTest : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        fs.addFolder("C:\\exchange");
        putInstallation();
        load();
        for (std::size_t p = 0; p < 3; ++p) {
            originals.push_back(snapshot(p));
        }
        backupTo(kCbkPath);
        backup = readChunks(*fs.fileBytes(kCbkPath));
        std::erase_if(backup, [](const RawTestChunk& c) { return c.type == kTypeRsmp; });
        for (std::size_t p = 0; p < 3; ++p) {
            scramble(p);
            scrambled.push_back(snapshot(p));
        }
    }
    void scramble(std::size_t position) {
        CareerTrack& t = *session->database.track(position);
        t.career.internalCareerName = "scrambled " + std::to_string(position);
        t.career.levels.pop_back();
        t.strings.setString(1, 3, StringTable::kText, "changed");
        t.cards[4].items = {CardItem::sound(CardItem::kSoundBad)};
        session->icons.putPopupIcon(t.id, patternIcon(84, 63, 5));
        session->icons.putButtonIcon(t.id, patternIcon(112, 22, 6));
    }
    ExchangeResult restore(const std::vector<RawTestChunk>& chunks,
                           const std::string& path = kCbkPath,
                           PromptAnswer answer = PromptAnswer::Yes) {
        fs.putFile(path, buildContainerBytes(chunks));
        return importFile(path, 0, answer);
    }
    std::vector<RawTestChunk> backupWithout(std::uint32_t type, std::uint16_t id) {
        std::vector<RawTestChunk> chunks = backup;
        std::erase_if(chunks, [&](const RawTestChunk& c) { return c.type == type && c.id == id; });
        return chunks;
    }
    std::vector<RawTestChunk> backupWithHeader(const Bytes& header) {
        std::vector<RawTestChunk> chunks = backupWithout(kTypeInfo, 0);
        chunks.push_back({kTypeInfo, 0, 0x10, "Information header", header});
        return chunks;
    }

    std::vector<TrackSnapshot> originals;
    std::vector<TrackSnapshot> scrambled;
    std::vector<RawTestChunk> backup;
};

TEST_F(RestoreTest, RestoresEveryTrackByPosition) {
    EXPECT_EQ(restore(backup), ExchangeResult::Succeeded);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0], kQuestion);
    EXPECT_EQ(prompts.shown[1], kRestored);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"restored", "dirty"}));
    for (std::size_t p = 0; p < 3; ++p) {
        EXPECT_EQ(snapshot(p), originals[p]) << p;
    }
    EXPECT_FALSE(fs.isOpen(kCbkPath));
}

TEST_F(RestoreTest, BackupUnderAnyNameIsABackup) {
    EXPECT_EQ(restore(backup, "C:\\exchange\\named.car"), ExchangeResult::Succeeded);
    EXPECT_EQ(prompts.shown[0], kQuestion);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_EQ(snapshot(1), originals[1]);
}

TEST_F(RestoreTest, NoEndsTheCommand) {
    EXPECT_EQ(restore(backup, kCbkPath, PromptAnswer::No), ExchangeResult::Cancelled);
    EXPECT_EQ(texts(), std::vector<std::string>{kQuestion.text});
    EXPECT_TRUE(observer.events.empty());
    for (std::size_t p = 0; p < 3; ++p) {
        EXPECT_EQ(snapshot(p), scrambled[p]);
    }
}

TEST_F(RestoreTest, StopsAtTheFirstFailingTrack) {
    EXPECT_EQ(restore(backupWithout(kTypeButtonBitmap, 2)), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1], errorMessage("Can't load the button resource!", "Error!"));
    // Position 0 restored; position 1 as far as its popup; position 2 untouched.
    EXPECT_EQ(snapshot(0), originals[0]);
    TrackSnapshot partial = originals[1];
    partial.button = scrambled[1].button;
    EXPECT_EQ(snapshot(1), partial);
    EXPECT_EQ(snapshot(2), scrambled[2]);
    // No refill of the list, but what was restored still counts as a change.
    EXPECT_EQ(observer.events, (std::vector<std::string>{"dirty"}));
}

TEST_F(RestoreTest, HeaderOfExactly32BytesRestoresNothingAndSucceeds) {
    EXPECT_EQ(restore(backupWithHeader(backupHeaderBody({}))), ExchangeResult::Succeeded);
    EXPECT_EQ(prompts.shown, (std::vector<PromptMessage>{kQuestion, kRestored}));
    EXPECT_EQ(observer.events, (std::vector<std::string>{"restored", "dirty"}));
    EXPECT_EQ(snapshot(0), scrambled[0]);
}

TEST_F(RestoreTest, PositionsAreReadWhileFourBytesRemain) {
    Bytes header = backupHeaderBody({2});
    header.insert(header.end(), {1, 0, 0});  // three bytes: no position
    EXPECT_EQ(restore(backupWithHeader(header)), ExchangeResult::Succeeded);
    EXPECT_EQ(snapshot(2), originals[2]);
    EXPECT_EQ(snapshot(1), scrambled[1]);
}

TEST_F(RestoreTest, ShortOrRepeatingHeaderIsRefusedAfterTheQuestion) {
    const std::vector<Bytes> headers = {
        Bytes{2, 0, 0, 0, 'B', 'a', 'c', 'k'},  // shorter than 32 bytes
        backupHeaderBody({0, 1, 0}),            // a position twice
    };
    for (const Bytes& header : headers) {
        prompts.shown.clear();
        EXPECT_EQ(restore(backupWithHeader(header)), ExchangeResult::Failed);
        EXPECT_EQ(prompts.shown,
                  (std::vector<PromptMessage>{
                      kQuestion, errorMessage("Incorrect information header!", "Error!")}));
        EXPECT_EQ(snapshot(0), scrambled[0]);
    }
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(RestoreTest, PositionBeyondTheTracksStopsTheRestore) {
    std::vector<RawTestChunk> chunks = backupWithHeader(backupHeaderBody({0, 3, 1}));
    EXPECT_EQ(restore(chunks), ExchangeResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1], errorMessage(restorePositionText(3, 3), "Error!"));
    EXPECT_EQ(prompts.shown[1].text,
              "This backup holds a career for position 3, but this installation has only 3 "
              "careers!\n\nThe restore has been stopped.");
    EXPECT_EQ(snapshot(0), originals[0]);
    EXPECT_EQ(snapshot(1), scrambled[1]);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"dirty"}));

    // Far beyond (the chunk id would not even fit 16 bits).
    prompts.shown.clear();
    observer.events.clear();
    EXPECT_EQ(restore(backupWithHeader(backupHeaderBody({0xFFFFFFFFu}))), ExchangeResult::Failed);
    EXPECT_EQ(prompts.shown[1].text, restorePositionText(0xFFFFFFFFu, 3));
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(RestoreTest, TrackHeaderMessages) {
    // INFO of the track missing, too short, of the wrong type.
    struct Case {
        std::vector<RawTestChunk> chunks;
        PromptMessage message;
    };
    std::vector<RawTestChunk> wrongType = backupWithout(kTypeInfo, 1);
    wrongType.push_back({kTypeInfo, 1, 0x10, "Information header", trackHeaderBody(2, 2)});
    std::vector<RawTestChunk> tooShort = backupWithout(kTypeInfo, 1);
    tooShort.push_back({kTypeInfo, 1, 0x10, "Information header", Bytes{1, 0, 0}});
    const std::vector<Case> cases = {
        {backupWithout(kTypeInfo, 1), errorMessage("Can't load the Information header!", "Error!")},
        {tooShort, errorMessage("Incorrect Information header!", "Error!")},
        {wrongType, errorMessage("Unexpected Export Type!", "Error!")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.text);
        prompts.shown.clear();
        observer.events.clear();
        EXPECT_EQ(restore(c.chunks), ExchangeResult::Failed);
        EXPECT_EQ(prompts.shown, (std::vector<PromptMessage>{kQuestion, c.message}));
        EXPECT_EQ(snapshot(0), scrambled[0]);
        EXPECT_TRUE(observer.events.empty());
    }
}

}  // namespace
}  // namespace jf::test
