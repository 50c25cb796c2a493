#include "startup/Loader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "careers/BmpFile.h"
#include "document/EditorSession.h"
#include "iff/FarArchive.h"
#include "startup/SaveJournal.h"
#include "startup/Startup.h"

namespace jf {
namespace {

// knownPacks above this (as a signed value) never lead to an icon reset.
constexpr std::int32_t kHighestResettableKnownPacks = 15;
// Packs whose arrival always resets the icons: pack 5 and up (bit 5 upwards).
constexpr std::uint32_t kResettingPackBits = ~std::uint32_t{0x1F};

bool endsInSeparator(const std::string& folder) {
    return !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
}

// The four folders of one load, formed from the game's data folder.
struct LoadFolders {
    std::string expansion;
    std::string gameData;
    std::string objects;
    std::string interface;

    explicit LoadFolders(std::string folder) {
        // A folder found outside a Wine prefix on POSIX ends in a slash; either
        // separator counts, and a missing one becomes a backslash.
        if (!endsInSeparator(folder)) {
            folder += '\\';
        }
        expansion = folder + kExpansionFolderName;
        gameData = folder + kGameDataFolderName;
        objects = folder + kObjectsFolderName;
        interface = folder + kInterfaceFolderName;
    }
};

// The chance-card half of the database, kept in one place.
bool loadCards(EditorSession& session) {
    return session.database.loadChanceCards(session.cardView,
                                            session.state.installation.installedPacks);
}

bool encodeCards(EditorSession& session) {
    return session.database.encodeChanceCards(session.cardView,
                                              session.state.installation.installedPacks);
}

// Empties every card and detaches the options and texts tables from the
// card container, so that nothing refers to its chunks once it is closed.
void freeCards(EditorSession& session) {
    CareerDatabase& database = session.database;
    for (std::size_t position = 0; position < database.trackCount(); ++position) {
        database.track(position)->cards = TrackCards{};
    }
    database.globalOptions() = GlobalOptions();
    database.globalTexts() = StringTable();
}

// One run of the sequence. Each step returns false when the run is to go to
// Finish (a fatal error or a check point that saw Cancel).
class LoaderRun {
public:
    LoaderRun(LoadRequest& request, EditorSession& session, Prompts& prompts)
        : request_(request), session_(session), prompts_(prompts), folders_(request.folder) {}

    void run() {
        // Each step ends at a check point; a step that returns false goes to
        // Finish.
        (void)(checkPoint() && cardFile() && checkPoint() && careerFile() && checkPoint() &&
               loadCareerBodies() && checkPoint() && careers() && checkPoint() && cards() &&
               checkPoint() && bitmaps());
        finish();
    }

private:
    bool checkPoint() const { return request_.cancelRequested.load() == 0; }

    bool fatal(const std::string& text) {
        prompts_.show(errorMessage(text, kErrorCaption));
        request_.resultCode.store(LoadResult::Cancel);
        return false;
    }

    void warn(const std::string& text) { prompts_.show(warningMessage(text, kWarningCaption)); }

    OpenMode openMode() const { return request_.readOnly ? OpenMode::Read : OpenMode::ReadWrite; }

    // The native path of folder + name when another program holds that file
    // (the reason an open failed), else nullopt.
    std::optional<std::string> heldFile(const std::string& folder, const char* name) const {
        const std::string path = folder + name;
        if (!session_.fs.isInUse(path, openMode())) {
            return std::nullopt;
        }
        return session_.fs.nativePath(path);
    }

    // Opens folder + name as a container for a load that only reads: the
    // file for reading, else its archive copy in memory.
    int openForReading(const std::string& folder, const char* name) {
        IffFileTable& table = session_.table;
        const std::string path = folder + name;
        if (std::unique_ptr<File> file = session_.fs.open(path, OpenMode::Read)) {
            return table.openFile(*file, name, true);
        }
        // A file that is there but cannot be read is not stood in for by
        // the archive's older copy.
        return session_.fs.exists(path) ? 0 : table.openFromArchive(folder, name, false);
    }

    // Opens, parses and attaches one container to `view`. A slot that was
    // opened but could not be parsed or attached is closed again, so that a
    // failed attempt holds neither a slot nor a lock on its file.
    bool openContainer(IffView& view, const std::string& folder, const char* name) {
        IffFileTable& table = session_.table;
        const int slot =
            request_.readOnly ? openForReading(folder, name) : table.openPath(folder, name, true);
        if (slot == 0) {
            return false;
        }
        if (!table.parse(slot) || !view.attach(slot)) {
            table.closeSlot(slot);
            return false;
        }
        return true;
    }

