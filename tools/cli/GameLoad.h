#pragma once
// Loading the game for a command: the editor's loading sequence with a
// console in place of the progress window, either as the editor loads (for
// commands that save) or reading only (for every command that only shows or
// checks: nothing in the game folder is created or changed, the icon strips
// are read from the archive into memory when they are not loose files).

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Cli.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "document/GameInstallation.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"

namespace jf::cli {

// A Prompts that prints the status texts and every message on stderr and
// answers every question No, so that nothing is deleted; the last error
// message (the loader's fatal one) is kept instead, to be printed once as
// the command's failure line.
class ConsoleHost final : public Prompts {
public:
    std::optional<std::string> lastError;

    PromptAnswer show(const PromptMessage& message) override;
    void status(const std::string& text) override;
    std::optional<std::string> chooseOpenFile(const FileChoice&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const FileChoice&) override { return std::nullopt; }

private:
    std::mutex mutex_;
};

// Loads `installation` into `session` (made on the system file system):
// first deals with an interrupted save in its folder (prepareGameFolder,
// recovering it only when `writes`), then runs the loading sequence, as the
// editor does when `writes`, else reading only (LoadRequest::readOnly).
// True after a complete load; false after a failure, whose message went
// through `prompts` (or was printed by prepareGameFolder).
bool loadGame(EditorSession& session, const GameInstallation& installation, bool writes,
              Prompts& prompts);

// The read-only load of GAMEDIR as a command gets it: the folder as given
// (gameFolderArgument), `packs` as the installed and the known packs (no
// expansion-pack question). Nothing in the folder is created or changed.
bool loadGameReadOnly(EditorSession& session, const std::string& gameDir, std::uint32_t packs,
                      Prompts& prompts);

// A document over a game a command loaded; its program settings live in
// memory only.
struct LoadedDocument {
    MemorySettingsStore settings;
    Document document;
    LoadedDocument();
};

// GAMEDIR (as given, gameFolderArgument) with `packs` as the installed and
// the known packs (no expansion-pack question), loaded into a new document:
// as the editor loads when the command `writes`, else reading only (nothing
// in the folder is created or changed). nullptr after a failure, its line
// printed.
std::unique_ptr<LoadedDocument> loadDocument(const std::string& gameDir, std::uint32_t packs,
                                             bool writes, Prompts& prompts);

// An installation loaded by loadInstallation, with what it was loaded
// through: the program's settings are read but never written.
struct LoadedInstallation {
    std::unique_ptr<SettingsStore> systemStore;
    std::unique_ptr<SettingsStore> store;  // systemStore, read-only
    std::unique_ptr<EditorSession> session;
    ConsoleHost host;
};

// Finds the installation in GAMEDIR (`gameDir`; base game only, known packs
// from the settings) or, without it, as the editor does; `packs` replaces
// the installed packs. Then loadGame. Returns kExitOk or the exit code of the
// failure, its line printed.
int loadInstallation(const std::optional<std::string>& gameDir, std::optional<std::uint32_t> packs,
                     bool writes, LoadedInstallation& loaded);

// The arguments of a command on an installation: [GAMEDIR] [--packs MASK]
// and the flags in `allowedFlags`. False after a usage line was printed.
bool parseInstallationOptions(const Args& args, const std::vector<std::string>& allowedFlags,
                              CommandOptions& options);
// GAMEDIR of such options, nullopt when left out.
std::optional<std::string> gameDirOf(const CommandOptions& options);

}  // namespace jf::cli
