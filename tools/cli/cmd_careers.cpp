// careers dump / resave: the career tracks of a career file.
#include <vector>

#include "CareerJson.h"
#include "Cli.h"
#include "careers/CareerDatabase.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

int careersDump(const Args& args) {
    CommandOptions options;
    if (!parseCommandOptions(args, false, {"--utf8"}, options)) {
        return kExitUsage;
    }
    if (options.positional.size() != 1) {
        return usage();
    }
    const TextForm form = options.has("--utf8") ? TextForm::Decoded : TextForm::Latin1;
    const std::string& path = options.positional[0];
    IffFileTable table(systemFileSystem());
    std::unique_ptr<File> file = table.fileSystem().open(path, OpenMode::Read);
    if (!file) {
        return fail(cannotOpenText(path));
    }
    int slot = table.openFile(*file, paths::fileName(path), true);
    if (slot == 0 || !table.parse(slot)) {
        return fail(notAnIffFileText(path));
    }
    IffView view(table);
    view.attach(slot);
    CareerDatabase database;
    if (!database.loadCareers(view)) {
        return fail(kCannotLoadCareersText);
    }
    nlohmann::json tracks = nlohmann::json::array();
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        tracks.push_back(trackJson(*database.track(p), form));
    }
    printJson({{"tracks", tracks}});
    return kExitOk;
}

// Copies IN to OUT, loads OUT as the career container and saves the careers
// back into it, as File Save does.
int careersResave(const Args& args) {
    if (args.size() != 2) {
        return usage();
    }
    const std::string& in = args[0];
    const std::string& out = args[1];
    FileSystem& fs = systemFileSystem();
    std::vector<std::uint8_t> bytes;
    {
        std::unique_ptr<File> source = fs.open(in, OpenMode::Read);
        std::int64_t length = source ? source->length() : -1;
        if (length < 0) {
            return fail(cannotOpenText(in));
        }
        bytes.resize(static_cast<std::size_t>(length));
        if (!bytes.empty() && !source->readExact(bytes.data(), bytes.size())) {
            return fail(cannotReadText(in));
        }
    }
    if (!writeFileAtomically(fs, out, bytes.data(), bytes.size())) {
        return fail(cannotWriteText(out));
    }

    IffFileTable table(fs);
    int slot = table.openPath(paths::folderOf(out), paths::fileName(out), false);
    if (slot == 0) {
        return fail(cannotOpenText(out));
    }
    if (!table.parse(slot)) {
        return fail(notAnIffFileText(out));
    }
    IffView view(table);
    if (!view.attach(slot) || !view.loadAll()) {
        return fail(cannotReadText(out));
    }
    CareerDatabase database;
    if (!database.loadCareers(view)) {
        return fail(kCannotLoadCareersText);
    }
    if (!database.saveCareers(view)) {
        return fail(kSaveCareersFailedText);
    }
    printJson({{"file", latin1(out)}, {"tracks", database.trackCount()}});
    return kExitOk;
}

Registrar dumpReg{{"careers", "dump", "CAREERFILE [--utf8]", careersDump,
                   "Shows the career tracks of one career file, as JSON",
                   "Reads CAREERFILE (Work.iff, Careers.iff or Careers) without changing it and\n"
                   "prints its tracks as `dump` does, without the chance cards.\n"
                   "\n"
                   "  --utf8  language texts decoded with their code pages (see `help dump`)."}};
Registrar resaveReg{{"careers", "resave", "IN OUT", careersResave,
                     "Copies a career file and saves its careers into the copy",
                     "Copies IN to OUT, loads the tracks from OUT and saves them back into it as\n"
                     "File Save does. IN is not changed."}};

}  // namespace
}  // namespace jf::cli
