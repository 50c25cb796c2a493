#pragma once
// The editor's start-up: find the game (registry, Wine prefix or a Legacy
// Collection folder), run the main window modally, release the game files at
// the end.

#include <functional>
#include <string>

#include "ui/MainDialog.h"

namespace jf {

class FileSystem;
class Prompts;
class SettingsStore;
struct EditorSession;
struct LegacySearchPlaces;

struct EditorStartupOptions {
    // When not empty: once the main window has loaded and is shown, it is
    // grabbed into this PNG file and the program ends (used by the demo).
    // Message boxes then answer themselves (kUnattendedAnswerMs).
    std::string screenshotPath;
    // When not empty (an existing folder): once the main window has loaded
    // and is shown, every window and dialog is pictured into this folder
    // (ui/ScreenshotTour.h) and the program ends; boxes answer themselves as
    // above. The run fails when a picture could not be made.
    std::string screenshotFolder;
    // Once the main window has painted itself for the first time, the time
    // is printed and the program ends (ui/StartupProbe.h); boxes answer
    // themselves as above.
    bool startupProbe = false;
    // Replacements for tests; empty / nullptr for the real ones (message
    // boxes, the loading window, the editing dialogs of StandardDialogs). With `prompts`
    // and no `load`, the loading window's boxes go to `prompts` too.
    Prompts* prompts = nullptr;
    std::function<bool(EditorSession& session, QWidget* owner)> load;
    EditorDialogs* dialogs = nullptr;
};

// Runs the whole loading sequence for `session` in a modal LoadingDialog
// (status texts, Cancel, message boxes owned by it; `boxes` answers them
// instead when given), shown only when the load takes a while or a box is
// due (LoadingDialog::execWhenSlow). True when it ended with OK; false after a failure
// (its message already shown) or Cancel.
bool runLoadingDialog(EditorSession& session, QWidget* parent = nullptr, Prompts* boxes = nullptr);

// Delay between showing the main window and grabbing it.
inline constexpr int kScreenshotDelayMs = 500;
// In the screenshot run, message boxes answer themselves with their default
// button after this delay (so an unattended demo never waits for a click).
inline constexpr int kUnattendedAnswerMs = 1500;

// Exit codes of the editor.
inline constexpr int kEditorExitOk = 0;
inline constexpr int kEditorExitFailed = 1;

// Runs the editor; needs a QApplication. Once the game is found, an
// interrupted save is recovered (startup/SaveJournal.h) and its message
// shown, before the first load. Returns kEditorExitFailed when the game was
// not found ("Can't load SIMS registry info!" was shown, no window opened),
// when the first load failed or was cancelled, or when a screenshot could
// not be written; kEditorExitOk otherwise.
int runEditor(SettingsStore& store, const LegacySearchPlaces& places, FileSystem& fileSystem,
              const EditorStartupOptions& options = {});

}  // namespace jf
