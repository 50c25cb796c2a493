// Build-time generator of the built-in default global texts.
//
//   gen_default_texts <default_texts.txt> <DefaultTexts.cpp>
//
// Reads the UTF-8 source (format described at the top of
// resources/default_texts.txt), encodes every text in its language's code
// page and writes a C++ source file defining jf::defaultGlobalTextsBody()
// (careers/DefaultTexts.h). Any error in the source, including a text that
// its code page cannot represent, is reported as "file:line: message" and
// makes the tool exit with 1 without touching the output, so the build
// fails.
//
// The tool runs during the build, so a cross build uses one built for the
// build machine (JF_DEFAULT_TEXTS_GENERATOR, see its CMakeLists.txt).

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ByteOrder.h"
#include "platform/CodePages.h"

namespace {

constexpr int kLanguages = 20;
constexpr int kEntries = 12;
constexpr std::uint16_t kFormWithLanguages = 0xFFFD;
constexpr int kBytesPerLine = 16;

struct Source {
    // texts[slot][entry], UTF-8, escapes resolved.
    std::array<std::array<std::optional<std::string>, kEntries>, kLanguages> texts;
    std::array<bool, kLanguages> seen{};
};

class Errors {
public:
    explicit Errors(std::string path) : path_(std::move(path)) {}
    void at(int line, const std::string& message) {
        std::cerr << path_ << ':' << line << ": " << message << '\n';
        ++count_;
    }
    void general(const std::string& message) {
        std::cerr << path_ << ": " << message << '\n';
        ++count_;
    }
    int count() const { return count_; }

private:
    std::string path_;
    int count_ = 0;
};

int slotForName(const std::string& name) {
    for (int slot = 0; slot < kLanguages; ++slot) {
        if (name == jf::languageNameForSlot(slot)) {
            return slot;
        }
    }
    return -1;
}

// Resolves \n, \r, \t and \\; false on any other backslash sequence.
bool unescape(const std::string& raw, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            out += raw[i];
            continue;
        }
        if (++i == raw.size()) {
            return false;
        }
        switch (raw[i]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                return false;
        }
    }
    return true;
}

bool parseEntryNumber(const std::string& key, int& entry) {
    if (key.empty() || key.size() > 2) {
        return false;
    }
    entry = 0;
    for (char c : key) {
        if (c < '0' || c > '9') {
            return false;
        }
        entry = entry * 10 + (c - '0');
    }
    return entry < kEntries && !(key.size() == 2 && key[0] == '0');
}

void parse(std::istream& in, Source& source, Errors& errors) {
    std::string line;
    int lineNumber = 0;
    int slot = -1;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (lineNumber == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) {
            line.erase(0, 3);  // byte order mark
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') {
                errors.at(lineNumber, "section header without closing ']'");
                slot = -1;
                continue;
            }
            const std::string name = line.substr(1, line.size() - 2);
            slot = slotForName(name);
            if (slot < 0) {
                errors.at(lineNumber, "unknown language \"" + name + "\"");
            } else if (source.seen[static_cast<std::size_t>(slot)]) {
                errors.at(lineNumber, "language \"" + name + "\" appears twice");
                slot = -1;
            } else {
                source.seen[static_cast<std::size_t>(slot)] = true;
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        int entry = 0;
        if (equals == std::string::npos || !parseEntryNumber(line.substr(0, equals), entry)) {
            errors.at(lineNumber, "expected \"N=text\" with N from 0 to 11");
            continue;
        }
        if (slot < 0) {
            errors.at(lineNumber, "entry outside a valid language section");
            continue;
        }
        auto& target =
            source.texts[static_cast<std::size_t>(slot)][static_cast<std::size_t>(entry)];
        if (target) {
            errors.at(lineNumber, "entry " + std::to_string(entry) + " set twice");
            continue;
        }
        std::string text;
        if (!unescape(line.substr(equals + 1), text)) {
            errors.at(lineNumber, "unknown escape (use \\n, \\r, \\t or \\\\)");
            continue;
        }
        std::optional<std::string> encoded = jf::fromUtf8(text, jf::codePageForSlot(slot));
        if (!encoded) {
            errors.at(lineNumber, std::string("text cannot be encoded in code page ") +
                                      std::to_string(jf::codePageForSlot(slot)) + " of " +
                                      jf::languageNameForSlot(slot));
            continue;
        }
        target = *encoded;
    }
    for (int s = 0; s < kLanguages; ++s) {
        const std::string name = jf::languageNameForSlot(s);
        if (!source.seen[static_cast<std::size_t>(s)]) {
            errors.general("language \"" + name + "\" is missing");
            continue;
        }
        for (int e = 0; e < kEntries; ++e) {
            if (!source.texts[static_cast<std::size_t>(s)][static_cast<std::size_t>(e)]) {
                errors.general("language \"" + name + "\" lacks entry " + std::to_string(e));
            }
        }
    }
}

