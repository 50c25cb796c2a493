// Career > Import of a fuzzed exchange file (.car or .cbk) into a loaded
// installation on the fake file system, with scripted answers (the track to
// replace comes from the input, the restore question is answered Yes).
//
// What an import leaves must survive the way back: after a successful import
// the track (or, after a restore, every track) is exported again and that
// file imported over it, which must succeed and change nothing: the same
// career chunk, strings, card items, card texts and icons.
//
// Input: byte 0 chooses the track position a single-track import replaces
// (modulo 3, so that one position past the last track is tried too), the
// rest is the file.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "careers/BmpFile.h"
#include "careers/ChanceCardForm.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "support/CardBuilders.h"
#include "support/CareerBuilders.h"
#include "support/FakeFileSystem.h"
#include "support/ScriptedPrompts.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace exchange_target {

constexpr const char* kGameFolder = "C:\\Games\\The Sims\\";
constexpr std::size_t kTrackCount = 2;
constexpr std::size_t kPositionChoices = kTrackCount + 1;

std::string gamePath(const std::string& relative) {
    return std::string(kGameFolder) + relative;
}

Bitmap strip(int width, int iconHeight, int icons) {
    Bitmap picture(width, iconHeight * icons);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y,
                             {static_cast<std::uint8_t>(y / iconHeight * 40),
                              static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
        }
    }
    return picture;
}

test::TrackRecipe smallTrack(std::uint16_t id, const std::string& tag, int levels) {
    test::TrackRecipe track = test::sampleTrack(id, tag, levels);
    std::vector<test::TextsBySlot> rows(CareerStrings::kEntryCount);
    for (std::size_t entry = 0; entry < rows.size(); ++entry) {
        rows[entry][0] = tag + " " + std::to_string(entry);
        rows[entry][3] = tag + " de " + std::to_string(entry);
    }
    track.stringsBody = test::buildLanguageTableBody(rows);
    return track;
}

// The files of the installation, made once.
struct Installation {
    Bytes careers;
    Bytes cards;
    Bytes popup;
    Bytes button;

    Installation() {
        // Two tracks with texts in two languages keep the exchange files,
        // and so the seeds, small (the icons alone take 23 KiB a track).
        careers = test::buildCareerContainer({smallTrack(1, "one", 3), smallTrack(2, "two", 2)});
        test::CardRecipe card;
        card.trackId = 2;
        card.level = 1;
        card.textIndex = 3;
        card.items = {CardItem::sound(CardItem::kSoundGood), CardItem::budget(0, 100)};
        cards = test::buildSampleCardPortal({card});
        popup = encodeBitmapFile(strip(84, 63, 4));
        button = encodeBitmapFile(strip(112, 22, 4));
    }
};

const Installation& installation() {
    static const Installation files;
    return files;
}

class FixedChooser final : public ReplaceCareerChooser {
public:
    explicit FixedChooser(std::size_t position) : position_(position) {}
    std::optional<std::size_t> chooseTrackToReplace() override { return position_; }

private:
    std::size_t position_;
};

class NullObserver final : public ImportObserver {
public:
    void trackReplaced(std::size_t) override {}
    void careersRestored() override {}
    void markDirty() override {}
};

// A loaded session over its own fake disk.
struct LoadedSession {
    test::FakeFileSystem disk;
    MemorySettingsStore settings;
    std::unique_ptr<Document> document;
    EditorSession* session = nullptr;
    bool ok = false;

    LoadedSession() {
        const Installation& files = installation();
        disk.putFile(gamePath("ExpansionShared\\Work.iff"), files.careers);
        disk.putFile(gamePath("GameData\\Objects\\CarPortal.iff"), files.cards);
        disk.putFile(gamePath(std::string("UIGraphics\\") + kPopupIconName), files.popup);
        disk.putFile(gamePath(std::string("UIGraphics\\") + kButtonIconName), files.button);
        document = std::make_unique<Document>(disk, settings);
        session = &document->session();
        session->state.installation.gameDataFolder = kGameFolder;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;
        test::ScriptedPrompts prompts;
        LoadRequest request;
        request.folder = kGameFolder;
        runLoader(request, *session, prompts);
        ok = request.resultCode.load() == LoadResult::Ok &&
             session->database.trackCount() == kTrackCount;
    }
};

// What an import may change of one track; card texts by content, since a
// second import gives them new entries.
struct TrackState {
    std::string name;
    std::vector<JobLevel> levels;
    std::vector<StringTable::Row> strings;
    std::vector<std::vector<CardItem>> cardItems;
    std::vector<std::array<std::string, kLanguageSlotCount>> cardTexts;
    Bitmap popup;
    Bitmap button;

    bool operator==(const TrackState&) const = default;
};

TrackState stateOf(EditorSession& session, std::size_t position) {
    TrackState state;
    const CareerTrack* track = session.database.track(position);
    state.name = track->career.internalCareerName;
    state.levels = track->career.levels;
    state.strings = track->strings.rows();
    for (const ChanceCard& card : track->cards) {
        state.cardItems.push_back(card.items);
        std::array<std::string, kLanguageSlotCount> texts;
        // A card without items is no card: its text does not travel.
        if (card.textIndex != 0 && !card.items.empty()) {
            for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
                session.database.globalText(card.textIndex - 1u, slot,
                                            texts[static_cast<std::size_t>(slot)]);
            }
        }
        state.cardTexts.push_back(texts);
    }
    session.icons.getPopupIcon(track->id, state.popup);
    session.icons.getButtonIcon(track->id, state.button);
    return state;
}

