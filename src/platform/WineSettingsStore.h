#pragma once
// The settings store on systems without a registry, where the game lives in
// a Wine prefix.
//
// Reading a key: this program's settings file first (XdgSettingsFile.h),
// then the prefix's system.reg (HKEY_LOCAL_MACHINE), where a path below
// "Software\" is looked for in the 32-bit view "Software\Wow6432Node\..."
// before the path itself. Keys are read when opened; an open key holds a
// snapshot of its values.
//
// Writing: only into the settings file; the prefix's own registry files are
// never written. Creating a key saves the file at once (so the key exists
// even when no value follows), and every write saves it again.

#include <memory>
#include <string>

#include "platform/HostEnvironment.h"
#include "platform/SettingsStore.h"

namespace jf {

inline constexpr char kWineSystemRegistryName[] = "system.reg";

class WineSettingsStore final : public SettingsStore {
public:
    // `prefix`: the Wine prefix folder (holding system.reg and dosdevices);
    // `settingsFile`: the path of this program's settings file. Neither has
    // to exist.
    WineSettingsStore(std::string prefix, std::string settingsFile);

    std::unique_ptr<SettingsKey> openKey(const std::string& path) override;
    std::unique_ptr<SettingsKey> createKey(const std::string& path) override;
    // Maps "C:\..." through the prefix's dosdevices links (wine::nativePath)
    // to a path of this system: slashes only, each part spelt as on disk
    // (found ignoring letter case), ending in a slash. A folder no drive
    // link maps comes back unchanged.
    std::string toNativeFolder(const std::string& folder) const override;

    const std::string& prefix() const { return prefix_; }
    const std::string& settingsFile() const { return settingsFile_; }

private:
    std::string prefix_;
    std::string settingsFile_;
};

// $WINEPREFIX when set and not empty, else <home>/.wine ("" when unknown).
std::string defaultWinePrefix(const Environment& env);

// A store on the default prefix and the default settings file of `env`.
std::unique_ptr<SettingsStore> createWineSettingsStore(const Environment& env);

}  // namespace jf
