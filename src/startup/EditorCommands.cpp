#include "startup/EditorCommands.h"

#include <cstdint>
#include <memory>

#include "document/Document.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/Startup.h"

namespace jf {

namespace {

// Between the program's name and the game folder in the title.
constexpr char kTitleSeparator[] = " \u2014 ";

PromptMessage question(const char* text, const char* caption, PromptButtons buttons) {
    return {text, caption, buttons, PromptIcon::Question};
}

constexpr char kWindowX[] = "WindowX";
constexpr char kWindowY[] = "WindowY";
constexpr char kWindowWidth[] = "WindowWidth";
constexpr char kWindowHeight[] = "WindowHeight";

}  // namespace

std::optional<WindowGeometry> readWindowGeometry(SettingsStore& store) {
    std::unique_ptr<SettingsKey> key = store.openKey(kOwnKeyPath);
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (key == nullptr || !key->readDword(kWindowX, x) || !key->readDword(kWindowY, y) ||
        !key->readDword(kWindowWidth, width) || !key->readDword(kWindowHeight, height)) {
        return std::nullopt;
    }
    // Positions may be negative (a screen left of the main one); sizes not.
    constexpr std::uint32_t kLargestSize = 1u << 16;
    if (width == 0 || height == 0 || width > kLargestSize || height > kLargestSize) {
        return std::nullopt;
    }
    return WindowGeometry{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                          static_cast<int>(width), static_cast<int>(height)};
}

bool writeWindowGeometry(SettingsStore& store, const WindowGeometry& geometry) {
    std::unique_ptr<SettingsKey> key = store.createKey(kOwnKeyPath);
    return key != nullptr && key->writeDword(kWindowX, static_cast<std::uint32_t>(geometry.x)) &&
           key->writeDword(kWindowY, static_cast<std::uint32_t>(geometry.y)) &&
           key->writeDword(kWindowWidth, static_cast<std::uint32_t>(geometry.width)) &&
           key->writeDword(kWindowHeight, static_cast<std::uint32_t>(geometry.height));
}

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
