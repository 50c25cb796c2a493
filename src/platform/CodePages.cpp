// Code pages by language, and conversion to and from UTF-8: glibc iconv on
// POSIX, the Win32 conversion functions on Windows, with one decoding rule of
// our own on top (below) where the two disagree.
//
// Both back ends may map a character to a "best fit" (glibc's CP932 turns
// U+00A5 YEN SIGN into 0x5C, which reads back as a backslash), so fromUtf8
// checks every encoding by decoding it again and refuses it unless the round
// trip gives back the input exactly.

#include "platform/CodePages.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <map>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <new>
#include <vector>
#endif

namespace jf {

namespace {

// The code page of each LanguageSlot, in the order of kLanguageNames; the
// language byte of STR# bodies is the slot + 1. The game reads language byte
// 17 (slot 16) as Simplified Chinese in GBK and language byte 18 (slot 17) as
// Traditional Chinese in Big5.
constexpr std::array<int, kLanguageNames.size()> kSlotCodePages{{
    kCodePageWesternEurope,       // 1 USEnglish
    kCodePageWesternEurope,       // 2 UKEnglish
    kCodePageWesternEurope,       // 3 French
    kCodePageWesternEurope,       // 4 German
    kCodePageWesternEurope,       // 5 Italian
    kCodePageWesternEurope,       // 6 Spanish
    kCodePageWesternEurope,       // 7 Dutch
    kCodePageWesternEurope,       // 8 Danish
    kCodePageWesternEurope,       // 9 Swedish
    kCodePageWesternEurope,       // 10 Norwegian
    kCodePageWesternEurope,       // 11 Finnish
    kCodePageHebrew,              // 12 Hebrew
    kCodePageCyrillic,            // 13 Russian
    kCodePageWesternEurope,       // 14 Portuguese
    kCodePageJapanese,            // 15 Japanese
    kCodePageCentralEurope,       // 16 Polish
    kCodePageSimplifiedChinese,   // 17 Simplified Chinese: GBK
    kCodePageTraditionalChinese,  // 18 Traditional Chinese: Big5
    kCodePageThai,                // 19 Thai
    kCodePageKorean,              // 20 Korean
}};

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

constexpr char32_t kReplacementCodePoint = 0xFFFD;
constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

// The code point of the UTF-8 sequence at `at` and its length in bytes;
// kInvalidCodePoint for a sequence that is not valid UTF-8 (cut off,
// overlong, a surrogate, beyond U+10FFFF, a stray continuation byte).
char32_t nextCodePoint(const std::string& utf8, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    char32_t point = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        point = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        point = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        point = lead & 0x07;
        smallest = 0x10000;
    } else {
        return kInvalidCodePoint;
    }
    if (at + length > utf8.size()) {
        return kInvalidCodePoint;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(utf8[at + i]);
        if ((next & 0xC0) != 0x80) {
            return kInvalidCodePoint;
        }
        point = (point << 6) | (next & 0x3F);
    }
    if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return kInvalidCodePoint;
    }
    return point;
}

bool knownCodePage(int codePage) {
    switch (codePage) {
        case kCodePageWesternEurope:
        case kCodePageCentralEurope:
        case kCodePageCyrillic:
        case kCodePageHebrew:
        case kCodePageThai:
        case kCodePageJapanese:
        case kCodePageSimplifiedChinese:
        case kCodePageKorean:
        case kCodePageTraditionalChinese:
            return true;
        default:
            return false;
    }
}

#ifdef _WIN32

// Converts between a code page and UTF-16. Strict: MB_ERR_INVALID_CHARS
// refuses undecodable bytes.
bool toWide(const std::string& bytes, UINT codePage, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) {
        return true;
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    const int inLength = static_cast<int>(bytes.size());
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength, nullptr, 0);
    if (needed <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(needed));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength, wide.data(),
                               needed) == needed;
}

