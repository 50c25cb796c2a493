#pragma once
// The document: the one way to change what the editor and the command-line
// tool work on, with an undo history over every change.
//
// It owns the session (containers, career database, icon store, the
// installation record) and its EditHistory. Every change a user can make is
// one operation below, addressed by value (track position, job level,
// string entry, language slot), never by a pointer into the database: a
// reload rebuilds those objects, and the history outlives it.
//
// Each operation checks what it is given first. One that cannot apply (a
// position that does not exist, a text the language's code page cannot
// hold) changes nothing, enters no step and says why (EditResult). One that
// applies but leaves the data as it was enters no step either. Otherwise
// the step's before- and after-state are kept (DocumentSnapshot), so that
// undo() and redo() restore the data byte for byte. Nothing here touches a
// file: only File Save (startup/Loader.h saveAll) writes; the caller then
// marks the history clean (markSaved).
//
// Not thread-safe: the loading worker uses the session while the progress
// window is up, the interface thread at all other times.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "careers/Bitmap.h"
#include "careers/ChanceCard.h"
#include "careers/ChanceCardForm.h"
#include "careers/GlobalOptions.h"
#include "careers/GlobalTextsForm.h"
#include "careers/JobDetailsForm.h"
#include "careers/JobLevel.h"
#include "document/EditHistory.h"
#include "document/EditorSession.h"
#include "document/EditorState.h"
#include "platform/Messages.h"

namespace jf {

class FileSystem;
class SettingsStore;

enum class EditStatus {
    Applied,    // the data changed; one step was entered (or merged)
    Unchanged,  // valid, but the data was already so; no step
    Refused,    // not applied, nothing changed; `message` says why
};

struct EditResult {
    EditStatus status = EditStatus::Unchanged;
    std::string message;  // for Refused: the text to show the user

    bool applied() const { return status == EditStatus::Applied; }
    bool refused() const { return status == EditStatus::Refused; }
};

// Shown when a typed text holds a character its language's code page (or,
// for internal names, the neutral code page) cannot store; the field is put
// back as it was.
inline constexpr char kRefusedCharacterText[] =
    "The text contains a character that cannot be stored in the current language's code "
    "page.\n\nThe change has not been made.";
inline constexpr const char* kRefusedCharacterCaption = kWarningCaption;

// The language argument for texts of no language (internal names, the job
// details' texts), which are stored in the neutral code page.
inline constexpr int kNoLanguage = -1;

// What a message about a refused text adds to its first lines: the first
// character the code page of `language` (a LanguageSlot or kNoLanguage)
// cannot hold and the language, e.g. "\n\nCharacter: «Ж» (U+0416),
// language: Polish". "" when every character of `typed` (UTF-8) fits.
std::string refusedCharacterDetail(const std::string& typed, int language);
// kRefusedCharacterText followed by the detail.
std::string refusedCharacterMessage(const std::string& typed, int language);

// The step texts of the history ("Undo " / "Redo " go before them).
namespace steptext {
inline constexpr char kChangeJobDetails[] = "Change Job Details";
inline constexpr char kChangeChanceCard[] = "Change Chance Card";
inline constexpr char kChangeIcons[] = "Change Icons";
inline constexpr char kChangeGlobalOptions[] = "Change Global Options";
inline constexpr char kChangeGlobalTexts[] = "Change Global Texts";
inline constexpr char kImportCareer[] = "Import Career";
inline constexpr char kRestoreBackup[] = "Restore Backup";
inline constexpr char kSetAll[] = "Set All Languages";
inline constexpr char kImportTranslation[] = "Import Translation";
}  // namespace steptext

// The step text for setting a text field ("Change Career Name", ...).
std::string fieldStepText(TextField field);
// The step text of a job details result: "Change Salary" and so on when one
// field changed, kChangeJobDetails when several did.
std::string jobDetailsStepText(const JobLevel& before, const JobLevel& after);

class Document {
public:
    // The file system and the settings store must outlive the document.
    Document(FileSystem& fileSystem, SettingsStore& settingsStore);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    EditorSession& session() { return session_; }
    const EditorSession& session() const { return session_; }
    const CareerDatabase& database() const { return session_.database; }
    EditHistory& history() { return history_; }
    const EditHistory& history() const { return history_; }

