#pragma once
// Helpers for the editing-dialog tests: typing into fields, waiting for a
// nested modal dialog and answering it.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
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

// Gives `widget` the focus in its shown window, made the active one, and
// presses Enter there as the user would.
inline void pressEnterIn(QWidget* widget) {
    QWidget* window = widget->window();
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
    widget->setFocus(Qt::TabFocusReason);
    QTest::keyClick(widget, Qt::Key_Return);
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
