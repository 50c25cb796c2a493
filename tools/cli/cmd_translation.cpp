// export-po / import-po: the career texts of one language as a gettext PO
// file for translators, and such a file read back and saved as File Save
// does (exchange/Translation.h holds the format and the rules).
#include <iostream>
#include <memory>
#include <string>

#include "Cli.h"
#include "ConsolePrompts.h"
#include "GameLoad.h"
#include "document/Document.h"
#include "exchange/Translation.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

// The packs the installation is loaded with unless --packs says otherwise:
// the base game only, as the exchange commands do.
constexpr unsigned long kDefaultPacks = 0x01;
constexpr unsigned long kMaxPacks = 0x7F;

struct Options {
    Args positional;
    unsigned long packs = kDefaultPacks;
    std::string language;  // --language (import-po only)
};

bool parseOptions(const Args& args, Options& options, bool takesLanguage) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool last = i + 1 >= args.size();
        if (args[i] == "--packs") {
            if (last || !parseUnsigned(args[i + 1], options.packs) || options.packs > kMaxPacks) {
                return false;
            }
            ++i;
        } else if (args[i] == "--language" && takesLanguage) {
            if (last) {
                return false;
            }
            options.language = args[++i];
        } else if (args[i].starts_with("--")) {
            return false;
        } else {
            options.positional.push_back(args[i]);
        }
    }
    return true;
}

int exportPo(const Args& args) {
    Options options;
    if (!parseOptions(args, options, false) || options.positional.size() != 3) {
        return usage();
    }
    const std::optional<int> language = languageSlotFromName(options.positional[1]);
    if (!language) {
        std::cerr << "unknown language '" << options.positional[1] << "'\n";
        return usage();
    }
    ConsolePrompts prompts;
    const std::unique_ptr<LoadedDocument> game = loadDocument(
        options.positional[0], static_cast<std::uint32_t>(options.packs), false, prompts);
    if (!game) {
        return kExitFailed;
    }
    const PoFile file = translationFile(game->document, *language);
    const std::string text = writePoFile(file);
    const std::string& out = options.positional[2];
    if (!writeFileAtomically(systemFileSystem(), out,
                             reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) {
        return fail(cannotWriteText(out));
    }
    std::size_t translated = 0;
    for (const PoEntry& entry : file.entries) {
        translated += entry.translation.empty() ? 0 : 1;
    }
    printOrderedJson({{"file", latin1(out)},
                      {"language", languageNameForSlot(*language)},
                      {"code", gettextLanguageCode(*language)},
                      {"entries", file.entries.size()},
                      {"translated", translated}});
    return kExitOk;
}

// Prints each problem on stderr and fails with a line naming the file.
int failWithProblems(const std::string& path, const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) {
        std::cerr << path << ": " << problem << '\n';
    }
    return fail(path + ": nothing imported, nothing saved (" + std::to_string(problems.size()) +
                (problems.size() == 1 ? " problem)" : " problems)"));
}

int importPo(const Args& args) {
    Options options;
    if (!parseOptions(args, options, true) || options.positional.size() != 2) {
        return usage();
    }
    if (!options.language.empty() && !languageSlotFromName(options.language)) {
        std::cerr << "unknown language '" << options.language << "'\n";
        return usage();
    }
    const std::string& path = options.positional[1];
    ConsolePrompts prompts;
    const std::unique_ptr<LoadedDocument> game = loadDocument(
        options.positional[0], static_cast<std::uint32_t>(options.packs), true, prompts);
    if (!game) {
        return kExitFailed;
    }
    Document& document = game->document;
    const std::optional<std::string> text = readTextFile(document, path);
    if (!text) {
        return fail(cannotReadText(path));
    }
    std::vector<std::string> problems;
    const std::optional<PoFile> file = parsePoFile(*text, problems);
    if (!file) {
        return failWithProblems(path, problems);
    }
    std::string problem;
    const std::optional<int> language = translationLanguage(*file, options.language, problem);
    if (!language) {
        return failWithProblems(path, {problem});
    }
    const TranslationPlan plan = planTranslation(document, *file, *language);
    if (!plan.problems.empty()) {
        return failWithProblems(path, plan.problems);
    }
    const EditResult result = applyTranslation(document, plan);
    if (result.refused()) {
        return fail(result.message);
    }
    if (result.applied() && !saveAll(document.session(), prompts)) {
        return kExitFailed;
    }
    printOrderedJson({{"file", latin1(path)},
                      {"language", languageNameForSlot(*language)},
                      {"applied", plan.changes.size()},
                      {"unchanged", plan.unchanged},
                      {"untranslated", plan.untranslated},
                      {"fuzzySkipped", plan.fuzzy},
                      {"pluralSkipped", plan.plural},
                      {"saved", result.applied()}});
    return kExitOk;
}

constexpr char kLanguageHelp[] =
    "LANGUAGE is a name of the Language menu in any letter case (French, \"simplified "
    "chinese\") or its slot number 0..19.\n";
constexpr char kPacksHelp[] =
    "--packs MASK  the expansion packs to load the chance cards for, 0 to 127 (default 1, the "
    "base game).\n";
constexpr char kContextHelp[] =
    "Each entry's msgctxt names its text: \"track 3 (id 12) job 5 maleJobName\", \"track 3 (id "
    "12) careerName\", \"global carPoolName\"; see docs/translations.md.\n";

Registrar exportPoReg{
    {"", "export-po", "GAMEDIR LANGUAGE OUT.po [--packs MASK]", exportPo,
     "Writes one language's career texts as a gettext translation file",
     std::string("Writes every text a translator works on (career names, offers, job names and "
                 "descriptions, chance card texts, the global texts) to OUT.po: msgid the US "
                 "English text, msgstr the text in LANGUAGE (empty when it has none). Reads the "
                 "game and changes nothing there.\n") +
         kLanguageHelp + kContextHelp + kPacksHelp +
         "Prints {file, language, code, entries, translated}."}};
Registrar importPoReg{
    {"", "import-po", "GAMEDIR IN.po [--language NAME] [--packs MASK]", importPo,
     "Sets one language's career texts from a gettext translation file and saves",
     std::string("Sets every non-empty msgstr of IN.po as the text of its entry in the file's "
                 "language (its header's Language, or --language NAME), as one step like the "
                 "editor's File > Import translation, then saves as File Save does. Fuzzy "
                 "entries are skipped and counted; plural entries are not supported and skipped. "
                 "An entry whose text no longer exists, or whose text the language's code page "
                 "cannot hold, is listed - all of them - and nothing is saved (exit 1).\n") +
         kContextHelp + kPacksHelp +
         "Prints {file, language, applied, unchanged, untranslated, fuzzySkipped, "
         "pluralSkipped, saved}."}};

}  // namespace
}  // namespace jf::cli