    // ---- Undo, redo and the saved state -------------------------------------

    bool isModified() const { return !history_.isClean(); }
    // Restore the step before (after) the current index; the place it
    // happened, or nullopt when there was nothing to undo (redo).
    std::optional<EditPlace> undo();
    std::optional<EditPlace> redo();
    // After a successful File Save: the current state is the saved one.
    void markSaved() { history_.setClean(); }
    // After File Reload or a failed or cancelled load: the history is gone.
    void forgetHistory() { history_.clear(); }

    // ---- Reading for the views ----------------------------------------------

    // The text a main window field shows: the stored bytes decoded from the
    // code page of `language` (the internal career name from the neutral
    // one), job-name line breaks as backslash "n", multi-line fields with
    // '\n'. nullopt when the track or the entry does not exist.
    std::optional<std::string> fieldText(std::size_t position, std::size_t level, TextField field,
                                         int language) const;
    // The line the job details dialog shows about the job it edits:
    // "Career: <career name>, job <level + 1>: <male job name>", both names
    // in `language` (the internal names where that text is empty), line
    // breaks as spaces. "" when the track or the level does not exist.
    std::string jobDetailsLine(std::size_t position, std::size_t level, int language) const;
    // The first seven values of level `level - 1` of the track (zeros for
    // level 0): the minima of the job details dialog and "Load previous".
    JobRequirements previousRequirements(std::size_t position, std::size_t level) const;

    // ---- Operations -----------------------------------------------------------

    // Typing in a main window field: `typed` is the field's whole text
    // (UTF-8, in the field's display form); it is converted to the code page
    // of `language` and stored in the track's entry for `level` (or as its
    // internal career name). Consecutive commits of one field, track, level
    // and language merge into one step. Refused with refusedCharacterMessage
    // when the code page cannot hold the text.
    EditResult commitFieldText(std::size_t position, std::size_t level, TextField field,
                               int language, const std::string& typed);
    // One text of a track's strings, as stored bytes. An entry beyond the
    // table's end plus one is refused.
    EditResult setTrackText(std::size_t position, std::size_t entry, int language,
                            const std::string& bytes, const std::string& mergeKey = {});
    EditResult setInternalCareerName(std::size_t position, const std::string& bytes,
                                     const std::string& mergeKey = {});
    // The job details result: values and texts of one level.
    EditResult setJobLevel(std::size_t position, std::size_t level, const JobLevel& value);
    // OK of the chance card editor: `items` and the text (bytes in
    // `language`'s code page) of the card of (position, level), taking the
    // lowest free global texts entry for a card without one and giving it
    // back for a card without items (confirmCard). `confirmation` (optional)
    // receives confirmCard's result; NeedOneSound is refused.
    EditResult setChanceCard(std::size_t position, std::size_t level,
                             const std::vector<CardItem>& items, int language,
                             const std::string& text, CardConfirmation* confirmation = nullptr);
    // Both icons of a track (the top-left icon-sized area of each picture).
    EditResult setIcons(std::size_t position, const Bitmap& popup, const Bitmap& button);
    // The eight global options.
    EditResult setGlobalOptions(const std::array<std::int16_t, kGlobalOptionCount>& values);
    // The global texts dialog's result: the ten texts of each language it
    // stored, by language slot.
    EditResult setGlobalTexts(const std::map<int, GlobalTextValues>& texts);
    // Set All: the texts of `fromLanguage` copied to every other language,
    // for the track's strings and, with `withCards`, its cards' texts.
    EditResult copyToAllLanguages(std::size_t position, int fromLanguage, bool withCards);

    // An operation built above this layer (importing a track, restoring a
    // backup): `apply` changes the data within `scope` and returns whether
    // it reached its end. Whatever it changed is one step, even when it
    // stopped part-way (undo then takes back the part). Returns Applied when
    // anything changed.
    EditResult change(const std::string& text, const EditPlace& place, const EditScope& scope,
                      const std::function<bool(EditorSession&)>& apply, bool* completed = nullptr);

private:
    EditResult record(const std::string& text, const EditPlace& place, const EditScope& scope,
                      const std::string& mergeKey, const std::function<void()>& apply);

    EditorSession session_;
    EditHistory history_;
};

}  // namespace jf
