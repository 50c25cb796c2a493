// bhav dump FILE ID: one behaviour code tree of an IFF container as JSON.
//
// Output keys and the tree fields they show:
//   "signature"    signature word (bit 15 set: header form; else the old
//                  form, whose signature is the instruction count)
//   "treeType"     tree type header byte
//   "argCount"     argument count header byte
//   "localCount"   local count header byte
//   "flags"        flags header byte (not the chunk's flags)
//   "version"      tree version
//   "instructions" in index order, each with "opcode", "true" (true target),
//                  "false" (false target) and "operands" (operand bytes 0..7)
// A big-endian body is shown after its conversion to little-endian.

#include <string>

#include "Cli.h"
#include "careers/CodeTree.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"

namespace jf::cli {
namespace {

constexpr unsigned long kMaxChunkId = 0xFFFF;

int dumpTree(const Args& args) {
    if (args.size() != 2) {
        return usage();
    }
    unsigned long id = 0;
    if (!parseUnsigned(args[1], id) || id > kMaxChunkId) {
        return usage();
    }
    const std::string& path = args[0];
    FileSystem& fs = systemFileSystem();
    std::unique_ptr<File> file = fs.open(path, OpenMode::Read);
    if (!file) {
        return fail("cannot open " + path);
    }
    IffFileTable table(fs);
    IffView view(table);
    if (!view.openInto(*file)) {
        return fail(path + " is not a readable IFF container");
    }
    IffChunk* chunk = view.find(kTypeBhav, static_cast<std::uint16_t>(id));
    if (chunk == nullptr) {
        return fail("no BHAV chunk with id " + std::to_string(id));
    }
    CodeTree tree;
    if (!tree.attachTo(view, *chunk)) {
        return fail("BHAV " + std::to_string(id) + " cannot be decoded");
    }

    nlohmann::json instructions = nlohmann::json::array();
    for (const Instruction& instruction : tree.instructions()) {
        nlohmann::json operands = nlohmann::json::array();
        for (std::uint8_t byte : instruction.operands) {
            operands.push_back(byte);
        }
        instructions.push_back({{"opcode", instruction.opcode},
                                {"true", instruction.trueTarget},
                                {"false", instruction.falseTarget},
                                {"operands", operands}});
    }
    nlohmann::json document = {
        {"signature", tree.signature()},
        {"treeType", tree.treeType()},
        {"argCount", tree.argumentCount()},
        {"localCount", tree.localCount()},
        {"flags", tree.flags()},
        {"version", tree.treeVersion()},
        {"instructions", instructions},
    };
    printJson(document);
    return kExitOk;
}

Registrar reg{{"bhav", "dump", "FILE ID", dumpTree, "Shows one code tree of an IFF file, as JSON",
               "Prints the BHAV chunk ID of FILE: its header fields and every instruction\n"
               "with opcode, true and false targets and operand bytes."}};

}  // namespace
}  // namespace jf::cli
