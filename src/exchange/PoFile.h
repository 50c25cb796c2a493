#pragma once
// Translation files in the gettext PO format: the entries a file holds, the
// text of such a file, and reading one back.
//
// Only what the career texts need is modelled: one context, one source text
// and one translation per entry, the translator comments ("#.") and the
// fuzzy flag. Everything is UTF-8; nothing here knows about code pages or
// careers (exchange/Translation.h maps entries to the game's texts).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jf {

struct PoEntry {
    std::string context;                // msgctxt; "" when the entry has none
    std::string source;                 // msgid
    std::string translation;            // msgstr ("" for an untranslated entry)
    std::vector<std::string> comments;  // "#." lines, without the "#. "
    bool fuzzy = false;                 // "#, fuzzy"
    // The entry had msgid_plural: its translations (msgstr[N]) are not kept.
    bool plural = false;
    std::size_t line = 0;  // 1-based line of its first keyword (parsed files)
};

struct PoFile {
    // The header entry's text (the msgstr of the entry with an empty msgid
    // and no context): "Name: value\n" lines.
    std::string header;
    // Every other entry in file order; obsolete ("#~") entries are not kept.
    std::vector<PoEntry> entries;
};

// The value of header field `name` (compared ignoring ASCII letter case),
// without surrounding blanks; "" when the header lacks it.
std::string poHeaderField(const std::string& header, std::string_view name);

// The text of a PO file: the header entry first, then every entry with its
// comments, fuzzy flag, context, source and translation, separated by empty
// lines. Strings are quoted with \\, \", \n, \t, \r and octal escapes for
// other control characters; a string holding line breaks is written as ""
// followed by one quoted line per line of text. Entries with an empty
// source are the caller's to leave out (gettext keeps that for the header).
std::string writePoFile(const PoFile& file);

// Reads a PO file. Accepts a UTF-8 byte order mark, CR LF line ends,
// comments of every kind, strings continued over several lines, the escapes
// of C, flags, obsolete entries (skipped) and plural entries (kept with
// `plural` set). nullopt when the text breaks the format; `problems` then
// receives one "line N: ..." text per fault found (reading goes on after a
// fault, so that all are named).
std::optional<PoFile> parsePoFile(std::string_view text, std::vector<std::string>& problems);

}  // namespace jf
