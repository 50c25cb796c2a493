#pragma once
// Translating the career texts with gettext PO files: every text a
// translator works on, in one language, written to a PO file and read back
// into the document.
//
// An entry per text: the career name and the two offer texts of every
// track; per job level the male and female job names, the job description
// and the chance card's text (a card with items and a text entry); the ten
// global texts of the global texts dialog. Texts empty in US English are
// left out (gettext keeps the empty source for the header). Each entry's
// context names its place, stable and meant to be read by programs too:
//
//   track 3 (id 12) careerName | maleOffer | femaleOffer
//   track 3 (id 12) job 5 maleJobName | femaleJobName | jobDescription | chanceCard
//   global carPoolName | schoolBusName | carPoolWarning | ...
//
// "track" is the 0-based position of the career list, "id" the track's
// chunk id (the "#id" the editor shows), "job" the job level counted from 1
// as the editor's job list does. Reading back, the id decides: a track that
// moved to another position is still found. The source is the US English
// text, the translation the language's text (empty when it has none); line
// breaks (CR LF in the game) are "\n".
//
// Toolkit-free: the editor's File menu and the command line share all of
// it. Nothing here saves the game's files.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/Document.h"
#include "exchange/ExchangeMessages.h"
#include "exchange/PoFile.h"
#include "platform/Prompts.h"

namespace jf {

// The gettext code of a LanguageSlot ("fr", "zh_CN", "en_US"); "" for any
// other value.
const char* gettextLanguageCode(int slot);
// The slot a PO file's Language value names: a code of gettextLanguageCode
// in any letter case, '-' or '_' between its parts ("pt-BR" finds
// Portuguese by its first part, "no" and "nn" Norwegian, "en" US English),
// or a name languageSlotFromName takes. nullopt when none fits.
std::optional<int> slotOfGettextLanguage(std::string_view code);

// The translation file of `language` (a LanguageSlot) for the document's
// data, header included ("Language", "Content-Type: text/plain;
// charset=UTF-8", ...). Each entry carries a translator comment naming the
// career and the job (or the global text). Changes nothing.
PoFile translationFile(const Document& document, int language);

// How a translation file applies to the document.
struct TranslationPlan {
    struct Change {
        bool global = false;       // an entry of the global texts table, else of a track's texts
        std::size_t position = 0;  // track position (track texts)
        std::size_t entry = 0;     // string table entry
        std::string bytes;         // the new text in the language's code page
    };
    int language = -1;
    std::vector<Change> changes;
    std::size_t unchanged = 0;     // translations equal to the text there
    std::size_t untranslated = 0;  // empty translations, left alone
    std::size_t fuzzy = 0;         // fuzzy entries, skipped
    std::size_t plural = 0;        // plural entries, not supported, skipped
    // Every entry that cannot apply: "line N: msgctxt \"...\": why". The
    // plan is to be applied only when this is empty.
    std::vector<std::string> problems;
};

// The language of a translation file: `override` when given (a name
// languageSlotFromName takes), else the header's Language field. nullopt,
// with the reason in `problem`, when it names none.
std::optional<int> translationLanguage(const PoFile& file, const std::string& override,
                                       std::string& problem);

// Checks every entry of `file` against the document for `language`: its
// context must name a text that exists now (a track by its id, a job level
// it has, a card with items and text, a global text) and appear once, and
// its translation must be storable in the language's code page. A file
// whose header names a character set other than UTF-8 (or ASCII) is one
// problem. Changes nothing.
TranslationPlan planTranslation(const Document& document, const PoFile& file, int language);

// Applies a plan without problems as one step "Import Translation" of the
// document's history (Unchanged when it holds no change). A plan with
// problems is refused, nothing changed.
EditResult applyTranslation(Document& document, const TranslationPlan& plan);

// ---- The editor's File menu -------------------------------------------------------

inline constexpr char kTranslationFilterText[] = "Translation files (*.po)";
inline constexpr char kPoPattern[] = "*.po";
inline constexpr char kTranslationExportedText[] = "The translation file has been written.";
inline constexpr char kCannotWriteTranslationText[] = "Couldn't write this file!";
inline constexpr char kTranslationNotImportedText[] =
    "The translation has not been imported, because of these entries:";
// How many problems a message lists before "... and N more".
inline constexpr std::size_t kProblemsShown = 20;

// The file choices of the two commands (default extension "po"); they start
// in the folder last used for translations and remember the one chosen.
FileChoice exportTranslationChoice(int language);
FileChoice importTranslationChoice();

// The text of a file read whole through the document's file system;
// nullopt when it cannot be read.
std::optional<std::string> readTextFile(Document& document, const std::string& path);

// File > Export translation: asks for the file and writes the translation
// file of `language` there all-or-nothing. Messages: kCannotWriteTranslationText
// (error), kTranslationExportedText (information, program caption).
ExchangeResult exportTranslation(Document& document, Prompts& prompts, int language);

// File > Import translation: asks for a file, reads it (language from its
// header), and applies it as one step. A file that cannot be read, does
// not parse or has entries that cannot apply: one error message listing
// the problems, nothing changed. Success shows the counts. `place` (when
// given) receives where the step happened, for the window to show it.
ExchangeResult importTranslation(Document& document, Prompts& prompts, EditPlace* place = nullptr);

}  // namespace jf
