#include "exchange/Export.h"

#include <new>
#include <string>
#include <vector>

#include "careers/BmpFile.h"
#include "document/EditorSession.h"
#include "exchange/CardChunk.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/InfoHeader.h"
#include "iff/IffFile.h"
#include "iff/StringTable.h"
#include "platform/RecentFolders.h"

namespace jf {

namespace {

using Bytes = std::vector<std::uint8_t>;

bool addBody(IffView& view, std::uint32_t type, std::uint16_t id, const std::string& label,
             const Bytes& body) {
    return view.addBytes(type, id, label, body.data(), body.size());
}

// The icon of the track as it travels. When the store has none for the
// track, the file gets a black picture of the exchange size after the
// message: importing it then works and shows plainly that the icon was
// missing.
Bitmap exportedIcon(const IconStore& icons, bool popup, int trackId, Prompts& prompts) {
    Bitmap icon;
    const bool found =
        popup ? icons.getPopupIcon(trackId, icon) : icons.getButtonIcon(trackId, icon);
    if (found) {
        return icon;
    }
    prompts.show(errorMessage(popup ? kCannotLoadPopupIconText : kCannotLoadButtonIconText,
                              kExchangeErrorCaption));
    return popup ? Bitmap(kExchangePopupWidth, kExchangePopupHeight)
                 : Bitmap(kExchangeButtonWidth, kExchangeButtonHeight);
}

void showUnableToSave(Prompts& prompts) {
    prompts.show(errorMessage(kUnableToSaveIffText, kFatalErrorCaption));
}

PromptMessage informationMessage(const char* text, const char* caption) {
    return {text, caption, PromptButtons::Ok, PromptIcon::Information};
}

}  // namespace

FileChoice exportFileChoice() {
    FileChoice choice;
    choice.filters = {{"CAR files (*.CAR)", kCarPattern}};
    choice.defaultExtension = "car";
    choice.initialName = kCarPattern;
    return choice;
}

FileChoice backupFileChoice() {
    FileChoice choice;
    choice.filters = {{kBackupFilterText, kCbkPattern}};
    choice.defaultExtension = "cbk";
    choice.initialName = kCbkPattern;
    return choice;
}

std::string backupPath(const std::string& chosen) {
    const std::string name = paths::fileName(chosen);
    if (name.empty() || name.find('.') != std::string::npos) {
        return chosen;
    }
    return chosen + ".cbk";
}

bool canCreateFileAt(FileSystem& fs, const std::string& path) {
    if (fs.isReadOnly(path)) {
        return false;
    }
    const std::string probe = paths::temporarySibling(path);
    if (fs.exists(probe)) {
        return false;
    }
    std::unique_ptr<File> file = fs.open(probe, OpenMode::CreateTruncate);
    if (!file) {
        return false;
    }
    file.reset();
    fs.deleteFile(probe);
    return true;
}

bool exportTrack(IffView& view, EditorSession& session, Prompts& prompts, std::size_t position,
                 std::uint16_t chunkId) {
    try {
        CareerDatabase& database = session.database;
        CareerTrack* track = database.track(position);
        if (track == nullptr) {
            return false;
        }
        const std::string label = track->career.internalCareerName;

        Bytes careerBody;
        if (!track->career.encodedBody(careerBody)) {
            return false;
        }
        addBody(view, kTypeCareerExchange, chunkId, label, careerBody);

        Bytes stringsBody;
        if (!track->strings.encodedBody(stringsBody)) {
            return false;
        }
        addBody(view, kTypeStr, chunkId, label, stringsBody);

        // Ten rows of empty strings; a card that has both items and a text
        // gets its text in all twenty languages in its row.
        StringTable cardTexts;
        for (std::size_t row = 0; row < kCardRecordCount; ++row) {
            cardTexts.setString(row, 0, StringTable::kText, std::string());
        }
        CardRecords records;
        for (std::size_t level = 0; level < kCardRecordCount; ++level) {
            const ChanceCard& card = track->cards[level];
            if (!card.items.empty() && card.textIndex != 0) {
                records[level].texts.push_back({0, std::string()});
                for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
                    std::string text;
                    if (!database.globalText(card.textIndex - 1u, slot, text)) {
                        text.clear();
                    }
                    cardTexts.setString(level, slot, StringTable::kText, text);
                }
            }
            records[level].items = card.items;
        }
        Bytes cardBody;
        if (!encodeCardChunk(records, cardBody)) {
            return false;
        }
        addBody(view, kTypeCard, chunkId, label, cardBody);
        cardTexts.saveAs(view, kTypeStr, cardTextTableId(chunkId), kCardTextTableLabel,
                         kFlagLittleEndian);

        const Bitmap popup = exportedIcon(session.icons, true, track->id, prompts);
        const Bitmap button = exportedIcon(session.icons, false, track->id, prompts);
        addBody(view, kTypePopupBitmap, chunkId, kPopupBitmapLabel, encodeBitmapFile(popup));
        addBody(view, kTypeButtonBitmap, chunkId, kButtonBitmapLabel, encodeBitmapFile(button));

        addBody(view, kTypeInfo, chunkId, kInfoLabel, encodeTrackHeader());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

ExchangeResult exportCareer(EditorSession& session, Prompts& prompts,
                            std::optional<std::size_t> selectedPosition) {
    if (!selectedPosition || *selectedPosition >= session.database.trackCount()) {
        return ExchangeResult::Cancelled;
    }
    FileChoice choice = exportFileChoice();
    choice.initialFolder = recentFolder(session.settings, FileKind::Careers);
    const std::optional<std::string> path = prompts.chooseSaveFile(choice);
    if (!path) {
        return ExchangeResult::Cancelled;
    }
    rememberFolder(session.settings, FileKind::Careers, *path);
    if (!canCreateFileAt(session.fs, *path)) {
        prompts.show(errorMessage(kCannotCreateFileText, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
    try {
        IffView view(session.table);
        if (!exportTrack(view, session, prompts, *selectedPosition, kSingleTrackChunkId)) {
            return ExchangeResult::Failed;
        }
        if (!session.table.writeContainerToPath(*path, view.slot())) {
            showUnableToSave(prompts);
            return ExchangeResult::Failed;
        }
    } catch (const std::bad_alloc&) {
        showUnableToSave(prompts);
        return ExchangeResult::Failed;
    }
    prompts.show(informationMessage(kExportedText, kProgramCaption));
    return ExchangeResult::Succeeded;
}

ExchangeResult backupCareers(EditorSession& session, Prompts& prompts) {
    const std::size_t trackCount = session.database.trackCount();
    if (trackCount > kMaxBackupTracks) {
        prompts.show(errorMessage(kTooManyTracksText, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
    FileChoice choice = backupFileChoice();
    choice.initialFolder = recentFolder(session.settings, FileKind::Backups);
    const std::optional<std::string> chosen = prompts.chooseSaveFile(choice);
    if (!chosen) {
        return ExchangeResult::Cancelled;
    }
    rememberFolder(session.settings, FileKind::Backups, *chosen);
    const std::string path = backupPath(*chosen);
    if (!canCreateFileAt(session.fs, path)) {
        prompts.show(errorMessage(kCannotCreateFileText, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
    try {
        IffView view(session.table);
        std::vector<std::uint32_t> positions;
        for (std::size_t i = 0; i < trackCount; ++i) {
            positions.push_back(static_cast<std::uint32_t>(i));
            if (!exportTrack(view, session, prompts, i,
                             backupChunkId(static_cast<std::uint32_t>(i)))) {
                return ExchangeResult::Failed;
            }
        }
        addBody(view, kTypeInfo, kBackupHeaderChunkId, kInfoLabel, encodeBackupHeader(positions));
        if (!session.table.writeContainerToPath(path, view.slot())) {
            showUnableToSave(prompts);
            return ExchangeResult::Failed;
        }
    } catch (const std::bad_alloc&) {
        showUnableToSave(prompts);
        return ExchangeResult::Failed;
    }
    prompts.show(informationMessage(kBackedUpText, kApplicationCaption));
    return ExchangeResult::Succeeded;
}

}  // namespace jf
