#include "platform/WineRegistry.h"

#include <cstdio>

#include "platform/ByteOrder.h"
#include "platform/HostEnvironment.h"

namespace jf::wine {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kMaxHexDigitsPerUnit = 4;
constexpr std::size_t kMaxOctalDigits = 3;
constexpr std::size_t kMaxDwordDigits = 8;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Collects UTF-16 code units (pairing surrogates) and raw bytes into UTF-8.
class Utf8Builder {
public:
    void unit(char16_t u) {
        if (u >= 0xD800 && u <= 0xDBFF) {
            flush();
            high_ = u;
            return;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (high_ != 0) {
                char32_t cp = 0x10000 + ((static_cast<char32_t>(high_) - 0xD800) << 10) +
                              (static_cast<char32_t>(u) - 0xDC00);
                high_ = 0;
                appendUtf8(out_, cp);
            } else {
                appendUtf8(out_, kReplacement);
            }
            return;
        }
        flush();
        appendUtf8(out_, u);
    }
    void byte(char b) {
        flush();
        out_.push_back(b);
    }
    std::string take() {
        flush();
        return std::move(out_);
    }

private:
    void flush() {
        if (high_ != 0) {
            appendUtf8(out_, kReplacement);
            high_ = 0;
        }
    }
    std::string out_;
    char16_t high_ = 0;
};

std::vector<std::uint8_t> textData(const std::string& utf8) {
    std::vector<std::uint8_t> data(utf8.begin(), utf8.end());
    data.push_back(0);
    return data;
}

// UTF-16LE bytes (as stored by hex(1) / hex(2) values) to UTF-8 text data.
std::vector<std::uint8_t> textDataFromUtf16(const std::vector<std::uint8_t>& bytes) {
    Utf8Builder builder;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto u = static_cast<char16_t>(readLE16(bytes.data() + i));
        if (u == 0) {
            break;
        }
        builder.unit(u);
    }
    return textData(builder.take());
}