// UTF-16 to UTF-8, refusing unpaired surrogates.
bool wideToUtf8(const std::wstring& wide, std::string& utf8) {
    utf8.clear();
    if (wide.empty()) {
        return true;
    }
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    const int inLength = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLength,
                                           nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return false;
    }
    utf8.resize(static_cast<std::size_t>(needed));
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inLength, utf8.data(),
                               needed, nullptr, nullptr) == needed;
}

std::optional<std::string> systemDecode(const std::string& bytes, int codePage) {
    std::wstring wide;
    std::string utf8;
    if (!toWide(bytes, static_cast<UINT>(codePage), wide) || !wideToUtf8(wide, utf8)) {
        return std::nullopt;
    }
    return utf8;
}

std::optional<std::string> systemEncode(const std::string& utf8, int codePage) {
    if (utf8.empty()) {
        return std::string();
    }
    std::wstring wide;
    if (!toWide(utf8, CP_UTF8, wide) || wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::nullopt;
    }
    const UINT page = static_cast<UINT>(codePage);
    const int inLength = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int needed = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), inLength,
                                           nullptr, 0, nullptr, &usedDefault);
    if (needed <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(needed), '\0');
    usedDefault = FALSE;
    if (WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), inLength, out.data(), needed,
                            nullptr, &usedDefault) != needed ||
        usedDefault) {
        return std::nullopt;
    }
    return out;
}

#else  // POSIX: glibc iconv

const char* iconvName(int codePage) {
    switch (codePage) {
        case kCodePageWesternEurope:
            return "CP1252";
        case kCodePageCentralEurope:
            return "CP1250";
        case kCodePageCyrillic:
            return "CP1251";
        case kCodePageHebrew:
            return "CP1255";
        case kCodePageThai:
            return "CP874";
        case kCodePageJapanese:
            return "CP932";  // not SHIFT_JIS, which reads 0x5C as a yen sign
        case kCodePageSimplifiedChinese:
            return "CP936";
        case kCodePageKorean:
            return "CP949";
        case kCodePageTraditionalChinese:
            return "CP950";
        default:
            return nullptr;
    }
}

constexpr char kUtf8Name[] = "UTF-8";
constexpr std::size_t kOutputChunk = 256;

// Converters opened once per thread and direction and then reused: opening
// one costs far more than converting a short text. Each thread keeps its own,
// since a converter carries its shift state; the state is reset before each
// use. Closed when the thread ends.
class ConverterCache {
public:
    ConverterCache() = default;
    ConverterCache(const ConverterCache&) = delete;
    ConverterCache& operator=(const ConverterCache&) = delete;
    ~ConverterCache() {
        for (const Entry& entry : entries_) {
            iconv_close(entry.converter);
        }
    }

    // A converter in its initial state, or (iconv_t)-1 when there is none.
    iconv_t get(const char* to, const char* from) {
        const auto none = reinterpret_cast<iconv_t>(-1);
        if (to == nullptr || from == nullptr) {
            return none;
        }
        for (const Entry& entry : entries_) {
            if (entry.to == to && entry.from == from) {
                iconv(entry.converter, nullptr, nullptr, nullptr, nullptr);
                return entry.converter;
            }
        }
        iconv_t converter = iconv_open(to, from);
        if (converter == none) {
            return none;
        }
        try {
            entries_.push_back({to, from, converter});
        } catch (const std::bad_alloc&) {
            iconv_close(converter);
            return none;
        }
        return converter;
    }

private:
    struct Entry {
        std::string to;
        std::string from;
        iconv_t converter;
    };
    std::vector<Entry> entries_;
};

thread_local ConverterCache converters;

