#include "ui/QtPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
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

QString anyCasePattern(const QString& pattern) {
#ifdef Q_OS_WIN
    // The system's dialogs match names ignoring case already (and know no
    // bracket sets).
    return pattern;
#else
    QString matching;
    for (const QChar c : pattern) {
        const char ascii = c.toLatin1();
        if ((ascii >= 'a' && ascii <= 'z') || (ascii >= 'A' && ascii <= 'Z')) {
            matching += QLatin1Char('[');
            matching += c.toLower();
            matching += c.toUpper();
            matching += QLatin1Char(']');
        } else {
            matching += c;
        }
    }
    return matching;
#endif
}

QString fileDialogFilter(const FileChoice& choice) {
    QStringList filters;
    for (const FileFilter& filter : choice.filters) {
        const QStringList patterns =
            QString::fromStdString(filter.pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QStringList matching;
        for (const QString& pattern : patterns) {
            matching << anyCasePattern(pattern);
        }
        // What the list shows: a description that already names its patterns
        // as it is, any other with the patterns behind it. The patterns the
        // dialog matches follow in a last pair of parentheses, which the
        // dialog keeps out of sight (fileDialogOptions).
        QString shown = QString::fromStdString(filter.description);
        if (!shown.contains(QLatin1Char('('))) {
            shown = QStringLiteral("%1 (%2)").arg(shown, patterns.join(QLatin1Char(' ')));
        }
        filters << QStringLiteral("%1 (%2)").arg(shown, matching.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

QFileDialog::Options fileDialogOptions() {
    return QFileDialog::HideNameFilterDetails;
}

QString fileDialogStart(const FileChoice& choice) {
    QString folder = QString::fromStdString(choice.initialFolder);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    if (choice.initialName.empty()) {
        return folder;
    }
    return QDir(folder).filePath(QString::fromStdString(choice.initialName));
}

std::optional<std::string> QtPrompts::chooseOpenFile(const FileChoice& choice) {
    return chosenPath(QFileDialog::getOpenFileName(
        owner_.data(), QString::fromStdString(choice.title), fileDialogStart(choice),
        fileDialogFilter(choice), nullptr, fileDialogOptions()));
}

std::optional<std::string> QtPrompts::chooseSaveFile(const FileChoice& choice) {
    QFileDialog dialog(owner_.data(), QString::fromStdString(choice.title), fileDialogStart(choice),
                       fileDialogFilter(choice));
    dialog.setOptions(fileDialogOptions());
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
