#include "exchange/PoFile.h"

#include <cctype>
#include <cstdio>

namespace jf {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kFuzzyFlag = "fuzzy";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// ---- Writing -------------------------------------------------------------------

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char octal[8];
                    std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
                    out += octal;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void writeString(std::string& out, const char* keyword, std::string_view text) {
    out += keyword;
    const std::size_t lineBreak = text.find('\n');
    if (lineBreak == std::string_view::npos || lineBreak + 1 == text.size()) {
        out += ' ' + quoted(text) + '\n';
        return;
    }
    out += " \"\"\n";
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        out += quoted(text.substr(0, length)) + '\n';
        text.remove_prefix(length);
    }
}

// ---- Reading -------------------------------------------------------------------

class PoReader {
public:
    explicit PoReader(std::vector<std::string>& problems) : problems_(problems) {}

    void readLine(std::string_view line) {
        ++lineNumber_;
        line = trimmed(line);
        if (line.empty()) {
            if (hasStr_) {
                finish();
            }
            return;
        }
        if (line.front() == '#') {
            if (hasStr_) {
                finish();
            }
            readComment(line);
            return;
        }
        if (line.front() == '"') {
            if (last_ == nullptr) {
                problem("a string that belongs to no keyword");
                return;
            }
            readString(line, *last_);
            return;
        }
        readKeyword(line);
    }

    void end() { finish(); }
    PoFile& file() { return file_; }

private:
    void problem(const std::string& text) {
        problems_.push_back("line " + std::to_string(lineNumber_) + ": " + text);
        broken_ = true;
    }

    void readComment(std::string_view line) {
        last_ = nullptr;
        if (line.starts_with("#~")) {
            return;  // an obsolete entry
        }
        if (line.starts_with("#,")) {
            std::string_view flags = line.substr(2);
            while (!flags.empty()) {
                const std::size_t comma = flags.find(',');
                if (trimmed(flags.substr(0, comma)) == kFuzzyFlag) {
                    entry_.fuzzy = true;
                }
                flags =
                    comma == std::string_view::npos ? std::string_view{} : flags.substr(comma + 1);
            }
        } else if (line.starts_with("#.")) {
            entry_.comments.emplace_back(trimmed(line.substr(2)));
        }
    }

    void readKeyword(std::string_view line) {
        std::size_t wordEnd = 0;
        while (wordEnd < line.size() && line[wordEnd] != ' ' && line[wordEnd] != '\t' &&
               line[wordEnd] != '"') {
            ++wordEnd;
        }
        const std::string_view keyword = line.substr(0, wordEnd);
        const std::string_view rest = trimmed(line.substr(wordEnd));
        if (keyword == "msgctxt" || keyword == "msgid") {
            if (hasStr_) {
                finish();
            }
            if (entryLine_ == 0) {
                entryLine_ = lineNumber_;
            }
            const bool context = keyword == "msgctxt";
            if (hasId_ || (context && hasContext_)) {
                problem(std::string(keyword) + " where it does not belong");
                return;
            }
            (context ? hasContext_ : hasId_) = true;
            last_ = context ? &entry_.context : &entry_.source;
        } else if (keyword == "msgid_plural") {
            if (!hasId_ || hasStr_ || entry_.plural) {
                problem("msgid_plural where it does not belong");
                return;
            }
            entry_.plural = true;
            last_ = &ignored_;
        } else if (keyword == "msgstr" || keyword.starts_with("msgstr[")) {
            const bool indexed = keyword != "msgstr";
            if (!hasId_ || (!indexed && hasStr_) || indexed != entry_.plural) {
                problem(std::string(keyword) + " where it does not belong");
                return;
            }
            hasStr_ = true;
            last_ = indexed ? &ignored_ : &entry_.translation;
        } else {
            problem("unknown keyword '" + std::string(keyword) + "'");
            return;
        }
        ignored_.clear();
        readString(rest, *last_);
    }

