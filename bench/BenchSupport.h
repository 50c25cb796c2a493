// Shared by the benchmarks of the loading sequence and of File Save.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "document/EditorSession.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "startup/Loader.h"
#include "startup/SampleInstallation.h"

namespace jf::bench {

// Answers No to every question, chooses no file, counts the messages.
class SilentPrompts final : public Prompts {
public:
    int messages = 0;
    PromptAnswer show(const PromptMessage&) override {
        ++messages;
        return PromptAnswer::No;
    }
    void status(const std::string&) override {}
    std::optional<std::string> chooseOpenFile(const FileChoice&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const FileChoice&) override { return std::nullopt; }
};

// The sample installation's game files in a new temporary folder, removed
// with the object. `written` tells whether making them succeeded.
struct SampleFolder {
    std::string root;
    std::string gameFolder;  // with a trailing "/"
    // The four files File Save replaces, in its order.
    std::vector<std::string> files;
    bool written = false;

    explicit SampleFolder(const std::string& tag) {
        root = (std::filesystem::temp_directory_path() /
                ("jf-" + tag + "-bench-" + std::to_string(::getpid())))
                   .string();
        std::error_code error;
        std::filesystem::create_directories(root, error);
        gameFolder = root + "/";
        files = {gameFolder + "ExpansionShared/Work.iff",
                 gameFolder + "GameData/Objects/CarPortal.iff",
                 gameFolder + "UIGraphics/cpanel/Buttons/JobIconMultiButton.BMP",
                 gameFolder + "UIGraphics/cpanel/Backgrounds/JobIconMultiPopup.BMP"};
        written = !error && writeSampleGameFiles(systemFileSystem(), gameFolder);
    }
    SampleFolder(const SampleFolder&) = delete;
    SampleFolder& operator=(const SampleFolder&) = delete;
    ~SampleFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

// Runs the loading sequence on the sample's game folder into `session`;
// true when it loaded without showing any message.
inline bool loadSample(EditorSession& session, const std::string& gameFolder,
                       SilentPrompts& prompts) {
    session.state.installation.gameDataFolder = gameFolder;
    session.state.installation.installedPacks = kSampleInstalledPacks;
    session.state.installation.knownPacks = kSampleInstalledPacks;
    LoadRequest request;
    request.folder = gameFolder;
    runLoader(request, session, prompts);
    return request.resultCode.load() == LoadResult::Ok && prompts.messages == 0;
}

}  // namespace jf::bench
