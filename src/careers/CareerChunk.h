#pragma once
// One career track's CARR chunk: the internal career name and the job levels.
//
// Body layout (offsets from the start of the body):
//    0  u32  reserved, written 0, ignored when read
//    4  u32  reserved, written 0, ignored when read
//    8  u32  magic 0x43415252 ("RRAC" little-endian); byte-swapped before the
//            comparison when the chunk's flag 0x10 is clear. Every other
//            multi-byte field is little-endian whatever the flag.
//   12  u8   form: 0 plain, anything else packed (written 1)
//   13       internal career name, NUL-terminated, then the pad byte 0xA3
//            when the position is odd
//        the job levels:
//   plain:  u32 levelCount, then per level 21 x u32 values and the five
//           texts, each NUL-terminated and followed by a pad byte whenever
//           it ends at an odd position;
//   packed: groups of packed integers (see BitStream). The first group holds
//           levelCount and the values of level 0, every later level has a
//           group of its own; each group is flushed to a whole byte and
//           followed by that level's five padded texts. With levelCount 0
//           the single zero bit of the count is never flushed, so nothing
//           follows the padded name.
//
// The writer always produces the packed form.

#include <cstdint>
#include <string>
#include <vector>

#include "careers/JobLevel.h"
#include "iff/ChunkObject.h"

namespace jf {

class ChunkStream;

class CareerChunk : public ChunkObject {
public:
    static constexpr std::uint32_t kMagic = 0x43415252;
    static constexpr std::uint8_t kPadByte = 0xA3;
    static constexpr std::uint8_t kFormPlain = 0;
    static constexpr std::uint8_t kFormPacked = 1;
    // Reserved fields, magic and form byte.
    static constexpr std::uint32_t kMinimumBodySize = 16;
    // The string layout and the card slots provide for ten levels. A file may
    // hold more: they are kept and written back. A count read from a file is
    // accepted only up to kMaxLevelCount (no game career comes near it) and
    // only when the rest of the body can hold that many levels: a packed
    // level takes at least kMinPackedLevelBytes (21 one-bit values in three
    // bytes, five NULs), a plain one kMinPlainLevelBytes (21 x 4 bytes, five
    // NULs). A larger count fails the decode before anything is allocated.
    static constexpr std::uint32_t kEditableLevels = 10;
    static constexpr std::uint32_t kMaxLevelCount = 100;
    static constexpr std::uint32_t kMinPackedLevelBytes = 3 + 5;
    static constexpr std::uint32_t kMinPlainLevelBytes = 21 * 4 + 5;

    std::uint32_t typeCode() const override { return kTypeCarr; }

    // Fills the name and levels from the body. Fails on a body shorter than
    // 16 bytes, a wrong magic, a text without its NUL inside the body, a
    // plain value past the end, a packed group reaching past the end, or a
    // level count beyond the bounds above. A failed decode keeps what was
    // decoded so far (the levels completed before the failure).
    bool decode() override;
    // Writes the packed form and sets flag 0x10. Fails only when memory is
    // exhausted.
    bool encode() override;

    // Copies the base part (see ChunkObject::assign) and, when `other` is a
    // CareerChunk, the name and levels.
    void assign(const ChunkObject& other) override;
    void assign(const CareerChunk& other);

    // The number of job levels: levels.size().
    std::uint32_t levelCount() const { return static_cast<std::uint32_t>(levels.size()); }

    std::string internalCareerName;
    // Level 0 is the entry level.
    std::vector<JobLevel> levels;

    // The form byte of the body last decoded (kFormPacked for a new object).
    std::uint8_t formRead() const { return formRead_; }

private:
    bool decodePlain(ChunkStream& stream);
    bool decodePacked(ChunkStream& stream);

    std::uint8_t formRead_ = kFormPacked;
};

}  // namespace jf