    // CarPortal.iff. Never ends the run. After an earlier failure (a reload)
    // a failure here clears chanceCardsDisabled without a message: the card
    // step then runs, and its own warning says whether the cards can be read.
    bool cardFile() {
        bool& disabled = session_.state.chanceCardsDisabled;
        if (openContainer(session_.cardView, folders_.objects, kCarPortalFileName)) {
            prompts_.status(kStatusCarPortal);
            if (session_.cardView.loadAll()) {
                disabled = false;
            } else if (disabled) {
                disabled = false;
            } else {
                warn(kCarPortalDamagedText);
                disabled = true;
            }
        } else if (disabled) {
            disabled = false;
        } else {
            const std::optional<std::string> held = heldFile(folders_.objects, kCarPortalFileName);
            warn(held ? fileInUseText(*held) + kCardEditingDisabledText : kCarPortalMissingText);
            disabled = true;
        }
        return true;
    }

    // The first career file that opens, parses and attaches; its name goes
    // to the status line.
    bool careerFile() {
        IffView& view = session_.careerView;
        // The container of an earlier load, kept in memory while the tracks
        // still refer to it; closed once loadCareers has replaced them.
        previousCareerSlot_ = view.owned() ? 0 : view.slot();
        struct Candidate {
            const std::string& folder;
            const char* fileName;
            const char* shownName;
        };
        const Candidate candidates[] = {
            {folders_.expansion, kWorkFileName, kWorkFileName},
            {folders_.gameData, kCareersIffFileName, kCareersIffFileName},
            {folders_.gameData, kCareersFileName, kCareersIffFileName},
        };
        for (const Candidate& candidate : candidates) {
            if (openContainer(view, candidate.folder, candidate.fileName)) {
                session_.careerFileName = candidate.shownName;
                prompts_.status(candidate.shownName);
                return true;
            }
        }
        for (const Candidate& candidate : candidates) {
            if (const std::optional<std::string> held =
                    heldFile(candidate.folder, candidate.fileName)) {
                return fatal(fileInUseText(*held));
            }
        }
        constexpr std::uint32_t kWorkFilePacks = packBit(2) | packBit(3) | packBit(4) | packBit(5);
        return fatal((session_.state.installation.installedPacks & kWorkFilePacks) != 0
                         ? kNoWorkFileText
                         : kNoCareersFileText);
    }

    // Every body of the career file.
    bool loadCareerBodies() {
        if (!session_.careerView.loadAll()) {
            return fatal(kInvalidCareersText);
        }
        return true;
    }

    // The tracks.
    bool careers() {
        prompts_.status(kStatusLoadingCareers);
        const bool loaded = session_.database.loadCareers(session_.careerView);
        // Loaded or not, no track refers to the previous container any more.
        if (previousCareerSlot_ != 0 && previousCareerSlot_ != session_.careerView.slot()) {
            session_.table.closeSlot(previousCareerSlot_);
        }
        previousCareerSlot_ = 0;
        if (!loaded) {
            return fatal(kCannotLoadCareersText);
        }
        return true;
    }

    // The chance cards, unless the card file failed. Never ends the run.
    bool cards() {
        bool& disabled = session_.state.chanceCardsDisabled;
        if (disabled) {
            return true;
        }
        prompts_.status(kStatusLoadingCards);
        if (loadCards(session_)) {
            disabled = false;
        } else {
            warn(kCannotLoadCardsText);
            disabled = true;
        }
        return true;
    }

    // The expansion-pack check and the two icon strips.
    bool bitmaps() {
        prompts_.status(kStatusLoadingBitmaps);
        if (!request_.readOnly) {
            checkExpansionPacks(session_, prompts_, folders_.interface);
        }
        if (!loadStrip(session_.popupIconFile, session_.popupIconPath, kPopupIconName, true)) {
            const std::optional<std::string> held = heldFile(folders_.interface, kPopupIconName);
            return fatal(held ? fileInUseText(*held) : kCannotLoadPopupText);
        }
        if (!loadStrip(session_.buttonIconFile, session_.buttonIconPath, kButtonIconName, false)) {
            const std::optional<std::string> held = heldFile(folders_.interface, kButtonIconName);
            return fatal(held ? fileInUseText(*held) : kCannotLoadButtonText);
        }
        return true;
    }

    bool loadStrip(std::unique_ptr<File>& file, std::string& path, const char* name, bool popup) {
        // A handle of an earlier load would deny the open below.
        file.reset();
        path.clear();
        if (request_.readOnly) {
            return readIconFile(session_.fs, file, folders_.interface, name) &&
                   (popup ? session_.icons.readPopupStrip(*file)
                          : session_.icons.readButtonStrip(*file));
        }
        if (!openIconFile(session_.fs, file, folders_.interface, name)) {
            return false;
        }
        path = folders_.interface + name;
        return popup ? session_.icons.readPopupStrip(*file) : session_.icons.readButtonStrip(*file);
    }

