#pragma once
// The card chunk of an exchange file (CARD body), little-endian:
//
//    0  4    the bytes "CARD"
//    4  u32  number of card records: always 10
//    8  ...  ten CardRecords, job levels 0 to 9, back to back
//
// CardRecord:
//    zero or more text pairs: a language byte (never 0xFF), then a
//        NUL-terminated text
//    u8   0xFF, the end of the text pairs
//    u32  item count n
//    12n  the items: kind, mode, value as u32 each
//
// The language byte is a LanguageSlot, or in version-1 (predecessor) files
// a code of the predecessor's fifteen languages (see
// slotFromPredecessorLanguage). The exporter writes at most one pair per
// record, language 0 with the empty text, which only marks that the card has
// a text; the texts themselves travel in the card text table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "careers/ChanceCard.h"

namespace jf {

inline constexpr std::uint8_t kCardTextPairsEnd = 0xFF;
inline constexpr std::uint32_t kCardRecordCount = 10;
inline constexpr char kCardChunkMagic[] = "CARD";
inline constexpr std::size_t kCardChunkHeaderSize = 8;
inline constexpr std::size_t kCardItemSize = 12;

struct CardTextPair {
    std::uint8_t language = 0;
    std::string text;
    bool operator==(const CardTextPair&) const = default;
};

struct CardRecord {
    std::vector<CardTextPair> texts;
    std::vector<CardItem> items;
    bool operator==(const CardRecord&) const = default;
};

using CardRecords = std::array<CardRecord, kCardRecordCount>;

// The CARD body for ten records. A pair with the language byte 0xFF or a
// text holding a NUL cannot be written: such records make it fail (false).
bool encodeCardChunk(const CardRecords& records, std::vector<std::uint8_t>& body);

enum class CardChunkStatus {
    Ok,
    // The magic is not "CARD" or the record count is not 10.
    BadHeader,
    // The body ends inside a record: before a text's NUL, before the 0xFF
    // that ends the pairs, before the item count or before the items; or a
    // record holds more than kMaxCardItems items (a card the card code could
    // not hold).
    Truncated,
};

// Reads all ten records before anything is used, so that a damaged body is
// refused whole. Bytes after the tenth record are ignored. `records` is
// unspecified unless Ok.
CardChunkStatus decodeCardChunk(const std::uint8_t* bytes, std::size_t size, CardRecords& records);

// The LanguageSlot for a predecessor language code: 0-6 stay, 7 becomes 8
// (Swedish), any other code c becomes c + 5, computed in 8 bits (8 -> 13
// Portuguese ... 14 -> 19 Korean). A result of 20 or more names no language.
constexpr std::uint8_t slotFromPredecessorLanguage(std::uint8_t code) {
    if (code <= 6) {
        return code;
    }
    if (code == 7) {
        return 8;
    }
    return static_cast<std::uint8_t>(code + 5);
}

}  // namespace jf
