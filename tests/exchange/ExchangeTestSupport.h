#pragma once
// A loaded editor session on the fake file system for the exchange tests,
// with builders for exchange files written byte by byte and an independent
// reader for the chunks of a written container.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "careers/Bitmap.h"
#include "careers/BmpFile.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "iff/IffChunk.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "support/CardBuilders.h"
#include "support/CareerBuilders.h"
#include "support/FakeFileSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedPrompts.h"

namespace jf::test {

inline constexpr char kExchangeGameFolder[] = "C:\\Games\\The Sims\\";

inline std::string inGame(const std::string& relative) {
    return std::string(kExchangeGameFolder) + relative;
}

// ---- Little-endian and big-endian bytes -----------------------------------------

inline void putU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}
inline std::uint32_t leU32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
inline std::uint32_t beU32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 |
           std::uint32_t(b[at + 2]) << 8 | std::uint32_t(b[at + 3]);
}

// The chunks of a container file, read here without the container code:
// 64-byte header, then 76-byte big-endian chunk headers and bodies. The map
// chunk is included.
inline std::vector<RawTestChunk> readChunks(const Bytes& file) {
    std::vector<RawTestChunk> chunks;
    std::size_t p = 64;
    while (p + 76 <= file.size()) {
        RawTestChunk chunk;
        chunk.type = beU32(file, p);
        const std::uint32_t total = beU32(file, p + 4);
        chunk.id = static_cast<std::uint16_t>(file[p + 8] << 8 | file[p + 9]);
        chunk.flags = static_cast<std::uint16_t>(file[p + 10] << 8 | file[p + 11]);
        for (std::size_t i = 0; i < 64 && file[p + 12 + i] != 0; ++i) {
            chunk.label.push_back(static_cast<char>(file[p + 12 + i]));
        }
        if (total < 76 || p + total > file.size()) {
            ADD_FAILURE() << "bad chunk size at " << p;
            break;
        }
        chunk.body.assign(file.begin() + static_cast<long>(p + 76),
                          file.begin() + static_cast<long>(p + total));
        chunks.push_back(std::move(chunk));
        p += total;
    }
    return chunks;
}

