#pragma once
// The one way the program talks to the user: message boxes, questions, the
// status line and file choices. Logic takes a Prompts& and passes the exact
// text, caption, buttons and icon; the editor implements it with real
// dialogs, the command line with a console version, tests with a script.

#include <optional>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace jf {

enum class PromptIcon { None, Error, Warning, Information, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct PromptMessage {
    std::string text;  // line breaks are '\n'
    std::string caption;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
    // The button Enter presses; none: Yes for questions, else Ok.
    std::optional<PromptAnswer> defaultAnswer = std::nullopt;

    bool operator==(const PromptMessage&) const = default;
};

// One entry of a file dialog's type list, e.g. {"Career files (*.car)", "*.car"}.
// The patterns match file names in any letter case ("*.bmp" takes "A.BMP").
struct FileFilter {
    std::string description;
    std::string pattern;  // one or more patterns separated by ';'
};

struct FileChoice {
    std::string title;
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // without the dot; a name saved without one gets it; "" for none
    std::string initialName;       // proposed file name, "" for none
    // The folder the dialog starts in; "" (or a folder that is gone) for the
    // user's documents folder.
    std::string initialFolder;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // Shows a message box and returns the button pressed. May be called from
    // the loading worker thread: the implementation then shows the box on the
    // interface thread and blocks the caller until it is answered.
    virtual PromptAnswer show(const PromptMessage& message) = 0;

    // Sets the status line of the progress window (loading only).
    virtual void status(const std::string& text) = 0;

    // A file to read or to write; nullopt when the user cancelled. The path
    // is in the form the FileSystem accepts.
    virtual std::optional<std::string> chooseOpenFile(const FileChoice& choice) = 0;
    virtual std::optional<std::string> chooseSaveFile(const FileChoice& choice) = 0;
};

// Shorthands for the common message forms.
inline PromptMessage errorMessage(std::string text, std::string caption = kErrorCaption) {
    return {std::move(text), std::move(caption), PromptButtons::Ok, PromptIcon::Error};
}
inline PromptMessage warningMessage(std::string text, std::string caption = kWarningCaption) {
    return {std::move(text), std::move(caption), PromptButtons::Ok, PromptIcon::Information};
}

}  // namespace jf
