#include "platform/RecentFolders.h"

#include <memory>

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace jf {

const char* recentFolderValueName(FileKind kind) {
    switch (kind) {
        case FileKind::Backups:
            return "Backups";
        case FileKind::Icons:
            return "Icons";
        case FileKind::Translations:
            return "Translations";
        case FileKind::Careers:
            break;
    }
    return "Careers";
}

std::string recentFolder(SettingsStore& store, FileKind kind) {
    std::string folder;
    if (const std::unique_ptr<SettingsKey> key = store.openKey(kRecentFoldersKeyPath)) {
        key->readText(recentFolderValueName(kind), folder);
    }
    return folder;
}

void rememberFolder(SettingsStore& store, FileKind kind, const std::string& chosenPath) {
    const std::string folder = paths::folderOf(chosenPath);
    if (folder.empty() || folder == recentFolder(store, kind)) {
        return;
    }
    if (const std::unique_ptr<SettingsKey> key = store.createKey(kRecentFoldersKeyPath)) {
        key->writeText(recentFolderValueName(kind), folder);
    }
}

}  // namespace jf
