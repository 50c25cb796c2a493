#pragma once
// The information headers of the exchange files (INFO chunk bodies).
//
// Track header (INFO B of every track), 40 bytes as written:
//    0  u32  exportType: 1 (one track)
//    4  u32  formatVersion: 2
//    8  u32  text length: 28
//   12  28   "Exported Career Track v2.0" and two zero bytes
//
// Backup header (INFO 0 of a .cbk file), 32 + 4 N bytes for N tracks:
//    0  u32  exportType: 2 (backup)
//    4  28   "Backup of All Careers v2.0" and two zero bytes
//   32  4 N  u32 track positions 0 .. N-1
//
// Files of the predecessor program carry a header of exactly 32 bytes:
// exportType and a 28-byte text, no version (version 1). Readers tell the
// kinds apart by exportType; texts are never compared.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace jf {

inline constexpr std::uint32_t kExportTypeTrack = 1;
inline constexpr std::uint32_t kExportTypeBackup = 2;
inline constexpr std::uint32_t kCurrentFormatVersion = 2;
// A header of exactly this many bytes is a predecessor (version 1) header.
inline constexpr std::size_t kPredecessorHeaderSize = 32;
inline constexpr std::uint32_t kPredecessorFormatVersion = 1;
inline constexpr std::size_t kTrackHeaderSize = 40;
inline constexpr std::size_t kBackupHeaderFixedSize = 32;
inline constexpr std::size_t kHeaderTextSize = 28;
inline constexpr char kTrackHeaderText[] = "Exported Career Track v2.0";
inline constexpr char kBackupHeaderText[] = "Backup of All Careers v2.0";

// The 40-byte track header as the exporter writes it.
std::vector<std::uint8_t> encodeTrackHeader();
// The backup header listing `positions` in order.
std::vector<std::uint8_t> encodeBackupHeader(const std::vector<std::uint32_t>& positions);

// The leading exportType of any header; false when the body is shorter than
// four bytes.
bool readExportType(const std::vector<std::uint8_t>& body, std::uint32_t& exportType);

struct TrackHeader {
    std::uint32_t exportType = 0;
    std::uint32_t formatVersion = 0;
};

enum class TrackHeaderStatus {
    Ok,
    // Shorter than 4 bytes, or (not being a 32-byte predecessor header)
    // too short for its formatVersion, its text length or its text.
    Incorrect,
    // formatVersion above kCurrentFormatVersion.
    UnknownVersion,
};

// Reads a track header: a body of exactly 32 bytes is version 1 (exportType
// and a text); any other body is read as exportType, formatVersion, text
// length L and L text bytes. The version is checked before the text length,
// so an unknown version is reported even when the rest is missing. A body
// that ends before its text does is refused: nothing in a valid file does
// that. exportType is not checked here. `out` is filled as far as read.
TrackHeaderStatus readTrackHeader(const std::vector<std::uint8_t>& body, TrackHeader& out);

// The track positions of a backup header: the unsigned 32-bit values from
// byte 32 on while four more bytes are there (1 to 3 bytes left over are
// ignored). False, `positions` empty, when the body is shorter than 32
// bytes, or when it lists more than kMaxListedPositions positions or a
// position twice: no backup does, and a file that did would make a restore
// repeat work without end.
inline constexpr std::size_t kMaxListedPositions = 32767;
bool readBackupPositions(const std::vector<std::uint8_t>& body,
                         std::vector<std::uint32_t>& positions);

}  // namespace jf
