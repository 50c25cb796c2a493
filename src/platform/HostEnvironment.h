#pragma once
// The parts of the host that installation discovery looks at beyond the
// settings store: environment variables, the user's home folder, a few
// read-only folder probes, and the places where the game may be installed
// without a registry key (the Legacy Collection from Steam or the EA app).
//
// Paths here are native paths of the host. No operation throws.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace jf {

class Environment {
public:
    virtual ~Environment() = default;
    // True and the value when the variable is set.
    virtual bool variable(const std::string& name, std::string& value) const = 0;
};

// The process environment (lives for the whole program).
const Environment& systemEnvironment();

// A fixed set of variables, for tests.
class MapEnvironment final : public Environment {
public:
    MapEnvironment() = default;
    explicit MapEnvironment(std::map<std::string, std::string> variables)
        : variables_(std::move(variables)) {}
    void set(const std::string& name, const std::string& value) { variables_[name] = value; }
    bool variable(const std::string& name, std::string& value) const override;

private:
    std::map<std::string, std::string> variables_;
};

// The user's home folder: HOME (USERPROFILE on Windows); "" when unset or empty.
std::string homeFolder(const Environment& env);

// Where to look for a Legacy Collection installation.
struct LegacySearchPlaces {
    // Steam installation folders; each has "steamapps" with
    // "libraryfolders.vdf" listing the Steam libraries.
    std::vector<std::string> steamRoots;
    // Folders that are themselves candidate installations (the EA app's).
    std::vector<std::string> gameFolders;
};

// The places of this host: on Windows the Steam folders named in the
// registry (HKCU\Software\Valve\Steam "SteamPath", HKLM\SOFTWARE\Valve\Steam
// "InstallPath" in the 32-bit view) and the EA app's default folder; on other
// systems ~/.steam/steam, ~/.local/share/Steam (or $XDG_DATA_HOME/Steam) and
// the Flatpak Steam folder.
LegacySearchPlaces legacySearchPlaces(const Environment& env);

namespace hostfs {
// The native separator ('\' on Windows, '/' elsewhere).
char separator();
// folder + separator + name (no separator doubled).
std::string join(const std::string& folder, const std::string& name);
// The path of the entry of `folder` named `name` ignoring ASCII letter case
// (an exact match wins); "" when there is none or the folder cannot be read.
std::string findEntry(const std::string& folder, const std::string& name);
bool isFolder(const std::string& path);
// Reads a whole regular file of at most maxBytes bytes. False when it is
// missing, unreadable, not a regular file or larger; `bytes` is then empty.
bool readFile(const std::string& path, std::size_t maxBytes, std::string& bytes);
// The canonical form of a path when it can be formed, else the path itself.
std::string canonical(const std::string& path);
}  // namespace hostfs

}  // namespace jf
