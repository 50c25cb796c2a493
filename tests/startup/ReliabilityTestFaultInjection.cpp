// File Save under injected faults: for every write, flush and rename of a
// whole save (career file, CarPortal.iff with regenerated card trees, both
// icon strips, and the save journal) the save is run again with that one
// operation failing. The failing step's message must be the only one shown
// (a failure of the journal counts as the first step's), and the data in
// memory must be unchanged. A failure before the journal is complete must
// leave every game file exactly old and nothing else behind; a failed
// replacement after it leaves the files replaced so far new, and recovery
// (itself failing once at each of its renames, then run again) must then
// make every file exactly new and leave nothing else behind. Either way a
// later save without faults must still write exactly what an undisturbed
// save writes. Damaged journals and stray temporary files are recovered
// from as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "careers/Bitmap.h"
#include "careers/BmpFile.h"
#include "document/EditorSession.h"
#include "platform/Checksum.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/SaveJournal.h"
#include "support/CardBuilders.h"
#include "support/CareerBuilders.h"
#include "support/FakeFileSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedPrompts.h"

namespace jf::test {
namespace {

constexpr char kGame[] = "C:\\Games\\The Sims\\";

std::string inGame(const std::string& relative) {
    return std::string(kGame) + relative;
}

// The four files of a save, in the order of its steps.
const std::vector<std::string>& gameFiles() {
    static const std::vector<std::string> files = {
        inGame("ExpansionShared\\Work.iff"),
        inGame("GameData\\Objects\\CarPortal.iff"),
        inGame(std::string("UIGraphics\\") + kButtonIconName),
        inGame(std::string("UIGraphics\\") + kPopupIconName),
    };
    return files;
}
const char* const kStepMessages[] = {kSaveCareersFailedText, kSaveCardsFailedText,
                                     kSaveButtonsFailedText, kSavePopupFailedText};
// The step number given to an operation on the journal.
constexpr std::size_t kJournalStep = 4;

std::string journalPath() {
    return inGame(kSaveJournalName);
}

Bitmap strip(int width, int iconHeight, int icons, int shade) {
    Bitmap picture(width, iconHeight * icons);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y,
                             {static_cast<std::uint8_t>(shade), static_cast<std::uint8_t>(y),
                              static_cast<std::uint8_t>(x)});
        }
    }
    return picture;
}

// ---- Which file each write, flush and rename belongs to ---------------------------

enum class Operation { Write, Flush, Rename };

struct Event {
    Operation operation;
    std::string path;  // the file written or flushed; the target of a rename
    std::string from;  // the renamed file
};

using EventLog = std::vector<Event>;

class RecordingFile final : public File {
public:
    RecordingFile(std::unique_ptr<File> inner, std::string path, std::shared_ptr<EventLog> log)
        : inner_(std::move(inner)), path_(std::move(path)), log_(std::move(log)) {}

    bool seek(std::uint64_t position) override { return inner_->seek(position); }
    std::uint64_t tell() const override { return inner_->tell(); }
    std::int64_t read(void* buffer, std::size_t n) override { return inner_->read(buffer, n); }
    bool write(const void* buffer, std::size_t n) override {
        log_->push_back({Operation::Write, path_, {}});
        return inner_->write(buffer, n);
    }
    bool truncate(std::uint64_t length) override { return inner_->truncate(length); }
    std::int64_t length() const override { return inner_->length(); }
    bool flush() override {
        log_->push_back({Operation::Flush, path_, {}});
        return inner_->flush();
    }
    std::unique_ptr<File> duplicate() override {
        std::unique_ptr<File> copy = inner_->duplicate();
        return copy ? std::make_unique<RecordingFile>(std::move(copy), path_, log_) : nullptr;
    }
    std::string path() const override { return inner_->path(); }

private:
    std::unique_ptr<File> inner_;
    std::string path_;
    std::shared_ptr<EventLog> log_;
};

