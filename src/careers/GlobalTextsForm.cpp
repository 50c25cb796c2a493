#include "careers/GlobalTextsForm.h"

#include "careers/CareerDatabase.h"
#include "iff/StringTable.h"
#include "platform/File.h"

namespace jf {

namespace {

constexpr std::array<GlobalTextField, kGlobalTextFieldCount> kFields = {{
    {0, "Car Pool name:", 1153, false},
    {10, "School bus name:", 1154, false},
    {1, "Car Pool warning:", 1155, true},
    {11, "Schoolbus warning:", 1156, true},
    {2, "Promotion message:", 1157, true},
    {5, "Demotion message:", 1158, true},
    {4, "Arrive Home message:", 1159, true},
    {7, "A++ bonus message", 1160, true},
    {8, "Military warning 1:", 1161, true},
    {9, "Military warning 2:", 1162, true},
}};

}  // namespace

const std::array<GlobalTextField, kGlobalTextFieldCount>& globalTextFields() {
    return kFields;
}

void readGlobalTexts(const StringTable& table, int slot, GlobalTextValues& values) {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        table.getString(kFields[i].entry, slot, StringTable::kText, values[i]);
    }
}

void storeGlobalTexts(CareerDatabase& database, int slot, const GlobalTextValues& values) {
    for (const std::size_t entry : kGlobalTextStoreOrder) {
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (kFields[i].entry == entry) {
                database.setGlobalText(entry, slot, values[i]);
            }
        }
    }
}

DefaultTextsStatus readDefaultGlobalTexts(const std::vector<std::uint8_t>& body, int slot,
                                          GlobalTextValues& values) {
    if (body.empty()) {
        return DefaultTextsStatus::Missing;
    }
    MemoryFile file(body);
    StringTable defaults;
    if (!defaults.loadFromFile(file)) {
        return DefaultTextsStatus::Damaged;
    }
    readGlobalTexts(defaults, slot, values);
    return DefaultTextsStatus::Ok;
}

}  // namespace jf