std::vector<std::uint8_t> buildBody(const Source& source) {
    std::vector<std::uint8_t> body;
    jf::appendLE16(body, kFormWithLanguages);
    jf::appendLE16(body, static_cast<std::uint16_t>(kLanguages * kEntries));
    for (int slot = 0; slot < kLanguages; ++slot) {
        for (int entry = 0; entry < kEntries; ++entry) {
            const std::string& text =
                *source.texts[static_cast<std::size_t>(slot)][static_cast<std::size_t>(entry)];
            body.push_back(static_cast<std::uint8_t>(slot + 1));  // language byte
            body.insert(body.end(), text.begin(), text.end());
            body.push_back(0);  // end of text
            body.push_back(0);  // empty comment
        }
    }
    return body;
}

std::string renderSource(const std::vector<std::uint8_t>& body) {
    std::ostringstream out;
    out << "// Generated by tools/gen_default_texts from resources/default_texts.txt.\n"
           "// Do not edit.\n\n"
           "#include \"careers/DefaultTexts.h\"\n\n"
           "#include <iterator>\n\n"
           "namespace jf {\n\n"
           "namespace {\n\n"
           "constexpr std::uint8_t kBody[] = {\n";
    char hex[8];
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (i % kBytesPerLine == 0) {
            out << "   ";
        }
        std::snprintf(hex, sizeof hex, " 0x%02X,", static_cast<unsigned>(body[i]));
        out << hex;
        if (i % kBytesPerLine == kBytesPerLine - 1 || i + 1 == body.size()) {
            out << '\n';
        }
    }
    out << "};\n\n"
           "}  // namespace\n\n"
           "const std::vector<std::uint8_t>& defaultGlobalTextsBody() {\n"
           "    static const std::vector<std::uint8_t> body(std::begin(kBody), std::end(kBody));\n"
           "    return body;\n"
           "}\n\n"
           "}  // namespace jf\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: gen_default_texts <default_texts.txt> <DefaultTexts.cpp>\n";
        return 2;
    }
    const std::string inputPath = argv[1];
    const std::string outputPath = argv[2];
    Errors errors(inputPath);
    std::ifstream in(inputPath, std::ios::binary);
    if (!in) {
        errors.general("cannot open");
        return 1;
    }
    Source source;
    parse(in, source, errors);
    if (in.bad()) {
        errors.general("read error");
    }
    if (errors.count() != 0) {
        return 1;
    }
    const std::string text = renderSource(buildBody(source));

    // Write beside the output and rename, so a failed run leaves no partial
    // file that the build would take as up to date.
    const std::string temporary = outputPath + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::cerr << temporary << ": cannot write\n";
            std::remove(temporary.c_str());
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, outputPath, error);  // replaces the old output
    if (error) {
        std::cerr << outputPath << ": cannot replace: " << error.message() << '\n';
        std::filesystem::remove(temporary, error);
        return 1;
    }
    return 0;
}