// Reads physical lines, joining the continuation lines of hex values.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            end = text_.size();
        }
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        while (!line.empty() &&
               (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string_view trimFront(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// "[path] stamp" -> path, decoded.
bool sectionPath(std::string_view line, std::string& path) {
    if (line.empty() || line.front() != '[') {
        return false;
    }
    std::size_t used = 0;
    return decodeString(line.substr(1), ']', path, used);
}

// Hex bytes "01,02,ab" (possibly continued); false on malformed input.
bool parseHexBytes(std::string_view s, Lines& lines, std::vector<std::uint8_t>& bytes) {
    for (;;) {
        s = trimFront(s);
        bool continued = !s.empty() && s.back() == '\\';
        if (continued) {
            s.remove_suffix(1);
        }
        std::size_t i = 0;
        while (i < s.size()) {
            char c = s[i];
            if (c == ',' || c == ' ' || c == '\t') {
                ++i;
                continue;
            }
            if (i + 1 >= s.size() || hexDigit(c) < 0 || hexDigit(s[i + 1]) < 0) {
                return false;
            }
            bytes.push_back(static_cast<std::uint8_t>(hexDigit(c) * 16 + hexDigit(s[i + 1])));
            i += 2;
        }
        if (!continued) {
            return true;
        }
        std::string_view nextLine;
        if (!lines.next(nextLine)) {
            return true;
        }
        s = nextLine;
    }
}

// One value line: "name"=data or @=data. False when malformed.
bool parseValue(std::string_view line, Lines& lines, std::string& name, SettingsValue& value) {
    std::string_view rest;
    if (line.front() == '@') {
        name.clear();
        rest = line.substr(1);
    } else {
        std::size_t used = 0;
        if (!decodeString(line.substr(1), '"', name, used)) {
            return false;
        }
        rest = line.substr(1 + used);
    }
    rest = trimFront(rest);
    if (rest.empty() || rest.front() != '=') {
        return false;
    }
    rest = trimFront(rest.substr(1));

    auto quotedText = [&](std::string_view body, SettingsValueType type) {
        if (body.empty() || body.front() != '"') {
            return false;
        }
        std::string text;
        std::size_t used = 0;
        if (!decodeString(body.substr(1), '"', text, used)) {
            return false;
        }
        value.type = type;
        value.data = textData(text);
        return true;
    };

    if (!rest.empty() && rest.front() == '"') {
        return quotedText(rest, SettingsValueType::String);
    }
    if (startsWith(rest, "str(")) {
        std::size_t close = rest.find("):");
        if (close == std::string_view::npos || close < 5) {
            return false;
        }
        unsigned type = 0;
        for (char c : rest.substr(4, close - 4)) {
            if (hexDigit(c) < 0 || type > 0xFFFFFFu) {
                return false;
            }
            type = type * 16 + static_cast<unsigned>(hexDigit(c));
        }
        return quotedText(rest.substr(close + 2), static_cast<SettingsValueType>(type));
    }
    if (startsWith(rest, "dword:")) {
        std::string_view digits = rest.substr(6);
        if (digits.empty() || digits.size() > kMaxDwordDigits) {
            return false;
        }
        std::uint32_t v = 0;
        for (char c : digits) {
            if (hexDigit(c) < 0) {
                return false;
            }
            v = v * 16 + static_cast<std::uint32_t>(hexDigit(c));
        }
        value.type = SettingsValueType::Dword;
        value.data = settings::dwordBytes(v);
        return true;
    }
    if (startsWith(rest, "hex")) {
        std::string_view after = rest.substr(3);
        std::uint32_t type = static_cast<std::uint32_t>(SettingsValueType::Binary);
        if (!after.empty() && after.front() == '(') {
            std::size_t close = after.find(')');
            if (close == std::string_view::npos || close < 2 || close > 9) {
                return false;
            }
            type = 0;
            for (char c : after.substr(1, close - 1)) {
                if (hexDigit(c) < 0) {
                    return false;
                }
                type = type * 16 + static_cast<std::uint32_t>(hexDigit(c));
            }
            after = after.substr(close + 1);
        }
        if (after.empty() || after.front() != ':') {
            return false;
        }
        std::vector<std::uint8_t> bytes;
        if (!parseHexBytes(after.substr(1), lines, bytes)) {
            return false;
        }
        value.type = static_cast<SettingsValueType>(type);
        value.data = settings::isText(value.type) ? textDataFromUtf16(bytes) : std::move(bytes);
        return true;
    }
    return false;
}

bool hasHeader(std::string_view text) {
    return startsWith(text, kWineRegistryHeader);
}

// Reads the value lines of the section starting at the current line.
void readValues(Lines& lines, SettingsValues& values, std::string_view& pending, bool& more) {
    std::string_view line;
    while ((more = lines.next(line))) {
        if (!line.empty() && line.front() == '[') {
            pending = line;
            return;
        }
        if (line.empty() || (line.front() != '"' && line.front() != '@')) {
            continue;  // blank lines, ";" comments, "#time=" and other metadata
        }
        std::string name;
        SettingsValue value;
        if (parseValue(line, lines, name, value)) {
            values[name] = std::move(value);
        }
    }
}

}  // namespace

bool decodeString(std::string_view text, char terminator, std::string& utf8,
                  std::size_t& consumed) {
    Utf8Builder out;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == terminator) {
            utf8 = out.take();
            consumed = i + 1;
            return true;
        }
        if (c != '\\') {
            out.byte(c);
            ++i;
            continue;
        }
        if (++i >= text.size()) {
            return false;
        }
        char e = text[i++];
        switch (e) {
            case 'a':
                out.unit(0x07);
                break;
            case 'b':
                out.unit(0x08);
                break;
            case 'e':
                out.unit(0x1B);
                break;
            case 'f':
                out.unit(0x0C);
                break;
            case 'n':
                out.unit(0x0A);
                break;
            case 'r':
                out.unit(0x0D);
                break;
            case 't':
                out.unit(0x09);
                break;
            case 'v':
                out.unit(0x0B);
                break;
            case 'x': {
                unsigned u = 0;
                std::size_t digits = 0;
                while (digits < kMaxHexDigitsPerUnit && i < text.size() && hexDigit(text[i]) >= 0) {
                    u = u * 16 + static_cast<unsigned>(hexDigit(text[i]));
                    ++i;
                    ++digits;
                }
                if (digits == 0) {
                    out.byte('x');
                } else {
                    out.unit(static_cast<char16_t>(u));
                }
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned u = static_cast<unsigned>(e - '0');
                    std::size_t digits = 1;
                    while (digits < kMaxOctalDigits && i < text.size() && text[i] >= '0' &&
                           text[i] <= '7') {
                        u = u * 8 + static_cast<unsigned>(text[i] - '0');
                        ++i;
                        ++digits;
                    }
                    out.unit(static_cast<char16_t>(u));
                } else {
                    out.byte(e);  // \\ \" \[ \] and anything else stand for themselves
                }
                break;
        }
    }
    return false;
}

