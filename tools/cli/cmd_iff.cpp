// iff list / cat / rewrite: look into and rewrite IFF container files.
#include <cstdio>
#include <iostream>

#include "Cli.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"

namespace jf::cli {
namespace {

// Opens and parses a container for reading; 0 with a message on failure.
int openContainer(IffFileTable& table, const std::string& path, std::string& message) {
    std::unique_ptr<File> file = table.fileSystem().open(path, OpenMode::Read);
    if (!file) {
        message = cannotOpenText(path);
        return 0;
    }
    int slot = table.openFile(*file, paths::fileName(path), true);
    IffParseError error = IffParseError::NotIff;
    if (slot == 0 || !table.parse(slot, &error)) {
        message = error == IffParseError::BadVersion ? path + ": unsupported IFF version"
                                                     : notAnIffFileText(path);
        return 0;
    }
    return slot;
}

int iffList(const Args& args) {
    if (args.size() != 1) {
        return usage();
    }
    IffFileTable table(systemFileSystem());
    std::string message;
    int slot = openContainer(table, args[0], message);
    if (slot == 0) {
        return fail(message);
    }
    IffFile* container = table.file(slot);
    nlohmann::json chunks = nlohmann::json::array();
    for (const auto& chunk : container->chunks) {
        chunks.push_back({{"type", latin1(typeCodeToString(chunk->type))},
                          {"id", chunk->id},
                          {"flags", chunk->flags},
                          {"label", latin1(chunk->label)},
                          {"size", chunk->size}});
    }
    std::string version(reinterpret_cast<const char*>(container->header.data()) + 9, 3);
    printJson({{"version", version}, {"chunks", chunks}});
    return kExitOk;
}

int iffCat(const Args& args) {
    if (args.size() != 3) {
        return usage();
    }
    std::uint32_t type = 0;
    unsigned long id = 0;
    if (!typeCodeFromString(args[1], type) || !parseUnsigned(args[2], id) || id > 0xFFFF) {
        return usage();
    }
    IffFileTable table(systemFileSystem());
    std::string message;
    int slot = openContainer(table, args[0], message);
    if (slot == 0) {
        return fail(message);
    }
    IffView view(table);
    view.attach(slot);
    IffChunk* chunk = view.find(type, static_cast<std::uint16_t>(id));
    if (chunk == nullptr) {
        return fail("No chunk " + args[1] + " " + args[2] + " in " + args[0]);
    }
    if (!view.loadChunk(*chunk)) {
        return fail("Cannot read the body of chunk " + args[1] + " " + args[2]);
    }
    std::fwrite(chunk->data.data(), 1, chunk->size, stdout);
    std::fflush(stdout);
    return kExitOk;
}

int iffRewrite(const Args& args) {
    if (args.size() != 2) {
        return usage();
    }
    IffFileTable table(systemFileSystem());
    std::string message;
    int slot = openContainer(table, args[0], message);
    if (slot == 0) {
        return fail(message);
    }
    if (!table.loadAll(slot)) {
        return fail(args[0] + ": a chunk body cannot be read");
    }
    // The output appears only when it is complete.
    if (!table.writeContainerToPath(args[1], slot)) {
        return fail(cannotWriteText(args[1]));
    }
    return kExitOk;
}

Registrar listCommand{{"iff", "list", "FILE", iffList, "Lists the chunks of an IFF file, as JSON",
                       "Prints the version and every chunk of FILE: type, id, flags, label and\n"
                       "size. The file is only read."}};
Registrar catCommand{{"iff", "cat", "FILE TYPE ID", iffCat,
                      "Writes the body of one chunk of an IFF file to stdout",
                      "TYPE is the four-letter chunk type (e.g. STR# or BHAV), ID its number\n"
                      "(decimal or 0x hex). The body's bytes go to stdout unchanged."}};
Registrar rewriteCommand{{"iff", "rewrite", "IN OUT", iffRewrite,
                          "Writes an IFF file anew, as the editor writes containers",
                          "Reads IN and writes it to OUT with a fresh chunk map, whole or not at\n"
                          "all. IN is not changed."}};

}  // namespace
}  // namespace jf::cli
