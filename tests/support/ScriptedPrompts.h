#pragma once
// A Prompts implementation for tests: records every message and status text
// and answers from a script.

#include <deque>
#include <functional>
#include <mutex>

#include "platform/Prompts.h"

namespace jf::test {

class ScriptedPrompts : public Prompts {
public:
    // Answers given in order to show(); when the script is empty, an Ok
    // message gets Ok, a question gets No, YesNoCancel gets Cancel.
    std::deque<PromptAnswer> answers;
    std::deque<std::optional<std::string>> openFiles;
    std::deque<std::optional<std::string>> saveFiles;

    std::vector<PromptMessage> shown;
    std::vector<std::string> statuses;
    std::vector<FileChoice> fileChoices;
    // Called after each show(), e.g. to press Cancel while a box is open.
    std::function<void(const PromptMessage&)> onShow;

    PromptAnswer show(const PromptMessage& message) override {
        PromptAnswer answer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            shown.push_back(message);
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            } else if (message.buttons == PromptButtons::Ok) {
                answer = PromptAnswer::Ok;
            } else if (message.buttons == PromptButtons::YesNoCancel ||
                       message.buttons == PromptButtons::OkCancel) {
                answer = PromptAnswer::Cancel;
            } else {
                answer = PromptAnswer::No;
            }
        }
        if (onShow) {
            onShow(message);
        }
        return answer;
    }
    void status(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statuses.push_back(text);
    }
    std::optional<std::string> chooseOpenFile(const FileChoice& choice) override {
        fileChoices.push_back(choice);
        if (openFiles.empty()) {
            return std::nullopt;
        }
        auto next = openFiles.front();
        openFiles.pop_front();
        return next;
    }
    std::optional<std::string> chooseSaveFile(const FileChoice& choice) override {
        fileChoices.push_back(choice);
        if (saveFiles.empty()) {
            return std::nullopt;
        }
        auto next = saveFiles.front();
        saveFiles.pop_front();
        return next;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& m : shown) {
            result.push_back(m.text);
        }
        return result;
    }

private:
    std::mutex mutex_;
};

}  // namespace jf::test
