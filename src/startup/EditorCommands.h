#pragma once
// What the editor's File and Language menu commands decide, without the
// window: the questions they ask, the order of their steps, and what they
// leave in the document. The window (ui/MainDialog) only refreshes what it
// shows afterwards.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Messages.h"

namespace jf {

class Document;
class Prompts;
class SettingsStore;

inline constexpr char kSaveQuestionText[] = "Do you want to save the careers?";
inline constexpr char kOperationCompleteText[] = "Operation complete!";
inline constexpr char kSetAllQuestionText[] =
    "Do you really want to set the texts of all other languages to the current language?";
inline constexpr char kSetAllCardsQuestionText[] =
    "Do you want to set the texts of the Chance Cards as well?";
inline constexpr const char* kSetAllCaption = kWarningCaption;
inline constexpr char kDiscardQuestionText[] =
    "Discard the unsaved changes and reload the careers from the game files?";

// The title of the main window: the program's name and the game folder.
std::string editorTitle(const std::string& gameDataFolder);

// The main window's place on the screen, kept in the program's own settings
// key between runs.
struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// nullopt when none was stored (or it is unusable).
std::optional<WindowGeometry> readWindowGeometry(SettingsStore& store);
// False when the settings could not be written (the window then simply
// opens at its smallest size next time).
bool writeWindowGeometry(SettingsStore& store, const WindowGeometry& geometry);

// File Save's writing half: the four files (startup/Loader.h saveAll, which
// shows a failure's message); on success the document's current state
// becomes the saved one. A failed save leaves the history and its clean
// mark where they were. True on success.
bool saveDocument(Document& document, Prompts& prompts);

// File Reload's question: true when the reload may go ahead (nothing
// unsaved, or the user agreed to discard it; No is the default answer).
bool confirmReload(const Document& document, Prompts& prompts);

// File Exit and the close box: with unsaved changes asks whether to save
// them (Yes / No / Cancel). True when the editor may close: nothing unsaved,
// No, or Yes with a successful save (the icon files are then released).
bool confirmExit(Document& document, Prompts& prompts);

// Language > Set All for the track at `position`: asks first, then whether
// the chance card texts go along, and copies the texts of `language` into
// every other language as one step.
void setAllLanguages(Document& document, Prompts& prompts, std::size_t position, int language);

}  // namespace jf
