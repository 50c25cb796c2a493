// check: what will go wrong or be lost in a game installation, found by the
// installation check on a read-only load.
#include <iostream>

#include "Cli.h"
#include "GameLoad.h"
#include "startup/InstallationCheck.h"

namespace jf::cli {
namespace {

int check(const Args& args) {
    CommandOptions options;
    if (!parseInstallationOptions(args, {"--json"}, options)) {
        return kExitUsage;
    }
    LoadedInstallation loaded;
    if (int code = loadInstallation(gameDirOf(options), options.packs, false, loaded);
        code != kExitOk) {
        return code;
    }
    const std::vector<Finding> findings = checkInstallation(*loaded.session);
    if (options.has("--json")) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const Finding& finding : findings) {
            list.push_back({{"severity", severityName(finding.severity)},
                            {"kind", finding.kind},
                            {"place", finding.place},
                            {"message", finding.message}});
        }
        printOrderedJson(list);
    } else {
        for (const Finding& finding : findings) {
            std::cout << severityName(finding.severity) << ": " << finding.place << ": "
                      << finding.message << '\n';
        }
    }
    return hasErrors(findings) ? kExitFailed : kExitOk;
}

Registrar checkReg{
    {"", "check", "[GAMEDIR] [--packs MASK] [--json]", check,
     "Lists what will go wrong or be lost in the game's careers and cards",
     "Loads the game as `dump` does (reading only) and prints one finding a line:\n"
     "SEVERITY: PLACE: MESSAGE. Tracks are named by position (from 0), #id and\n"
     "internal name; job levels are counted from 1.\n"
     "\n"
     "Errors (exit 1):\n"
     "  sharedCardText        two chance cards share one text entry\n"
     "  cardTextWithoutItems  a card has a text but no items: saving drops the text\n"
     "  cardTextUsedByDialog  a card's text entry is shown by dialog code as well\n"
     "Warnings (exit 0 when there are no errors):\n"
     "  missingTranslation    texts present in US English but empty in a language,\n"
     "                        counted per language\n"
     "  requirementGoesDown   friends or a skill needed goes down from one level to\n"
     "                        the next\n"
     "  missingIcon           a track's icon is missing from a strip\n"
     "  cardsNotLoaded        CarPortal.iff could not be read; cards not checked\n"
     "\n"
     "  --json  a JSON list of {\"severity\", \"kind\", \"place\", \"message\"} instead."}};

}  // namespace
}  // namespace jf::cli
