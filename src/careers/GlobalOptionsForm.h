#pragma once
// The fields of the global options editor. The screen shows the eight
// options in an order that differs from the table's (the promotion bonus,
// entry 4, comes seventh), and reads them in yet another order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "careers/GlobalOptions.h"
#include "careers/NumericField.h"

namespace jf {

struct GlobalOptionField {
    std::size_t entry;   // entry of the global options table
    const char* label;   // left of the field
    const char* prefix;  // directly before the field ("$"), or ""
    const char* unit;    // directly after the spin button ("%"), or ""
    const char* range;   // right of that, e.g. "(0 ... 100)"
    int editId;
    int spinId;
    std::int16_t minimum;  // accepted and spin range
    std::int16_t maximum;
};

// The fields from top to bottom.
const std::array<GlobalOptionField, kGlobalOptionCount>& globalOptionFields();

// The note shown between the mood fields and the promotion bonus.
inline constexpr char kMoodNote[] =
    "(mood goes from -100 till 100, -100 being \"bad\" and 100 being \"good\")";

// Screen positions (indexes into globalOptionFields()) in reading order.
inline constexpr std::array<std::size_t, kGlobalOptionCount> kGlobalOptionReadOrder = {0, 7, 1, 5,
                                                                                       4, 6, 3, 2};

// The value a field opens with: the table entry, or 0 when the table is
// shorter.
std::int16_t globalOptionValue(const GlobalOptions& options, std::size_t entry);

// Every field holds a signed 16-bit number in its range.
inline constexpr NumericKind kGlobalOptionKind = NumericKind::Short;
NumericRange globalOptionRange(const GlobalOptionField& field);

// Reads one field's text: a signed 16-bit number in the field's range.
NumericCheck checkGlobalOptionField(const GlobalOptionField& field, const std::string& text);

// Writes values (indexed by entry) into entries 0..7, entry 0 first; a short
// table grows to eight entries. False when the table cannot grow.
bool storeGlobalOptions(GlobalOptions& options,
                        const std::array<std::int16_t, kGlobalOptionCount>& values);

}  // namespace jf