// Passes everything through and logs every write, flush and rename in the
// order the fault injector above it counts them.
class RecordingFileSystem final : public FileSystem {
public:
    explicit RecordingFileSystem(FileSystem& inner) : inner_(inner) {}

    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        std::unique_ptr<File> file = inner_.open(path, mode);
        return file ? std::make_unique<RecordingFile>(std::move(file), path, log) : nullptr;
    }
    bool exists(const std::string& path) override { return inner_.exists(path); }
    bool isReadOnly(const std::string& path) override { return inner_.isReadOnly(path); }
    bool clearReadOnly(const std::string& path) override { return inner_.clearReadOnly(path); }
    bool setReadOnly(const std::string& path) override { return inner_.setReadOnly(path); }
    bool createFolder(const std::string& path) override { return inner_.createFolder(path); }
    DeleteResult deleteFile(const std::string& path) override { return inner_.deleteFile(path); }
    bool replaceFile(const std::string& from, const std::string& to) override {
        log->push_back({Operation::Rename, to, from});
        return inner_.replaceFile(from, to);
    }
    std::vector<std::string> listArchives(const std::string& folder) override {
        return inner_.listArchives(folder);
    }
    std::vector<std::string> listFiles(const std::string& folder) override {
        return inner_.listFiles(folder);
    }
    bool syncFolder(const std::string& folder) override { return inner_.syncFolder(folder); }
    std::string nativePath(const std::string& path) override { return inner_.nativePath(path); }

    std::shared_ptr<EventLog> log = std::make_shared<EventLog>();

private:
    FileSystem& inner_;
};

// Paths come back from the fake disk with slashes.
std::string slashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The save step (0..3) of every write, flush and rename, by kind and 1-based
// count: an operation on a temporary file belongs to the file it is later
// renamed over.
std::map<Operation, std::vector<std::size_t>> stepsOf(const EventLog& log) {
    std::map<std::string, std::string> renamedTo;
    for (const Event& event : log) {
        if (event.operation == Operation::Rename) {
            renamedTo[event.from] = event.path;
        }
    }
    std::map<Operation, std::vector<std::size_t>> steps;
    for (const Event& event : log) {
        std::string target = event.path;
        if (event.operation != Operation::Rename && renamedTo.count(target) != 0) {
            target = renamedTo[target];
        }
        std::size_t step = paths::equalsIgnoreCase(slashes(journalPath()), slashes(target))
                               ? kJournalStep
                               : gameFiles().size() + 1;
        for (std::size_t i = 0; i < gameFiles().size(); ++i) {
            if (paths::equalsIgnoreCase(slashes(gameFiles()[i]), slashes(target))) {
                step = i;
            }
        }
        steps[event.operation].push_back(step);
    }
    return steps;
}

// ---- What the editor holds in memory ------------------------------------------------

struct MemoryState {
    std::vector<std::string> names;
    std::vector<std::vector<JobLevel>> levels;
    std::vector<std::vector<StringTable::Row>> strings;
    std::vector<TrackCards> cards;
    bool optionsFlag = false;
    std::vector<std::int16_t> options;
    std::vector<StringTable::Row> texts;
    FreeTextFlags freeTexts{};
    Bitmap popup;
    Bitmap button;

    bool operator==(const MemoryState&) const = default;
};

MemoryState memoryOf(const EditorSession& session) {
    MemoryState state;
    const CareerDatabase& database = session.database;
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        const CareerTrack* track = database.track(p);
        state.names.push_back(track->career.internalCareerName);
        state.levels.push_back(track->career.levels);
        state.strings.push_back(track->strings.rows());
        state.cards.push_back(track->cards);
    }
    state.optionsFlag = database.globalOptions().flag();
    state.options = database.globalOptions().values();
    state.texts = database.globalTexts().rows();
    state.freeTexts = database.freeTextFlags();
    state.popup = session.icons.popupStrip();
    state.button = session.icons.buttonStrip();
    return state;
}

// ---- The test -------------------------------------------------------------------

