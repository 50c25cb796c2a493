#pragma once
// The results and the message texts of the exchange commands (export,
// backup, import, restore). Every message goes through Prompts with the text
// and caption below, the error icon unless noted. The captions "Error" and
// "Jobforge 3" are kErrorCaption and kProgramCaption (platform/Messages.h);
// the card text overflow message and its caption are those of the chance
// card editor (careers/ChanceCardForm.h).

#include <cstddef>
#include <string>

#include "platform/Messages.h"

namespace jf {

// How an exchange command ended.
enum class ExchangeResult {
    Cancelled,  // nothing to do, or the user cancelled a choice: nothing changed
    Failed,     // a failure message was shown (an import may have changed data)
    Succeeded,  // the success message was shown
};

// ---- Captions ----------------------------------------------------------------

inline constexpr char kExchangeErrorCaption[] = "Error!";
inline constexpr char kFatalErrorCaption[] = "Fatal error!";
inline constexpr char kQuestionBoxCaption[] = "Question";
// The caption a message box gets when none is given: the program file's
// name without extension (the editor is built as "jobforge3").
inline constexpr char kApplicationCaption[] = "jobforge3";

// ---- File choices -------------------------------------------------------------

inline constexpr char kCarPattern[] = "*.car";
inline constexpr char kCbkPattern[] = "*.cbk";
inline constexpr char kBackupFilterText[] = "Jobforge 3 backups (*.CBK)";

// ---- Export and backup --------------------------------------------------------

inline constexpr char kCannotCreateFileText[] = "Couldn't create this file!";
inline constexpr char kCannotLoadPopupIconText[] = "Can't load the Popup bitmap!\n\n";
inline constexpr char kCannotLoadButtonIconText[] = "Can't load the Button bitmap!\n\n";
inline constexpr char kExportedText[] = "Successfully exported!";  // kProgramCaption, information
inline constexpr char kUnableToSaveIffText[] = "Unable to save the IFF file";  // "Fatal error!"
// Application caption, information icon.
inline constexpr char kBackedUpText[] =
    "Successfully backed up!\n\nTo restore the careers, use \"Import\" in the \"Career\" menu.";
// More tracks than one backup file can hold apart (see kMaxBackupTracks).
inline constexpr char kTooManyTracksText[] =
    "There are too many careers to back them up in one file!\n\nA backup holds at most 4096 "
    "careers.";

// ---- Import and restore -------------------------------------------------------

inline constexpr char kCannotOpenFileText[] = "Couldn't open this file!";
inline constexpr char kCannotOpenIffText[] = "Error while opening this file with OpenIFFFile()!";
inline constexpr char kNotCareerFileText[] = "Not a career file!";
inline constexpr char kIncorrectFileHeaderText[] = "Incorrect information header!";
inline constexpr char kIncorrectTypeText[] = "Incorrect type!";
// "Question" caption, Yes and No, question icon.
inline constexpr char kRestoreQuestionText[] =
    "This file contains a backup of all careers.\n\nAre you sure you want to restore the "
    "careers?";
inline constexpr char kImportedText[] = "Successfully imported!";  // kProgramCaption, information
inline constexpr char kRestoredText[] = "Successfully restored!";  // application caption

inline constexpr char kNoTrackHeaderText[] = "Can't load the Information header!";
inline constexpr char kIncorrectTrackHeaderText[] = "Incorrect Information header!";
// Caption kErrorCaption.
inline constexpr char kUnknownVersionText[] =
    "Unknown version! Please download the newest version of Jobforge!";
inline constexpr char kUnexpectedExportTypeText[] = "Unexpected Export Type!";
inline constexpr char kNoCareerResourceText[] = "Can't load the career resource!";
inline constexpr char kFileDamagedText[] = "File damaged!";
inline constexpr char kNoStringsResourceText[] = "Can't load the strings resource!";
inline constexpr char kNoCardsResourceText[] = "Can't load the cards resource!";
inline constexpr char kCannotAllocateText[] = "Can't allocate memory!";
inline constexpr char kIncorrectCardsText[] = "Incorrect cards resource!";
inline constexpr char kNoPopupResourceText[] = "Can't load the popup resource!";
inline constexpr char kBadPopupBitmapText[] = "Couldn't load the popup bitmap!";
inline constexpr char kCannotSetPopupText[] = "Couldn't set the popup bitmap!";
inline constexpr char kNoButtonResourceText[] = "Can't load the button resource!";
inline constexpr char kBadButtonBitmapText[] = "Couldn't load the button bitmap!";
inline constexpr char kCannotSetButtonText[] = "Couldn't set the button bitmap!";

// A track position this installation does not have: a single-track import
// aimed at it, or a backup from an installation with more tracks.
std::string noSuchTrackText(std::size_t position, std::size_t trackCount);
std::string restorePositionText(std::size_t position, std::size_t trackCount);

}  // namespace jf
