#include "ui/GuiThreadPrompts.h"

#include <QMetaObject>
#include <QThread>

namespace jf {

void GuiThreadPrompts::runOnContextThread(const std::function<void()>& call) {
    QObject* context = context_.data();
    if (context == nullptr || QThread::currentThread() == context->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(context, call, Qt::BlockingQueuedConnection);
}

PromptAnswer GuiThreadPrompts::show(const PromptMessage& message) {
    PromptAnswer answer = PromptAnswer::Cancel;
    runOnContextThread([&] { answer = inner_.show(message); });
    return answer;
}

void GuiThreadPrompts::status(const std::string& text) {
    QObject* context = context_.data();
    if (context == nullptr || QThread::currentThread() == context->thread()) {
        deliverStatus(text);
        return;
    }
    QMetaObject::invokeMethod(
        context, [this, text] { deliverStatus(text); }, Qt::QueuedConnection);
}

void GuiThreadPrompts::deliverStatus(const std::string& text) {
    inner_.status(text);
    if (statusSink_) {
        statusSink_(QString::fromStdString(text));
    }
}

std::optional<std::string> GuiThreadPrompts::chooseOpenFile(const FileChoice& choice) {
    std::optional<std::string> result;
    runOnContextThread([&] { result = inner_.chooseOpenFile(choice); });
    return result;
}

std::optional<std::string> GuiThreadPrompts::chooseSaveFile(const FileChoice& choice) {
    std::optional<std::string> result;
    runOnContextThread([&] { result = inner_.chooseSaveFile(choice); });
    return result;
}

}  // namespace jf
