#include "startup/Startup.h"

#include "startup/LegacyDiscovery.h"

namespace jf {

bool readGameKey(SettingsStore& store, GameInstallation& out) {
    std::unique_ptr<SettingsKey> key = store.openKey(kGameKeyPath);
    if (!key) {
        return false;
    }
    // An absent or unreadable value leaves its field empty; that is no error.
    std::string folder;
    key->readText(kDataFolderValue, folder);
    std::array<std::string, kPackCount> flags;
    for (int i = 0; i < kPackCount; ++i) {
        key->readText(kPackValueNames[i], flags[static_cast<std::size_t>(i)]);
    }
    key.reset();
    out.gameDataFolder = std::move(folder);
    out.packFlags = std::move(flags);
    return true;
}

void readKnownPacks(SettingsStore& store, GameInstallation& out) {
    out.knownPacks = 0;
    if (std::unique_ptr<SettingsKey> own = store.openKey(kOwnKeyPath)) {
        std::uint32_t mask = 0;
        if (own->readDword(kKnownPacksValue, mask)) {
            out.knownPacks = mask;
        }
        return;
    }
    std::unique_ptr<SettingsKey> predecessor = store.openKey(kPredecessorKeyPath);
    if (!predecessor) {
        return;  // first run without a predecessor: nothing is written now
    }
    std::uint32_t mask = 0;
    if (predecessor->readDword(kKnownPacksValue, mask)) {
        out.knownPacks = mask;
        // A failure to create or write is silent: creating failed means the
        // migration is tried again next time; a created key without the value
        // reads as 0 next time and is not migrated again.
        storeKnownPacks(store, mask);
    }
}

std::string normalizeDataFolder(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder;
    }
    return folder + '\\';
}

std::uint32_t computeInstalledPacks(const std::array<std::string, kPackCount>& packFlags) {
    std::uint32_t mask = kBaseGameBit;
    for (int i = 0; i < kPackCount; ++i) {
        if (packFlags[static_cast<std::size_t>(i)] == kPackInstalledText) {
            mask |= packBit(i);
        }
    }
    return mask;
}

namespace {

bool discover(SettingsStore& store, const LegacySearchPlaces* places, GameInstallation& out) {
    GameInstallation found;
    bool legacy = false;
    if (!readGameKey(store, found)) {
        std::string folder;
        if (places == nullptr || !findLegacyInstallation(*places, folder)) {
            out = GameInstallation{};
            return false;
        }
        legacy = true;
        found.gameDataFolder = folder;  // already ends in a separator
        found.packFlags.fill(kPackInstalledText);
    }
    readKnownPacks(store, found);
    if (!legacy) {
        found.registryDataFolder = found.gameDataFolder;
        const std::string native = store.toNativeFolder(normalizeDataFolder(found.gameDataFolder));
        // A folder the store mapped to a POSIX path keeps its slash.
        found.gameDataFolder =
            !native.empty() && native.back() == '/' ? native : normalizeDataFolder(native);
    }
    found.installedPacks = computeInstalledPacks(found.packFlags);
    out = std::move(found);
    return true;
}

}  // namespace

bool discoverInstallation(SettingsStore& store, GameInstallation& out) {
    return discover(store, nullptr, out);
}

bool discoverInstallation(SettingsStore& store, const LegacySearchPlaces& places,
                          GameInstallation& out) {
    return discover(store, &places, out);
}

bool startUp(SettingsStore& store, const LegacySearchPlaces& places, AppState& state) {
    if (!discoverInstallation(store, places, state.installation)) {
        return false;
    }
    state.chanceCardsDisabled = false;
    return true;
}

bool storeKnownPacks(SettingsStore& store, std::uint32_t mask) {
    std::unique_ptr<SettingsKey> own = store.createKey(kOwnKeyPath);
    return own && own->writeDword(kKnownPacksValue, mask);
}

}  // namespace jf
