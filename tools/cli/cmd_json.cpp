// export-json / apply-json: careers as JSON for modders (CareersJson.h,
// docs/careers-json.md).
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CareersJson.h"
#include "Cli.h"
#include "ConsolePrompts.h"
#include "GameLoad.h"
#include "careers/BmpFile.h"
#include "careers/CareerDatabase.h"
#include "document/Document.h"
#include "exchange/Import.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "startup/EditorCommands.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

// The packs the installation is loaded with unless --packs says otherwise:
// the base game only (its chance-card root tree), as for the exchange
// commands.
constexpr unsigned long kDefaultPacks = 0x01;
constexpr unsigned long kAllPacks = 0x7F;

constexpr char kJsonExtension[] = ".json";
constexpr char kIconFolderSuffix[] = "-icons";

struct Options {
    Args positional;
    unsigned long packs = kDefaultPacks;
    bool global = false;
};

bool parseOptions(const Args& args, bool globalAllowed, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--packs") {
            if (i + 1 >= args.size() || !parseUnsigned(args[i + 1], options.packs) ||
                options.packs > kAllPacks) {
                return false;
            }
            ++i;
        } else if (globalAllowed && args[i] == "--global") {
            options.global = true;
        } else if (args[i].rfind("--", 0) == 0) {
            return false;
        } else {
            options.positional.push_back(args[i]);
        }
    }
    return true;
}

// "careers.json" -> "careers-icons": the folder beside OUT.json for its icons.
std::string iconFolderName(const std::string& outPath) {
    std::string name = paths::fileName(outPath);
    const std::size_t length = sizeof kJsonExtension - 1;
    if (name.size() > length &&
        paths::equalsIgnoreCase(name.substr(name.size() - length), kJsonExtension)) {
        name.resize(name.size() - length);
    }
    return name + kIconFolderSuffix;
}

bool writeBytes(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || !writeFileAtomically(fs, path, bytes.data(), bytes.size())) {
        fail(cannotWriteText(path));
        return false;
    }
    return true;
}

int exportJson(const Args& args) {
    Options options;
    if (!parseOptions(args, true, options) || options.positional.size() < 2) {
        return usage();
    }
    std::vector<unsigned long> chosen;
    for (std::size_t i = 2; i < options.positional.size(); ++i) {
        unsigned long position = 0;
        if (!parseUnsigned(options.positional[i], position)) {
            return usage();
        }
        chosen.push_back(position);
    }
    ConsolePrompts prompts;
    const std::unique_ptr<LoadedDocument> game = loadDocument(
        options.positional[0], static_cast<std::uint32_t>(options.packs), false, prompts);
    if (!game) {
        return kExitFailed;
    }
    const EditorSession& session = game->document.session();
    const std::size_t count = session.database.trackCount();
    std::vector<std::size_t> positions;
    for (const unsigned long position : chosen) {
        if (position >= count) {
            return fail(noSuchTrackText(position, count));
        }
        positions.push_back(position);
    }
    if (chosen.empty()) {
        for (std::size_t position = 0; position < count; ++position) {
            positions.push_back(position);
        }
    }

    const std::string& out = options.positional[1];
    const std::string iconFolder = iconFolderName(out);
    const nlohmann::ordered_json document =
        careersJson(session, positions, options.global, iconFolder);
    FileSystem& fs = session.fs;
    const std::string iconPath = paths::folderOf(out) + iconFolder;
    bool folderMade = false;
    for (const std::size_t position : positions) {
        const CareerTrack& track = *session.database.track(position);
        Bitmap popup;
        Bitmap button;
        if (!session.icons.getPopupIcon(track.id, popup) ||
            !session.icons.getButtonIcon(track.id, button)) {
            continue;
        }
        if (!folderMade && !fs.createFolder(iconPath)) {
            return fail(cannotWriteText(iconPath));
        }
        folderMade = true;
        const std::string folder = paths::folderOf(out);
        if (!writeBytes(fs, folder + popupIconName(iconFolder, position),
                        encodeBitmapFile(popup)) ||
            !writeBytes(fs, folder + buttonIconName(iconFolder, position),
                        encodeBitmapFile(button))) {
            return kExitFailed;
        }
    }
    // A path that is not UTF-8 cannot be named exactly; the file still
    // gets written, with U+FFFD in its icon names.
    const std::string text =
        document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!writeBytes(fs, out, std::vector<std::uint8_t>(text.begin(), text.end()))) {
        return kExitFailed;
    }
    nlohmann::ordered_json result = {{"file", latin1(out)}, {"tracks", positions.size()}};
    result["icons"] = folderMade ? nlohmann::ordered_json(latin1(iconPath)) : nullptr;
    result["global"] = options.global && !session.state.chanceCardsDisabled;
    printOrderedJson(result);
    return kExitOk;
}

