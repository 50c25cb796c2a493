#pragma once
// What the editing dialogs share: the warning a refused field gets, moving
// the focus to a field with its text selected, number fields that take only
// what they can hold, what Enter presses, multi-line fields in which Enter
// presses the dialog's default button, and texts that travel between a field
// and the code-page bytes the game stores.

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QValidator>
#include <optional>
#include <string>
#include <vector>

#include "careers/NumericField.h"
#include "platform/Prompts.h"

class QAbstractButton;
class QDialog;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace jf {

class DialogUnits;

// The object name of the control with resource id `id` ("control1005"),
// by which the tests find it.
QString controlObjectName(int id);

// The captions of the OK and Cancel buttons of the dialogs.
inline constexpr char kOkButtonText[] = "OK";
inline constexpr char kCancelButtonText[] = "Cancel";

// A push button of `dialog`, 50 x 14 dialog units at (x, y), named after
// `id`. The dialog owns it.
QPushButton* addDialogButton(QWidget* dialog, const DialogUnits& du, const char* text, int id,
                             int x, int y);

// Enter presses the push button that has the focus; with the focus anywhere
// else it presses `defaultButton` (normally OK). Call once every push button
// of the dialog exists.
void makeEnterPressFocusedButton(QDialog* dialog, QPushButton* defaultButton);

// A refused number: the field's message, the application's caption, the
// warning icon and an OK button.
PromptMessage fieldWarning(const std::string& text);

// A typed character that the code page of the text's language cannot hold.
// The message goes on with the character and the language
// (refusedCharacterDetail; `language` a LanguageSlot or kNoLanguage).
inline constexpr char kUnstorableText[] =
    "The text contains a character that cannot be stored in the code page of its "
    "language.\n\nPlease change the text.";
PromptMessage unstorableTextWarning(const QString& typed, int language);

// Gives the field the input focus and selects its whole text.
void focusAndSelect(QWidget* field);

// Takes only the keystrokes judgeTypedNumber lets through for a field of
// `kind` and `range` (nullopt: the whole range of the kind's type).
class NumberFieldValidator final : public QValidator {
public:
    NumberFieldValidator(NumericKind kind, std::optional<NumericRange> range, QObject* parent);

    State validate(QString& input, int& position) const override;

private:
    NumericKind kind_;
    std::optional<NumericRange> range_;
};

// Makes `field` a number field: it takes only what it can hold while typed
// in, and its tooltip names the values it holds. Texts set by the program
// (the stored values) are shown as they are, whatever they hold; while the
// field still shows such a text beyond its values, keystrokes are taken
// until it holds one it can take, so that the text can be mended key by key.
void guideNumberField(QLineEdit* field, NumericKind kind, std::optional<NumericRange> range);

// A multi-line field in a dialog: Enter presses `defaultButton`; Ctrl+Enter
// types a line break. The filter belongs to the field.
void makeEnterPressDefault(QPlainTextEdit* field, QAbstractButton* defaultButton);

// One text as a field shows it and as it is stored.
class FieldText {
public:
    FieldText() = default;
    // The stored bytes (code page `codePage`) and the field form: line
    // breaks as '\n' for multi-line fields, bytes that do not decode as
    // U+FFFD.
    FieldText(std::string bytes, int codePage, bool multiLine);

    const QString& shown() const { return shown_; }
    const std::string& bytes() const { return bytes_; }

    // The bytes to store for what the field holds now: the original bytes
    // when the field still shows them unchanged (so texts that did not
    // decode cleanly survive untouched), else the typed text encoded;
    // nullopt when the code page cannot hold it.
    std::optional<std::string> stored(const QString& now) const;

private:
    std::string bytes_;
    QString shown_;
    int codePage_ = 0;
    bool multiLine_ = false;
};

// ---- Windows that grow ------------------------------------------------------------

// How a control follows its window's growth: the shares of the extra width
// and height (beyond the window's smallest size) by which it moves right and
// down and grows wider and taller.
struct Growth {
    double right = 0;
    double down = 0;
    double wider = 0;
    double taller = 0;
};

// The controls of a window laid out in fixed places at its smallest size,
// each following the window's growth by its own Growth.
class GrowingLayout {
public:
    // Puts `widget` at `base` (its place at the smallest size) and keeps it.
    void place(QWidget* widget, const QRect& base, Growth growth);
    // Moves and sizes every control for `extra` room (negative counts as 0).
    void grow(QSize extra) const;

private:
    struct Placement {
        QWidget* widget;
        QRect base;
        Growth growth;
    };
    std::vector<Placement> placements_;
};

}  // namespace jf
