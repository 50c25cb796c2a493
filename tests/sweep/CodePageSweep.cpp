// codepage_sweep: prints how jf::toUtf8 decodes every single byte and every
// byte pair of each code page, one line per case, so that the output of the
// Linux build (iconv) and of the Windows build (MultiByteToWideChar, run
// under Wine) can be compared with diff:
//
//   CP BYTES UTF8-HEX    ("-" when the bytes do not decode)
//
// Pairs are printed only where they do not decode to the two single bytes'
// decodings side by side (double-byte characters, combining, refusals), which
// keeps the output small while still covering every pair.
#include <cstdio>
#include <optional>
#include <string>

#include "platform/CodePages.h"

namespace {

constexpr int kCodePages[] = {
    jf::kCodePageWesternEurope,
    jf::kCodePageCentralEurope,
    jf::kCodePageCyrillic,
    jf::kCodePageHebrew,
    jf::kCodePageThai,
    jf::kCodePageJapanese,
    jf::kCodePageSimplifiedChinese,
    jf::kCodePageKorean,
    jf::kCodePageTraditionalChinese,
};
constexpr int kByteValues = 256;

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

std::string shown(const std::optional<std::string>& decoded) {
    return decoded ? (decoded->empty() ? std::string("\"\"") : hex(*decoded)) : std::string("-");
}

}  // namespace

int main() {
    for (int codePage : kCodePages) {
        std::optional<std::string> singles[kByteValues];
        for (int b = 0; b < kByteValues; ++b) {
            singles[b] = jf::toUtf8(std::string(1, static_cast<char>(b)), codePage);
            std::printf("%d %02X %s\n", codePage, b, shown(singles[b]).c_str());
        }
        for (int lead = 0; lead < kByteValues; ++lead) {
            for (int trail = 0; trail < kByteValues; ++trail) {
                const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
                const std::optional<std::string> decoded = jf::toUtf8(pair, codePage);
                const bool separate = singles[lead] && singles[trail] && decoded &&
                                      *decoded == *singles[lead] + *singles[trail];
                if (!separate) {
                    std::printf("%d %02X%02X %s\n", codePage, lead, trail, shown(decoded).c_str());
                }
            }
        }
    }
    return 0;
}