    // Appends the quoted string that is all of `text` to `out`.
    void readString(std::string_view text, std::string& out) {
        if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
            problem("a string in double quotes was expected");
            return;
        }
        text = text.substr(1, text.size() - 2);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"') {
                problem("a double quote inside a string must be written \\\"");
                return;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++i == text.size()) {
                problem("a string ends in a lone backslash");
                return;
            }
            if (!readEscape(text, i, out)) {
                problem(std::string("unknown escape \\") + text[i]);
                return;
            }
        }
    }

    // The escape whose letter is text[i]; i ends on its last character.
    static bool readEscape(std::string_view text, std::size_t& i, std::string& out) {
        static constexpr std::string_view kLetters = "ntr\"\\abfv'?";
        static constexpr std::string_view kValues = "\n\t\r\"\\\a\b\f\v'?";
        if (const std::size_t k = kLetters.find(text[i]); k != std::string_view::npos) {
            out += kValues[k];
            return true;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        if (text[i] >= '0' && text[i] <= '7') {
            while (digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7') {
                value = value * 8 + static_cast<unsigned>(text[i++] - '0');
                ++digits;
            }
        } else if (text[i] == 'x') {
            ++i;
            while (digits < 2 && i < text.size() &&
                   std::isxdigit(static_cast<unsigned char>(text[i]))) {
                const char h =
                    static_cast<char>(std::tolower(static_cast<unsigned char>(text[i++])));
                value = value * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : h - 'a' + 10);
                ++digits;
            }
        }
        if (digits == 0 || value > 0xFF) {
            return false;
        }
        --i;
        out += static_cast<char>(value);
        return true;
    }

    void finish() {
        if (hasContext_ || hasId_ || hasStr_) {
            const std::size_t saved = lineNumber_;
            lineNumber_ = entryLine_;
            if (!hasId_) {
                problem("an entry without msgid");
            } else if (!hasStr_) {
                problem("an entry without msgstr");
            }
            lineNumber_ = saved;
            entry_.line = entryLine_;
            if (!broken_) {
                if (!hasContext_ && entry_.source.empty() && !headerSeen_) {
                    file_.header = entry_.translation;
                    headerSeen_ = true;
                } else {
                    file_.entries.push_back(std::move(entry_));
                }
            }
        }
        entry_ = PoEntry{};
        hasContext_ = hasId_ = hasStr_ = broken_ = false;
        last_ = nullptr;
        entryLine_ = 0;
    }

    std::vector<std::string>& problems_;
    PoFile file_;
    PoEntry entry_;
    std::string ignored_;  // the texts of plural keywords
    std::string* last_ = nullptr;
    std::size_t lineNumber_ = 0;
    std::size_t entryLine_ = 0;
    bool hasContext_ = false;
    bool hasId_ = false;
    bool hasStr_ = false;
    bool broken_ = false;
    bool headerSeen_ = false;
};

}  // namespace

std::string poHeaderField(const std::string& header, std::string_view name) {
    std::string_view rest = header;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            equalsIgnoringCase(trimmed(line.substr(0, colon)), name)) {
            return std::string(trimmed(line.substr(colon + 1)));
        }
    }
    return {};
}

std::string writePoFile(const PoFile& file) {
    std::string out;
    out += "msgid \"\"\n";
    writeString(out, "msgstr", file.header);
    for (const PoEntry& entry : file.entries) {
        out += '\n';
        for (const std::string& comment : entry.comments) {
            std::string_view rest = comment;
            while (true) {
                const std::size_t end = rest.find('\n');
                out += "#. ";
                out += rest.substr(0, end);
                out += '\n';
                if (end == std::string_view::npos) {
                    break;
                }
                rest.remove_prefix(end + 1);
            }
        }
        if (entry.fuzzy) {
            out += "#, fuzzy\n";
        }
        if (!entry.context.empty()) {
            writeString(out, "msgctxt", entry.context);
        }
        writeString(out, "msgid", entry.source);
        writeString(out, "msgstr", entry.translation);
    }
    return out;
}

std::optional<PoFile> parsePoFile(std::string_view text, std::vector<std::string>& problems) {
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    const std::size_t before = problems.size();
    PoReader reader(problems);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        reader.readLine(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    reader.end();
    if (problems.size() != before) {
        return std::nullopt;
    }
    return std::move(reader.file());
}

}  // namespace jf
