#pragma once
// The loading sequence and File Save, toolkit-free.
//
// runLoader reads everything the editor works on from the installation into
// an EditorSession: CarPortal.iff, the career file (Work.iff, else
// Careers.iff, else Careers), the tracks and chance cards, the expansion-pack
// check, and the two icon strips. It runs on a worker thread while a
// progress window (or the console) shows its status texts; its message boxes
// go through Prompts and block the worker until answered.

#include <atomic>
#include <memory>
#include <string>

#include "platform/Messages.h"
#include "platform/Prompts.h"

namespace jf {

struct EditorSession;
class File;
class FileSystem;

// How a load ended; the values are also the loading window's modal results.
enum class LoadResult : int {
    Ok = 1,
    Cancel = 2,
};

struct LoadRequest {
    std::atomic<int> cancelRequested{0};                 // set by Cancel; read at check points
    std::atomic<int> finished{0};                        // set by the loader as its last action
    std::atomic<LoadResult> resultCode{LoadResult::Ok};  // Cancel after Cancel or a fatal error
    std::string folder;                                  // a copy of gameDataFolder
    // A load that only reads: no file or attribute in the game folder is
    // created or changed. The containers are opened for reading only
    // (write-protected), a file found only in an archive is read into
    // memory instead of extracted, and the expansion-pack check (a question
    // that may delete the icon files and stores the known packs) is left
    // out. The icon files are then held read-only or in memory and their
    // paths stay empty, so File Save refuses to run on such a session.
    bool readOnly = false;
};

// ---- Folders and files under the game's data folder -------------------------

inline constexpr char kExpansionFolderName[] = "ExpansionShared\\";
inline constexpr char kGameDataFolderName[] = "GameData\\";
inline constexpr char kObjectsFolderName[] = "GameData\\Objects\\";
inline constexpr char kInterfaceFolderName[] = "UIGraphics\\";

inline constexpr char kCarPortalFileName[] = "CarPortal.iff";
inline constexpr char kWorkFileName[] = "Work.iff";
inline constexpr char kCareersIffFileName[] = "Careers.iff";
inline constexpr char kCareersFileName[] = "Careers";

// ---- Status texts, in order of appearance (the career file's name between
// the first two) --------------------------------------------------------------

inline constexpr const char* kStatusCarPortal = kCarPortalFileName;  // the file's name
inline constexpr char kStatusLoadingCareers[] = "Loading careers...";
inline constexpr char kStatusLoadingCards[] = "Loading Chance Cards...";
inline constexpr char kStatusLoadingBitmaps[] = "Loading Bitmaps...";

// ---- Messages ----------------------------------------------------------------
// Captions: kErrorCaption, kWarningCaption and, for the question,
// kProgramCaption (platform/Messages.h).

inline constexpr char kCarPortalMissingText[] =
    "Cannot load the CarPortal.iff file!\n\nChance Card editing has been disabled.";
inline constexpr char kCarPortalDamagedText[] =
    "CarPortal.iff has been damaged!\n\nChance Card editing has been disabled.";
inline constexpr char kNoWorkFileText[] = "Can't locate/open/load the Work.iff file!";
inline constexpr char kNoCareersFileText[] =
    "Can't locate/open/load the Careers or Careers.iff file!";
inline constexpr char kInvalidCareersText[] = "Invalid Careers file!";
inline constexpr char kCannotLoadCareersText[] = "Cannot load the careers!";
inline constexpr char kCannotLoadCardsText[] =
    "Cannot load the Chance Cards!\n\nChance Card editing has been disabled.";
inline constexpr char kCannotLoadPopupText[] = "Cannot load the JobIconMultiPopup.BMP file!";
inline constexpr char kCannotLoadButtonText[] = "Cannot load the JobIconMultiButton.BMP file!";
// Said instead of the texts above when the file is there but another
// program holds it; `path` is its native path.
inline std::string fileInUseText(const std::string& path) {
    return "Can't open " + path +
           ": the file is in use by another program (the editor or the game).\n\nClose it "
           "there and try again.";
}
inline constexpr char kCardEditingDisabledText[] = "\n\nChance Card editing has been disabled.";
inline constexpr char kPacksChangedText[] =
    "Jobforge 3 has detected that since the last time it was used, the SIMS installation on "
    "your hard drive has changed, likely by installing an Expansion Pack.\n\nIf this is the "
    "case, please click Yes. If it's not the case and there are no problems like 'messed up "
    "pictures' then click No.\n\nWarning: by clicking Yes, the 'job icons' will be reset to "
    "those installed by the SIMS installer. This is to prevent problems and is highly "
    "recommended.";

inline constexpr char kSaveCareersFailedText[] =
    "Couldn't save the careers! There's probably a file I/O error!";
inline constexpr char kSaveCardsFailedText[] =
    "Couldn't save the chance cards! There's probably a file I/O error!";
inline constexpr char kSaveButtonsFailedText[] =
    "Couldn't save the Career buttons! There's probably a file I/O error!";
inline constexpr char kSavePopupFailedText[] =
    "Couldn't save the Career popup! There's probably a file I/O error!";

// ---- The sequence ------------------------------------------------------------

// The whole sequence. Sets request.finished last, on every path; leaves
// resultCode at LoadResult::Ok only after a complete load that was not
// cancelled (a cancelRequested seen at the end also gives LoadResult::Cancel,
// whoever set it).
//
// What it leaves behind: the career view attached to the career container
// that was opened (all bodies loaded on success); the card view attached to
// CarPortal.iff when it could be opened, parsed and attached; the database's
// tracks and, unless chanceCardsDisabled ends up set, its cards, options and
// texts; the two icon files open read-write in the session with their paths,
// and the icon store filled from them. A failed load leaves whatever was
// loaded before the failure. A container that was opened but could not be
// parsed or attached is closed again at once, so that it holds neither a
// slot nor its file. The previous career container (kept in memory by
// prepareReload) is closed once loadCareers has replaced the tracks that
// referred to it.
void runLoader(LoadRequest& request, EditorSession& session, Prompts& prompts);

// Prepares the session for a reload, as File Reload does before running the
// loader again: releases the career file (its chunks stay in memory, write
// protection off); frees the card data (cards emptied, options and texts
// tables detached) and resets the card view, closing CarPortal.iff, whether
// chance cards are enabled or not, so that nothing refers to the closed
// container and a damaged file left open by the previous load does not lock
// out the reload; closes the two icon files. A session is loaded once, or
// again only after this.
void prepareReload(EditorSession& session);

// File Save's four steps, all four files or none: the career file,
// CarPortal.iff unless chance cards are disabled, the button strip and the
// popup strip. The new contents of every file are written and flushed beside
// it first (a temporary sibling); then the save journal naming them is
// written in the game folder (SaveJournal.h); then the files are replaced in
// the order of the steps, and the journal is removed. A failure shows the
// message of the step whose file could not be written or replaced
// ("Couldn't save the careers! ...", "... chance cards! ...", "... Career
// buttons! ...", "... Career popup! ..."; caption "Error", error icon; a
// journal that cannot be written counts as the first step's) and stops:
// before the first replacement, every file stays old and the temporary files
// are removed; after it, the journal and the files not yet moved stay, and
// the next recovery completes the save. The containers and the strip handles
// are closed just before their file is replaced and afterwards refer to the
// file then in place (new, or old after a failure); the session holds a
// read-write handle on each strip file. True when all four succeeded. No
// reload and no "Operation complete!" here: the caller does those.
bool saveAll(EditorSession& session, Prompts& prompts);

// ---- Steps exposed for the editor's own use and for tests ---------------------

// The expansion-pack check (step "Loading Bitmaps..."): asks whether the
// installation changed when installedPacks holds packs knownPacks lacks, may
// delete the two loose icon files so that fresh copies are extracted, and
// stores installedPacks as the known packs. `interfaceFolder` ends in a
// separator.
void checkExpansionPacks(EditorSession& session, Prompts& prompts,
                         const std::string& interfaceFolder);

// Opens folder + name for reading and writing (after clearing its read-only
// attribute), else extracts it from the first entry of folder's FAR archives
// whose name matches ignoring case. The extracted file appears under its
// name only once complete (written to a temporary sibling, then renamed), so
// a failed extraction leaves no file behind. True with `file` open
// read-write; false with `file` empty.
bool openIconFile(FileSystem& fs, std::unique_ptr<File>& file, const std::string& folder,
                  const std::string& name);

// openIconFile for a load that only reads: folder + name opened for reading,
// else, when there is no such file, the first matching archive entry read
// into an in-memory file (a file that is there but cannot be opened fails).
// Nothing on disk is created or changed. True with `file` set; false with
// `file` empty.
bool readIconFile(FileSystem& fs, std::unique_ptr<File>& file, const std::string& folder,
                  const std::string& name);

}  // namespace jf
