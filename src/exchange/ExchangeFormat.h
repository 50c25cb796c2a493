#pragma once
// The career exchange files: a single exported track (.car) and a backup of
// every track (.cbk). Both are ordinary IFF containers holding, per track, the
// chunk set below, all chunks of one track under the same chunk id B (0 in a
// .car file; position + 1 in a .cbk file), in this order:
//
//   CAR#  B          the track's CARR body (a career chunk travels as CAR#)
//   STR#  B          the track's strings (STR# body)
//   CARD  B          the card chunk (CardChunk.h)
//   STR#  B + 4096   the card text table: ten rows, row L the text of the
//                    card of job level L in all twenty languages
//   BMP1  B          the popup icon as a complete 24-bit BMP file (84 x 63)
//   BMP2  B          the button icon, the same way (112 x 22)
//   INFO  B          the track header (InfoHeader.h)
//
// A .cbk file ends with the backup header as INFO 0. Every chunk carries the
// flags of a new chunk (0x0010) and every body is little-endian. Tracks are
// identified by position: nothing in a file records a track's id.

#include <cstdint>

#include "iff/IffChunk.h"

namespace jf {

inline constexpr std::uint32_t kTypeCareerExchange = makeTypeCode('C', 'A', 'R', '#');
inline constexpr std::uint32_t kTypeCard = makeTypeCode('C', 'A', 'R', 'D');
inline constexpr std::uint32_t kTypePopupBitmap = makeTypeCode('B', 'M', 'P', '1');
inline constexpr std::uint32_t kTypeButtonBitmap = makeTypeCode('B', 'M', 'P', '2');
inline constexpr std::uint32_t kTypeInfo = makeTypeCode('I', 'N', 'F', 'O');

// The chunk id of the only track of a .car file, and of a backup's header.
inline constexpr std::uint16_t kSingleTrackChunkId = 0;
inline constexpr std::uint16_t kBackupHeaderChunkId = 0;
// The card text table of the track with chunk id B has id B + 4096.
inline constexpr std::uint16_t kCardTextTableIdOffset = 4096;
// A backup holds at most this many tracks: beyond it the chunk id of a track
// (position + 1) would equal the card text table id of another one.
inline constexpr std::uint32_t kMaxBackupTracks = kCardTextTableIdOffset;

inline constexpr std::uint16_t cardTextTableId(std::uint16_t chunkId) {
    return static_cast<std::uint16_t>(chunkId + kCardTextTableIdOffset);
}
// Chunk id of the track at `position` in a backup (position < kMaxBackupTracks).
inline constexpr std::uint16_t backupChunkId(std::uint32_t position) {
    return static_cast<std::uint16_t>(position + 1);
}

inline constexpr char kCardTextTableLabel[] = "Extended CARD information v2";
inline constexpr char kPopupBitmapLabel[] = "Popup";
inline constexpr char kButtonBitmapLabel[] = "Button";
inline constexpr char kInfoLabel[] = "Information header";

// The size of the icons as they travel in an exchange file.
inline constexpr int kExchangePopupWidth = 84;
inline constexpr int kExchangePopupHeight = 63;
inline constexpr int kExchangeButtonWidth = 112;
inline constexpr int kExchangeButtonHeight = 22;

}  // namespace jf