// Which part of a track differs, for the report.
std::string firstDifference(const TrackState& a, const TrackState& b) {
    if (a.name != b.name) {
        return "the internal name";
    }
    if (a.levels.size() != b.levels.size()) {
        return "the level count";
    }
    for (std::size_t level = 0; level < a.levels.size(); ++level) {
        if (!(a.levels[level] == b.levels[level])) {
            return "level " + std::to_string(level);
        }
    }
    if (a.strings != b.strings) {
        return "the strings";
    }
    for (std::size_t level = 0; level < a.cardItems.size(); ++level) {
        if (a.cardItems[level] != b.cardItems[level]) {
            return "the card items of level " + std::to_string(level);
        }
        if (a.cardTexts[level] != b.cardTexts[level]) {
            std::string texts;
            for (std::size_t slot = 0; slot < a.cardTexts[level].size(); ++slot) {
                if (a.cardTexts[level][slot] != b.cardTexts[level][slot]) {
                    texts += " [slot " + std::to_string(slot) + ": \"" + a.cardTexts[level][slot] +
                             "\" became \"" + b.cardTexts[level][slot] + "\"]";
                }
            }
            return "the card text of level " + std::to_string(level) + " (" +
                   std::to_string(a.cardItems[level].size()) + " items)" + texts;
        }
    }
    return !(a.popup == b.popup) ? "the popup icon" : "the button icon";
}

bool overflowShown(const test::ScriptedPrompts& prompts) {
    for (const PromptMessage& message : prompts.shown) {
        if (message.text == kMessageOverflowText) {
            return true;
        }
    }
    return false;
}

int runExchange(const char* target, const char* extension, const std::uint8_t* data,
                std::size_t size) {
    if (size < 1) {
        return 0;
    }
    LoadedSession loaded;
    check(loaded.ok, target, "the fixed installation does not load");
    EditorSession& session = *loaded.session;
    const std::string path = std::string("C:\\import.") + extension;
    loaded.disk.putFile(path, Bytes(data + 1, data + size));

    test::ScriptedPrompts prompts;
    prompts.openFiles.push_back(path);
    prompts.answers.push_back(PromptAnswer::Yes);  // the restore question, if asked
    FixedChooser chooser(data[0] % kPositionChoices);
    NullObserver observer;
    const ExchangeResult result = importCareers(*loaded.document, prompts, chooser, observer);
    check(session.database.trackCount() == kTrackCount, target, "the track count changed");
    check(!loaded.disk.isOpen(path), target, "the imported file was left open");
    if (result != ExchangeResult::Succeeded) {
        return 0;
    }
    const bool restore = prompts.fileChoices.size() == 1 && prompts.shown.size() >= 2 &&
                         prompts.shown.front().text == kRestoreQuestionText;
    const bool hadOverflow = overflowShown(prompts);

    std::vector<TrackState> before;
    for (std::size_t p = 0; p < kTrackCount; ++p) {
        before.push_back(stateOf(session, p));
    }
    // Back out again: export (or back up) and import that file.
    test::ScriptedPrompts again;
    const std::string copy = std::string("C:\\again.") + extension;
    again.saveFiles.push_back(copy);
    const std::size_t position = data[0] % kPositionChoices;
    const ExchangeResult written =
        restore ? backupCareers(session, again) : exportCareer(session, again, position);
    if (written != ExchangeResult::Succeeded) {
        return 0;  // e.g. strings too long for the exchange file
    }
    again.openFiles.push_back(copy);
    again.answers.push_back(PromptAnswer::Yes);
    check(importCareers(*loaded.document, again, chooser, observer) == ExchangeResult::Succeeded,
          target, "a file the program wrote does not import");
    if (hadOverflow || overflowShown(again)) {
        return 0;  // card texts may have found no free entry
    }
    for (std::size_t p = 0; p < kTrackCount; ++p) {
        const TrackState after = stateOf(session, p);
        check(after == before[p], target,
              "exporting and importing again changed track " + std::to_string(p) + ": " +
                  firstDifference(before[p], after));
    }
    return 0;
}

}  // namespace exchange_target

bool makeExchangeSeeds(Bytes& car, Bytes& cbk) {
    using namespace exchange_target;
    LoadedSession loaded;
    if (!loaded.ok) {
        return false;
    }
    test::ScriptedPrompts prompts;
    prompts.saveFiles = {std::string("C:\\seed.car"), std::string("C:\\seed.cbk")};
    if (exportCareer(*loaded.session, prompts, 1) != ExchangeResult::Succeeded ||
        backupCareers(*loaded.session, prompts) != ExchangeResult::Succeeded) {
        return false;
    }
    car = loaded.disk.fileBytes("C:\\seed.car").value_or(Bytes{});
    cbk = loaded.disk.fileBytes("C:\\seed.cbk").value_or(Bytes{});
    return !car.empty() && !cbk.empty();
}

int runCar(const std::uint8_t* data, std::size_t size) {
    using namespace exchange_target;
    return runExchange("car", "car", data, size);
}

int runCbk(const std::uint8_t* data, std::size_t size) {
    using namespace exchange_target;
    return runExchange("cbk", "cbk", data, size);
}

}  // namespace jf::fuzz
