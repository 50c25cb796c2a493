#pragma once
// Command registry and helpers shared by the command-line tool's commands.
//
// Contract: exit 0 success, 1 the operation failed (one line on stderr),
// 2 wrong usage. JSON goes to stdout as one document; every byte string is
// shown as Latin-1 (byte b is code point U+00bb).

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Prompts.h"

namespace jf::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;
using Handler = std::function<int(const Args& args)>;

struct Command {
    std::string group;  // "iff", "far", ... or "" for a top-level command
    std::string name;   // "list", "cat", ...
    std::string usage;  // shown by the usage text
    Handler handler;    // receives the arguments after the command words
    std::string summary = {};  // one line for the command list
    std::string help = {};     // what `help COMMAND` adds: arguments, options, output
};

// Registers a command at static-initialisation time.
struct Registrar {
    explicit Registrar(Command command);
};

// A byte string as a JSON string of Latin-1 code points.
nlohmann::json latin1(const std::string& bytes);

// Prints the document to stdout.
void printJson(const nlohmann::json& document);
// The same keeping the order in which the keys were given.
void printOrderedJson(const nlohmann::ordered_json& document);
// Prints one line to stderr and returns kExitFailed.
int fail(const std::string& message);
// Prints the usage text to stderr and returns kExitUsage.
int usage();

// The failure lines the commands share.
inline std::string cannotOpenText(const std::string& path) {
    return "Cannot open " + path;
}
inline std::string cannotReadText(const std::string& path) {
    return "Cannot read " + path;
}
inline std::string cannotWriteText(const std::string& path) {
    return "Cannot write " + path;
}
inline std::string notAnIffFileText(const std::string& path) {
    return path + ": not an IFF file";
}

// Parses a decimal or 0x-hex unsigned number; false on anything else.
bool parseUnsigned(const std::string& text, unsigned long& value);

// GAMEDIR as the loading sequence takes it: ending in a separator.
std::string gameFolderArgument(const std::string& text);

// Before a command works on the game in `gameFolder`: a command that writes
// there first recovers an interrupted save (its message through `prompts`)
// and fails when that could not be finished (its line printed); a command
// that only reads changes nothing and, when there is an interrupted save,
// prints on stderr how to finish it. True when the command may go on.
bool prepareGameFolder(const std::string& gameFolder, bool writes, Prompts& prompts);

}  // namespace jf::cli