class SaveFaultTest : public ::testing::Test {
protected:
    // A fresh disk holding the installation, loaded and edited, with the
    // fault injector's counters at zero.
    void start() {
        disk = std::make_unique<FakeFileSystem>();
        disk->putFile(gameFiles()[0], buildCareerContainer({sampleTrack(1, "alpha", 10),
                                                            sampleTrack(2, "beta", 3)}));
        CardRecipe first;
        first.trackId = 1;
        first.level = 0;
        first.textIndex = 3;
        first.items = {CardItem::sound(CardItem::kSoundGood), CardItem::budget(0, 120)};
        CardRecipe second;
        second.trackId = 2;
        second.level = 2;
        second.textIndex = 5;
        second.items = {CardItem::skill(CardItem::kModeAdd, CardItem::kSkillLogic, 2)};
        disk->putFile(gameFiles()[1], buildSampleCardPortal({first, second}));
        disk->putFile(gameFiles()[2], encodeBitmapFile(strip(112, 22, 3, 10)));
        disk->putFile(gameFiles()[3], encodeBitmapFile(strip(84, 63, 3, 10)));
        recorder = std::make_unique<RecordingFileSystem>(*disk);
        faults = std::make_unique<FaultInjectingFileSystem>(*recorder);
        session = std::make_unique<EditorSession>(*faults, settings);
        session->state.installation.gameDataFolder = kGame;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;

        ScriptedPrompts loadPrompts;
        LoadRequest request;
        request.folder = kGame;
        runLoader(request, *session, loadPrompts);
        ASSERT_EQ(request.resultCode.load(), LoadResult::Ok);
        ASSERT_TRUE(loadPrompts.shown.empty()) << loadPrompts.shown.front().text;
        ASSERT_FALSE(session->state.chanceCardsDisabled);
        ASSERT_EQ(session->database.trackCount(), 2u);

        // A change for every file of the save.
        session->database.track(0)->career.internalCareerName = "Renamed";
        ChanceCard* card = session->database.chanceCard(1, 0);
        ASSERT_NE(card, nullptr);
        card->items = {CardItem::budget(CardItem::kModeSubtract, 30)};
        ASSERT_TRUE(session->database.setOption(kOptionAPlusBonus, 777));
        ASSERT_TRUE(session->icons.putButtonIcon(1, strip(112, 22, 1, 99)));
        ASSERT_TRUE(session->icons.putPopupIcon(2, strip(84, 63, 1, 99)));

        old = snapshot();
        memory = memoryOf(*session);
        faults->resetCounts();
        recorder->log->clear();
        prompts = std::make_unique<ScriptedPrompts>();
    }

    std::vector<Bytes> snapshot() const {
        std::vector<Bytes> files;
        for (const std::string& path : gameFiles()) {
            files.push_back(disk->fileBytes(path).value_or(Bytes{}));
        }
        return files;
    }

    // The bytes and operation counts of an undisturbed save.
    void measure() {
        start();
        ASSERT_TRUE(saveAll(*session, *prompts));
        ASSERT_TRUE(prompts->shown.empty());
        saved = snapshot();
        for (std::size_t i = 0; i < saved.size(); ++i) {
            ASSERT_NE(saved[i], old[i]) << "the edit does not change " << gameFiles()[i];
        }
        steps = stepsOf(*recorder->log);
        fileCount = disk->allFiles().size();
    }

    // Whether the disk holds nothing but the game files and the files that
    // were there before the save.
    bool nothingLeftBehind() const {
        return disk->allFiles().size() == fileCount && !disk->isFile(journalPath());
    }

    // Runs the save with the k-th operation of one kind failing and checks
    // everything the failure leaves. After a failed replacement the save is
    // then either finished by recovery (as at the next start) or made again
    // at once (superseding the unfinished one).
    void failAt(Operation operation, std::uint64_t k, bool recoverFirst) {
        start();
        const std::size_t step = steps[operation][k - 1];
        ASSERT_LE(step, kJournalStep) << "an operation outside the game files and the journal";
        switch (operation) {
            case Operation::Write:
                faults->failWriteAt(k);
                break;
            case Operation::Flush:
                faults->failFlushAt(k);
                break;
            case Operation::Rename:
                faults->failRenameAt(k);
                break;
        }
        EXPECT_FALSE(saveAll(*session, *prompts)) << "a failed operation went unreported";
        faults->clearFaults();

        ASSERT_EQ(prompts->shown.size(), 1u);
        EXPECT_EQ(prompts->shown[0],
                  errorMessage(kStepMessages[step == kJournalStep ? 0 : step], kErrorCaption));
        // Only a replacement can fail once the journal is complete.
        const bool journalComplete = operation == Operation::Rename && step != kJournalStep;
        const std::vector<Bytes> now = snapshot();
        for (std::size_t i = 0; i < now.size(); ++i) {
            EXPECT_EQ(now[i], journalComplete && i < step ? saved[i] : old[i])
                << gameFiles()[i] << " is neither wholly old nor as expected";
        }
        EXPECT_TRUE(memoryOf(*session) == memory) << "the data in memory changed";
        if (!journalComplete) {
            EXPECT_TRUE(nothingLeftBehind()) << "a temporary file or the journal was left behind";
        } else {
            ASSERT_TRUE(disk->isFile(journalPath())) << "no journal for the recovery";
            if (recoverFirst) {
                // As at the next start: nothing open, recovery, a fresh load.
                prepareReload(*session);
                recoverWithFaults();
                EXPECT_EQ(snapshot(), saved) << "recovery did not complete the save";
                EXPECT_TRUE(nothingLeftBehind()) << "recovery left files behind";
                ScriptedPrompts loadPrompts;
                LoadRequest request;
                request.folder = kGame;
                runLoader(request, *session, loadPrompts);
                ASSERT_EQ(request.resultCode.load(), LoadResult::Ok);
                EXPECT_TRUE(memoryOf(*session) == memory) << "the completed save lost an edit";
            }
        }

        // Saving again without faults writes what an undisturbed save writes.
        prompts = std::make_unique<ScriptedPrompts>();
        EXPECT_TRUE(saveAll(*session, *prompts));
        EXPECT_TRUE(prompts->shown.empty());
        EXPECT_EQ(snapshot(), saved) << "the save after the failure wrote other bytes";
        EXPECT_TRUE(nothingLeftBehind()) << "the save after the failure left files behind";
    }