std::string encodeString(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"' || c == '[' || c == ']') {
            out.push_back('\\');
            out.push_back(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (b < 0x20 || b == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%04x", b);
            out += buffer;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string formatKey(const std::string& keyPath, const SettingsValues& values) {
    std::string out = "[" + encodeString(keyPath) + "]\n";
    for (const auto& [name, value] : values) {
        out += name.empty() ? std::string("@") : "\"" + encodeString(name) + "\"";
        out += '=';
        std::uint32_t dword = 0;
        char buffer[16];
        if (settings::dwordOf(value, dword)) {
            std::snprintf(buffer, sizeof buffer, "dword:%08x", dword);
            out += buffer;
        } else if (value.type == SettingsValueType::String) {
            out += "\"" + encodeString(settings::textOf(value.data)) + "\"";
        } else if (value.type == SettingsValueType::ExpandString) {
            out += "str(2):\"" + encodeString(settings::textOf(value.data)) + "\"";
        } else {
            if (value.type == SettingsValueType::Binary) {
                out += "hex:";
            } else {
                std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
                out += buffer;
            }
            for (std::size_t i = 0; i < value.data.size(); ++i) {
                std::snprintf(buffer, sizeof buffer, i == 0 ? "%02x" : ",%02x", value.data[i]);
                out += buffer;
            }
        }
        out += '\n';
    }
    return out;
}

bool readKey(std::string_view text, const std::string& keyPath, SettingsValues& values,
             bool requireHeader) {
    values.clear();
    if (requireHeader && !hasHeader(text)) {
        return false;
    }
    const std::string wanted = settings::normalizeKeyPath(keyPath);
    Lines lines(text);
    std::string_view line;
    while (lines.next(line)) {
        std::string path;
        if (!sectionPath(line, path) || settings::normalizeKeyPath(path) != wanted) {
            continue;
        }
        std::string_view pending;
        bool more = false;
        readValues(lines, values, pending, more);
        return true;
    }
    return false;
}

std::vector<std::pair<std::string, SettingsValues>> readAllKeys(std::string_view text) {
    std::vector<std::pair<std::string, SettingsValues>> keys;
    Lines lines(text);
    std::string_view line;
    bool more = lines.next(line);
    while (more) {
        std::string path;
        if (!sectionPath(line, path)) {
            more = lines.next(line);
            continue;
        }
        SettingsValues values;
        std::string_view pending;
        readValues(lines, values, pending, more);
        keys.emplace_back(std::move(path), std::move(values));
        line = pending;
    }
    return keys;
}

std::string nativePath(const std::string& prefix, const std::string& windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') {
        return windowsPath;
    }
    char drive = windowsPath[0];
    if (!((drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z'))) {
        return windowsPath;
    }
    std::string devices = hostfs::findEntry(prefix, "dosdevices");
    std::string link =
        devices.empty() ? std::string() : hostfs::findEntry(devices, std::string(1, drive) + ":");
    if (link.empty()) {
        return windowsPath;
    }
    std::string target = hostfs::canonical(link);
    std::string rest = windowsPath.substr(2);
    // "C:" and the drive-relative "C:Games" are taken from the drive's root.
    if (rest.empty() || rest.front() != '\\') {
        rest.insert(rest.begin(), '\\');
    }
    while (target.size() > 1 && target.back() == '/') {
        target.pop_back();
    }
    if (target == "/") {
        return "/" + rest.substr(1);  // a drive linked to the root folder ("z:")
    }
    return target + rest;
}

}  // namespace jf::wine