    // Finish: the last thing the loader does, on every path.
    void finish() {
        if (request_.cancelRequested.load() != 0) {
            request_.resultCode.store(LoadResult::Cancel);
        }
        request_.finished.store(1);
    }

    LoadRequest& request_;
    EditorSession& session_;
    Prompts& prompts_;
    LoadFolders folders_;
    int previousCareerSlot_ = 0;
};

bool shouldResetIcons(std::uint32_t knownPacks, std::uint32_t newPacks) {
    const auto known = static_cast<std::int32_t>(knownPacks);
    if (known == static_cast<std::int32_t>(kBaseGameBit)) {
        return true;
    }
    if (known > kHighestResettableKnownPacks) {
        return false;
    }
    return (newPacks & kResettingPackBits) != 0;
}

// Deletes the two loose icon files so that the next open extracts fresh
// copies. False when either is not in the archives or a deletion was
// refused (a missing file is no refusal).
bool resetIcons(EditorSession& session, const std::string& interfaceFolder) {
    IffFileTable& table = session.table;
    const int popupSlot = table.openFromArchive(interfaceFolder, kPopupIconName, false);
    const int buttonSlot =
        popupSlot != 0 ? table.openFromArchive(interfaceFolder, kButtonIconName, false) : 0;
    if (popupSlot != 0) {
        table.closeSlot(popupSlot);
    }
    if (buttonSlot != 0) {
        table.closeSlot(buttonSlot);
    }
    if (popupSlot == 0 || buttonSlot == 0) {
        return false;
    }
    session.buttonIconFile.reset();
    session.popupIconFile.reset();
    for (const char* name : {kPopupIconName, kButtonIconName}) {
        if (session.fs.deleteFile(interfaceFolder + name) == DeleteResult::Failed) {
            return false;
        }
    }
    return true;
}

// A strip's new file, written beside the strip file at `path`.
bool stageStrip(FileSystem& fs, const std::string& path, const Bitmap& strip,
                TemporaryWrite& staged) {
    if (path.empty()) {
        return false;
    }
    const std::vector<std::uint8_t> bytes = encodeBitmapFile(strip);
    return !bytes.empty() && writeTemporarySibling(fs, path, bytes.data(), bytes.size(), staged);
}

// Moves a staged strip over its file. The session's handle is closed first
// and afterwards refers to the file then at the path: the new one, or the
// old one after a failure.
bool replaceStrip(FileSystem& fs, std::unique_ptr<File>& file, const TemporaryWrite& staged) {
    file.reset();
    const bool moved = fs.replaceFile(staged.temporary, staged.target);
    file = fs.open(staged.target, OpenMode::ReadWrite);
    return moved;
}

// The files of one File Save, written beside their targets before any of
// them replaces its target.
struct StagedSave {
    StagedContainer careers;
    StagedContainer cards;
    TemporaryWrite buttons;
    TemporaryWrite popup;

    // Every staged file, in the order of the replacements.
    std::vector<TemporaryWrite> files() const {
        std::vector<TemporaryWrite> staged;
        for (const TemporaryWrite* file : {&careers.file, &cards.file, &buttons, &popup}) {
            if (!file->temporary.empty()) {
                staged.push_back(*file);
            }
        }
        return staged;
    }

