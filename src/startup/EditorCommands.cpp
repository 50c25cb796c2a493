#include "startup/EditorCommands.h"

#include "document/Document.h"
#include "platform/Prompts.h"
#include "startup/Loader.h"

namespace jf {

namespace {

// Between the program's name and the game folder in the title.
constexpr char kTitleSeparator[] = " \u2014 ";

PromptMessage question(const char* text, const char* caption, PromptButtons buttons) {
    return {text, caption, buttons, PromptIcon::Question};
}

}  // namespace

std::string editorTitle(const std::string& gameDataFolder) {
    return std::string(kProgramCaption) + kTitleSeparator + gameDataFolder;
}

bool saveDocument(Document& document, Prompts& prompts) {
    if (!saveAll(document.session(), prompts)) {
        return false;
    }
    document.markSaved();
    return true;
}

bool confirmReload(const Document& document, Prompts& prompts) {
    if (!document.isModified()) {
        return true;
    }
    PromptMessage discard = question(kDiscardQuestionText, kProgramCaption, PromptButtons::YesNo);
    discard.defaultAnswer = PromptAnswer::No;
    return prompts.show(discard) == PromptAnswer::Yes;
}

bool confirmExit(Document& document, Prompts& prompts) {
    if (!document.isModified()) {
        return true;
    }
    const PromptAnswer answer =
        prompts.show(question(kSaveQuestionText, kProgramCaption, PromptButtons::YesNoCancel));
    if (answer == PromptAnswer::Cancel) {
        return false;
    }
    if (answer == PromptAnswer::Yes) {
        if (!saveDocument(document, prompts)) {
            return false;
        }
        document.session().buttonIconFile.reset();
        document.session().popupIconFile.reset();
    }
    return true;
}

void setAllLanguages(Document& document, Prompts& prompts, std::size_t position, int language) {
    if (prompts.show(question(kSetAllQuestionText, kSetAllCaption, PromptButtons::YesNo)) !=
        PromptAnswer::Yes) {
        return;
    }
    const bool withCards = prompts.show(question(kSetAllCardsQuestionText, kProgramCaption,
                                                 PromptButtons::YesNo)) == PromptAnswer::Yes;
    document.copyToAllLanguages(position, language, withCards);
}

}  // namespace jf
