#include "exchange/CardChunk.h"

#include <cstring>

#include "careers/ChanceCardCodec.h"
#include "platform/ByteOrder.h"

namespace jf {

bool encodeCardChunk(const CardRecords& records, std::vector<std::uint8_t>& body) {
    body.clear();
    for (std::size_t i = 0; i < 4; ++i) {
        body.push_back(static_cast<std::uint8_t>(kCardChunkMagic[i]));
    }
    appendLE32(body, kCardRecordCount);
    for (const CardRecord& record : records) {
        for (const CardTextPair& pair : record.texts) {
            if (pair.language == kCardTextPairsEnd || pair.text.find('\0') != std::string::npos) {
                return false;
            }
            body.push_back(pair.language);
            body.insert(body.end(), pair.text.begin(), pair.text.end());
            body.push_back(0);
        }
        body.push_back(kCardTextPairsEnd);
        appendLE32(body, static_cast<std::uint32_t>(record.items.size()));
        for (const CardItem& item : record.items) {
            appendLE32(body, item.kind);
            appendLE32(body, item.mode);
            appendLE32(body, item.value);
        }
    }
    return true;
}

CardChunkStatus decodeCardChunk(const std::uint8_t* bytes, std::size_t size, CardRecords& records) {
    if (size < kCardChunkHeaderSize || std::memcmp(bytes, kCardChunkMagic, 4) != 0 ||
        readLE32(bytes + 4) != kCardRecordCount) {
        return CardChunkStatus::BadHeader;
    }
    std::size_t at = kCardChunkHeaderSize;
    for (CardRecord& record : records) {
        record = CardRecord();
        // Text pairs up to the 0xFF.
        while (true) {
            if (at >= size) {
                return CardChunkStatus::Truncated;
            }
            const std::uint8_t language = bytes[at++];
            if (language == kCardTextPairsEnd) {
                break;
            }
            const void* nul = std::memchr(bytes + at, 0, size - at);
            if (nul == nullptr) {
                return CardChunkStatus::Truncated;
            }
            const std::size_t length = static_cast<const std::uint8_t*>(nul) - (bytes + at);
            record.texts.push_back(
                {language, std::string(reinterpret_cast<const char*>(bytes + at), length)});
            at += length + 1;
        }
        if (size - at < 4) {
            return CardChunkStatus::Truncated;
        }
        const std::uint32_t count = readLE32(bytes + at);
        at += 4;
        if (count > kMaxCardItems || count > (size - at) / kCardItemSize) {
            return CardChunkStatus::Truncated;
        }
        record.items.reserve(count);
        for (std::uint32_t n = 0; n < count; ++n) {
            record.items.push_back(
                {readLE32(bytes + at), readLE32(bytes + at + 4), readLE32(bytes + at + 8)});
            at += kCardItemSize;
        }
    }
    return CardChunkStatus::Ok;
}

}  // namespace jf