// Runs one strict conversion: fails on the first byte sequence that does not
// convert, and on any conversion that iconv reports as irreversible.
std::optional<std::string> runIconv(const char* to, const char* from, const std::string& in) {
    iconv_t cd = converters.get(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string input = in;  // iconv wants a non-const input pointer
    char* inPointer = input.data();
    std::size_t inLeft = input.size();
    std::string out;
    bool flushing = false;
    while (true) {
        char buffer[kOutputChunk];
        char* outPointer = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result = flushing ? iconv(cd, nullptr, nullptr, &outPointer, &outLeft)
                                      : iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
        if (result != static_cast<std::size_t>(-1)) {
            if (result != 0) {
                return std::nullopt;  // irreversible: a substitute was written
            }
            if (flushing) {
                return out;
            }
            flushing = true;  // all input taken; write any final shift sequence
            continue;
        }
        if (error != E2BIG) {
            // EILSEQ (no such character) or EINVAL (sequence cut off at the end).
            return std::nullopt;
        }
    }
}

std::optional<std::string> systemDecode(const std::string& bytes, int codePage) {
    return runIconv(kUtf8Name, iconvName(codePage), bytes);
}

std::optional<std::string> systemEncode(const std::string& utf8, int codePage) {
    return runIconv(iconvName(codePage), kUtf8Name, utf8);
}

#endif

// The project's own decoding rule, the same on every build whatever the
// system converter thinks (glibc and Windows disagree on each point below):
//
// - A single-byte code page decodes byte by byte through one table: each
//   byte is one character, so Hebrew points never merge with their letter
//   into a presentation form (glibc's CP1255 merges them, Windows does not).
// - A byte 0x80..0x9F that has no character, standing alone, is the C1
//   control character of the same value (U+0080..U+009F) and encodes back to
//   that byte, as on Windows: the gaps of the single-byte code pages and the
//   lone byte 0x80 of code pages 932 and 949. glibc refuses them.
// - Code page 1255 byte 0xCA is U+05BA HEBREW POINT HOLAM HASER FOR VAV, as
//   on Windows (glibc's table predates it).
// - Characters of the Private Use Area are refused: Windows maps the
//   user-defined double-byte ranges there (glibc refuses those of 936, 949
//   and 950 but maps those of 932), and no font of the game shows them.

constexpr unsigned char kFirstC1 = 0x80;
constexpr unsigned char kLastC1 = 0x9F;
constexpr unsigned char kHebrewHolamHaserByte = 0xCA;
constexpr char kHebrewHolamHaser[] = "\xD6\xBA";  // U+05BA in UTF-8
constexpr char32_t kFirstPrivateUse = 0xE000;
constexpr char32_t kLastPrivateUse = 0xF8FF;
constexpr int kByteValues = 256;

bool isSingleByte(int codePage) {
    return codePage == kCodePageWesternEurope || codePage == kCodePageCentralEurope ||
           codePage == kCodePageCyrillic || codePage == kCodePageHebrew ||
           codePage == kCodePageThai;
}

// Double-byte code pages whose lone byte 0x80 is U+0080.
bool hasLoneC1Byte(int codePage) {
    return codePage == kCodePageJapanese || codePage == kCodePageKorean;
}

// The UTF-8 of a C1 control character.
std::string c1Character(unsigned char byte) {
    return std::string{static_cast<char>(0xC2), static_cast<char>(byte)};
}

// The characters of a single-byte code page: UTF-8 per byte ("" for none)
// and the way back.
struct ByteTable {
    std::array<std::string, kByteValues> characters;
    std::map<std::string, char> bytes;
};

ByteTable makeByteTable(int codePage) {
    ByteTable table;
    for (int value = kByteValues - 1; value >= 0; --value) {  // the lowest byte wins
        const auto byte = static_cast<unsigned char>(value);
        std::string character;
        if (codePage == kCodePageHebrew && byte == kHebrewHolamHaserByte) {
            character = kHebrewHolamHaser;
        } else if (std::optional<std::string> decoded =
                       systemDecode(std::string(1, static_cast<char>(byte)), codePage)) {
            character = *decoded;
        } else if (byte >= kFirstC1 && byte <= kLastC1) {
            character = c1Character(byte);
        }
        if (!character.empty()) {
            table.bytes[character] = static_cast<char>(byte);
        }
        table.characters[byte] = std::move(character);
    }
    return table;
}

// Built once, on first use (thread-safe).
const ByteTable& byteTable(int codePage) {
    static const ByteTable westernEurope = makeByteTable(kCodePageWesternEurope);
    static const ByteTable centralEurope = makeByteTable(kCodePageCentralEurope);
    static const ByteTable cyrillic = makeByteTable(kCodePageCyrillic);
    static const ByteTable hebrew = makeByteTable(kCodePageHebrew);
    static const ByteTable thai = makeByteTable(kCodePageThai);
    switch (codePage) {
        case kCodePageCentralEurope:
            return centralEurope;
        case kCodePageCyrillic:
            return cyrillic;
        case kCodePageHebrew:
            return hebrew;
        case kCodePageThai:
            return thai;
        default:
            return westernEurope;
    }
}

bool holdsPrivateUse(const std::string& utf8) {
    std::size_t at = 0;
    while (at < utf8.size()) {
        std::size_t length = 1;
        const char32_t point = nextCodePoint(utf8, at, length);
        if (point >= kFirstPrivateUse && point <= kLastPrivateUse) {
            return true;
        }
        at += point == kInvalidCodePoint ? 1 : length;
    }
    return false;
}

// A double-byte code page: the system converter, with the lone byte 0x80 of
// 932 and 949 read as U+0080 at each character boundary.
std::optional<std::string> decodeDoubleByte(const std::string& bytes, int codePage) {
#ifdef _WIN32
    // Windows reads the lone 0x80 so already.
    std::optional<std::string> out = systemDecode(bytes, codePage);
#else
    std::optional<std::string> out;
    if (!hasLoneC1Byte(codePage) || bytes.find(static_cast<char>(kFirstC1)) == std::string::npos) {
        out = systemDecode(bytes, codePage);
    } else {
        // Character by character from each 0x80 on: a 0x80 that a lead byte
        // takes as its trail belongs to that character.
        out = std::string();
        std::size_t at = 0;
        while (at < bytes.size()) {
            const std::size_t next = bytes.find(static_cast<char>(kFirstC1), at);
            const std::size_t stop = next == std::string::npos ? bytes.size() : next;
            std::optional<std::string> before = systemDecode(bytes.substr(at, stop - at), codePage);
            if (before) {
                *out += *before;
                if (next != std::string::npos) {
                    *out += c1Character(kFirstC1);
                }
                at = stop + 1;
                continue;
            }
            // The run before the 0x80 ends in a lead byte: decode up to and
            // with the pair, then go on after it.
            std::optional<std::string> withPair =
                stop < bytes.size() ? systemDecode(bytes.substr(at, stop + 1 - at), codePage)
                                    : std::nullopt;
            if (!withPair) {
                return std::nullopt;
            }
            *out += *withPair;
            at = stop + 1;
        }
    }
#endif
    if (out && holdsPrivateUse(*out)) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> decodeStrict(const std::string& bytes, int codePage) {
    if (!isSingleByte(codePage)) {
        return decodeDoubleByte(bytes, codePage);
    }
    const ByteTable& table = byteTable(codePage);
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const std::string& character = table.characters[static_cast<unsigned char>(c)];
        if (character.empty()) {
            return std::nullopt;
        }
        out += character;
    }
    return out;
}

// Character by character: one byte, else a double-byte pair, else a
// replacement for the one byte, going on with the next.
std::string decodeLossy(const std::string& bytes, int codePage, bool& complete) {
    if (std::optional<std::string> whole = decodeStrict(bytes, codePage)) {
        complete = true;
        return *whole;
    }
    complete = false;
    std::string out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::optional<std::string> piece = decodeStrict(bytes.substr(at, 1), codePage);
        std::size_t used = 1;
        if (!piece && at + 1 < bytes.size()) {
            piece = decodeStrict(bytes.substr(at, 2), codePage);
            used = 2;
        }
        if (piece) {
            out += *piece;
            at += used;
        } else {
            out += kReplacementCharacter;
            ++at;
        }
    }
    return out;
}

