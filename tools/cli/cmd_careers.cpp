// careers dump / resave: the career tracks of a career file.
#include <vector>

#include "CareerJson.h"
#include "Cli.h"
#include "careers/CareerDatabase.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"

namespace jf::cli {
namespace {

const char* const kCannotLoad = "Cannot load the careers!";
const char* const kCannotSave = "Couldn't save the careers! There's probably a file I/O error!";

int careersDump(const Args& args) {
    if (args.size() != 1) {
        return usage();
    }
    const std::string& path = args[0];
    IffFileTable table(systemFileSystem());
    std::unique_ptr<File> file = table.fileSystem().open(path, OpenMode::Read);
    if (!file) {
        return fail("Cannot open " + path);
    }
    int slot = table.openFile(*file, paths::fileName(path), true);
    if (slot == 0 || !table.parse(slot)) {
        return fail(path + ": not an IFF file");
    }
    IffView view(table);
    view.attach(slot);
    CareerDatabase database;
    if (!database.loadCareers(view)) {
        return fail(kCannotLoad);
    }
    nlohmann::json tracks = nlohmann::json::array();
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        tracks.push_back(trackJson(*database.track(p)));
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
            return fail("Cannot open " + in);
        }
        bytes.resize(static_cast<std::size_t>(length));
        if (!bytes.empty() && !source->readExact(bytes.data(), bytes.size())) {
            return fail("Cannot read " + in);
        }
    }
    if (!writeFileAtomically(fs, out, bytes.data(), bytes.size())) {
        return fail("Cannot write " + out);
    }

    IffFileTable table(fs);
    int slot = table.openPath(paths::folderOf(out), paths::fileName(out), false);
    if (slot == 0) {
        return fail("Cannot open " + out);
    }
    if (!table.parse(slot)) {
        return fail(out + ": not an IFF file");
    }
    IffView view(table);
    if (!view.attach(slot) || !view.loadAll()) {
        return fail("Cannot read " + out);
    }
    CareerDatabase database;
    if (!database.loadCareers(view)) {
        return fail(kCannotLoad);
    }
    if (!database.saveCareers(view)) {
        return fail(kCannotSave);
    }
    printJson({{"file", latin1(out)}, {"tracks", database.trackCount()}});
    return kExitOk;
}

Registrar dumpReg{{"careers", "dump", "CAREERFILE", careersDump}};
Registrar resaveReg{{"careers", "resave", "IN OUT", careersResave}};

}  // namespace
}  // namespace jf::cli
