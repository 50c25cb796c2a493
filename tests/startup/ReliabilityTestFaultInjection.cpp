// File Save under injected faults: for every write, flush and rename of a
// whole save (career file, CarPortal.iff with regenerated card trees, both
// icon strips) the save is run again with that one operation failing. Each
// game file must then hold exactly its old or exactly its new bytes (new for
// the steps before the failing one, old from it on), the failing step's
// message must be the only one shown, nothing may be left behind in the
// folders, the data in memory must be unchanged, and a later save without
// faults must still write exactly what an undisturbed save writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "careers/Bitmap.h"
#include "careers/BmpFile.h"
#include "platform/SettingsStore.h"
#include "document/EditorSession.h"
#include "startup/Loader.h"
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
        std::size_t step = gameFiles().size();
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
        CardSpec first;
        first.trackId = 1;
        first.level = 0;
        first.textIndex = 3;
        first.items = {CardItem::sound(CardItem::kSoundGood), CardItem::budget(0, 120)};
        CardSpec second;
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
        ASSERT_EQ(request.resultCode.load(), kLoadResultOk);
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

    // Runs the save with the k-th operation of one kind failing and checks
    // everything the failure leaves.
    void failAt(Operation operation, std::uint64_t k) {
        start();
        const std::size_t step = steps[operation][k - 1];
        ASSERT_LT(step, gameFiles().size()) << "an operation outside the four game files";
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
        EXPECT_EQ(prompts->shown[0], errorMessage(kStepMessages[step], kErrorCaption));
        const std::vector<Bytes> now = snapshot();
        for (std::size_t i = 0; i < now.size(); ++i) {
            EXPECT_EQ(now[i], i < step ? saved[i] : old[i])
                << gameFiles()[i] << " is neither wholly old nor as expected";
        }
        EXPECT_EQ(disk->allFiles().size(), fileCount) << "a temporary file was left behind";
        EXPECT_TRUE(memoryOf(*session) == memory) << "the data in memory changed";

        // Saving again without faults writes what an undisturbed save writes.
        prompts = std::make_unique<ScriptedPrompts>();
        EXPECT_TRUE(saveAll(*session, *prompts));
        EXPECT_TRUE(prompts->shown.empty());
        EXPECT_EQ(snapshot(), saved) << "the save after the failure wrote other bytes";
    }

    void failEach(Operation operation) {
        measure();
        const std::size_t count = steps[operation].size();
        ASSERT_GE(count, 4u) << "every step has at least one such operation";
        for (std::uint64_t k = 1; k <= count; ++k) {
            SCOPED_TRACE("operation " + std::to_string(k) + " of " + std::to_string(count));
            failAt(operation, k);
            if (HasFatalFailure()) {
                return;
            }
        }
        // Every step was hit by at least one fault.
        for (std::size_t step = 0; step < gameFiles().size(); ++step) {
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

// A failure, then a reload from the files as the failure left them: the
// editor reads back the files of the completed steps and the old ones of the
// rest, and nothing is lost from either.
TEST_F(SaveFaultTest, AReloadAfterAFailedSaveReadsTheFilesAsLeft) {
    measure();
    for (std::size_t step = 0; step < gameFiles().size(); ++step) {
        SCOPED_TRACE(step);
        start();
        faults->failRenameAt(step + 1);
        EXPECT_FALSE(saveAll(*session, *prompts));
        faults->clearFaults();
        prepareReload(*session);
        ScriptedPrompts reloadPrompts;
        LoadRequest request;
        request.folder = kGame;
        runLoader(request, *session, reloadPrompts);
        ASSERT_EQ(request.resultCode.load(), kLoadResultOk);
        EXPECT_TRUE(reloadPrompts.shown.empty());
        EXPECT_FALSE(session->state.chanceCardsDisabled);
        const MemoryState reloaded = memoryOf(*session);
        EXPECT_EQ(reloaded.names[0] == "Renamed", step > 0);
        EXPECT_EQ(reloaded.options[kOptionAPlusBonus] == 777, step > 1);
        EXPECT_EQ(reloaded.button == memory.button, step > 2);
        EXPECT_NE(reloaded.popup, memory.popup);
    }
}

}  // namespace
}  // namespace jf::test
