// export / backup / import / restore: the Career menu's exchange commands on
// a game installation, loaded as the editor loads it and, for import and
// restore, saved as File Save does.
#include <memory>
#include <optional>
#include <string>

#include "Cli.h"
#include "ConsolePrompts.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

// The packs the installation is loaded with unless --packs says otherwise:
// the base game only (its chance-card root tree).
constexpr unsigned long kDefaultPacks = 0x01;

std::string cannotLoadGameText(const std::string& folder) {
    return "Cannot load the game in " + folder;
}

struct Options {
    Args positional;
    unsigned long packs = kDefaultPacks;
};

bool parseOptions(const Args& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--packs") {
            if (i + 1 >= args.size() || !parseUnsigned(args[i + 1], options.packs) ||
                options.packs > 0x7F) {
                return false;
            }
            ++i;
        } else {
            options.positional.push_back(args[i]);
        }
    }
    return true;
}

// A game installation loaded as the editor loads it.
class LoadedGame {
public:
    explicit LoadedGame(unsigned long packs)
        : document_(systemFileSystem(), settings_), packs_(static_cast<std::uint32_t>(packs)) {}

    bool load(const std::string& gameDir, Prompts& prompts) {
        const std::string folder = gameFolderArgument(gameDir);
        session_.state.installation.gameDataFolder = folder;
        session_.state.installation.installedPacks = packs_;
        // Known packs equal to the installed ones: no expansion-pack question.
        session_.state.installation.knownPacks = packs_;
        LoadRequest request;
        request.folder = folder;
        runLoader(request, session_, prompts);
        return request.resultCode.load() == LoadResult::Ok;
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
    Options options;
    if (!parseOptions(args, options) || options.positional.size() != 3) {
        return usage();
    }
    std::size_t position = 0;
    if (!parsePosition(options.positional[1], position)) {
        return usage();
    }
    ConsolePrompts prompts;
    LoadedGame game(options.packs);
    if (!prepareGameFolder(gameFolderArgument(options.positional[0]), false, prompts)) {
        return kExitFailed;
    }
    if (!game.load(options.positional[0], prompts)) {
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
    Options options;
    if (!parseOptions(args, options) || options.positional.size() != 2) {
        return usage();
    }
    ConsolePrompts prompts;
    LoadedGame game(options.packs);
    if (!prepareGameFolder(gameFolderArgument(options.positional[0]), false, prompts)) {
        return kExitFailed;
    }
    if (!game.load(options.positional[0], prompts)) {
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
int importAndSave(const Options& options, std::optional<std::size_t> position, bool backupOnly) {
    const std::string& file = options.positional[1];
    ConsolePrompts prompts;
    LoadedGame game(options.packs);
    if (!prepareGameFolder(gameFolderArgument(options.positional[0]), true, prompts)) {
        return kExitFailed;
    }
    if (!game.load(options.positional[0], prompts)) {
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
    Options options;
    if (!parseOptions(args, options) || options.positional.size() < 2 ||
        options.positional.size() > 3) {
        return usage();
    }
    // The replace-career choice starts on the first row.
    std::size_t position = 0;
    if (options.positional.size() == 3 && !parsePosition(options.positional[2], position)) {
        return usage();
    }
    return importAndSave(options, position, false);
}

int restoreCommand(const Args& args) {
    Options options;
    if (!parseOptions(args, options) || options.positional.size() != 2) {
        return usage();
    }
    return importAndSave(options, std::nullopt, true);
}

Registrar exportReg{{"", "export", "GAMEDIR POSITION OUT [--packs MASK]", exportCommand}};
Registrar backupReg{{"", "backup", "GAMEDIR OUT [--packs MASK]", backupCommand}};
Registrar importReg{{"", "import", "GAMEDIR FILE [POSITION] [--packs MASK]", importCommand}};
Registrar restoreReg{{"", "restore", "GAMEDIR FILE [--packs MASK]", restoreCommand}};

}  // namespace
}  // namespace jf::cli
