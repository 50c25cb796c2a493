#pragma once
// This program's own settings file on systems without a registry, kept in
// the user's configuration folder ($XDG_CONFIG_HOME/jobforge3/settings.reg,
// else ~/.config/jobforge3/settings.reg). It holds registry keys in the
// text form of Wine's registry files (see WineRegistry.h) after a header
// line of its own:
//
//   JOBFORGE3 SETTINGS Version 1
//
//   [Software\\Quillmark\\Jobforge 3]
//   "ExpansionPacks"=dword:0000000f
//
// The file is rewritten whole and atomically: a temporary file in the same
// folder is written, flushed to disk and renamed over the old one, so a crash
// leaves either the old or the new settings.

#include <map>
#include <string>

#include "platform/HostEnvironment.h"
#include "platform/SettingsStore.h"

namespace jf {

inline constexpr char kSettingsFileHeader[] = "JOBFORGE3 SETTINGS Version 1";
inline constexpr char kSettingsFolderName[] = "jobforge3";
inline constexpr char kSettingsFileName[] = "settings.reg";
// Larger settings files are not ours: they are not read.
inline constexpr std::size_t kMaxSettingsFileSize = 1024 * 1024;

class XdgSettingsFile {
public:
    explicit XdgSettingsFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // Reads the file. A missing file gives no keys and succeeds; a file that
    // exists but cannot be read (or is too large) fails, leaving no keys.
    // Lines that cannot be understood are skipped.
    bool load();

    // Writes every key atomically, creating the file's folder (and missing
    // parents, mode 0700) when needed. False on failure; the old file is
    // then unchanged.
    bool save() const;

    bool hasKey(const std::string& keyPath) const;
    // The key's values, or nullptr when the key is absent.
    const SettingsValues* key(const std::string& keyPath) const;
    // Adds the key when it is missing.
    void addKey(const std::string& keyPath);
    // Sets a value, adding its key when missing.
    void setValue(const std::string& keyPath, const std::string& name, SettingsValue value);

    // The file's text for the current keys.
    std::string format() const;

private:
    std::string path_;
    // By normalised key path; the spelling first given is kept for writing.
    std::map<std::string, std::pair<std::string, SettingsValues>> keys_;
};

// $XDG_CONFIG_HOME/jobforge3/settings.reg when XDG_CONFIG_HOME is an absolute
// path, else <home>/.config/jobforge3/settings.reg; "" when neither is known.
std::string defaultSettingsFilePath(const Environment& env);

// Writes `bytes` to `path` through a flushed temporary sibling renamed over
// it. False on failure; `path` is then unchanged and the temporary is gone.
bool writeNativeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace jf
