#include "exchange/InfoHeader.h"

#include <cstring>
#include <unordered_set>

#include "platform/ByteOrder.h"

namespace jf {

namespace {

inline constexpr std::size_t kFormatVersionOffset = 4;
inline constexpr std::size_t kTextLengthOffset = 8;
inline constexpr std::size_t kTrackTextOffset = 12;

// The text padded with zero bytes to the 28-byte text field.
void appendHeaderText(std::vector<std::uint8_t>& out, const char* text) {
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < kHeaderTextSize; ++i) {
        out.push_back(i < length ? static_cast<std::uint8_t>(text[i]) : 0);
    }
}

}  // namespace

std::vector<std::uint8_t> encodeTrackHeader() {
    std::vector<std::uint8_t> out;
    out.reserve(kTrackHeaderSize);
    appendLE32(out, kExportTypeTrack);
    appendLE32(out, kCurrentFormatVersion);
    appendLE32(out, static_cast<std::uint32_t>(kHeaderTextSize));
    appendHeaderText(out, kTrackHeaderText);
    return out;
}

std::vector<std::uint8_t> encodeBackupHeader(const std::vector<std::uint32_t>& positions) {
    std::vector<std::uint8_t> out;
    out.reserve(kBackupHeaderFixedSize + 4 * positions.size());
    appendLE32(out, kExportTypeBackup);
    appendHeaderText(out, kBackupHeaderText);
    for (std::uint32_t position : positions) {
        appendLE32(out, position);
    }
    return out;
}

bool readExportType(const std::vector<std::uint8_t>& body, std::uint32_t& exportType) {
    if (body.size() < 4) {
        return false;
    }
    exportType = readLE32(body.data());
    return true;
}

TrackHeaderStatus readTrackHeader(const std::vector<std::uint8_t>& body, TrackHeader& out) {
    if (!readExportType(body, out.exportType)) {
        return TrackHeaderStatus::Incorrect;
    }
    if (body.size() == kPredecessorHeaderSize) {
        out.formatVersion = kPredecessorFormatVersion;
        return TrackHeaderStatus::Ok;
    }
    if (body.size() < kFormatVersionOffset + 4) {
        return TrackHeaderStatus::Incorrect;
    }
    out.formatVersion = readLE32(body.data() + kFormatVersionOffset);
    if (out.formatVersion > kCurrentFormatVersion) {
        return TrackHeaderStatus::UnknownVersion;
    }
    if (body.size() < kTextLengthOffset + 4) {
        return TrackHeaderStatus::Incorrect;
    }
    const std::uint64_t textLength = readLE32(body.data() + kTextLengthOffset);
    if (kTrackTextOffset + textLength > body.size()) {
        return TrackHeaderStatus::Incorrect;
    }
    return TrackHeaderStatus::Ok;
}

bool readBackupPositions(const std::vector<std::uint8_t>& body,
                         std::vector<std::uint32_t>& positions) {
    positions.clear();
    if (body.size() < kBackupHeaderFixedSize) {
        return false;
    }
    const std::size_t count = (body.size() - kBackupHeaderFixedSize) / 4;
    if (count > kMaxListedPositions) {
        return false;
    }
    std::unordered_set<std::uint32_t> seen;
    positions.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t position = readLE32(body.data() + kBackupHeaderFixedSize + 4 * i);
        if (!seen.insert(position).second) {
            positions.clear();
            return false;
        }
        positions.push_back(position);
    }
    return true;
}

}  // namespace jf
