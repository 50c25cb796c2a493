#pragma once
// The folder each kind of file was last chosen in, so that the next file
// dialog for that kind starts there: one text value per kind in the
// program's own settings (kRecentFoldersKeyPath). Folders are core paths
// ending in a separator, as paths::folderOf gives them.
//
// Nothing here shows a message: a store that cannot be read or written only
// means the dialog starts in the user's documents folder.

#include <string>

namespace jf {

class SettingsStore;

enum class FileKind {
    Careers,       // single careers (.car) and careers of the predecessor (.iff)
    Backups,       // backups of every career (.cbk)
    Icons,         // icon pictures (.bmp)
    Translations,  // translation files (.po)
};

inline constexpr char kRecentFoldersKeyPath[] = "Software\\Quillmark\\Jobforge 3\\Folders";

// The value holding a kind's folder: "Careers", "Backups", "Icons",
// "Translations".
const char* recentFolderValueName(FileKind kind);

// The folder last remembered for the kind; "" when there is none (a file
// dialog then starts in the user's documents folder).
std::string recentFolder(SettingsStore& store, FileKind kind);

// Remembers the folder of `chosenPath`, a file just chosen for the kind. A
// path without a folder is not remembered.
void rememberFolder(SettingsStore& store, FileKind kind, const std::string& chosenPath);

}  // namespace jf
