// dump / resave: the editor's whole loading sequence (and File Save) on a
// game installation, with a console in place of the progress window.
//
// The console host prints the status texts and every message on stderr and
// answers every question No, so that nothing is deleted. The program's own
// settings are never written: the settings store is wrapped read-only, so
// the known-pack migration fails silently there. dump only reads: nothing in
// the game folder is created or changed.
#include "CareerJson.h"
#include "Cli.h"
#include "GameLoad.h"
#include "careers/CareerDatabase.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

nlohmann::json stripSize(const Bitmap& strip) {
    return {{"width", strip.width()}, {"height", strip.height()}};
}

int dump(const Args& args) {
    CommandOptions options;
    if (!parseInstallationOptions(args, {"--utf8"}, options)) {
        return kExitUsage;
    }
    const TextForm form = options.has("--utf8") ? TextForm::Decoded : TextForm::Latin1;
    LoadedInstallation loaded;
    if (int code = loadInstallation(gameDirOf(options), options.packs, false, loaded);
        code != kExitOk) {
        return code;
    }
    const EditorSession& session = *loaded.session;
    const CareerDatabase& database = session.database;
    nlohmann::json tracks = nlohmann::json::array();
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        const CareerTrack& track = *database.track(p);
        nlohmann::json entry = trackJson(track, form);
        entry["cards"] = trackCardsJson(track);
        tracks.push_back(std::move(entry));
    }
    printJson({{"careerFile", latin1(session.careerFileName)},
               {"chanceCardsDisabled", session.state.chanceCardsDisabled},
               {"tracks", tracks},
               {"options", optionsJson(database)},
               {"globalTexts", globalTextsJson(database, form)},
               {"freeEntries", freeEntriesJson(database)},
               {"icons",
                {{"popup", stripSize(session.icons.popupStrip())},
                 {"button", stripSize(session.icons.buttonStrip())}}}});
    return kExitOk;
}

int resave(const Args& args) {
    CommandOptions options;
    if (!parseInstallationOptions(args, {}, options)) {
        return kExitUsage;
    }
    LoadedInstallation loaded;
    if (int code = loadInstallation(gameDirOf(options), options.packs, true, loaded);
        code != kExitOk) {
        return code;
    }
    EditorSession& session = *loaded.session;
    if (!saveAll(session, loaded.host)) {
        return fail(loaded.host.lastError.value_or("Saving failed."));
    }
    session.buttonIconFile.reset();
    session.popupIconFile.reset();
    printJson({{"careerFile", latin1(session.careerFileName)},
               {"tracks", session.database.trackCount()},
               {"chanceCardsSaved", !session.state.chanceCardsDisabled}});
    return kExitOk;
}

Registrar dumpReg{{"", "dump", "[GAMEDIR] [--packs MASK] [--utf8]", dump,
                   "Shows everything the editor loads from the game, as JSON",
                   "Loads the game as the editor does, reading only: nothing in the game folder\n"
                   "is created or changed (icon strips found only in the archive are read from\n"
                   "it). Prints one JSON document: the career file's name, every track in\n"
                   "POSITION order (\"position\", \"id\", \"internalCareerName\", the job levels'\n"
                   "21 values and 5 texts, \"strings\": 33 entries of 20 language texts, and the\n"
                   "ten chance cards as [kind, mode, value] items), the global options, the\n"
                   "global texts, the text entries free for cards and the icon strip sizes.\n"
                   "Status lines and messages go to stderr.\n"
                   "\n"
                   "  --utf8  every language text decoded with its language's code page (Hebrew,\n"
                   "          Russian, Japanese... readable), internal names as Windows-1252.\n"
                   "          Without it every byte is shown as the Latin-1 character of its\n"
                   "          value, as always."}};
Registrar resaveReg{{"", "resave", "[GAMEDIR] [--packs MASK]", resave,
                     "Loads the game and saves it unchanged, as File Save does",
                     "Loads the game as the editor does and runs File Save: the career file,\n"
                     "CarPortal.iff and both icon strips are written anew (all four or none;\n"
                     "an interrupted save is finished first). Prints the career file, the track\n"
                     "count and whether the chance cards were saved."}};

}  // namespace
}  // namespace jf::cli
