#pragma once
// "Set All" of the Language menu, without the questions: copying the texts
// of one language into every other language slot, as raw stored bytes.

#include <cstddef>

namespace jf {

class CareerDatabase;
class StringTable;

// For every other slot 0..19 and every entry 0..32 of a track's texts that
// exists: set the entry in that slot to its text in `fromSlot`. Adds no rows.
void copyTrackTextsToAllLanguages(StringTable& careerStrings, int fromSlot);

// For each of the ten chance cards of track `position` that has a text
// (textIndex t > 0): copy entry t - 1 of the global texts table from
// `fromSlot` into every other slot, when that entry exists. Cards without
// text are skipped.
void copyCardTextsToAllLanguages(CareerDatabase& database, std::size_t position, int fromSlot);

}  // namespace jf
