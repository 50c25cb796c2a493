#pragma once
// What start-up learns about the game's installation, and the process-wide
// state that start-up initialises.

#include <array>
#include <cstdint>
#include <string>

namespace jf {

// Number of expansion packs the game's key reports on.
inline constexpr int kPackCount = 6;

// installedPacks / knownPacks bits.
inline constexpr std::uint32_t kBaseGameBit = 0x01;
// Bit of expansion pack i (0 for "EPInstalled" .. 5 for "EP6Installed").
inline constexpr std::uint32_t packBit(int pack) {
    return 0x02u << pack;
}
// Every bit installedPacks can hold: the base game and all six packs.
inline constexpr std::uint32_t kAllPacksMask = 0x7F;

struct GameInstallation {
    // The game's data folder ("SIMS_DATA"); after discovery it always ends in
    // a backslash (or, for a folder found on POSIX outside a Wine prefix, in
    // a slash).
    std::string gameDataFolder;
    // "SIMS_DATA" as the game's key spells it (a Windows path); empty for an
    // installation found without a key. gameDataFolder is this folder as a
    // path of the running system.
    std::string registryDataFolder;
    // "EPInstalled" .. "EP6Installed" in that order; empty when absent.
    std::array<std::string, kPackCount> packFlags;
    // Base game bit plus one bit per pack whose flag is exactly "1".
    std::uint32_t installedPacks = 0;
    // "ExpansionPacks" as stored at the previous run; 0 when none is stored.
    std::uint32_t knownPacks = 0;
};

// The run-wide state filled by start-up and read by loading, the chance card
// code and the main window (one instance per run, held by the editor's
// session). `chanceCardsDisabled` lives here beside the installation record:
// start-up clears it, loading sets and clears it.
struct AppState {
    GameInstallation installation;
    bool chanceCardsDisabled = false;
};

}  // namespace jf
