#pragma once
// Finding The Sims Legacy Collection, which writes no registry key but keeps
// the game's data layout (GameData, ExpansionShared, UIGraphics) with every
// expansion pack, in the Steam libraries or in the EA app's folder.

#include <string>
#include <vector>

#include "platform/HostEnvironment.h"

namespace jf {

inline constexpr char kLegacySteamAppId[] = "3314060";
// The largest Steam key-value file read; bigger ones are ignored.
inline constexpr std::size_t kMaxSteamFileSize = 4 * 1024 * 1024;

// True when `folder` holds a "GameData" folder (any letter case).
bool isGameFolder(const std::string& folder);

// The Steam libraries of a Steam installation: the root itself, then every
// library "path" listed in its steamapps\libraryfolders.vdf (also the older
// form where numbered keys hold the path directly), without repeats.
std::vector<std::string> steamLibraries(const std::string& steamRoot);

// The Legacy Collection's folder in one Steam library, from its
// steamapps\appmanifest_3314060.acf "installdir" and steamapps\common; ""
// when the manifest is missing, names an unusable folder (empty, a path, "."
// or "..") or the folder is no game folder.
std::string legacyFolderInLibrary(const std::string& library);

// Searches the Steam libraries of every root, then the candidate folders, and
// takes the first game folder found. On success `folder` is that folder
// ending in the native separator; on failure it is unchanged.
bool findLegacyInstallation(const LegacySearchPlaces& places, std::string& folder);

}  // namespace jf
