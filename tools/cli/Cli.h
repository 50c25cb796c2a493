#pragma once
// Command registry and helpers shared by the command-line tool's commands.
//
// Contract: exit 0 success, 1 the operation failed (one line on stderr),
// 2 wrong usage. JSON goes to stdout as one document; every byte string is
// shown as Latin-1 (byte b is code point U+00bb).

#include <cstdint>
#include <functional>
#include <optional>
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
    std::string group;         // "iff", "far", ... or "" for a top-level command
    std::string name;          // "list", "cat", ...
    std::string usage;         // shown by the usage text
    Handler handler;           // receives the arguments after the command words
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
// Wrong usage of the command being run: prints its usage line (the whole
// command list outside a command) to stderr and returns kExitUsage.
int usage();
// Prints one line to stderr and returns kExitUsage.
int usageError(const std::string& message);

// The failure lines the commands share.
// "Cannot open PATH", or, when another program holds the file, the loader's
// text saying it is in use.
std::string cannotOpenText(const std::string& path);
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

// The packs a game is loaded with unless --packs says otherwise: the base
// game only (its chance-card root tree).
inline constexpr std::uint32_t kDefaultPacks = 0x01;
// The largest --packs value: the base game and all six expansion packs.
inline constexpr std::uint32_t kMaxPacks = 0x7F;

// The arguments of a command split into its words and its options.
struct CommandOptions {
    Args positional;                     // the words, in order
    std::optional<std::uint32_t> packs;  // --packs MASK
    std::vector<std::string> flags;      // the flags given, of those allowed
    bool has(const std::string& flag) const;
};

// Splits `args` into positional words, "--packs MASK" (when `takesPacks`)
// and the flags named in `allowedFlags` ("--utf8", "--json"), each
// anywhere. Any other word starting with "--", a repeated option or a
// --packs value that is missing, not a number or above kMaxPacks is wrong
// usage: a line naming it is printed on stderr and false returned.
bool parseCommandOptions(const Args& args, bool takesPacks,
                         const std::vector<std::string>& allowedFlags, CommandOptions& options);

// GAMEDIR as the loading sequence takes it: ending in a separator.
std::string gameFolderArgument(const std::string& text);

// Before a command works on the game in `gameFolder`: a command that writes
// there first recovers an interrupted save (its message through `prompts`)
// and fails when that could not be finished (its line printed); a command
// that only reads changes nothing and, when there is an interrupted save,
// prints on stderr how to finish it. True when the command may go on.
bool prepareGameFolder(const std::string& gameFolder, bool writes, Prompts& prompts);

}  // namespace jf::cli