// The whole file as text; false with the failure printed.
bool readText(FileSystem& fs, const std::string& path, std::string& text) {
    std::unique_ptr<File> file = fs.open(path, OpenMode::Read);
    if (file == nullptr) {
        fail(cannotOpenText(path));
        return false;
    }
    const std::int64_t length = file->length();
    text.assign(static_cast<std::size_t>(length < 0 ? 0 : length), '\0');
    if (length < 0 || file->read(text.data(), text.size()) != length) {
        fail(cannotReadText(path));
        return false;
    }
    return true;
}

int applyJson(const Args& args) {
    Options options;
    if (!parseOptions(args, false, options) || options.positional.size() != 2) {
        return usage();
    }
    const std::string& in = options.positional[1];
    std::string text;
    if (!readText(systemFileSystem(), in, text)) {
        return kExitFailed;
    }
    nlohmann::ordered_json input;
    try {
        input = nlohmann::ordered_json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        return fail(in + ": not a JSON file: " + error.what());
    }
    ConsolePrompts prompts;
    const std::unique_ptr<LoadedDocument> game = loadDocument(
        options.positional[0], static_cast<std::uint32_t>(options.packs), true, prompts);
    if (!game) {
        return kExitFailed;
    }
    const std::vector<std::string> problems =
        applyCareersJson(game->document, input, paths::folderOf(in));
    if (!problems.empty()) {
        for (const std::string& problem : problems) {
            std::cerr << problem << '\n';
        }
        return fail("Nothing was saved: " + std::to_string(problems.size()) +
                    (problems.size() == 1 ? " problem" : " problems") + " in " + in + ".");
    }
    if (!saveDocument(game->document, prompts)) {
        return kExitFailed;
    }
    game->document.session().buttonIconFile.reset();
    game->document.session().popupIconFile.reset();
    printOrderedJson({{"file", latin1(in)}, {"changes", game->document.history().count()}});
    return kExitOk;
}

Registrar exportJsonReg{
    {"", "export-json", "GAMEDIR OUT.json [POSITION...] [--global] [--packs MASK]", exportJson,
     "Writes careers as an editable JSON file, their icons as BMP files beside it",
     "Writes the careers at the POSITIONs (all without one) to OUT.json: for each its\n"
     "position, id and internal name, the job levels under the job details dialog's\n"
     "names (salary, startHour, endHour, car, cooking, ..., friends), the texts of every\n"
     "language as UTF-8, and each level's chance card as items in words. The two icons\n"
     "of each career go to OUT-icons/POSITION-popup.bmp and -button.bmp, named in the\n"
     "file. --global adds the global options and global texts. Nothing in the game\n"
     "folder is written. The format: docs/careers-json.md.\n"
     "Output: {\"file\", \"tracks\", \"icons\", \"global\"}."}};

Registrar applyJsonReg{
    {"", "apply-json", "GAMEDIR IN.json [--packs MASK]", applyJson,
     "Applies an edited careers JSON file with the editor's checks, then saves",
     "Applies IN.json (as export-json writes it) to the game: each career is named by\n"
     "its position; a key left out leaves its value as it is, and only what differs from\n"
     "the game is changed, with the checks of the editor's dialogs. Then File Save.\n"
     "Every problem (unknown key, wrong type, value out of range, a character the\n"
     "language cannot hold, a missing icon file or one of the wrong size) is listed\n"
     "with its JSON path, e.g. tracks[2].levels[4].salary; nothing is saved then, exit 1.\n"
     "Output: {\"file\", \"changes\"}: the number of editor steps applied."}};

}  // namespace
}  // namespace jf::cli
