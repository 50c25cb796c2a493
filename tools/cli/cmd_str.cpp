// str dump: show a string table of an IFF container.
#include "Cli.h"
#include "iff/IffFile.h"
#include "iff/StringTable.h"
#include "platform/FileSystem.h"

namespace jf::cli {
namespace {

int strDump(const Args& args) {
    unsigned long id = 0;
    if (args.size() != 2 || !parseUnsigned(args[1], id) || id > 0xFFFF) {
        return usage();
    }
    const std::string& path = args[0];
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
    IffChunk* chunk = view.find(kTypeStr, static_cast<std::uint16_t>(id));
    if (chunk == nullptr) {
        return fail("No chunk STR# " + args[1] + " in " + path);
    }
    StringTable strings;
    if (!strings.attachTo(view, *chunk)) {
        return fail("Cannot decode STR# " + args[1]);
    }
    nlohmann::json rows = nlohmann::json::array();
    for (const StringTable::Row& row : strings.rows()) {
        nlohmann::json entries = nlohmann::json::array();
        for (const StringTable::Entry& entry : row) {
            entries.push_back({{"text", latin1(entry.text)}, {"comment", latin1(entry.comment)}});
        }
        rows.push_back(std::move(entries));
    }
    printJson({{"form", static_cast<int>(strings.bodyForm())}, {"rows", rows}});
    return kExitOk;
}

Registrar reg{{"str", "dump", "FILE ID", strDump, "Shows one string table of an IFF file, as JSON",
               "Prints the STR# chunk ID of FILE: its body form and every entry's text and\n"
               "comment in the 20 language slots (bytes as Latin-1 characters)."}};

}  // namespace
}  // namespace jf::cli
