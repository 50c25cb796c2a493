// jobforge3-cli: the command-line companion of the editor.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <tuple>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "Cli.h"
#include "platform/FileSystem.h"
#include "platform/Version.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

// The command being run; null outside one.
const Command* currentCommand = nullptr;

// The order of the command list: the commands on a game installation in the
// order a modder meets them, then the tools on single files. A command not
// named here follows, sorted by group and name.
constexpr const char* kCommandOrder[] = {
    "info",           "dump",        "check",        "resave",      "export",
    "backup",         "import",      "restore",      "recover",     "export-json",
    "apply-json",     "export-po",   "import-po",    "make-sample", "careers dump",
    "careers resave", "cards dump",  "cards resave", "str dump",    "iff list",
    "iff cat",        "iff rewrite", "far list",     "far extract", "bhav dump",
};

constexpr char kUsageLine[] =
    "usage: jobforge3-cli COMMAND [ARGUMENTS...]\n"
    "       jobforge3-cli help [COMMAND]   what a command does and takes\n"
    "       jobforge3-cli --version\n";

constexpr char kArgumentsText[] =
    "Arguments:\n"
    "  GAMEDIR       the game's data folder, the one holding GameData, ExpansionShared\n"
    "                and UIGraphics. Commands that show [GAMEDIR] find the installation\n"
    "                as the editor does (registry or Wine prefix) when it is left out.\n"
    "  POSITION      a row of the editor's career list, counted from 0 in the list's\n"
    "                order. It is not the #id the list shows (the track's id): `dump`\n"
    "                lists the tracks in position order, each with its \"position\" and\n"
    "                \"id\".\n"
    "  --packs MASK  the installed game and expansion packs, 0 to 127, decimal or 0x\n"
    "                hex: bit 0 (1) the base game, bits 1 to 6 (2, 4, ... 64) expansion\n"
    "                packs 1 to 6. It chooses the chance-card code the cards are read\n"
    "                from and written to. Default: the packs the registry names when\n"
    "                GAMEDIR is left out, else 1 (the base game).\n"
    "Exit codes: 0 done, 1 failed (the reason on stderr), 2 wrong usage.\n";

std::string fullName(const Command& command) {
    return command.group.empty() ? command.name : command.group + " " + command.name;
}

// Every command in the fixed order of the command list.
std::vector<const Command*> orderedCommands() {
    std::vector<const Command*> listed;
    for (const char* name : kCommandOrder) {
        for (const Command& command : registry()) {
            if (fullName(command) == name) {
                listed.push_back(&command);
            }
        }
    }
    std::vector<const Command*> rest;
    for (const Command& command : registry()) {
        if (std::find(listed.begin(), listed.end(), &command) == listed.end()) {
            rest.push_back(&command);
        }
    }
    std::sort(rest.begin(), rest.end(), [](const Command* a, const Command* b) {
        return std::tie(a->group, a->name) < std::tie(b->group, b->name);
    });
    listed.insert(listed.end(), rest.begin(), rest.end());
    return listed;
}

// The usage line, every command with its summary, and the arguments.
void printOverview(std::ostream& out) {
    const std::vector<const Command*> commands = orderedCommands();
    std::size_t width = 0;
    for (const Command* command : commands) {
        width = std::max(width, fullName(*command).size());
    }
    out << kUsageLine << "\nCommands:\n";
    for (const Command* command : commands) {
        const std::string name = fullName(*command);
        out << "  " << name << std::string(width - name.size() + 2, ' ') << command->summary
            << '\n';
    }
    out << '\n' << kArgumentsText;
}

void printCommandUsage(std::ostream& out, const Command& command) {
    out << "usage: jobforge3-cli " << fullName(command)
        << (command.usage.empty() ? "" : " " + command.usage) << '\n';
}

void printCommandHelp(std::ostream& out, const Command& command) {
    printCommandUsage(out, command);
    out << '\n' << command.summary << '\n';
    if (!command.help.empty()) {
        out << '\n' << command.help;
        if (command.help.back() != '\n') {
            out << '\n';
        }
    }
}

std::string unknownCommandText(const std::string& name) {
    return "unknown command '" + name + "'";
}

// The command `words` start with, and how many words name it; null when
// none does.
const Command* findCommand(const Args& words, std::size_t& used) {
    for (const Command& command : registry()) {
        if (!command.group.empty()) {
            if (words.size() >= 2 && words[0] == command.group && words[1] == command.name) {
                used = 2;
                return &command;
            }
        } else if (!words.empty() && words[0] == command.name) {
            used = 1;
            return &command;
        }
    }
    return nullptr;
}

bool isGroup(const std::string& word) {
    return std::any_of(registry().begin(), registry().end(),
                       [&](const Command& command) { return command.group == word; });
}

// The name an unknown command was given as: the group and the next word
// when the first word is a group.
std::string givenName(const Args& words) {
    if (words.size() >= 2 && isGroup(words[0])) {
        return words[0] + " " + words[1];
    }
    return words.empty() ? std::string() : words[0];
}