// Encodes without checking the way back (fromUtf8 does).
std::optional<std::string> encodeRaw(const std::string& utf8, int codePage) {
    std::string out;
    if (isSingleByte(codePage)) {
        const ByteTable& table = byteTable(codePage);
        std::size_t at = 0;
        while (at < utf8.size()) {
            std::size_t length = 0;
            if (nextCodePoint(utf8, at, length) == kInvalidCodePoint) {
                return std::nullopt;
            }
            const auto found = table.bytes.find(utf8.substr(at, length));
            if (found == table.bytes.end()) {
                return std::nullopt;
            }
            out += found->second;
            at += length;
        }
        return out;
    }
    if (!hasLoneC1Byte(codePage)) {
        return systemEncode(utf8, codePage);
    }
    // U+0080 becomes the lone byte 0x80; the runs between go to the system.
    const std::string loneC1 = c1Character(kFirstC1);
    std::size_t at = 0;
    while (at <= utf8.size()) {
        const std::size_t next = utf8.find(loneC1, at);
        const std::size_t stop = next == std::string::npos ? utf8.size() : next;
        std::optional<std::string> run = systemEncode(utf8.substr(at, stop - at), codePage);
        if (!run) {
            return std::nullopt;
        }
        out += *run;
        if (next == std::string::npos) {
            break;
        }
        out += static_cast<char>(kFirstC1);
        at = stop + loneC1.size();
    }
    return out;
}

}  // namespace

