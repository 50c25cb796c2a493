#pragma once
// One job level of a career track: 21 signed 32-bit values and 5 texts, in
// the fixed order shared by the career chunk, the job details dialog and the
// exchange files. The reader accepts any stored value; the ranges in the
// comments are the ones the job details editor enforces ("previous" is the
// same value of the level below, 0 for level 0).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace jf {

struct JobLevel {
    static constexpr std::size_t kValueCount = 21;
    static constexpr std::size_t kTextCount = 5;

    std::int32_t friendsNeeded = 0;     // 0: previous .. 25
    std::int32_t cookingNeeded = 0;     // 1: previous .. 1000
    std::int32_t mechanicalNeeded = 0;  // 2: previous .. 1000
    std::int32_t charismaNeeded = 0;    // 3: previous .. 1000
    std::int32_t bodyNeeded = 0;        // 4: previous .. 1000
    std::int32_t logicNeeded = 0;       // 5: previous .. 1000
    std::int32_t creativityNeeded = 0;  // 6: previous .. 1000
    std::int32_t reserved7 = 0;         // 7: not edited, written back unchanged
    std::int32_t reserved8 = 0;         // 8: not edited, written back unchanged
    std::int32_t reserved9 = 0;         // 9: not edited, written back unchanged
    std::int32_t hungerPerHour = 0;     // 10: -100 .. 100
    std::int32_t comfortPerHour = 0;    // 11: -100 .. 100
    std::int32_t hygienePerHour = 0;    // 12: -100 .. 100
    std::int32_t bladderPerHour = 0;    // 13: -100 .. 100
    std::int32_t energyPerHour = 0;     // 14: -100 .. 100
    std::int32_t funPerHour = 0;        // 15: -100 .. 100
    std::int32_t socialPerHour = 0;     // 16: -100 .. 100
    std::int32_t salary = 0;            // 17: 0 .. 32767
    std::int32_t startHour = 0;         // 18: 0 .. 23
    std::int32_t endHour = 0;           // 19: 0 .. 23
    std::int32_t carType = 0;           // 20: 0 .. 8, see kCarTypeNames

    std::string internalJobName;  // T0: shown in the job list
    std::string maleMesh;         // T1: male outfit mesh name
    std::string femaleMesh;       // T2: female outfit mesh name
    std::string skinTexture;      // T3: outfit skin/texture name
    std::string extraText;        // T4: not edited, written back unchanged

    // Value i (0..20) and text i (0..4); the index must be in range.
    std::int32_t& value(std::size_t i);
    std::int32_t value(std::size_t i) const;
    std::string& text(std::size_t i);
    const std::string& text(std::size_t i) const;

    bool operator==(const JobLevel&) const = default;
};

// The six skills a job level requires (values 1..6), as the editor names
// them; the chance card editor lists them in the same order.
inline constexpr std::array<const char*, 6> kSkillNames = {"Cooking", "Mechanical", "Charisma",
                                                           "Body",    "Logic",      "Creativity"};

// The fields of JobLevel by position in the fixed order.
inline constexpr std::array<std::int32_t JobLevel::*, JobLevel::kValueCount> kJobLevelValueFields =
    {
        &JobLevel::friendsNeeded,    &JobLevel::cookingNeeded,  &JobLevel::mechanicalNeeded,
        &JobLevel::charismaNeeded,   &JobLevel::bodyNeeded,     &JobLevel::logicNeeded,
        &JobLevel::creativityNeeded, &JobLevel::reserved7,      &JobLevel::reserved8,
        &JobLevel::reserved9,        &JobLevel::hungerPerHour,  &JobLevel::comfortPerHour,
        &JobLevel::hygienePerHour,   &JobLevel::bladderPerHour, &JobLevel::energyPerHour,
        &JobLevel::funPerHour,       &JobLevel::socialPerHour,  &JobLevel::salary,
        &JobLevel::startHour,        &JobLevel::endHour,        &JobLevel::carType,
};
inline constexpr std::array<std::string JobLevel::*, JobLevel::kTextCount> kJobLevelTextFields = {
    &JobLevel::internalJobName, &JobLevel::maleMesh,  &JobLevel::femaleMesh,
    &JobLevel::skinTexture,     &JobLevel::extraText,
};

inline std::int32_t& JobLevel::value(std::size_t i) {
    return this->*kJobLevelValueFields[i];
}
inline std::int32_t JobLevel::value(std::size_t i) const {
    return this->*kJobLevelValueFields[i];
}
inline std::string& JobLevel::text(std::size_t i) {
    return this->*kJobLevelTextFields[i];
}
inline const std::string& JobLevel::text(std::size_t i) const {
    return this->*kJobLevelTextFields[i];
}

// The cars that fetch a sim, by carType.
inline constexpr std::size_t kCarTypeCount = 9;
inline constexpr std::array<const char*, kCarTypeCount> kCarTypeNames = {
    "Default",  "Military Jeep", "Squad Car", "Staff Sedan", "SUV",
    "Town Car", "Bentley",       "Junky",     "Limo",
};

}  // namespace jf
