#pragma once
// The texts of one career track: the STR# table with the track's id in the
// career container. The career code uses only the texts of the rows
// ("entries"), never the comments. Entry layout, for job level L = 0..9:
//
//    0          career name
//    1          male offer dialog text
//    2          female offer dialog text
//    3 + 2 L    male job name of level L      (3, 5, ..., 21)
//    4 + 2 L    job description of level L    (4, 6, ..., 22)
//   23 + L      female job name of level L    (23 ... 32)
//
// A line break inside a stored job name is the two bytes CR LF.

#include <cstddef>
#include <cstdint>

#include "iff/StringTable.h"

namespace jf {

class CareerStrings : public StringTable {
public:
    static constexpr std::size_t kCareerNameEntry = 0;
    static constexpr std::size_t kMaleOfferEntry = 1;
    static constexpr std::size_t kFemaleOfferEntry = 2;
    // Levels the layout provides for.
    static constexpr std::size_t kLevelSlots = 10;
    static constexpr std::size_t kEntryCount = 33;
    // The job-name copy of a track has the id track id + this (16-bit).
    static constexpr std::uint16_t kJobNameCopyIdOffset = 1000;

    static constexpr std::size_t maleJobNameEntry(std::size_t level) { return 3 + 2 * level; }
    static constexpr std::size_t jobDescriptionEntry(std::size_t level) { return 4 + 2 * level; }
    static constexpr std::size_t femaleJobNameEntry(std::size_t level) { return 23 + level; }
    static constexpr std::uint16_t jobNameCopyId(std::uint16_t trackId) {
        return static_cast<std::uint16_t>(trackId + kJobNameCopyIdOffset);
    }
    // Whether an entry is one of the job names kept in the job-name copy.
    static constexpr bool isJobNameEntry(std::size_t entry) {
        return (entry >= maleJobNameEntry(0) && entry <= maleJobNameEntry(kLevelSlots - 1) &&
                (entry - maleJobNameEntry(0)) % 2 == 0) ||
               (entry >= femaleJobNameEntry(0) && entry <= femaleJobNameEntry(kLevelSlots - 1));
    }
};

}  // namespace jf
