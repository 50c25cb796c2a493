#pragma once
// File Save's journal, and the recovery of a save that was interrupted.
//
// File Save (Loader.h saveAll) writes the new contents of all its files
// beside them first, then the journal naming them, then replaces the files
// one after the other, and removes the journal last. Whatever stops it, the
// game folder then holds either no journal (every game file is still old;
// temporary files may be left) or a complete journal (every new file is
// complete beside its target or already in its place). Recovery, run before
// anything reads the game files, turns both into one save's worth of files:
// all old or all new, with no temporary file and no journal left.
//
// The journal's name and format are described where it is written
// (SaveJournal.cpp).

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Prompts.h"

namespace jf {

// The journal's name, in the game's data folder.
inline constexpr char kSaveJournalName[] = "Jobforge3-save.journal";

// ---- Messages (information icon, caption "Jobforge 3") -----------------------

inline constexpr char kRecoveryCompletedText[] = "An interrupted save was found and completed.";
inline constexpr char kRecoveryUndoneText[] =
    "An interrupted save was found and undone; the files are as they were before it.";
inline constexpr char kRecoveryDamagedText[] =
    "A damaged save journal (Jobforge3-save.journal) was found in the game folder. It was not "
    "acted on: the game files were left as they are. The next save replaces it; you may also "
    "delete it.";
inline constexpr char kRecoveryFailedText[] =
    "An interrupted save was found but could not be finished now: a game file could not be "
    "replaced or removed. It will be tried again the next time.";

// ---- Writing, for File Save ----------------------------------------------------

// Writes the journal naming `files` (in the order they will be replaced) in
// `gameFolder`, all-or-nothing, after making the folders that hold the
// temporary files durable. False, leaving no journal behind, when a target
// is not one of the files File Save writes under `gameFolder` or the journal
// cannot be written; a journal already there is then left as it was.
bool writeSaveJournal(FileSystem& fs, const std::string& gameFolder,
                      const std::vector<TemporaryWrite>& files);

// Removes the journal after the last replacement, and makes that durable
// where the system allows. A journal left behind is finished by the next
// recovery without changing a game file.
void removeSaveJournal(FileSystem& fs, const std::string& gameFolder);

// The temporary files (full paths) named by a readable journal in
// `gameFolder`; empty without one. A save that replaces an unfinished one
// removes them once its own journal is written.
std::vector<std::string> journalTemporaries(FileSystem& fs, const std::string& gameFolder);

// ---- Recovery ------------------------------------------------------------------

enum class RecoveryAction {
    None,       // nothing to do, or a damaged journal left alone
    Completed,  // the journal's replacements were finished (all files new)
    Undone,     // the new files were removed (all files old)
};

struct RecoveryReport {
    bool journal = false;  // a journal was found
    bool damaged = false;  // it could not be read or trusted, and was left alone
    bool failed = false;   // a replacement or removal failed; running again retries
    RecoveryAction action = RecoveryAction::None;
    // Native paths of the files removed (temporary files, then the journal).
    std::vector<std::string> removed;
};

// Recovers the installation in `gameFolder`:
// - a journal whose new files are all complete (size and checksum; a file
//   already moved into place counts when its target holds those bytes) is
//   finished: the remaining replacements are made in its order (Completed);
// - a journal with an incomplete new file is undone: the temporary files it
//   names are removed, so every game file stays old (Undone);
// - temporary files of File Save's naming pattern in the folders it writes
//   to (and the game folder itself) that no finished journal still needs
//   are removed; without a journal that counts as an undone save;
// - the journal is removed last, so that recovery killed at any point and
//   run again ends the same way.
// A damaged or foreign journal (bad form, size or checksum, names outside
// the files File Save writes) is reported and left alone, and so are the
// game files; only the temporary files are removed. Runs while nothing holds
// the game files open (before the loading sequence): a file that cannot be
// read counts as not holding what the journal says.
RecoveryReport recoverInterruptedSave(FileSystem& fs, const std::string& gameFolder);

// The one message that tells the user what recovery found and did; nullopt
// when it found nothing.
std::optional<PromptMessage> recoveryMessage(const RecoveryReport& report);

// recoverInterruptedSave, then its message (if any) through `prompts`.
RecoveryReport recoverInterruptedSave(FileSystem& fs, const std::string& gameFolder,
                                      Prompts& prompts);

// Whether recovery would find something to do (a journal or a temporary
// file), without changing anything.
bool interruptedSaveFound(FileSystem& fs, const std::string& gameFolder);

}  // namespace jf
