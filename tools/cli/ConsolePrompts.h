#pragma once
// A Prompts for the command line: every message box is printed on stderr,
// questions get a preset answer, and the file choices return preset paths
// (or nullopt, like a cancelled dialog, when none is set).

#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Prompts.h"

namespace jf::cli {

class ConsolePrompts : public Prompts {
public:
    // The answer to Yes/No questions (and Yes/No/Cancel ones); No by default,
    // so that nothing is deleted or overwritten on a question the command
    // did not expect. Ok/Cancel questions get Ok.
    PromptAnswer questionAnswer = PromptAnswer::No;
    std::optional<std::string> openFile;
    std::optional<std::string> saveFile;
    // Every message shown, in order.
    std::vector<PromptMessage> shown;

    PromptAnswer show(const PromptMessage& message) override {
        std::lock_guard<std::mutex> lock(mutex_);
        shown.push_back(message);
        std::cerr << message.text << '\n';
        switch (message.buttons) {
            case PromptButtons::Ok:
                return PromptAnswer::Ok;
            case PromptButtons::OkCancel:
                return PromptAnswer::Ok;
            case PromptButtons::YesNo:
            case PromptButtons::YesNoCancel:
                std::cerr << (questionAnswer == PromptAnswer::Yes ? "-> Yes" : "-> No") << '\n';
                return questionAnswer;
        }
        return PromptAnswer::Ok;
    }
    void status(const std::string&) override {}
    std::optional<std::string> chooseOpenFile(const FileChoice&) override { return openFile; }
    std::optional<std::string> chooseSaveFile(const FileChoice&) override { return saveFile; }

private:
    std::mutex mutex_;
};

}  // namespace jf::cli
