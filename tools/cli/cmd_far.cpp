// far list / extract: look into the game's FAR archives.
#include <memory>

#include "Cli.h"
#include "iff/FarArchive.h"
#include "platform/FileSystem.h"

namespace jf::cli {
namespace {

// Opens an archive and reads its directory; false with a message on failure.
bool openArchive(const std::string& path, FarArchive& archive, std::string& message) {
    std::unique_ptr<File> file = systemFileSystem().open(path, OpenMode::Read);
    if (!file) {
        message = cannotOpenText(path);
        return false;
    }
    if (!archive.readDirectory(*file)) {
        message = path + ": not a FAR archive or its directory is damaged";
        return false;
    }
    return true;
}

int farList(const Args& args) {
    if (args.size() != 1) {
        return usage();
    }
    FarArchive archive;
    std::string message;
    if (!openArchive(args[0], archive, message)) {
        return fail(message);
    }
    nlohmann::json entries = nlohmann::json::array();
    for (const FarEntry& entry : archive.entries()) {
        entries.push_back({{"name", latin1(entry.name)},
                           {"size", entry.dataLength},
                           {"offset", entry.dataOffset}});
    }
    printJson({{"entries", entries}});
    return kExitOk;
}

int farExtract(const Args& args) {
    if (args.size() != 3) {
        return usage();
    }
    FarArchive archive;
    std::string message;
    if (!openArchive(args[0], archive, message)) {
        return fail(message);
    }
    const long found = archive.findEntry(args[1]);
    if (found < 0) {
        return fail("No entry " + args[1] + " in " + args[0]);
    }
    const auto index = static_cast<std::size_t>(found);
    if (!archive.loadEntry(index)) {
        return fail("Cannot read entry " + args[1] + " of " + args[0]);
    }
    // The output is written whole or not at all.
    const std::vector<std::uint8_t>* bytes = archive.entryBytes(index);
    if (bytes == nullptr ||
        !writeFileAtomically(systemFileSystem(), args[2], bytes->data(), bytes->size())) {
        return fail(cannotWriteText(args[2]));
    }
    return kExitOk;
}

const Registrar listReg{{"far", "list", "ARCHIVE", farList,
                         "Lists the entries of a FAR archive, as JSON",
                         "Prints every entry of ARCHIVE (e.g. UIGraphics.far) with its name, size\n"
                         "and offset. The archive is only read."}};
const Registrar extractReg{{"far", "extract", "ARCHIVE NAME OUT", farExtract,
                            "Copies one entry of a FAR archive to a file",
                            "Writes the entry NAME (its full name as `far list` shows it, any\n"
                            "letter case) of ARCHIVE to OUT, whole or not at all."}};

}  // namespace
}  // namespace jf::cli
