#include "GameLoad.h"

#include <iostream>

#include "platform/FileSystem.h"
#include "platform/HostEnvironment.h"
#include "startup/Loader.h"
#include "startup/Startup.h"

namespace jf::cli {
namespace {

// Reads through another store and never writes: createKey fails, so the
// known-pack migration fails silently.
class ReadOnlySettingsStore final : public SettingsStore {
public:
    explicit ReadOnlySettingsStore(SettingsStore& inner) : inner_(inner) {}
    std::unique_ptr<SettingsKey> openKey(const std::string& path) override {
        return inner_.openKey(path);
    }
    std::unique_ptr<SettingsKey> createKey(const std::string&) override { return nullptr; }
    std::string toNativeFolder(const std::string& folder) const override {
        return inner_.toNativeFolder(folder);
    }

private:
    SettingsStore& inner_;
};

}  // namespace

PromptAnswer ConsoleHost::show(const PromptMessage& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (message.icon == PromptIcon::Error) {
        lastError = message.text;
    } else {
        std::cerr << message.caption << ": " << message.text << '\n';
    }
    switch (message.buttons) {
        case PromptButtons::Ok:
            return PromptAnswer::Ok;
        case PromptButtons::OkCancel:
            return PromptAnswer::Cancel;
        case PromptButtons::YesNo:
        case PromptButtons::YesNoCancel:
            std::cerr << "-> No\n";
            return PromptAnswer::No;
    }
    return PromptAnswer::No;
}

void ConsoleHost::status(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::cerr << text << '\n';
}

bool loadGame(EditorSession& session, const GameInstallation& installation, bool writes,
              Prompts& prompts) {
    if (!prepareGameFolder(installation.gameDataFolder, writes, prompts)) {
        return false;
    }
    session.state.installation = installation;
    session.state.chanceCardsDisabled = false;
    LoadRequest request;
    request.folder = installation.gameDataFolder;
    request.readOnly = !writes;
    runLoader(request, session, prompts);
    return request.resultCode.load() == LoadResult::Ok;
}

bool loadGameReadOnly(EditorSession& session, const std::string& gameDir, std::uint32_t packs,
                      Prompts& prompts) {
    GameInstallation installation;
    installation.gameDataFolder = gameFolderArgument(gameDir);
    installation.installedPacks = packs;
    installation.knownPacks = packs;
    return loadGame(session, installation, false, prompts);
}

LoadedDocument::LoadedDocument() : document(systemFileSystem(), settings) {}

std::unique_ptr<LoadedDocument> loadDocument(const std::string& gameDir, std::uint32_t packs,
                                             bool writes, Prompts& prompts) {
    GameInstallation installation;
    installation.gameDataFolder = gameFolderArgument(gameDir);
    installation.installedPacks = packs;
    installation.knownPacks = packs;
    auto loaded = std::make_unique<LoadedDocument>();
    if (!loadGame(loaded->document.session(), installation, writes, prompts)) {
        fail("Cannot load the game in " + gameDir);
        return nullptr;
    }
    return loaded;
}

int loadInstallation(const std::optional<std::string>& gameDir, std::optional<std::uint32_t> packs,
                     bool writes, LoadedInstallation& loaded) {
    loaded.systemStore = createSystemSettingsStore();
    loaded.store = std::make_unique<ReadOnlySettingsStore>(*loaded.systemStore);
    GameInstallation installation;
    if (gameDir) {
        installation.gameDataFolder = gameFolderArgument(*gameDir);
        installation.installedPacks = kBaseGameBit;
        readKnownPacks(*loaded.store, installation);
    } else if (!discoverInstallation(*loaded.store, legacySearchPlaces(systemEnvironment()),
                                     installation)) {
        return fail(kRegistryErrorText);
    }
    if (packs) {
        installation.installedPacks = *packs;
    }
    loaded.session = std::make_unique<EditorSession>(systemFileSystem(), *loaded.store);
    if (!loadGame(*loaded.session, installation, writes, loaded.host)) {
        return loaded.host.lastError ? fail(*loaded.host.lastError) : kExitFailed;
    }
    return kExitOk;
}

bool parseInstallationOptions(const Args& args, const std::vector<std::string>& allowedFlags,
                              CommandOptions& options) {
    if (!parseCommandOptions(args, true, allowedFlags, options)) {
        return false;
    }
    if (options.positional.size() > 1) {
        usage();
        return false;
    }
    return true;
}

std::optional<std::string> gameDirOf(const CommandOptions& options) {
    if (options.positional.empty()) {
        return std::nullopt;
    }
    return options.positional[0];
}

}  // namespace jf::cli
