#pragma once
// Start-up: finding the game's installation and the settings of the previous
// run, and releasing the game files at the end of the run.
//
// Everything here goes through a SettingsStore, so the logic runs the same
// against the Windows registry, a Wine prefix or an in-memory store. Nothing
// here shows a message: the caller shows kRegistryErrorText with caption
// kErrorCaption (error icon, no owner window) when discovery fails,
// and then ends the program without opening the main window.

#include <array>
#include <cstdint>
#include <string>

#include "document/GameInstallation.h"
#include "platform/HostEnvironment.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"

namespace jf {

class IffView;

// The game's key (read only), this program's own key and its predecessor's.
inline constexpr char kGameKeyPath[] = "Software\\Maxis\\The Sims";
inline constexpr char kOwnKeyPath[] = "Software\\Quillmark\\Jobforge 3";
inline constexpr char kPredecessorKeyPath[] = "Software\\Quillmark\\Jobforge 2";

inline constexpr char kDataFolderValue[] = "SIMS_DATA";
inline constexpr const char* kPackValueNames[kPackCount] = {
    "EPInstalled", "EP2Installed", "EP3Installed", "EP4Installed", "EP5Installed", "EP6Installed"};
inline constexpr char kKnownPacksValue[] = "ExpansionPacks";
// The exact text a pack value must hold for its pack to count as installed.
inline constexpr char kPackInstalledText[] = "1";

inline constexpr char kRegistryErrorText[] = "Can't load SIMS registry info!";

// Reads the game's key: "SIMS_DATA" into gameDataFolder and the six pack
// values into packFlags, each left empty when absent or unreadable. False
// when the key cannot be opened; `out` is then unchanged.
bool readGameKey(SettingsStore& store, GameInstallation& out);

// Sets out.knownPacks from the own key, or, when the own key cannot be
// opened, from the predecessor's key; a value taken from the predecessor is
// written into a newly created own key (failures there are silent). The
// predecessor's key is never changed. knownPacks is 0 when nothing is stored.
void readKnownPacks(SettingsStore& store, GameInstallation& out);

// Appends a backslash unless the folder already ends in one ("" -> "\").
std::string normalizeDataFolder(const std::string& folder);

// kBaseGameBit plus the bit of every pack whose flag is exactly "1".
std::uint32_t computeInstalledPacks(const std::array<std::string, kPackCount>& packFlags);

// Fills `out` from the game's key and the own key: read the game key, read
// the known packs (migrating them once from the predecessor), keep the data
// folder as read in registryDataFolder, normalise it and map it through
// store.toNativeFolder (a path of this system, ending in its separator: a
// backslash on Windows, a slash for a folder a Wine prefix maps) and compute
// installedPacks. False when the game's key cannot be
// opened: `out` is then reset to an empty record and nothing was written.
bool discoverInstallation(SettingsStore& store, GameInstallation& out);

// As above, but when the game's key is missing, looks for a Legacy
// Collection installation (which writes no key) in `places` before giving up.
// A Legacy installation has every pack flag "1", installedPacks 0x7F and its
// folder, ending in a path separator, as gameDataFolder; the known packs are
// read from the own key as usual. False only when neither is found.
bool discoverInstallation(SettingsStore& store, const LegacySearchPlaces& places,
                          GameInstallation& out);

// The start-up steps before the main window opens: discovery as above into
// state.installation, then chanceCardsDisabled cleared. False when the game
// could not be found (state.installation is then empty).
bool startUp(SettingsStore& store, const LegacySearchPlaces& places, AppState& state);

// Stores `mask` as the own key's "ExpansionPacks" (a 4-byte REG_DWORD),
// creating the key when needed. False when the key cannot be created or the
// value not written.
bool storeKnownPacks(SettingsStore& store, std::uint32_t mask);

// The end of the run, after the main window has closed: resets the career
// view and the chance-card view so that their containers and files are
// released. Returns false, the value the start-up entry returns so that no
// message loop follows.
bool finishRun(IffView& careerView, IffView& cardView);

}  // namespace jf