int codePageForSlot(int slot) {
    if (slot < 0 || slot >= static_cast<int>(kSlotCodePages.size())) {
        return kNeutralCodePage;
    }
    return kSlotCodePages[static_cast<std::size_t>(slot)];
}

const char* languageNameForSlot(int slot) {
    if (slot < 0 || slot >= static_cast<int>(kLanguageNames.size())) {
        return "";
    }
    return kLanguageNames[static_cast<std::size_t>(slot)];
}

std::optional<int> languageSlotFromName(std::string_view name) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (std::size_t slot = 0; slot < kLanguageNames.size(); ++slot) {
        const std::string_view candidate = kLanguageNames[slot];
        if (candidate.size() == name.size() &&
            std::equal(candidate.begin(), candidate.end(), name.begin(),
                       [&](char a, char b) { return lower(a) == lower(b); })) {
            return static_cast<int>(slot);
        }
    }
    if (name.empty() || name.size() > 2) {
        return std::nullopt;
    }
    int slot = 0;
    for (char c : name) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        slot = slot * 10 + (c - '0');
    }
    if (slot >= static_cast<int>(kLanguageNames.size())) {
        return std::nullopt;
    }
    return slot;
}

std::optional<std::string> toUtf8(const std::string& bytes, int codePage) {
    if (!knownCodePage(codePage)) {
        return std::nullopt;
    }
    return decodeStrict(bytes, codePage);
}

std::string toUtf8Lossy(const std::string& bytes, int codePage, bool* complete) {
    bool whole = false;
    std::string out;
    if (knownCodePage(codePage)) {
        out = decodeLossy(bytes, codePage, whole);
    }
    if (complete != nullptr) {
        *complete = whole;
    }
    return out;
}

std::optional<char32_t> firstUnstorableCharacter(const std::string& utf8, int codePage) {
    if (!knownCodePage(codePage)) {
        return std::nullopt;
    }
    std::size_t at = 0;
    while (at < utf8.size()) {
        std::size_t length = 0;
        const char32_t point = nextCodePoint(utf8, at, length);
        if (point == kInvalidCodePoint) {
            return kReplacementCodePoint;
        }
        if (!fromUtf8(utf8.substr(at, length), codePage)) {
            return point;
        }
        at += length;
    }
    return std::nullopt;
}

std::optional<std::string> fromUtf8(const std::string& utf8, int codePage) {
    if (!knownCodePage(codePage)) {
        return std::nullopt;
    }
    std::optional<std::string> encoded = encodeRaw(utf8, codePage);
    if (!encoded) {
        return std::nullopt;
    }
    // Refuse best-fit substitutions: the bytes must decode back to the input.
    std::optional<std::string> back = decodeStrict(*encoded, codePage);
    if (!back || *back != utf8) {
        return std::nullopt;
    }
    return encoded;
}

}  // namespace jf
