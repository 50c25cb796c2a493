#pragma once
// Everything one run of the editor (or one command of the command-line tool)
// works on, owned in one place and handed around by reference: the container
// table with the career view and the chance-card view, the career database,
// the icon store with the two open icon files, and the installation record
// with chanceCardsDisabled.
//
// Not thread-safe: the loading worker uses it while the progress window is
// up, the interface thread at all other times.

#include <memory>
#include <string>

#include "careers/CareerDatabase.h"
#include "careers/IconStore.h"
#include "document/GameInstallation.h"
#include "iff/IffFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace jf {

class SettingsStore;

// Names of the icon strip files under the interface folder.
inline constexpr const char* kPopupIconName = "cpanel\\Backgrounds\\JobIconMultiPopup.BMP";
inline constexpr const char* kButtonIconName = "cpanel\\Buttons\\JobIconMultiButton.BMP";

struct EditorSession {
    EditorSession(FileSystem& fileSystem, SettingsStore& settingsStore)
        : fs(fileSystem),
          settings(settingsStore),
          table(fileSystem),
          careerView(table),
          cardView(table) {}
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    FileSystem& fs;
    SettingsStore& settings;

    IffFileTable table;
    IffView careerView;  // the career file (Work.iff / Careers.iff / Careers)
    IffView cardView;    // CarPortal.iff

    CareerDatabase database;
    IconStore icons;
    // The two strip files, open from loading until the next reload or the
    // end; Save writes the strips back through their paths.
    std::unique_ptr<File> popupIconFile;
    std::unique_ptr<File> buttonIconFile;
    std::string popupIconPath;
    std::string buttonIconPath;

    AppState state;  // installation record and chanceCardsDisabled
    // "Work.iff" or "Careers.iff" after a successful load.
    std::string careerFileName;
};

}  // namespace jf
