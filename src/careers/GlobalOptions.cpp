#include "careers/GlobalOptions.h"

#include <array>
#include <new>

#include "iff/ChunkStream.h"

namespace jf {

namespace {

constexpr std::size_t kCountFieldSize = 2;
constexpr std::size_t kValueSize = 2;

constexpr std::array<GlobalOptionInfo, kGlobalOptionCount> kOptionInfo = {{
    {kGlobalOptionLabels[kOptionAPlusBonus], 0, 32767},
    {kGlobalOptionLabels[kOptionAPlusBonusChance], 0, 100},
    {kGlobalOptionLabels[kOptionSchoolStartHour], 0, 23},
    {kGlobalOptionLabels[kOptionSchoolEndHour], 0, 23},
    {kGlobalOptionLabels[kOptionPromotionBonus], 0, 10},
    {kGlobalOptionLabels[kOptionMinimalMoodHigher], -100, 100},
    {kGlobalOptionLabels[kOptionMaximalMoodLower], -100, 100},
    {kGlobalOptionLabels[kOptionChanceCardChance], 0, 100},
}};

}  // namespace

const GlobalOptionInfo* globalOptionInfo(std::size_t entry) {
    return entry < kOptionInfo.size() ? &kOptionInfo[entry] : nullptr;
}

GlobalOptions::GlobalOptions() = default;

void GlobalOptions::assign(const ChunkObject& other) {
    if (this == &other) {
        return;
    }
    ChunkObject::assign(other);
    if (const auto* options = dynamic_cast<const GlobalOptions*>(&other)) {
        flag_ = options->flag_;
        values_ = options->values_;
    }
}

bool GlobalOptions::decode() {
    flag_ = false;
    values_.clear();
    IffChunk* body = chunk();
    if (body == nullptr) {
        return false;
    }
    ChunkStream stream(*body);
    std::uint16_t word = 0;
    if (!stream.readU16Ordered(word)) {
        return false;
    }
    flag_ = (word & kFlagBit) != 0;
    const std::size_t count = word & kCountMask;
    // The count comes from the file: check it against the body first.
    if (body->size < kCountFieldSize + kValueSize * count) {
        return false;
    }
    try {
        values_.reserve(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t value = 0;
        if (!stream.readU16Ordered(value)) {
            return false;
        }
        values_.push_back(static_cast<std::int16_t>(value));
    }
    return true;
}

bool GlobalOptions::encode() {
    IffChunk* body = chunk();
    if (body == nullptr) {
        return false;
    }
    ChunkStream stream(*body);
    if (!stream.setLength(0)) {
        return false;
    }
    stream.setPosition(0);
    // setOption keeps the count within 15 bits.
    const std::uint16_t word =
        static_cast<std::uint16_t>((flag_ ? kFlagBit : 0) | (values_.size() & kCountMask));
    bool ok = stream.writeU16(word);
    for (std::size_t i = 0; ok && i < values_.size(); ++i) {
        ok = stream.writeU16(static_cast<std::uint16_t>(values_[i]));
    }
    if (!ok) {
        return false;
    }
    body->flags = static_cast<std::uint16_t>(body->flags | kFlagLittleEndian);
    return true;
}

bool GlobalOptions::option(std::size_t entry, std::int16_t& value) const {
    if (entry >= values_.size()) {
        return false;
    }
    value = values_[entry];
    return true;
}

bool GlobalOptions::setOption(std::size_t entry, std::int16_t value) {
    if (entry >= kMaxCount) {
        return false;
    }
    if (entry >= values_.size()) {
        try {
            values_.resize(entry + 1, 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    values_[entry] = value;
    return true;
}

}  // namespace jf