int unknownCommand(const Args& words) {
    std::cerr << unknownCommandText(givenName(words)) << "\n\n";
    printOverview(std::cerr);
    return kExitUsage;
}

// help, help COMMAND, help GROUP.
int help(const Args& words) {
    if (words.empty()) {
        printOverview(std::cout);
        return kExitOk;
    }
    std::size_t used = 0;
    if (const Command* command = findCommand(words, used); command && used == words.size()) {
        printCommandHelp(std::cout, *command);
        return kExitOk;
    }
    if (words.size() == 1 && isGroup(words[0])) {
        for (const Command* command : orderedCommands()) {
            if (command->group == words[0]) {
                printCommandUsage(std::cout, *command);
            }
        }
        return kExitOk;
    }
    std::string name;
    for (const std::string& word : words) {
        name += (name.empty() ? "" : " ") + word;
    }
    std::cerr << unknownCommandText(name) << '\n';
    return kExitUsage;
}

}  // namespace

// Kept sorted by group, then name, so that the command list has the same
// order on every build whatever order the linker runs the registrars in.
Registrar::Registrar(Command command) {
    std::vector<Command>& commands = registry();
    const auto before = [](const Command& a, const Command& b) {
        return std::tie(a.group, a.name) < std::tie(b.group, b.name);
    };
    commands.insert(std::upper_bound(commands.begin(), commands.end(), command, before),
                    std::move(command));
}

nlohmann::json latin1(const std::string& bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return nlohmann::json(utf8);
}

void printJson(const nlohmann::json& document) {
    std::cout << document.dump(1) << '\n';
    std::cout.flush();
}

void printOrderedJson(const nlohmann::ordered_json& document) {
    std::cout << document.dump(1) << '\n';
    std::cout.flush();
}

std::string cannotOpenText(const std::string& path) {
    FileSystem& fs = systemFileSystem();
    if (fs.isInUse(path, OpenMode::Read)) {
        return fileInUseText(fs.nativePath(path));
    }
    return "Cannot open " + path;
}

int fail(const std::string& message) {
    std::cerr << message << '\n';
    return kExitFailed;
}

int usage() {
    if (currentCommand == nullptr) {
        printOverview(std::cerr);
    } else {
        printCommandUsage(std::cerr, *currentCommand);
        std::cerr << "Run 'jobforge3-cli help " << fullName(*currentCommand)
                  << "' for what it takes.\n";
    }
    return kExitUsage;
}

int usageError(const std::string& message) {
    std::cerr << message << '\n';
    return kExitUsage;
}

bool CommandOptions::has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

bool parseCommandOptions(const Args& args, bool takesPacks,
                         const std::vector<std::string>& allowedFlags, CommandOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (takesPacks && word == "--packs") {
            if (options.packs) {
                usageError("--packs is given twice");
                return false;
            }
            if (i + 1 >= args.size()) {
                usageError("--packs needs a value: a number from 0 to 127");
                return false;
            }
            unsigned long value = 0;
            const std::string& text = args[++i];
            if (!parseUnsigned(text, value) || value > kMaxPacks) {
                usageError("--packs " + text +
                           ": not a pack mask; give a number from 0 to 127 (decimal or 0x hex)");
                return false;
            }
            options.packs = static_cast<std::uint32_t>(value);
        } else if (word.rfind("--", 0) == 0) {
            if (std::find(allowedFlags.begin(), allowedFlags.end(), word) == allowedFlags.end()) {
                usageError("unknown option " + word);
                return false;
            }
            if (options.has(word)) {
                usageError(word + " is given twice");
                return false;
            }
            options.flags.push_back(word);
        } else {
            options.positional.push_back(word);
        }
    }
    return true;
}

bool parseUnsigned(const std::string& text, unsigned long& value) {
    if (text.empty()) {
        return false;
    }
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    unsigned long result = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        if (result > (0xFFFFFFFFul - static_cast<unsigned long>(digit)) / base) {
            return false;
        }
        result = result * base + static_cast<unsigned long>(digit);
    }
    value = result;
    return true;
}

}  // namespace jf::cli

int main(int argc, char** argv) {
    using namespace jf::cli;
#ifdef _WIN32
    // Raw bytes, JSON lines and messages leave exactly as written, the same
    // bytes as on other systems: no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    Args args(argv + 1, argv + argc);
    if (args.empty()) {
        return usage();
    }
    if (args[0] == "--version") {
        std::cout << "jobforge3-cli " << jf::programVersionLine() << '\n';
        return kExitOk;
    }
    if (args[0] == "--help" || args[0] == "help") {
        return help(Args(args.begin() + 1, args.end()));
    }
    // A command is found by its group and name ("iff list") or by its name
    // alone for top-level commands ("info").
    std::size_t used = 0;
    const Command* command = findCommand(args, used);
    if (command == nullptr) {
        return unknownCommand(args);
    }
    const Args rest(args.begin() + static_cast<std::ptrdiff_t>(used), args.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        printCommandHelp(std::cout, *command);
        return kExitOk;
    }
    currentCommand = command;
    return command->handler(rest);
}
