#include "exchange/Import.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "careers/BmpFile.h"
#include "careers/ChanceCardForm.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "exchange/CardChunk.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/InfoHeader.h"
#include "iff/IffFile.h"
#include "iff/StringTable.h"

namespace jf {

std::string noSuchTrackText(std::size_t position, std::size_t trackCount) {
    return "There is no career at position " + std::to_string(position) +
           "!\n\nThis installation has " + std::to_string(trackCount) + " careers.";
}

std::string restorePositionText(std::size_t position, std::size_t trackCount) {
    return "This backup holds a career for position " + std::to_string(position) +
           ", but this installation has only " + std::to_string(trackCount) +
           " careers!\n\nThe restore has been stopped.";
}

namespace {

using Bytes = std::vector<std::uint8_t>;

// The body of chunk (type, id) of the exchange container; false when there
// is no such chunk or its body cannot be read from the file.
bool chunkBody(IffView& view, std::uint32_t type, std::uint16_t id, Bytes& body) {
    IffChunk* chunk = view.find(type, id);
    if (chunk == nullptr || !view.loadChunk(*chunk)) {
        return false;
    }
    body = chunk->body();
    return true;
}

// Decodes a bare body into `object` within the chunk the object already
// uses. For a track's career chunk and strings that is the track's own CARR
// or STR# chunk in the career container: the object stays attached to it, so
// the next Save encodes the imported content into the track's chunks under
// their id and label, exactly as for an edited track. (Loading the body into
// a new stand-alone chunk instead would leave the track's chunks as they were
// and make Save add chunks of type 0 beside them: the import would be lost.)
// Exchange bodies are little-endian whatever their flags said. A failed
// decode keeps what was decoded so far, as any decode does.
bool decodeInPlace(ChunkObject& object, const Bytes& body) {
    IffChunk* chunk = object.chunk();
    if (body.size() > 0xFFFFFFFFu || !chunk->setSize(static_cast<std::uint32_t>(body.size()))) {
        throw std::bad_alloc();
    }
    std::copy(body.begin(), body.end(), chunk->data.begin());
    chunk->loaded = true;
    chunk->flags = static_cast<std::uint16_t>(chunk->flags | kFlagLittleEndian);
    chunk->position = 0;
    return object.decode();
}

PromptMessage informationMessage(const std::string& text, const char* caption) {
    return {text, caption, PromptButtons::Ok, PromptIcon::Information};
}

class TrackImport {
public:
    TrackImport(IffView& view, EditorSession& session, Prompts& prompts, std::size_t position,
                std::uint16_t chunkId)
        : view_(view),
          session_(session),
          prompts_(prompts),
          position_(position),
          chunkId_(chunkId) {}

    bool run();
    bool changed() const { return changed_; }

private:
    bool fail(const std::string& text, const char* caption = kExchangeErrorCaption) {
        prompts_.show(errorMessage(text, caption));
        return false;
    }
    bool importCards(CareerTrack& track, std::uint32_t formatVersion);
    bool importIcon(std::uint32_t type, int width, int height, bool popup);