    // Recovery failing at each of its renames in turn, run again after each
    // failure; then once without faults, which must complete the save.
    void recoverWithFaults() {
        for (std::uint64_t k = 1;; ++k) {
            faults->resetCounts();
            faults->failRenameAt(k);
            const RecoveryReport report = recoverInterruptedSave(*faults, kGame);
            faults->clearFaults();
            if (!report.failed) {
                EXPECT_EQ(report.action, RecoveryAction::Completed);
                break;
            }
            EXPECT_TRUE(disk->isFile(journalPath())) << "a failed recovery removed the journal";
            EXPECT_EQ(recoveryMessage(report)->text, kRecoveryFailedText);
        }
        ScriptedPrompts told;
        const RecoveryReport report = recoverInterruptedSave(*faults, kGame, told);
        EXPECT_EQ(report.action, RecoveryAction::None) << "a completed save recovered twice";
        EXPECT_TRUE(told.shown.empty());
    }

    void failEach(Operation operation) {
        measure();
        const std::size_t count = steps[operation].size();
        ASSERT_GE(count, 4u) << "every step has at least one such operation";
        for (std::uint64_t k = 1; k <= count; ++k) {
            SCOPED_TRACE("operation " + std::to_string(k) + " of " + std::to_string(count));
            failAt(operation, k, true);
            if (operation == Operation::Rename && !HasFatalFailure()) {
                failAt(operation, k, false);
            }
            if (HasFatalFailure()) {
                return;
            }
        }
        // Every step and the journal were hit by at least one fault.
        for (std::size_t step = 0; step <= kJournalStep; ++step) {
            EXPECT_NE(std::find(steps[operation].begin(), steps[operation].end(), step),
                      steps[operation].end())
                << "no operation of step " << step;
        }
        RecordProperty("faults", static_cast<int>(count));
    }

    MemorySettingsStore settings;
    std::unique_ptr<FakeFileSystem> disk;
    std::unique_ptr<RecordingFileSystem> recorder;
    std::unique_ptr<FaultInjectingFileSystem> faults;
    std::unique_ptr<EditorSession> session;
    std::unique_ptr<ScriptedPrompts> prompts = std::make_unique<ScriptedPrompts>();

    std::vector<Bytes> old;
    std::vector<Bytes> saved;
    MemoryState memory;
    std::map<Operation, std::vector<std::size_t>> steps;
    std::size_t fileCount = 0;
};

TEST_F(SaveFaultTest, EveryFailedWriteLeavesEachFileWholeOldOrNew) {
    failEach(Operation::Write);
}

TEST_F(SaveFaultTest, EveryFailedFlushLeavesEachFileWholeOldOrNew) {
    failEach(Operation::Flush);
}

TEST_F(SaveFaultTest, EveryFailedRenameLeavesEachFileWholeOldOrNew) {
    failEach(Operation::Rename);
}

// A failed replacement, then what the next start does: recovery completes
// the save (telling the user so), and the editor reads back every edit.
TEST_F(SaveFaultTest, RecoveryAfterAFailedReplacementCompletesTheSave) {
    measure();
    for (std::size_t step = 0; step < gameFiles().size(); ++step) {
        SCOPED_TRACE(step);
        start();
        faults->failRenameAt(step + 2);  // the journal's rename comes first
        EXPECT_FALSE(saveAll(*session, *prompts));
        faults->clearFaults();
        prepareReload(*session);
        ScriptedPrompts told;
        recoverInterruptedSave(*faults, kGame, told);
        ASSERT_EQ(told.shown.size(), 1u);
        EXPECT_EQ(told.shown[0], (PromptMessage{kRecoveryCompletedText, "Jobforge 3",
                                                PromptButtons::Ok, PromptIcon::Information}));
        ScriptedPrompts reloadPrompts;
        LoadRequest request;
        request.folder = kGame;
        runLoader(request, *session, reloadPrompts);
        ASSERT_EQ(request.resultCode.load(), LoadResult::Ok);
        EXPECT_TRUE(reloadPrompts.shown.empty());
        EXPECT_FALSE(session->state.chanceCardsDisabled);
        const MemoryState reloaded = memoryOf(*session);
        EXPECT_EQ(reloaded.names[0], "Renamed");
        EXPECT_EQ(reloaded.options[kOptionAPlusBonus], 777);
        EXPECT_EQ(reloaded.button, memory.button);
        EXPECT_EQ(reloaded.popup, memory.popup);
    }
}

