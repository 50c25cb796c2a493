#pragma once
// The fields of the global texts editor: ten of the game's message texts
// (entries of the global texts table, STR# 301), edited one language at a
// time, and the program's built-in default texts (careers/DefaultTexts.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/CodePages.h"

namespace jf {

class CareerDatabase;
class StringTable;

struct GlobalTextField {
    std::size_t entry;  // entry of the global texts table
    const char* label;
    int editId;
    bool multiLine;
};

inline constexpr std::size_t kGlobalTextFieldCount = 10;

// The fields from top to bottom. Entries 3 and 6 are not edited.
const std::array<GlobalTextField, kGlobalTextFieldCount>& globalTextFields();

// A stable name of each field, by field (top to bottom), for files that
// name the fields: careers JSON keys and translation-file contexts.
inline constexpr std::array<const char*, kGlobalTextFieldCount> kGlobalTextKeys = {
    "carPoolName",      "schoolBusName",    "carPoolWarning",    "schoolBusWarning",
    "promotionMessage", "demotionMessage",  "arriveHomeMessage", "aPlusBonusMessage",
    "militaryWarning1", "militaryWarning2",
};

// The entries in the order they are stored.
inline constexpr std::array<std::size_t, kGlobalTextFieldCount> kGlobalTextStoreOrder = {
    0, 1, 2, 4, 5, 7, 8, 9, 10, 11};

// The editor's language list, by LanguageSlot: the language names, but with
// the editor's own "Spanian" for Spanish.
inline constexpr std::array<const char*, 20> kGlobalTextLanguages = [] {
    std::array<const char*, 20> names = kLanguageNames;
    names[5] = "Spanian";
    return names;
}();

// The texts of the ten fields as bytes, by field (not by entry).
using GlobalTextValues = std::array<std::string, kGlobalTextFieldCount>;

// Reads the ten entries in `slot` into `values`; an entry the table lacks
// leaves its value as it was.
void readGlobalTexts(const StringTable& table, int slot, GlobalTextValues& values);

// Sets the ten entries of the global texts table in `slot` to `values`, in
// kGlobalTextStoreOrder; a table too short for an entry grows (empty rows).
void storeGlobalTexts(CareerDatabase& database, int slot, const GlobalTextValues& values);

enum class DefaultTextsStatus {
    Ok,
    Missing,  // the built-in texts could not be had
    Damaged,  // they do not decode as a string table
};

inline constexpr char kDefaultsMissingMessage[] =
    "Error while loading default strings...\n\nDo you have a memory problem?";
inline constexpr char kDefaultsDamagedMessage[] = "Default strings are damaged!";

// Reads the ten default texts of `slot` from an STR# body (normally
// defaultGlobalTextsBody()) into `values`; an entry the body lacks leaves
// its value as it was. An empty body is Missing. On failure `values` is
// unchanged.
DefaultTextsStatus readDefaultGlobalTexts(const std::vector<std::uint8_t>& body, int slot,
                                          GlobalTextValues& values);

}  // namespace jf
