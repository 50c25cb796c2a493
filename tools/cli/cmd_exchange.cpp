// export / backup / import / restore: the Career menu's exchange commands on
// a game installation, loaded as the editor loads it and, for import and
// restore, saved as File Save does.
#include <memory>
#include <optional>
#include <string>

#include "Cli.h"
#include "ConsolePrompts.h"
#include "GameLoad.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

std::string cannotLoadGameText(const std::string& folder) {
    return "Cannot load the game in " + folder;
}

// Splits the words and --packs and takes `minWords` to `maxWords` words;
// false after a usage line.
bool parseOptions(const Args& args, std::size_t minWords, std::size_t maxWords,
                  CommandOptions& options) {
    if (!parseCommandOptions(args, true, {}, options)) {
        return false;
    }
    if (options.positional.size() < minWords || options.positional.size() > maxWords) {
        usage();
        return false;
    }
    return true;
}

// A game installation loaded as the editor loads it (for the commands that
// save) or reading only.
class LoadedGame {
public:
    explicit LoadedGame(std::optional<std::uint32_t> packs)
        : document_(systemFileSystem(), settings_), packs_(packs.value_or(kDefaultPacks)) {}

    // Deals with an interrupted save (recovering it when `writes`), then
    // loads. Known packs equal to the installed ones: no expansion-pack
    // question.
    bool load(const std::string& gameDir, bool writes, Prompts& prompts) {
        if (!writes) {
            return loadGameReadOnly(session_, gameDir, packs_, prompts);
        }
        GameInstallation installation;
        installation.gameDataFolder = gameFolderArgument(gameDir);
        installation.installedPacks = packs_;
        installation.knownPacks = packs_;
        return loadGame(session_, installation, true, prompts);
    }
    Document& document() { return document_; }
    EditorSession& session() { return document_.session(); }

private:
    MemorySettingsStore settings_;
    Document document_;
    EditorSession& session_ = document_.session();
    std::uint32_t packs_;
};

bool parsePosition(const std::string& text, std::size_t& position) {
    unsigned long value = 0;
    if (!parseUnsigned(text, value)) {
        return false;
    }
    position = value;
    return true;
}

class FixedChooser : public ReplaceCareerChooser {
public:
    explicit FixedChooser(std::optional<std::size_t> answer) : answer_(answer) {}
    std::optional<std::size_t> chooseTrackToReplace() override {
        asked = true;
        return answer_;
    }
    bool asked = false;

private:
    std::optional<std::size_t> answer_;
};

class SilentObserver : public ImportObserver {
public:
    void trackReplaced(std::size_t) override {}
    void careersRestored() override {}
    void markDirty() override {}
};

int exportCommand(const Args& args) {
    CommandOptions options;
    if (!parseOptions(args, 3, 3, options)) {
        return kExitUsage;
    }
    std::size_t position = 0;
    if (!parsePosition(options.positional[1], position)) {
        return usage();
    }
    ConsolePrompts prompts;
    LoadedGame game(options.packs);
    if (!game.load(options.positional[0], false, prompts)) {
        return fail(cannotLoadGameText(options.positional[0]));
    }
    EditorSession& session = game.session();
    if (position >= session.database.trackCount()) {
        return fail(noSuchTrackText(position, session.database.trackCount()));
    }
    prompts.saveFile = options.positional[2];
    if (exportCareer(session, prompts, position) != ExchangeResult::Succeeded) {
        return kExitFailed;
    }
    const CareerTrack& track = *session.database.track(position);
    printJson({{"file", latin1(options.positional[2])},
               {"position", position},
               {"id", track.id},
               {"internalCareerName", latin1(track.career.internalCareerName)}});
    return kExitOk;
}

int backupCommand(const Args& args) {
    CommandOptions options;
    if (!parseOptions(args, 2, 2, options)) {
        return kExitUsage;
    }
    ConsolePrompts prompts;
    LoadedGame game(options.packs);
    if (!game.load(options.positional[0], false, prompts)) {
        return fail(cannotLoadGameText(options.positional[0]));
    }
    prompts.saveFile = options.positional[1];
    if (backupCareers(game.session(), prompts) != ExchangeResult::Succeeded) {
        return kExitFailed;
    }
    printJson({{"file", latin1(options.positional[1])},
               {"tracks", game.session().database.trackCount()}});
    return kExitOk;
}

// Loads, imports FILE (a single track goes to `position`; a backup's
// question is answered Yes) and saves. Nothing is saved after a failure.
int importAndSave(const CommandOptions& options, std::optional<std::size_t> position,
                  bool backupOnly) {
    const std::string& file = options.positional[1];
    ConsolePrompts prompts;
    LoadedGame game(options.packs);
    if (!game.load(options.positional[0], true, prompts)) {
        return fail(cannotLoadGameText(options.positional[0]));
    }
    EditorSession& session = game.session();
    prompts.openFile = file;
    prompts.questionAnswer = PromptAnswer::Yes;
    FixedChooser chooser(backupOnly ? std::nullopt : position);
    SilentObserver observer;
    const ExchangeResult result = importCareers(game.document(), prompts, chooser, observer);
    prompts.questionAnswer = PromptAnswer::No;
    if (backupOnly && chooser.asked) {
        return fail(file + " holds a single career, not a backup; use import");
    }
    if (result != ExchangeResult::Succeeded) {
        return kExitFailed;
    }
    if (!saveAll(session, prompts)) {
        return kExitFailed;
    }
    nlohmann::json document = {{"file", latin1(file)},
                               {"kind", chooser.asked ? "track" : "backup"}};
    if (chooser.asked && position) {
        document["position"] = *position;
    }
    printJson(document);
    return kExitOk;
}

int importCommand(const Args& args) {
    CommandOptions options;
    if (!parseOptions(args, 2, 3, options)) {
        return kExitUsage;
    }
    // The replace-career choice starts on the first row.
    std::size_t position = 0;
    if (options.positional.size() == 3 && !parsePosition(options.positional[2], position)) {
        return usage();
    }
    return importAndSave(options, position, false);
}

int restoreCommand(const Args& args) {
    CommandOptions options;
    if (!parseOptions(args, 2, 2, options)) {
        return kExitUsage;
    }
    return importAndSave(options, std::nullopt, true);
}

Registrar exportReg{
    {"", "export", "GAMEDIR POSITION OUT [--packs MASK]", exportCommand,
     "Writes one career to a career exchange file, as Career > Export does",
     "Loads the game reading only and writes the track at POSITION (0-based row of\n"
     "the career list; see `dump` for the positions and ids) with its chance cards\n"
     "and icons to OUT. Prints the file, position, id and internal name."}};
Registrar backupReg{{"", "backup", "GAMEDIR OUT [--packs MASK]", backupCommand,
                     "Writes every career to one backup file, as Career > Backup does",
                     "Loads the game reading only and writes all tracks, their chance cards and\n"
                     "icons to OUT. Prints the file and the track count."}};
Registrar importReg{
    {"", "import", "GAMEDIR FILE [POSITION] [--packs MASK]", importCommand,
     "Puts a career file into the game and saves, as Career > Import does",
     "Loads the game, reads the career exchange FILE and lets it replace the track at\n"
     "POSITION (default 0; a backup file restores every track instead), then runs\n"
     "File Save. Nothing is saved when the import fails."}};
Registrar restoreReg{{"", "restore", "GAMEDIR FILE [--packs MASK]", restoreCommand,
                      "Puts a backup back into the game and saves",
                      "Loads the game, restores every track from the backup FILE and runs File\n"
                      "Save. A file holding a single career is refused (use import)."}};

}  // namespace
}  // namespace jf::cli
