// jobforge3-cli: the command-line companion of the editor.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <tuple>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "Cli.h"
#include "platform/Version.h"

namespace jf::cli {
namespace {
std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
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

int fail(const std::string& message) {
    std::cerr << message << '\n';
    return kExitFailed;
}

int usage() {
    std::cerr << "usage: jobforge3-cli COMMAND ...\n";
    for (const Command& c : registry()) {
        std::cerr << "  " << (c.group.empty() ? "" : c.group + " ") << c.name << ' ' << c.usage
                  << '\n';
    }
    return kExitUsage;
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
        return 0;
    }
    // A command is found by its group and name ("iff list") or by its name
    // alone for top-level commands ("info").
    for (const Command& c : registry()) {
        if (!c.group.empty()) {
            if (args.size() >= 2 && args[0] == c.group && args[1] == c.name) {
                return c.handler(Args(args.begin() + 2, args.end()));
            }
        } else if (args[0] == c.name) {
            return c.handler(Args(args.begin() + 1, args.end()));
        }
    }
    return usage();
}
