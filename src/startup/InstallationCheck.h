#pragma once
// What is wrong with a loaded installation before the game (or the next
// save) shows it: the checks behind the command line's `check`, toolkit-free
// so that the editor can offer them too.
//
// Errors: two chance cards sharing one text entry (editing one changes the
// other); a card with a text but no items (saving drops the text); a card
// text entry that dialog code refers to as well (the dialog shows the card's
// text). Warnings: texts present in US English but empty in another
// language (one finding per language with its count); job levels whose
// friends or skill minima go down from one level to the next; tracks whose
// icon is missing from a strip (the game shows no picture, nothing is lost);
// chance cards that could not be loaded and so were not checked.

#include <string>
#include <vector>

namespace jf {

struct EditorSession;

enum class FindingSeverity { Warning, Error };

struct Finding {
    FindingSeverity severity = FindingSeverity::Warning;
    std::string kind;     // one of the kFinding* names below
    std::string place;    // "track 2 (#5 Lighthouse) level 4", "global text 57", "Russian"
    std::string message;  // one sentence, UTF-8
};

inline constexpr char kFindingSharedCardText[] = "sharedCardText";
inline constexpr char kFindingCardTextWithoutItems[] = "cardTextWithoutItems";
inline constexpr char kFindingCardTextUsedByDialog[] = "cardTextUsedByDialog";
inline constexpr char kFindingMissingTranslation[] = "missingTranslation";
inline constexpr char kFindingRequirementGoesDown[] = "requirementGoesDown";
inline constexpr char kFindingMissingIcon[] = "missingIcon";
inline constexpr char kFindingCardsNotLoaded[] = "cardsNotLoaded";

// "error" or "warning".
const char* severityName(FindingSeverity severity);

// Every finding on the loaded `session`, tracks in position order and within
// a track by level; the session is not changed. Places count tracks by
// position from 0 (with the track's id and internal name) and job levels
// from 1, as the editor's job list does.
std::vector<Finding> checkInstallation(const EditorSession& session);

// Whether any finding is an error.
bool hasErrors(const std::vector<Finding>& findings);

}  // namespace jf