// A journal that is damaged or names files File Save does not write is not
// acted on: the game files stay as the failed save left them, the journal
// stays, and only the temporary files go.
TEST_F(SaveFaultTest, ADamagedOrForeignJournalLeavesTheGameFilesAlone) {
    measure();
    auto withEnd = [](std::string body) {
        const std::string end = "end\t" + std::to_string(body.size()) + "\t";
        char checksum[9];
        std::snprintf(checksum, sizeof checksum, "%08x", crc32(body.data(), body.size()));
        return body + end + checksum + "\n";
    };
    using Damage = std::function<std::string(const std::string&)>;
    const std::vector<std::pair<std::string, Damage>> damages = {
        {"cut short", [](const std::string& text) { return text.substr(0, text.size() - 1); }},
        {"a byte changed",
         [](std::string text) {
             text[text.find("file\t") + 5] ^= 0x01;  // a digit of the first size
             return text;
         }},
        {"a name outside the saved files",
         [&](const std::string& text) {
             std::string body = text.substr(0, text.rfind("end\t"));
             const std::size_t at = body.find("ExpansionShared");
             return withEnd(body.replace(at, std::strlen("ExpansionShared"), ".."));
         }},
        {"another program's",
         [&](const std::string&) { return withEnd("Some other journal\t1\n"); }},
    };
    for (const auto& [name, damage] : damages) {
        SCOPED_TRACE(name);
        start();
        faults->failRenameAt(3);  // CarPortal.iff: the career file is new, the rest old
        EXPECT_FALSE(saveAll(*session, *prompts));
        faults->clearFaults();
        const std::vector<Bytes> left = snapshot();
        const Bytes journal = disk->fileBytes(journalPath()).value();
        const std::string damaged = damage(std::string(journal.begin(), journal.end()));
        disk->putFile(journalPath(), damaged);

        ScriptedPrompts told;
        const RecoveryReport report = recoverInterruptedSave(*faults, kGame, told);
        EXPECT_TRUE(report.journal && report.damaged);
        EXPECT_EQ(report.action, RecoveryAction::None);
        EXPECT_EQ(report.removed.size(), 3u) << "the temporary files of the last three files";
        ASSERT_EQ(told.shown.size(), 1u);
        EXPECT_EQ(told.shown[0].text, kRecoveryDamagedText);
        EXPECT_EQ(snapshot(), left);
        EXPECT_EQ(disk->fileBytes(journalPath()), Bytes(damaged.begin(), damaged.end()));
        EXPECT_EQ(disk->allFiles().size(), fileCount + 1) << "only the journal may be left";
    }
}

// Temporary files with no journal (a save stopped before its journal was
// written) are removed, and the user is told the save was undone.
TEST_F(SaveFaultTest, StrayTemporaryFilesAreRemoved) {
    measure();
    start();
    disk->putFile(gameFiles()[0] + ".jf3tmp-4242-1", "part of a career file");
    disk->putFile(gameFiles()[2] + ".jf3tmp-4242-3", "part of a strip");
    disk->putFile(inGame("GameData\\Objects\\notes.jf3tmp-x"), "not ours");
    EXPECT_TRUE(interruptedSaveFound(*faults, kGame));
    ScriptedPrompts told;
    const RecoveryReport report = recoverInterruptedSave(*faults, kGame, told);
    EXPECT_FALSE(report.journal);
    EXPECT_EQ(report.action, RecoveryAction::Undone);
    EXPECT_EQ(report.removed.size(), 2u);
    ASSERT_EQ(told.shown.size(), 1u);
    EXPECT_EQ(told.shown[0].text, kRecoveryUndoneText);
    EXPECT_EQ(snapshot(), old);
    EXPECT_FALSE(interruptedSaveFound(*faults, kGame));
    EXPECT_TRUE(disk->isFile(inGame("GameData\\Objects\\notes.jf3tmp-x")));
}

}  // namespace
}  // namespace jf::test
