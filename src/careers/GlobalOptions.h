#pragma once
// The global options table: a constants chunk ("BCON") holding the game-wide
// numbers that govern careers and school (BCON 4097 of the chance card
// object file).
//
// Body layout (little-endian when the chunk carries flag 0x10, else
// big-endian; always written little-endian with the flag set):
//   0  u16  bits 0-14: count; bit 15: flag (kept and written back)
//   2       count signed 16-bit values

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "iff/ChunkObject.h"

namespace jf {

// The chunk id of the global options in the chance card object file.
inline constexpr std::uint16_t kGlobalOptionsChunkId = 4097;

// Entries of the global options table.
enum GlobalOption : std::size_t {
    kOptionAPlusBonus = 0,         // money
    kOptionAPlusBonusChance = 1,   // percent
    kOptionSchoolStartHour = 2,    // hour
    kOptionSchoolEndHour = 3,      // hour
    kOptionPromotionBonus = 4,     // times normal salary
    kOptionMinimalMoodHigher = 5,  // mood -100 (bad) .. 100 (good)
    kOptionMaximalMoodLower = 6,   // mood
    kOptionChanceCardChance = 7,   // percent
};
inline constexpr std::size_t kGlobalOptionCount = 8;

// The label of each entry, as the options dialog shows it.
inline constexpr std::array<const char*, kGlobalOptionCount> kGlobalOptionLabels = {
    "A++ bonus for children:",
    "A++ bonus chances:",
    "School start hour:",
    "School end hour:",
    "Promotion bonus:",
    "Minimal mood for higher grade:",
    "Maximal mood for lower grade:",
    "Chances on a chance card:",
};

// The label and accepted range of one option, as the options dialog shows
// and enforces them.
struct GlobalOptionInfo {
    const char* label;
    std::int16_t minimum;
    std::int16_t maximum;
};

// Entry 0..7; nullptr for any other entry.
const GlobalOptionInfo* globalOptionInfo(std::size_t entry);

class GlobalOptions : public ChunkObject {
public:
    // bit 15 of the first word
    static constexpr std::uint16_t kFlagBit = 0x8000;
    // bits 0-14 of the first word
    static constexpr std::uint16_t kCountMask = 0x7FFF;
    static constexpr std::size_t kMaxCount = kCountMask;

    // Flag 0, no values, with the own empty chunk of ChunkObject.
    GlobalOptions();

    // Copies the base part (see ChunkObject::assign) and, when `other` is a
    // GlobalOptions, its flag and values.
    void assign(const ChunkObject& other) override;
    std::uint32_t typeCode() const override { return kTypeBcon; }

    // Replaces flag and values by those of the body. False for a body
    // shorter than 2 bytes or than 2 + 2 x count; the table is then empty
    // (flag 0, no values), except that a count the body cannot hold still
    // leaves the flag read.
    bool decode() override;
    // Writes flag x 32768 + count and the values, little-endian, from
    // position 0; cuts the body and sets flag 0x10. Fails only when memory
    // is exhausted.
    bool encode() override;

    bool flag() const { return flag_; }
    void setFlag(bool value) { flag_ = value; }

    std::size_t count() const { return values_.size(); }
    const std::vector<std::int16_t>& values() const { return values_; }
    // Replaces every value (count values.size(), at most kMaxCount).
    void setValues(std::vector<std::int16_t> values) { values_ = std::move(values); }

    // The value of `entry`; false (value untouched) when entry is not below
    // the count.
    bool option(std::size_t entry, std::int16_t& value) const;
    // Stores the value, first growing the table to entry + 1 values (the new
    // ones 0) when needed. False (nothing changed) when entry + 1 would
    // exceed kMaxCount, which the count field cannot hold, or memory is
    // exhausted.
    bool setOption(std::size_t entry, std::int16_t value);

private:
    bool flag_ = false;
    std::vector<std::int16_t> values_;
};

}  // namespace jf
