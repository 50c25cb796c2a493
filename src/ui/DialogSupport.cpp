#include "ui/DialogSupport.h"

#include <algorithm>

#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "document/Document.h"
#include "document/LineBreaks.h"
#include "exchange/ExchangeMessages.h"
#include "platform/CodePages.h"
#include "platform/Messages.h"
#include "ui/DialogUnits.h"

namespace jf {

namespace {

class EnterPressesDefault final : public QObject {
public:
    EnterPressesDefault(QPlainTextEdit* field, QAbstractButton* button)
        : QObject(field), field_(field), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == field_ && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                if (key->modifiers().testFlag(Qt::ControlModifier)) {
                    field_->textCursor().insertText(QStringLiteral("\n"));
                } else if (button_ != nullptr && button_->isEnabled()) {
                    button_->click();
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPlainTextEdit* field_;
    QAbstractButton* button_;
};

}  // namespace

PromptMessage fieldWarning(const std::string& text) {
    // The application's name is the caption of these messages, as of every
    // message box that names no caption of its own.
    return {text, kApplicationCaption, PromptButtons::Ok, PromptIcon::Warning};
}

PromptMessage unstorableTextWarning(const QString& typed, int language) {
    return {kUnstorableText + refusedCharacterDetail(typed.toStdString(), language),
            kWarningCaption, PromptButtons::Ok, PromptIcon::Warning};
}

void focusAndSelect(QWidget* field) {
    if (field == nullptr) {
        return;
    }
    field->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->selectAll();
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(field)) {
        multi->selectAll();
    }
}

NumberFieldValidator::NumberFieldValidator(NumericKind kind, std::optional<NumericRange> range,
                                           QObject* parent)
    : QValidator(parent), kind_(kind), range_(range) {}

QValidator::State NumberFieldValidator::validate(QString& input, int& position) const {
    (void)position;
    switch (judgeTypedNumber(input.toStdString(), kind_, range_)) {
        case TypedNumber::Complete:
            return Acceptable;
        case TypedNumber::Incomplete:
            return Intermediate;
        case TypedNumber::Refused:
            break;
    }
    return Invalid;
}

void guideNumberField(QLineEdit* field, NumericKind kind, std::optional<NumericRange> range) {
    field->setValidator(new NumberFieldValidator(kind, range, field));
    field->setToolTip(QString::fromStdString(numericFieldTip(kind, range)));
}

void makeEnterPressDefault(QPlainTextEdit* field, QAbstractButton* defaultButton) {
    field->installEventFilter(new EnterPressesDefault(field, defaultButton));
}

FieldText::FieldText(std::string bytes, int codePage, bool multiLine)
    : bytes_(std::move(bytes)), codePage_(codePage), multiLine_(multiLine) {
    std::string text = toUtf8Lossy(bytes_, codePage_);
    if (multiLine_) {
        text = multiLineFieldText(text);
    }
    shown_ = QString::fromStdString(text);
}

std::optional<std::string> FieldText::stored(const QString& now) const {
    if (now == shown_) {
        return bytes_;
    }
    std::string text = now.toStdString();
    if (multiLine_) {
        text = multiLineDataText(text);
    }
    return fromUtf8(text, codePage_);
}

QString controlObjectName(int id) {
    return QStringLiteral("control%1").arg(id);
}

QPushButton* addDialogButton(QWidget* dialog, const DialogUnits& du, const char* text, int id,
                             int x, int y) {
    constexpr int kButtonWidthDu = 50;
    constexpr int kButtonHeightDu = 14;
    auto* button = new QPushButton(QString::fromUtf8(text), dialog);
    button->setObjectName(controlObjectName(id));
    button->setGeometry(du.rect(x, y, kButtonWidthDu, kButtonHeightDu));
    return button;
}

void makeEnterPressFocusedButton(QDialog* dialog, QPushButton* defaultButton) {
    // A button that is "auto default" becomes the default while it has the
    // focus, and gives that back to the dialog's own default when it loses it.
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
    }
    defaultButton->setDefault(true);
}

void GrowingLayout::place(QWidget* widget, const QRect& base, Growth growth) {
    widget->setGeometry(base);
    placements_.push_back({widget, base, growth});
}

void GrowingLayout::grow(QSize extra) const {
    const int width = std::max(0, extra.width());
    const int height = std::max(0, extra.height());
    auto share = [](double part, int room) { return static_cast<int>(part * room); };
    for (const Placement& placement : placements_) {
        const QRect& base = placement.base;
        const Growth& growth = placement.growth;
        placement.widget->setGeometry(base.x() + share(growth.right, width),
                                      base.y() + share(growth.down, height),
                                      base.width() + share(growth.wider, width),
                                      base.height() + share(growth.taller, height));
    }
}

}  // namespace jf
