#pragma once
// The code page of each text language, and conversion between those code
// pages and UTF-8.
//
// The game stores every text as single- or double-byte characters of the
// Windows code page of its language; the editor and the tools work in UTF-8.
// This is the one place that knows which code page belongs to which
// LanguageSlot (see iff/StringTable.h for the slot order). Code pages are
// named by their Windows numbers (1252, 932, ...).
//
// Conversions are strict: a text is never silently changed on its way to or
// from a code page. All functions are thread-safe and throw nothing.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace jf {

// Windows code page numbers used by the game's languages.
inline constexpr int kCodePageWesternEurope = 1252;
inline constexpr int kCodePageCentralEurope = 1250;
inline constexpr int kCodePageCyrillic = 1251;
inline constexpr int kCodePageHebrew = 1255;
inline constexpr int kCodePageThai = 874;
inline constexpr int kCodePageJapanese = 932;            // Shift-JIS, Microsoft variant
inline constexpr int kCodePageSimplifiedChinese = 936;   // GBK
inline constexpr int kCodePageKorean = 949;              // Unified Hangul Code
inline constexpr int kCodePageTraditionalChinese = 950;  // Big5

// Internal names and every other text that belongs to no language.
inline constexpr int kNeutralCodePage = kCodePageWesternEurope;

// The code page of the texts stored under a LanguageSlot (0..19); the
// neutral code page for any other value.
int codePageForSlot(int slot);

// The English names of the LanguageSlots 0..19, as menus label them.
inline constexpr std::array<const char*, 20> kLanguageNames = {
    "USEnglish",
    "UKEnglish",
    "French",
    "German",
    "Italian",
    "Spanish",
    "Dutch",
    "Danish",
    "Swedish",
    "Norwegian",
    "Finnish",
    "Hebrew",
    "Russian",
    "Portuguese",
    "Japanese",
    "Polish",
    "Simplified Chinese",   // GBK
    "Traditional Chinese",  // Big5
    "Thai",
    "Korean",
};

// The name of a LanguageSlot in kLanguageNames; "" for any other value.
const char* languageNameForSlot(int slot);

// The LanguageSlot that `name` names: a name of kLanguageNames in any
// letter case of its ASCII letters ("french", "Simplified chinese"), or a
// slot number 0..19 in decimal. nullopt for anything else.
std::optional<int> languageSlotFromName(std::string_view name);

// Decodes bytes of `codePage` into UTF-8. nullopt when the code page is not
// one of those above, or when any byte sequence has no character in it
// (including a double-byte lead byte cut off at the end). The same bytes
// decode the same on every build, by one rule where the system converters
// differ:
// - a byte 0x80..0x9F without a character, standing alone, is the control
//   character of the same value (U+0080..U+009F), as Windows reads it, and
//   encodes back to that byte: the gaps of the single-byte code pages (so
//   every byte string of code page 1252 decodes) and the lone 0x80 of 932
//   and 949;
// - each byte of a single-byte code page is one character (Hebrew points
//   stay apart from their letters); 1255 byte 0xCA is U+05BA;
// - the user-defined double-byte ranges, which would read as characters of
//   the Private Use Area, have no character.
std::optional<std::string> toUtf8(const std::string& bytes, int codePage);

// For showing texts that may be damaged: decodes like toUtf8, but each byte
// that does not decode becomes U+FFFD and decoding goes on with the next
// byte. `complete` (when given) is set to whether nothing was replaced. An
// unknown code page yields "" with complete false. Text shown this way must
// not be written back unchanged over the original bytes, because the
// replacements cannot be encoded again.
std::string toUtf8Lossy(const std::string& bytes, int codePage, bool* complete = nullptr);

// Encodes UTF-8 into `codePage`. nullopt when the code page is unknown, the
// input is not valid UTF-8, or any character has no exact equivalent in the
// code page (no best-fit or default character is ever substituted: the
// result always decodes back to exactly `utf8`).
std::optional<std::string> fromUtf8(const std::string& utf8, int codePage);

// Why fromUtf8 refuses a text: the first character (as a code point) that
// `codePage` cannot hold, U+FFFD for the first byte that is not valid
// UTF-8; nullopt when every character fits or the code page is unknown.
std::optional<char32_t> firstUnstorableCharacter(const std::string& utf8, int codePage);

}  // namespace jf