    // Removes every staged file: the save stops before replacing anything.
    void discard(FileSystem& fs) const {
        for (const TemporaryWrite& file : files()) {
            fs.deleteFile(file.temporary);
        }
    }
};

}  // namespace

void runLoader(LoadRequest& request, EditorSession& session, Prompts& prompts) {
    LoaderRun(request, session, prompts).run();
}

void checkExpansionPacks(EditorSession& session, Prompts& prompts,
                         const std::string& interfaceFolder) {
    GameInstallation& installation = session.state.installation;
    const std::uint32_t newPacks = installation.installedPacks & ~installation.knownPacks;
    if (newPacks == 0) {
        return;
    }
    const PromptAnswer answer = prompts.show(
        {kPacksChangedText, kProgramCaption, PromptButtons::YesNo, PromptIcon::Question});
    if (answer == PromptAnswer::Yes && shouldResetIcons(installation.knownPacks, newPacks) &&
        !resetIcons(session, interfaceFolder)) {
        // The question comes back at the next load.
        return;
    }
    installation.knownPacks = installation.installedPacks;
    storeKnownPacks(session.settings, installation.knownPacks);
}

bool openIconFile(FileSystem& fs, std::unique_ptr<File>& file, const std::string& folder,
                  const std::string& name) {
    file.reset();
    const std::string path = folder + name;
    fs.clearReadOnly(path);
    file = fs.open(path, OpenMode::ReadWrite);
    if (file) {
        return true;
    }
    FarArchive archive;
    std::size_t index = 0;
    if (!findInFolderArchives(fs, folder, name, archive, index)) {
        return false;
    }
    // The folder levels of the name, outermost first; an existing one is fine.
    for (std::size_t separator = name.find('\\'); separator != std::string::npos;
         separator = name.find('\\', separator + 1)) {
        fs.createFolder(folder + name.substr(0, separator));
    }
    if (!archive.loadEntry(index)) {
        return false;
    }
    const std::vector<std::uint8_t>* bytes = archive.entryBytes(index);
    if (bytes == nullptr) {
        return false;
    }
    std::unique_ptr<File> extracted;
    if (!writeFileAtomically(fs, path, bytes->data(), bytes->size(), &extracted,
                             OpenMode::ReadWrite) ||
        !extracted) {
        return false;
    }
    file = std::move(extracted);
    return true;
}

bool readIconFile(FileSystem& fs, std::unique_ptr<File>& file, const std::string& folder,
                  const std::string& name) {
    const std::string path = folder + name;
    file = fs.open(path, OpenMode::Read);
    if (file) {
        return true;
    }
    FarArchive archive;
    std::size_t index = 0;
    if (fs.exists(path)) {
        return false;  // there, but unreadable: the archive's copy is no stand-in
    }
    if (!findInFolderArchives(fs, folder, name, archive, index) || !archive.loadEntry(index)) {
        return false;
    }
    const std::vector<std::uint8_t>* bytes = archive.entryBytes(index);
    if (bytes == nullptr) {
        return false;
    }
    file = std::make_unique<MemoryFile>(*bytes);
    return true;
}

void prepareReload(EditorSession& session) {
    session.careerView.releaseFile(false);
    // The card data go in both cases (a reload that cannot read the card
    // file must not leave tables pointing into the closed container), and so
    // does the card file, also when it was left open damaged.
    freeCards(session);
    session.cardView.reset();
    session.buttonIconFile.reset();
    session.popupIconFile.reset();
}

bool saveAll(EditorSession& session, Prompts& prompts) {
    FileSystem& fs = session.fs;
    const std::string& gameFolder = session.state.installation.gameDataFolder;
    const bool withCards = !session.state.chanceCardsDisabled;
    StagedSave staged;
    auto stopBeforeReplacing = [&](const char* text) {
        staged.discard(fs);
        prompts.show(errorMessage(text, kErrorCaption));
        return false;
    };
    auto stopReplacing = [&](const char* text) {
        // The journal and the files not yet moved stay: the next recovery
        // finishes the save.
        prompts.show(errorMessage(text, kErrorCaption));
        return false;
    };

    // Every new file is written (and flushed) beside its target first.
    if (!session.database.encodeCareers(session.careerView) ||
        !session.careerView.stage(staged.careers)) {
        return stopBeforeReplacing(kSaveCareersFailedText);
    }
    if (withCards && (!encodeCards(session) || !session.cardView.stage(staged.cards))) {
        return stopBeforeReplacing(kSaveCardsFailedText);
    }
    if (!stageStrip(fs, session.buttonIconPath, session.icons.buttonStrip(), staged.buttons)) {
        return stopBeforeReplacing(kSaveButtonsFailedText);
    }
    if (!stageStrip(fs, session.popupIconPath, session.icons.popupStrip(), staged.popup)) {
        return stopBeforeReplacing(kSavePopupFailedText);
    }

    // Then the journal naming them. A journal still there from a save that
    // stopped half-way is replaced by it, and its files are dropped: this
    // save supersedes that one.
    const std::vector<TemporaryWrite> files = staged.files();
    if (!files.empty()) {
        const std::vector<std::string> superseded = journalTemporaries(fs, gameFolder);
        if (!writeSaveJournal(fs, gameFolder, files)) {
            // No file has been replaced; the first one could not be.
            return stopBeforeReplacing(kSaveCareersFailedText);
        }
        for (const std::string& old : superseded) {
            const bool ours = std::any_of(files.begin(), files.end(), [&](const auto& file) {
                return paths::equalsIgnoreCase(fs.nativePath(file.temporary), fs.nativePath(old));
            });
            if (!ours) {
                fs.deleteFile(old);
            }
        }
    }

    // Then the replacements, in the order of the steps.
    if (!session.careerView.replaceWithStaged(staged.careers)) {
        return stopReplacing(kSaveCareersFailedText);
    }
    if (withCards && !session.cardView.replaceWithStaged(staged.cards)) {
        return stopReplacing(kSaveCardsFailedText);
    }
    if (!replaceStrip(fs, session.buttonIconFile, staged.buttons)) {
        return stopReplacing(kSaveButtonsFailedText);
    }
    if (!replaceStrip(fs, session.popupIconFile, staged.popup)) {
        return stopReplacing(kSavePopupFailedText);
    }
    if (!files.empty()) {
        removeSaveJournal(fs, gameFolder);
    }
    return true;
}

}  // namespace jf
