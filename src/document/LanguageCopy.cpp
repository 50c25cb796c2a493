#include "document/LanguageCopy.h"

#include <string>

#include "careers/CareerDatabase.h"
#include "careers/CareerStrings.h"
#include "iff/StringTable.h"

namespace jf {

namespace {

// Copies one entry from `fromSlot` into all other slots, when it exists.
void copyEntry(StringTable& table, std::size_t entry, int fromSlot) {
    std::string text;
    if (!table.getString(entry, fromSlot, StringTable::kText, text)) {
        return;
    }
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        if (slot != fromSlot) {
            table.setString(entry, slot, StringTable::kText, text);
        }
    }
}

}  // namespace

void copyTrackTextsToAllLanguages(StringTable& careerStrings, int fromSlot) {
    for (std::size_t entry = 0; entry < CareerStrings::kEntryCount; ++entry) {
        copyEntry(careerStrings, entry, fromSlot);
    }
}

void copyCardTextsToAllLanguages(CareerDatabase& database, std::size_t position, int fromSlot) {
    for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
        const ChanceCard* card = database.chanceCard(position, level);
        if (card != nullptr && card->textIndex != 0) {
            copyEntry(database.globalTexts(), card->textIndex - std::size_t{1}, fromSlot);
        }
    }
}

}  // namespace jf
