#pragma once
// Prompts for a worker thread: every message box and file choice asked for
// on another thread is run by `inner` on the thread of `context` (the
// interface thread) through a blocking queued invocation, so the worker waits
// for the answer while the interface keeps running. Status texts are handed
// to `statusSink` on the interface thread without waiting.
//
// Called on the interface thread itself, everything goes straight to `inner`
// and the sink. `inner` and `context` must outlive every call, and this
// object must live as long as `context` (make it a member of the context
// object): a status text still queued when `context` is destroyed is dropped.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "platform/Prompts.h"

namespace jf {

class GuiThreadPrompts final : public Prompts {
public:
    using StatusSink = std::function<void(const QString&)>;

    GuiThreadPrompts(Prompts& inner, QObject* context, StatusSink statusSink)
        : inner_(inner), context_(context), statusSink_(std::move(statusSink)) {}

    PromptAnswer show(const PromptMessage& message) override;
    void status(const std::string& text) override;
    std::optional<std::string> chooseOpenFile(const FileChoice& choice) override;
    std::optional<std::string> chooseSaveFile(const FileChoice& choice) override;

private:
    // Runs `call` on the context's thread and waits for it.
    void runOnContextThread(const std::function<void()>& call);
    void deliverStatus(const std::string& text);

    Prompts& inner_;
    QPointer<QObject> context_;
    StatusSink statusSink_;
};

}  // namespace jf
