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
    document["installedPacks"] = installation.installedPacks;
    document["knownPacks"] = installation.knownPacks;
    jf::cli::printJson(document);
    return jf::cli::kExitOk;
}

jf::cli::Registrar reg{{"", "info", "", info}};

}  // namespace
