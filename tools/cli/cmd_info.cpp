// info: the game installation as start-up finds it.
#include "Cli.h"
#include "platform/HostEnvironment.h"
#include "platform/SettingsStore.h"
#include "startup/Startup.h"

namespace {

int info(const jf::cli::Args& args) {
    if (!args.empty()) {
        return jf::cli::usage();
    }
    std::unique_ptr<jf::SettingsStore> store = jf::createSystemSettingsStore();
    jf::GameInstallation installation;
    if (!jf::discoverInstallation(*store, jf::legacySearchPlaces(jf::systemEnvironment()),
                                  installation)) {
        return jf::cli::fail(jf::kRegistryErrorText);
    }
    nlohmann::json document = nlohmann::json::object();
    document["gameDataFolder"] = jf::cli::latin1(installation.gameDataFolder);
    if (!installation.registryDataFolder.empty()) {
        document["registryGameDataFolder"] = jf::cli::latin1(installation.registryDataFolder);
    }
    document["installedPacks"] = installation.installedPacks;
    document["knownPacks"] = installation.knownPacks;
    jf::cli::printJson(document);
    return jf::cli::kExitOk;
}

jf::cli::Registrar reg{{"", "info", "", info,
                        "Shows where the game is installed and which packs it has",
                        "Finds the installation as the editor does: the game's registry key\n"
                        "(on Linux in the Wine prefix of WINEPREFIX, else ~/.wine), else a Legacy\n"
                        "Collection under Steam. Prints \"gameDataFolder\" (a path of this\n"
                        "system), \"registryGameDataFolder\" (the registry's own spelling, when\n"
                        "there is a key), \"installedPacks\" and \"knownPacks\" (see --packs\n"
                        "in `help`). Nothing is read from or written to the game folder."}};

}  // namespace
