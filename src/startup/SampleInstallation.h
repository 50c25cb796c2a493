#pragma once
// A complete synthetic installation of the game, for trying the editor and
// the command line without the game, and for tests and benchmarks. Every
// name, text, number and picture in it is invented here.
//
// The game folder holds:
//   ExpansionShared\Work.iff        kSampleTrackCount career tracks of ten
//                                   levels, every text in all twenty
//                                   languages in their code pages, and the
//                                   job-name copy of each track
//   GameData\Objects\CarPortal.iff  the global options, the global texts
//                                   (the built-in defaults, more game texts
//                                   and the card texts), dialog trees that
//                                   refer to the game texts, and card trees
//                                   generated from a few cards per track
//   UIGraphics\UIGraphics.far       both icon strips (a distinct picture per
//                                   track) and no loose bitmap, so that the
//                                   first load extracts them

#include <cstdint>
#include <string>
#include <vector>

namespace jf {

class FileSystem;

// The game's data folder as the sample's registry names it.
inline constexpr char kSampleGameFolder[] = "C:\\Program Files\\Maxis\\The Sims\\";
// Expansion packs 1 to 3 installed.
inline constexpr std::uint32_t kSampleInstalledPacks = 0x0F;
inline constexpr std::size_t kSampleTrackCount = 14;
inline constexpr char kSampleArchiveName[] = "UIGraphics.far";

// The track ids of the sample, ascending (with gaps, as in the game).
std::vector<std::uint16_t> sampleTrackIds();

// Writes the game's files under `gameFolder` (a core path ending in a
// separator) through `fs`, creating the folders on the way. The card trees
// are generated for `installedPacks` (which chooses the root tree). False at
// the first failure; files written until then stay.
bool writeSampleGameFiles(FileSystem& fs, const std::string& gameFolder,
                          std::uint32_t installedPacks = kSampleInstalledPacks);

// The text of the sample's system.reg: the game's key with "SIMS_DATA" =
// kSampleGameFolder and "EPInstalled" .. "EP3Installed" = "1".
std::string sampleSystemRegistry();

// Makes a Wine-prefix-shaped folder at `prefix` (a native path, created when
// missing): system.reg, dosdevices/c: linked to ../drive_c (not on Windows,
// where no file may be named "c:"), and the game's files under
// drive_c/Program Files/Maxis/The Sims/. `gameFolder` (when not
// null) receives the game's data folder as a native path ending in '/'.
// False on failure; what was made until then stays.
bool makeSampleInstallation(const std::string& prefix, std::string* gameFolder = nullptr);

}  // namespace jf
