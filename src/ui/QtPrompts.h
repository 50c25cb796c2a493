#pragma once
// Prompts shown with Qt's own dialogs: message boxes with the exact text,
// caption, buttons and icon asked for, and the file dialogs.
//
// show() and the file choices must run on the interface thread; a caller on
// another thread (the loading worker) goes through GuiThreadPrompts, which
// forwards to this object on the interface thread.

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

#include "platform/Prompts.h"

namespace jf {

class QtPrompts final : public Prompts {
public:
    // `owner` (may be nullptr) owns every box and dialog shown.
    explicit QtPrompts(QWidget* owner = nullptr) : owner_(owner) {}

    void setOwner(QWidget* owner) { owner_ = owner; }
    QWidget* owner() const { return owner_; }

    // For unattended runs (the demo's screenshot): when `delayMs` > 0 every
    // box is answered with its default button after that delay, and the
    // text and answer are written to the standard error stream.
    void setUnattended(int delayMs) { unattendedMs_ = delayMs; }

    PromptAnswer show(const PromptMessage& message) override;
    // No status line outside the progress window: ignored.
    void status(const std::string& text) override;
    std::optional<std::string> chooseOpenFile(const FileChoice& choice) override;
    std::optional<std::string> chooseSaveFile(const FileChoice& choice) override;

private:
    QPointer<QWidget> owner_;
    int unattendedMs_ = 0;
};

// A pattern of a FileFilter as the dialog matches it: in any letter case
// ("*.bmp" -> "*.[bB][mM][pP]"; unchanged on Windows, whose dialogs ignore
// case anyway).
QString anyCasePattern(const QString& pattern);

// The filter string of a Qt file dialog for a choice: each filter as its
// list entry shows it, then the patterns matched ("Career files (*.car)
// (*.[cC][aA][rR])"); the dialog's options (fileDialogOptions) hide that
// last part.
QString fileDialogFilter(const FileChoice& choice);
QFileDialog::Options fileDialogOptions();

// Where a file dialog for the choice starts: the choice's folder, or the
// user's documents folder when it has none or it is gone, with the proposed
// name.
QString fileDialogStart(const FileChoice& choice);

}  // namespace jf
