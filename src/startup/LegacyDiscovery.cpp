#include "startup/LegacyDiscovery.h"

#include <algorithm>

#include "startup/ValveKeyValues.h"

namespace jf {

namespace {

bool isDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string withSeparator(const std::string& folder) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == hostfs::separator())) {
        return folder;
    }
    return folder + hostfs::separator();
}

std::string steamAppsOf(const std::string& folder) {
    std::string steamApps = hostfs::findEntry(folder, "steamapps");
    return hostfs::isFolder(steamApps) ? steamApps : std::string();
}

void addUnique(std::vector<std::string>& list, std::vector<std::string>& seen,
               const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::string key = hostfs::canonical(path);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
        return;
    }
    seen.push_back(key);
    list.push_back(path);
}

}  // namespace

bool isGameFolder(const std::string& folder) {
    return !folder.empty() && hostfs::isFolder(hostfs::findEntry(folder, "GameData"));
}

std::vector<std::string> steamLibraries(const std::string& steamRoot) {
    std::vector<std::string> libraries;
    std::vector<std::string> seen;
    if (!hostfs::isFolder(steamRoot)) {
        return libraries;
    }
    addUnique(libraries, seen, steamRoot);
    std::string steamApps = steamAppsOf(steamRoot);
    std::string text;
    if (steamApps.empty() || !hostfs::readFile(hostfs::findEntry(steamApps, "libraryfolders.vdf"),
                                               kMaxSteamFileSize, text)) {
        return libraries;
    }
    KeyValueNode root = parseKeyValues(text);
    const KeyValueNode* list = root.child("libraryfolders");
    if (list == nullptr || !list->isBlock) {
        return libraries;
    }
    for (const KeyValueNode& entry : list->children) {
        if (!isDigits(entry.key)) {
            continue;  // "contentstatsid", "TimeNextStatsReport", ...
        }
        std::string path;
        if (entry.isBlock) {
            if (const KeyValueNode* p = entry.child("path"); p != nullptr && !p->isBlock) {
                path = p->value;
            }
        } else {
            path = entry.value;  // the older form: "1" "D:\\SteamLibrary"
        }
        if (hostfs::isFolder(path)) {
            addUnique(libraries, seen, path);
        }
    }
    return libraries;
}

std::string legacyFolderInLibrary(const std::string& library) {
    std::string steamApps = steamAppsOf(library);
    if (steamApps.empty()) {
        return {};
    }
    std::string manifestName = std::string("appmanifest_") + kLegacySteamAppId + ".acf";
    std::string text;
    if (!hostfs::readFile(hostfs::findEntry(steamApps, manifestName), kMaxSteamFileSize, text)) {
        return {};
    }
    KeyValueNode root = parseKeyValues(text);
    const KeyValueNode* app = root.child("AppState");
    const KeyValueNode* dir = app != nullptr ? app->child("installdir") : nullptr;
    if (dir == nullptr || dir->isBlock) {
        return {};
    }
    // The install folder is a single name below steamapps\common; anything
    // that could lead elsewhere is refused.
    const std::string& name = dir->value;
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\:") != std::string::npos || name.find('\0') != std::string::npos) {
        return {};
    }
    std::string common = hostfs::findEntry(steamApps, "common");
    std::string folder = common.empty() ? std::string() : hostfs::findEntry(common, name);
    return isGameFolder(folder) ? folder : std::string();
}

bool findLegacyInstallation(const LegacySearchPlaces& places, std::string& folder) {
    std::vector<std::string> seen;
    for (const std::string& root : places.steamRoots) {
        for (const std::string& library : steamLibraries(root)) {
            std::string key = hostfs::canonical(library);
            if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
                continue;  // ~/.steam/steam is usually a link to another root
            }
            seen.push_back(key);
            std::string found = legacyFolderInLibrary(library);
            if (!found.empty()) {
                folder = withSeparator(found);
                return true;
            }
        }
    }
    for (const std::string& candidate : places.gameFolders) {
        if (isGameFolder(candidate)) {
            folder = withSeparator(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace jf