inline const RawTestChunk* findChunk(const std::vector<RawTestChunk>& chunks, std::uint32_t type,
                                     std::uint16_t id) {
    for (const RawTestChunk& c : chunks) {
        if (c.type == type && c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

// ---- Exchange bodies written byte by byte -----------------------------------------

inline Bytes trackHeaderBody(std::uint32_t exportType = 1, std::uint32_t version = 2) {
    Bytes b;
    putU32(b, exportType);
    putU32(b, version);
    putU32(b, 28);
    const std::string text = "Exported Career Track v2.0";
    b.insert(b.end(), text.begin(), text.end());
    b.push_back(0);
    b.push_back(0);
    return b;
}

// The 32-byte header of the predecessor's files.
inline Bytes predecessorHeaderBody(std::uint32_t exportType = 1) {
    Bytes b;
    putU32(b, exportType);
    const std::string text = "Exported Career Track v1.0";
    b.insert(b.end(), text.begin(), text.end());
    b.resize(32, 0);
    return b;
}

inline Bytes backupHeaderBody(const std::vector<std::uint32_t>& positions) {
    Bytes b;
    putU32(b, 2);
    const std::string text = "Backup of All Careers v2.0";
    b.insert(b.end(), text.begin(), text.end());
    b.resize(32, 0);
    for (std::uint32_t p : positions) {
        putU32(b, p);
    }
    return b;
}

struct TestCardRecord {
    std::vector<std::pair<std::uint8_t, std::string>> pairs;
    std::vector<CardItem> items;
};

inline Bytes cardBody(const std::vector<TestCardRecord>& records, std::uint32_t count = 10) {
    Bytes b = {'C', 'A', 'R', 'D'};
    putU32(b, count);
    for (const TestCardRecord& r : records) {
        for (const auto& [language, text] : r.pairs) {
            b.push_back(language);
            b.insert(b.end(), text.begin(), text.end());
            b.push_back(0);
        }
        b.push_back(0xFF);
        putU32(b, static_cast<std::uint32_t>(r.items.size()));
        for (const CardItem& item : r.items) {
            putU32(b, item.kind);
            putU32(b, item.mode);
            putU32(b, item.value);
        }
    }
    return b;
}

// Ten records without texts or items.
inline std::vector<TestCardRecord> emptyCardRecords() {
    return std::vector<TestCardRecord>(10);
}

// A plain picture with a pattern that depends on `seed`.
inline Bitmap patternIcon(int width, int height, int seed) {
    Bitmap icon(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            icon.setPixel(x, y,
                          {static_cast<std::uint8_t>(seed), static_cast<std::uint8_t>(x + seed),
                           static_cast<std::uint8_t>(y * 3 + seed)});
        }
    }
    return icon;
}

// The chunk set of one track under `id`, with the given pieces.
struct ExchangeTrackRecipe {
    std::uint16_t id = 0;
    std::string label = "Imported";
    Bytes info = trackHeaderBody();
    Bytes career;
    Bytes strings;
    Bytes cards = cardBody(emptyCardRecords());
    std::optional<Bytes> cardTexts;  // the STR# id + 4096 body, when present
    Bytes popup = encodeBitmapFile(patternIcon(84, 63, 77));
    Bytes button = encodeBitmapFile(patternIcon(112, 22, 99));
};

inline std::vector<RawTestChunk> exchangeChunks(const ExchangeTrackRecipe& t) {
    std::vector<RawTestChunk> chunks = {
        {kTypeCareerExchange, t.id, 0x10, t.label, t.career},
        {kTypeStr, t.id, 0x10, t.label, t.strings},
        {kTypeCard, t.id, 0x10, t.label, t.cards},
    };
    if (t.cardTexts) {
        chunks.push_back({kTypeStr, static_cast<std::uint16_t>(t.id + 4096), 0x10,
                          "Extended CARD information v2", *t.cardTexts});
    }
    chunks.push_back({kTypePopupBitmap, t.id, 0x10, "Popup", t.popup});
    chunks.push_back({kTypeButtonBitmap, t.id, 0x10, "Button", t.button});
    chunks.push_back({kTypeInfo, t.id, 0x10, "Information header", t.info});
    return chunks;
}

// A track recipe with sample career data (`levels` levels) and strings.
inline ExchangeTrackRecipe sampleExchangeTrack(std::uint16_t id, const std::string& tag,
                                               int levels = 10) {
    ExchangeTrackRecipe recipe;
    recipe.id = id;
    recipe.label = tag;
    TrackRecipe track = sampleTrack(1, tag, levels);
    recipe.career = track.careerBody;
    recipe.strings = track.stringsBody;
    return recipe;
}

// ---- Scripted interfaces of the import command ------------------------------------

class ScriptedChooser : public ReplaceCareerChooser {
public:
    std::optional<std::size_t> answer = 0;
    int calls = 0;
    std::optional<std::size_t> chooseTrackToReplace() override {
        ++calls;
        return answer;
    }
};

class RecordingObserver : public ImportObserver {
public:
    std::vector<std::string> events;
    void trackReplaced(std::size_t position) override {
        events.push_back("track " + std::to_string(position));
    }
    void careersRestored() override { events.push_back("restored"); }
    void markDirty() override { events.push_back("dirty"); }
};

// ---- The fixture ----------------------------------------------------------------

// The strips hold bands for ids 0..kStripIcons-1.
inline constexpr int kStripIcons = 5;

inline Bitmap bandedStrip(int width, int iconHeight, int shade) {
    Bitmap strip(width, iconHeight * kStripIcons);
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < width; ++x) {
            strip.setPixel(
                x, y,
                {static_cast<std::uint8_t>(shade), static_cast<std::uint8_t>((y / iconHeight) * 40),
                 static_cast<std::uint8_t>((x * 7 + y) & 0xFF)});
        }
    }
    return strip;
}

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        document = std::make_unique<Document>(faults, settings);
        session = &document->session();
        session->state.installation.gameDataFolder = kExchangeGameFolder;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;
    }

    std::string workPath() const { return inGame("ExpansionShared\\Work.iff"); }
    std::string carPortalPath() const { return inGame("GameData\\Objects\\CarPortal.iff"); }
    std::string popupPath() const { return inGame("UIGraphics\\") + kPopupIconName; }
    std::string buttonPath() const { return inGame("UIGraphics\\") + kButtonIconName; }

    // Three tracks (ids 1, 2, 3), a card file with twelve global texts and
    // the given card trees, and icon strips of kStripIcons bands.
    void putInstallation(const std::vector<CardRecipe>& cards = {}) {
        fs.putFile(workPath(),
                   buildCareerContainer(
                       {sampleTrack(1, "one"), sampleTrack(2, "two", 4), sampleTrack(3, "three")}));
        if (cards.empty()) {
            CardPortalRecipe recipe;
            fs.putFile(carPortalPath(), buildCardPortal(recipe));
        } else {
            fs.putFile(carPortalPath(), buildSampleCardPortal(cards));
        }
        fs.putFile(popupPath(), encodeBitmapFile(bandedStrip(84, 63, 10)));
        fs.putFile(buttonPath(), encodeBitmapFile(bandedStrip(112, 22, 20)));
    }

    // Runs the loader; clears the prompts afterwards.
    void load() {
        LoadRequest request;
        request.folder = kExchangeGameFolder;
        runLoader(request, *session, prompts);
        ASSERT_EQ(request.resultCode.load(), LoadResult::Ok)
            << ::testing::PrintToString(prompts.texts());
        ASSERT_EQ(session->database.trackCount(), 3u);
        prompts.shown.clear();
        prompts.statuses.clear();
    }
    void reload() {
        prepareReload(*session);
        load();
    }

    // Exports the track at `position` to `path` through the command.
    void exportTo(std::size_t position, const std::string& path) {
        prompts.saveFiles.push_back(path);
        ASSERT_EQ(exportCareer(*session, prompts, position), ExchangeResult::Succeeded)
            << ::testing::PrintToString(prompts.texts());
        prompts.shown.clear();
        prompts.fileChoices.clear();
    }
    void backupTo(const std::string& path) {
        prompts.saveFiles.push_back(path);
        ASSERT_EQ(backupCareers(*session, prompts), ExchangeResult::Succeeded)
            << ::testing::PrintToString(prompts.texts());
        prompts.shown.clear();
        prompts.fileChoices.clear();
    }

    // Imports `path`; `choice` answers the replace-career choice.
    ExchangeResult importFile(const std::string& path, std::optional<std::size_t> choice = 0,
                              std::optional<PromptAnswer> restoreAnswer = PromptAnswer::Yes) {
        prompts.openFiles.push_back(path);
        chooser.answer = choice;
        if (restoreAnswer) {
            prompts.answers.push_back(*restoreAnswer);
        }
        ExchangeResult result = importCareers(*document, prompts, chooser, observer);
        prompts.answers.clear();
        return result;
    }

    // Writes a container holding `chunks` and imports it.
    ExchangeResult importChunks(const std::vector<RawTestChunk>& chunks,
                                std::optional<std::size_t> choice = 0) {
        const std::string path = "C:\\exchange\\import.car";
        fs.putFile(path, buildContainerBytes(chunks));
        return importFile(path, choice);
    }

    // The message texts shown since the last clear.
    std::vector<std::string> texts() const { return prompts.texts(); }

    // Everything an import can change of one track.
    struct TrackSnapshot {
        std::string name;
        std::vector<JobLevel> levels;
        std::vector<StringTable::Row> strings;
        TrackCards cards;
        Bitmap popup;
        Bitmap button;
        bool operator==(const TrackSnapshot&) const = default;
    };
    TrackSnapshot snapshot(std::size_t position) {
        TrackSnapshot s;
        const CareerTrack& t = *session->database.track(position);
        s.name = t.career.internalCareerName;
        s.levels = t.career.levels;
        s.strings = t.strings.rows();
        s.cards = t.cards;
        session->icons.getPopupIcon(t.id, s.popup);
        session->icons.getButtonIcon(t.id, s.button);
        return s;
    }

    FakeFileSystem fs;
    // The session's file system: the fake one, with faults on demand.
    FaultInjectingFileSystem faults{fs};
    MemorySettingsStore settings;
    ScriptedPrompts prompts;
    ScriptedChooser chooser;
    RecordingObserver observer;
    std::unique_ptr<Document> document;
    EditorSession* session = nullptr;
};

}  // namespace jf::test
