#pragma once
// Helpers for the editing-dialog tests: typing into fields, waiting for a
// nested modal dialog and answering it.

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "UiTestHelpers.h"
#include "platform/Prompts.h"

namespace jf::test {

// The caption of messages about refused field values.
inline constexpr char kFieldCaption[] = "jobforge3";

inline PromptMessage fieldMessage(const std::string& text) {
    return {text, kFieldCaption, PromptButtons::Ok, PromptIcon::Warning};
}

inline void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    edit->insert(text);
}

// Once a modal dialog of type T is up, runs `act` on it (from the event
// loop). Call before the action that opens the dialog.
template <typename T>
void whenModal(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
        }
    });
    timer->start();
}

}  // namespace jf::test
