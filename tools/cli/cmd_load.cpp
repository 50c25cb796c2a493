// dump / resave: the editor's whole loading sequence (and File Save) on a
// game installation, with a console in place of the progress window.
//
// The console host prints the status texts and every message on stderr and
// answers every question No, so that nothing is deleted. The program's own
// settings are never written: the settings store is wrapped read-only, so
// the expansion-pack check and the known-pack migration fail silently there.
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>

#include "CareerJson.h"
#include "Cli.h"
#include "careers/CareerDatabase.h"
#include "document/EditorSession.h"
#include "platform/FileSystem.h"
#include "platform/HostEnvironment.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/Startup.h"

namespace jf::cli {
namespace {

class ConsoleHost final : public Prompts {
public:
    // The text of the last error message (the loader's fatal one).
    std::optional<std::string> lastError;

    PromptAnswer show(const PromptMessage& message) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (message.icon == PromptIcon::Error) {
            // Printed once, as the command's failure line.
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
    void status(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        std::cerr << text << '\n';
    }
    std::optional<std::string> chooseOpenFile(const FileChoice&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const FileChoice&) override { return std::nullopt; }

private:
    std::mutex mutex_;
};

// Reads through another store and never writes: createKey fails.
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

struct LoadOptions {
    std::optional<std::string> gameFolder;
    std::optional<std::uint32_t> packs;
};

bool parseOptions(const Args& args, LoadOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--packs") {
            unsigned long value = 0;
            if (options.packs || i + 1 >= args.size() || !parseUnsigned(args[i + 1], value) ||
                value > 0xFFFFFFFFul) {
                return false;
            }
            options.packs = static_cast<std::uint32_t>(value);
            ++i;
        } else if (!options.gameFolder && !args[i].empty() && args[i][0] != '-') {
            options.gameFolder = args[i];
        } else {
            return false;
        }
    }
    return true;
}

// A loaded installation with what it was loaded through.
struct LoadedInstallation {
    std::unique_ptr<SettingsStore> systemStore;
    std::unique_ptr<ReadOnlySettingsStore> store;
    std::unique_ptr<EditorSession> session;
    ConsoleHost host;
};

// Finds the installation as the editor does (or takes GAMEDIR), deals with
// an interrupted save there (recovers it when the command `writes`, else
// only says so) and runs the loading sequence on it. Returns kExitOk or the
// exit code of the failure (its line already printed).
int loadInstallation(const LoadOptions& options, bool writes, LoadedInstallation& loaded) {
    loaded.systemStore = createSystemSettingsStore();
    loaded.store = std::make_unique<ReadOnlySettingsStore>(*loaded.systemStore);
    GameInstallation installation;
    if (options.gameFolder) {
        installation.gameDataFolder = *options.gameFolder;
        const char last =
            installation.gameDataFolder.empty() ? '\0' : installation.gameDataFolder.back();
        if (last != '/' && last != '\\') {
            installation.gameDataFolder += '/';
        }
        installation.installedPacks = kBaseGameBit;
        readKnownPacks(*loaded.store, installation);
    } else if (!discoverInstallation(*loaded.store, legacySearchPlaces(systemEnvironment()),
                                     installation)) {
        return fail(kRegistryErrorText);
    }
    if (options.packs) {
        installation.installedPacks = *options.packs;
    }
    if (!prepareGameFolder(installation.gameDataFolder, writes, loaded.host)) {
        return kExitFailed;
    }

    loaded.session = std::make_unique<EditorSession>(systemFileSystem(), *loaded.store);
    EditorSession& session = *loaded.session;
    session.state.installation = installation;
    session.state.chanceCardsDisabled = false;
    LoadRequest request;
    request.folder = installation.gameDataFolder;
    runLoader(request, session, loaded.host);
    if (request.resultCode.load() != LoadResult::Ok) {
        return fail(loaded.host.lastError.value_or("Loading was cancelled."));
    }
    return kExitOk;
}

nlohmann::json stripSize(const Bitmap& strip) {
    return {{"width", strip.width()}, {"height", strip.height()}};
}

int dump(const Args& args) {
    LoadOptions options;
    if (!parseOptions(args, options)) {
        return usage();
    }
    LoadedInstallation loaded;
    if (int code = loadInstallation(options, false, loaded); code != kExitOk) {
        return code;
    }
    const EditorSession& session = *loaded.session;
    const CareerDatabase& database = session.database;
    nlohmann::json tracks = nlohmann::json::array();
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        const CareerTrack& track = *database.track(p);
        nlohmann::json entry = trackJson(track);
        entry["cards"] = trackCardsJson(track);
        tracks.push_back(std::move(entry));
    }
    printJson({{"careerFile", latin1(session.careerFileName)},
               {"chanceCardsDisabled", session.state.chanceCardsDisabled},
               {"tracks", tracks},
               {"options", optionsJson(database)},
               {"globalTexts", globalTextsJson(database)},
               {"freeEntries", freeEntriesJson(database)},
               {"icons",
                {{"popup", stripSize(session.icons.popupStrip())},
                 {"button", stripSize(session.icons.buttonStrip())}}}});
    return kExitOk;
}

int resave(const Args& args) {
    LoadOptions options;
    if (!parseOptions(args, options)) {
        return usage();
    }
    LoadedInstallation loaded;
    if (int code = loadInstallation(options, true, loaded); code != kExitOk) {
        return code;
    }
    EditorSession& session = *loaded.session;
    if (!saveAll(session, loaded.host)) {
        return fail(loaded.host.lastError.value_or("Saving failed."));
    }
    session.buttonIconFile.reset();
    session.popupIconFile.reset();
    printJson({{"careerFile", latin1(session.careerFileName)},
               {"tracks", session.database.trackCount()},
               {"chanceCardsSaved", !session.state.chanceCardsDisabled}});
    return kExitOk;
}

Registrar dumpReg{{"", "dump", "[GAMEDIR] [--packs MASK]", dump}};
Registrar resaveReg{{"", "resave", "[GAMEDIR] [--packs MASK]", resave}};

}  // namespace
}  // namespace jf::cli
