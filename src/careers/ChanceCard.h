#pragma once
// Chance cards: one card per job level of every career track. The game keeps
// no card records; it runs code trees in the chance card object file, and
// ChanceCardCodec reads the cards out of those trees and writes new ones.
//
// A card's text is an entry of the global texts table (STR# 301 of the same
// file); `textIndex` is that entry's number plus one, 0 meaning "no text".

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace jf {

// One thing a card does. The meaning of mode and value depends on kind:
//
//   kind 1 budget change  mode 0 add, else subtract   value: amount 0..65535
//   kind 2 skill change   mode 0 add, 1 subtract      value: skill x 65536 + study points
//   kind 3 job change     mode 2 (set to)             value: 56 x 65536 + track id, or
//                                                            57 x 65536 + job level
//   kind 4 play sound     mode 2                      value: 312 good, 311 bad
struct CardItem {
    static constexpr std::uint32_t kKindBudget = 1;
    static constexpr std::uint32_t kKindSkill = 2;
    static constexpr std::uint32_t kKindJob = 3;
    static constexpr std::uint32_t kKindSound = 4;

    static constexpr std::uint32_t kModeAdd = 0;
    static constexpr std::uint32_t kModeSubtract = 1;
    static constexpr std::uint32_t kModeSet = 2;

    // Skill numbers (value / 65536 of a skill change).
    static constexpr std::uint16_t kSkillCooking = 10;
    static constexpr std::uint16_t kSkillCharisma = 11;
    static constexpr std::uint16_t kSkillMechanical = 12;
    static constexpr std::uint16_t kSkillCreativity = 15;
    static constexpr std::uint16_t kSkillBody = 17;
    static constexpr std::uint16_t kSkillLogic = 18;

    // Job change targets (value / 65536 of a job change).
    static constexpr std::uint16_t kJobCareerPath = 56;
    static constexpr std::uint16_t kJobPromotionLevel = 57;

    // Sound values.
    static constexpr std::uint32_t kSoundGood = 312;
    static constexpr std::uint32_t kSoundBad = 311;

    std::uint32_t kind = 0;
    std::uint32_t mode = 0;
    std::uint32_t value = 0;

    // Budget and skill items that take something away (any mode but add).
    bool subtracts() const { return mode != kModeAdd; }
    // value / 65536 and value mod 65536, the two halves of skill and job values.
    std::uint16_t high() const { return static_cast<std::uint16_t>(value >> 16); }
    std::uint16_t low() const { return static_cast<std::uint16_t>(value & 0xFFFF); }

    static CardItem budget(std::uint32_t mode, std::uint16_t amount) {
        return {kKindBudget, mode, amount};
    }
    static CardItem skill(std::uint32_t mode, std::uint16_t skill, std::uint16_t points) {
        return {kKindSkill, mode, (std::uint32_t{skill} << 16) | points};
    }
    static CardItem job(std::uint16_t target, std::uint16_t number) {
        return {kKindJob, kModeSet, (std::uint32_t{target} << 16) | number};
    }
    static CardItem sound(std::uint32_t sound) { return {kKindSound, kModeSet, sound}; }

    bool operator==(const CardItem&) const = default;
};

struct ChanceCard {
    // 1-based entry of the global texts table; 0 = no text entry.
    std::uint16_t textIndex = 0;
    // What the card does, in order; empty = the level has no card.
    std::vector<CardItem> items;

    bool empty() const { return items.empty(); }
    bool operator==(const ChanceCard&) const = default;
};

// One card per job level.
inline constexpr std::size_t kCardsPerTrack = 10;
using TrackCards = std::array<ChanceCard, kCardsPerTrack>;

}  // namespace jf