    IffView& view_;
    EditorSession& session_;
    Prompts& prompts_;
    std::size_t position_;
    std::uint16_t chunkId_;
    bool changed_ = false;
};

bool TrackImport::run() {
    CareerTrack* track = session_.database.track(position_);
    if (track == nullptr) {
        return fail(noSuchTrackText(position_, session_.database.trackCount()));
    }

    // Information header.
    Bytes body;
    if (!chunkBody(view_, kTypeInfo, chunkId_, body)) {
        return fail(kNoTrackHeaderText);
    }
    TrackHeader header;
    switch (readTrackHeader(body, header)) {
        case TrackHeaderStatus::Ok:
            break;
        case TrackHeaderStatus::Incorrect:
            return fail(kIncorrectTrackHeaderText);
        case TrackHeaderStatus::UnknownVersion:
            return fail(kUnknownVersionText, kErrorCaption);
    }
    if (header.exportType != kExportTypeTrack) {
        return fail(kUnexpectedExportTypeText);
    }

    // Career chunk and strings, into the track's own objects.
    if (!chunkBody(view_, kTypeCareerExchange, chunkId_, body)) {
        return fail(kNoCareerResourceText);
    }
    changed_ = true;
    if (!decodeInPlace(track->career, body)) {
        return fail(kFileDamagedText);
    }
    if (!chunkBody(view_, kTypeStr, chunkId_, body)) {
        return fail(kNoStringsResourceText);
    }
    if (!decodeInPlace(track->strings, body)) {
        return fail(kFileDamagedText);
    }

    if (!importCards(*track, header.formatVersion)) {
        return false;
    }
    if (!importIcon(kTypePopupBitmap, kExchangePopupWidth, kExchangePopupHeight, true)) {
        return false;
    }
    return importIcon(kTypeButtonBitmap, kExchangeButtonWidth, kExchangeButtonHeight, false);
}

bool TrackImport::importCards(CareerTrack& track, std::uint32_t formatVersion) {
    CareerDatabase& database = session_.database;

    // The card texts come from the card text table when it is there and
    // decodes, else from the text pairs of the records.
    StringTable cardTextTable;
    bool textsFromTable = false;
    Bytes body;
    if (chunkBody(view_, kTypeStr, cardTextTableId(chunkId_), body)) {
        textsFromTable = decodeInPlace(cardTextTable, body);
    }

    if (!chunkBody(view_, kTypeCard, chunkId_, body)) {
        return fail(kNoCardsResourceText);
    }
    auto records = std::make_unique<CardRecords>();
    switch (decodeCardChunk(body.data(), body.size(), *records)) {
        case CardChunkStatus::Ok:
            break;
        case CardChunkStatus::BadHeader:
        case CardChunkStatus::Truncated:
            return fail(kIncorrectCardsText);
    }

    // Card texts are not imported while chance-card editing is disabled:
    // the global texts table and its free entries are not loaded then, and
    // nothing of the card file is saved.
    const bool withTexts = !session_.state.chanceCardsDisabled;
    bool overflowShown = false;
    for (std::size_t level = 0; level < kCardRecordCount; ++level) {
        ChanceCard& card = track.cards[level];
        const CardRecord& record = (*records)[level];
        database.releaseCardText(card);
        if (!record.texts.empty() && withTexts) {
            // allocateCardText adds empty rows to the global texts table up
            // to the entry it hands out, so an entry past the table's end can
            // be set like any other.
            if (!database.allocateCardText(card)) {
                if (!overflowShown) {
                    prompts_.show(errorMessage(kMessageOverflowText, kMessageOverflowCaption));
                    overflowShown = true;
                }
            } else {
                const std::size_t entry = card.textIndex - 1u;
                if (textsFromTable) {
                    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
                        database.setGlobalText(entry, slot, cardTextTable.text(level, slot));
                    }
                } else {
                    for (const CardTextPair& pair : record.texts) {
                        const std::uint8_t slot = formatVersion == kPredecessorFormatVersion
                                                      ? slotFromPredecessorLanguage(pair.language)
                                                      : pair.language;
                        // A code naming no language is dropped.
                        if (slot < kLanguageSlotCount) {
                            database.setGlobalText(entry, slot, pair.text);
                        }
                    }
                }
            }
        }
        card.items = record.items;
    }
    return true;
}

bool TrackImport::importIcon(std::uint32_t type, int width, int height, bool popup) {
    Bytes body;
    if (!chunkBody(view_, type, chunkId_, body)) {
        return fail(popup ? kNoPopupResourceText : kNoButtonResourceText);
    }
    Bitmap icon;
    if (!decodeBitmapFile(body.data(), body.size(), icon, nullptr, width, height)) {
        return fail(popup ? kBadPopupBitmapText : kBadButtonBitmapText);
    }
    const int trackId = session_.database.track(position_)->id;
    const bool stored = popup ? session_.icons.putPopupIcon(trackId, icon)
                              : session_.icons.putButtonIcon(trackId, icon);
    if (!stored) {
        return fail(popup ? kCannotSetPopupText : kCannotSetButtonText);
    }
    return true;
}

// The exchange container of one command: closed, and its file released,
// when the command ends (a container opened with openInto is not owned by
// the view and would otherwise stay open until the program ends).
class ExchangeReader {
public:
    explicit ExchangeReader(IffFileTable& table) : view(table) {}
    ~ExchangeReader() {
        if (!view.owned()) {
            view.closeAndReset();
        }
    }
    ExchangeReader(const ExchangeReader&) = delete;
    ExchangeReader& operator=(const ExchangeReader&) = delete;

