// Code pages by language, and conversion to and from UTF-8: glibc iconv on
// POSIX, the Win32 conversion functions on Windows.
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

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <new>
#include <string>
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

std::optional<std::string> decodeStrict(const std::string& bytes, int codePage) {
    std::wstring wide;
    std::string utf8;
    if (!toWide(bytes, static_cast<UINT>(codePage), wide) || !wideToUtf8(wide, utf8)) {
        return std::nullopt;
    }
    return utf8;
}

std::string decodeLossy(const std::string& bytes, int codePage, bool& complete) {
    if (std::optional<std::string> whole = decodeStrict(bytes, codePage)) {
        complete = true;
        return *whole;
    }
    // Walk character by character: one byte, else a double-byte pair, else
    // a replacement for the one byte.
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

std::optional<std::string> encodeRaw(const std::string& utf8, int codePage) {
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

// Runs one conversion. Strict (replacement == nullptr): fails on the first
// byte sequence that does not convert, and on any conversion that iconv
// reports as irreversible. Lossy: appends `replacement` for each byte that
// does not convert and skips it; `complete` tells whether none was skipped.
std::optional<std::string> runIconv(const char* to, const char* from, const std::string& in,
                                    const char* replacement, bool* complete) {
    if (complete != nullptr) {
        *complete = true;
    }
    iconv_t cd = converters.get(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string input = in;  // iconv wants a non-const input pointer
    char* inPointer = input.data();
    std::size_t inLeft = input.size();
    std::string out;
    bool ok = true;
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
            if (result != 0 && replacement == nullptr) {
                ok = false;  // irreversible: a substitute was written
                break;
            }
            if (flushing) {
                break;
            }
            flushing = true;  // all input taken; write any final shift sequence
            continue;
        }
        if (error == E2BIG) {
            continue;
        }
        // EILSEQ (no such character) or EINVAL (sequence cut off at the end).
        if (replacement == nullptr || inLeft == 0) {
            ok = false;
            break;
        }
        out += replacement;
        if (complete != nullptr) {
            *complete = false;
        }
        ++inPointer;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    }
    if (!ok) {
        return std::nullopt;
    }
    return out;
}

// The five bytes that code page 1252 leaves unassigned. Windows maps each to
// the C1 control character of the same value and back; glibc refuses them.
// Doing the same here lets every 1252 byte string (internal names in
// particular) decode and encode back unchanged, on both platforms.
bool isCp1252Gap(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

constexpr unsigned char kUtf8C1Lead = 0xC2;  // lead byte of U+0080..U+00BF

// Decodes 1252, passing the gap bytes around iconv.
std::optional<std::string> decodeCp1252(const std::string& bytes, const char* replacement,
                                        bool* complete) {
    if (complete != nullptr) {
        *complete = true;
    }
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= bytes.size(); ++at) {
        const bool end = at == bytes.size();
        if (!end && !isCp1252Gap(static_cast<unsigned char>(bytes[at]))) {
            continue;
        }
        if (at > start) {
            bool segmentComplete = true;
            std::optional<std::string> segment =
                runIconv(kUtf8Name, "CP1252", bytes.substr(start, at - start), replacement,
                         &segmentComplete);
            if (!segment) {
                return std::nullopt;
            }
            out += *segment;
            if (!segmentComplete && complete != nullptr) {
                *complete = false;
            }
        }
        if (!end) {
            out += static_cast<char>(kUtf8C1Lead);
            out += bytes[at];
        }
        start = at + 1;
    }
    return out;
}

std::optional<std::string> encodeCp1252(const std::string& utf8) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= utf8.size(); ++at) {
        const bool end = at == utf8.size();
        const bool gap = !end && at + 1 < utf8.size() &&
                         static_cast<unsigned char>(utf8[at]) == kUtf8C1Lead &&
                         isCp1252Gap(static_cast<unsigned char>(utf8[at + 1]));
        if (!end && !gap) {
            continue;
        }
        if (at > start) {
            std::optional<std::string> segment =
                runIconv("CP1252", kUtf8Name, utf8.substr(start, at - start), nullptr, nullptr);
            if (!segment) {
                return std::nullopt;
            }
            out += *segment;
        }
        if (gap) {
            out += utf8[at + 1];
            ++at;
        }
        start = at + 1;
    }
    return out;
}

std::optional<std::string> decodeStrict(const std::string& bytes, int codePage) {
    if (codePage == kCodePageWesternEurope) {
        return decodeCp1252(bytes, nullptr, nullptr);
    }
    return runIconv(kUtf8Name, iconvName(codePage), bytes, nullptr, nullptr);
}

std::string decodeLossy(const std::string& bytes, int codePage, bool& complete) {
    std::optional<std::string> out =
        codePage == kCodePageWesternEurope
            ? decodeCp1252(bytes, kReplacementCharacter, &complete)
            : runIconv(kUtf8Name, iconvName(codePage), bytes, kReplacementCharacter, &complete);
    if (!out) {
        complete = false;
        return std::string();
    }
    return *out;
}

std::optional<std::string> encodeRaw(const std::string& utf8, int codePage) {
    if (codePage == kCodePageWesternEurope) {
        return encodeCp1252(utf8);
    }
    return runIconv(iconvName(codePage), kUtf8Name, utf8, nullptr, nullptr);
}

#endif

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
