#include "ui/QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <cstdio>

namespace jf {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::Ok:
            return QMessageBox::Ok;
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton standardButton(PromptAnswer answer) {
    switch (answer) {
        case PromptAnswer::Ok:
            return QMessageBox::Ok;
        case PromptAnswer::Cancel:
            return QMessageBox::Cancel;
        case PromptAnswer::Yes:
            return QMessageBox::Yes;
        case PromptAnswer::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

// The answer a box gives when it is closed without a button (Escape or the
// close box): Cancel where there is one, else No for questions, else Ok.
PromptAnswer closedAnswer(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::Ok:
            return PromptAnswer::Ok;
        case PromptButtons::YesNo:
            return PromptAnswer::No;
        case PromptButtons::OkCancel:
        case PromptButtons::YesNoCancel:
            break;
    }
    return PromptAnswer::Cancel;
}

// Core paths are native paths on every platform the editor runs on; the
// dialog's separators are turned into native ones.
std::optional<std::string> chosenPath(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace

PromptAnswer QtPrompts::show(const PromptMessage& message) {
    QMessageBox box(boxIcon(message.icon), QString::fromStdString(message.caption),
                    QString::fromStdString(message.text), boxButtons(message.buttons),
                    owner_.data());
    box.setTextFormat(Qt::PlainText);
    if (message.defaultAnswer) {
        box.setDefaultButton(standardButton(*message.defaultAnswer));
    } else if (message.buttons == PromptButtons::YesNoCancel ||
               message.buttons == PromptButtons::YesNo) {
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setDefaultButton(QMessageBox::Ok);
    }
    if (unattendedMs_ > 0) {
        QTimer::singleShot(unattendedMs_, &box, [&box, &message] {
            QAbstractButton* answer = box.defaultButton();
            std::fprintf(stderr, "%s: %s -> %s\n", message.caption.c_str(), message.text.c_str(),
                         answer != nullptr
                             ? answer->text().remove(QLatin1Char('&')).toStdString().c_str()
                             : "closed");
            if (answer != nullptr) {
                answer->click();
            } else {
                box.reject();
            }
        });
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return PromptAnswer::Ok;
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        default:
            break;
    }
    return closedAnswer(message.buttons);
}

void QtPrompts::status(const std::string& text) {
    (void)text;
}

QString fileDialogFilter(const FileChoice& choice) {
    QStringList filters;
    for (const FileFilter& filter : choice.filters) {
        QString patterns = QString::fromStdString(filter.pattern);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = QString::fromStdString(filter.description);
        // A description that already names its patterns is taken as it is.
        if (description.contains(QLatin1Char('('))) {
            filters << description;
        } else {
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
        }
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<std::string> QtPrompts::chooseOpenFile(const FileChoice& choice) {
    return chosenPath(QFileDialog::getOpenFileName(
        owner_.data(), QString::fromStdString(choice.title),
        QString::fromStdString(choice.initialName), fileDialogFilter(choice)));
}

std::optional<std::string> QtPrompts::chooseSaveFile(const FileChoice& choice) {
    QFileDialog dialog(owner_.data(), QString::fromStdString(choice.title),
                       QString::fromStdString(choice.initialName), fileDialogFilter(choice));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!choice.defaultExtension.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(choice.defaultExtension));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return chosenPath(dialog.selectedFiles().constFirst());
}

}  // namespace jf