    IffView view;
};

// What an import may change: the whole of each track it overwrites and
// the global texts (card texts taken and given back).
EditScope importScope(const std::vector<std::size_t>& positions) {
    EditScope scope;
    for (std::size_t position : positions) {
        scope.tracks.push_back(EditScope::wholeTrack(position).tracks.front());
    }
    scope.globalTexts = TableScope{true, {}};
    return scope;
}

ExchangeResult runImport(Document& document, Prompts& prompts, ReplaceCareerChooser& chooser,
                         ImportObserver& observer) {
    EditorSession& session = document.session();
    FileChoice choice = importFileChoice();
    choice.initialFolder = recentFolder(session.settings, FileKind::Careers);
    const std::optional<std::string> path = prompts.chooseOpenFile(choice);
    if (!path) {
        return ExchangeResult::Cancelled;
    }
    rememberFolder(session.settings, importedFileKind(*path), *path);
    auto showError = [&prompts](const std::string& text) {
        prompts.show(errorMessage(text, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    };
    std::unique_ptr<File> file = session.fs.open(*path, OpenMode::Read);
    if (!file) {
        return showError(kCannotOpenFileText);
    }
    ExchangeReader reader(session.table);
    IffView& view = reader.view;
    if (!view.openInto(*file)) {
        return showError(kCannotOpenIffText);
    }
    // The table keeps a handle of its own until the reader closes it.
    file.reset();

    Bytes info;
    if (!chunkBody(view, kTypeInfo, kBackupHeaderChunkId, info)) {
        return showError(kNotCareerFileText);
    }
    std::uint32_t exportType = 0;
    if (!readExportType(info, exportType)) {
        return showError(kIncorrectFileHeaderText);
    }
    CareerDatabase& database = session.database;

    if (exportType == kExportTypeTrack) {
        std::optional<std::size_t> chosen = chooser.chooseTrackToReplace();
        if (!chosen) {
            return ExchangeResult::Cancelled;
        }
        const std::size_t position = *chosen;
        if (position >= database.trackCount()) {
            return showError(noSuchTrackText(position, database.trackCount()));
        }
        bool imported = false;
        document.change(steptext::kImportCareer, {position}, importScope({position}),
                        [&](EditorSession& target) {
                            imported =
                                importTrack(view, target, prompts, position, kSingleTrackChunkId);
                            return imported;
                        });
        if (imported) {
            prompts.show(informationMessage(kImportedText, kProgramCaption));
        }
        observer.trackReplaced(position);
        observer.markDirty();
        return imported ? ExchangeResult::Succeeded : ExchangeResult::Failed;
    }

    if (exportType == kExportTypeBackup) {
        const PromptMessage question{kRestoreQuestionText, kQuestionBoxCaption,
                                     PromptButtons::YesNo, PromptIcon::Question};
        if (prompts.show(question) != PromptAnswer::Yes) {
            return ExchangeResult::Cancelled;
        }
        std::vector<std::uint32_t> positions;
        if (!readBackupPositions(info, positions)) {
            return showError(kIncorrectFileHeaderText);
        }
        std::vector<std::size_t> reach;
        for (std::uint32_t position : positions) {
            reach.push_back(position);
        }
        bool changed = false;
        bool restored = false;
        document.change(steptext::kRestoreBackup, {}, importScope(reach),
                        [&](EditorSession& target) {
                            for (std::uint32_t position : positions) {
                                bool trackChanged = false;
                                bool ok = false;
                                if (position >= database.trackCount()) {
                                    showError(restorePositionText(position, database.trackCount()));
                                } else {
                                    ok = importTrack(view, target, prompts, position,
                                                     backupChunkId(position), &trackChanged);
                                }
                                changed = changed || trackChanged;
                                if (!ok) {
                                    return false;
                                }
                            }
                            restored = true;
                            return true;
                        });
        if (!restored) {
            if (changed) {
                observer.markDirty();
            }
            return ExchangeResult::Failed;
        }
        prompts.show(informationMessage(kRestoredText, kApplicationCaption));
        observer.careersRestored();
        observer.markDirty();
        return ExchangeResult::Succeeded;
    }

    return showError(kIncorrectTypeText);
}

}  // namespace

FileChoice importFileChoice() {
    FileChoice choice;
    choice.filters = {{"Jobforge 3 careers (*.CAR)", kCarPattern},
                      {kBackupFilterText, kCbkPattern},
                      {"Jobforge 2 careers (*.IFF)", "*.iff"},
                      {"All files (*)", "*"}};
    choice.initialName = kCarPattern;
    return choice;
}

FileKind importedFileKind(const std::string& path) {
    const std::string name = paths::fileName(path);
    constexpr std::string_view kBackupEnding = ".cbk";
    if (name.size() >= kBackupEnding.size() &&
        paths::equalsIgnoreCase(name.substr(name.size() - kBackupEnding.size()),
                                std::string(kBackupEnding))) {
        return FileKind::Backups;
    }
    return FileKind::Careers;
}

bool importTrack(IffView& view, EditorSession& session, Prompts& prompts, std::size_t position,
                 std::uint16_t chunkId, bool* changed) {
    TrackImport import(view, session, prompts, position, chunkId);
    bool ok = false;
    try {
        ok = import.run();
    } catch (const std::bad_alloc&) {
        prompts.show(errorMessage(kCannotAllocateText, kExchangeErrorCaption));
        ok = false;
    }
    if (changed != nullptr) {
        *changed = import.changed();
    }
    return ok;
}

ExchangeResult importCareers(Document& document, Prompts& prompts, ReplaceCareerChooser& chooser,
                             ImportObserver& observer) {
    try {
        return runImport(document, prompts, chooser, observer);
    } catch (const std::bad_alloc&) {
        prompts.show(errorMessage(kCannotAllocateText, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
}

}  // namespace jf
