#include "careers/GlobalOptionsForm.h"

namespace jf {

namespace {

constexpr char kPercentRange[] = "(0 ... 100)";
constexpr char kHourRange[] = "(0 ... 23)";
constexpr char kMoodRange[] = "(-100 ... 100)";

// A field labelled with its entry's label.
constexpr GlobalOptionField field(std::size_t entry, const char* prefix, const char* unit,
                                  const char* range, int editId, int spinId, std::int16_t minimum,
                                  std::int16_t maximum) {
    return {.entry = entry,
            .label = kGlobalOptionLabels[entry],
            .prefix = prefix,
            .unit = unit,
            .range = range,
            .editId = editId,
            .spinId = spinId,
            .minimum = minimum,
            .maximum = maximum};
}

constexpr std::array<GlobalOptionField, kGlobalOptionCount> kFields = {{
    field(kOptionAPlusBonus, "$", "", "(0 ... 32767)", 1106, 1145, 0, 32767),
    field(kOptionAPlusBonusChance, "", "%", kPercentRange, 1107, 1146, 0, 100),
    field(kOptionSchoolStartHour, "", "", kHourRange, 1108, 1147, 0, 23),
    field(kOptionSchoolEndHour, "", "", kHourRange, 1109, 1148, 0, 23),
    field(kOptionMinimalMoodHigher, "", "", kMoodRange, 1110, 1149, -100, 100),
    field(kOptionMaximalMoodLower, "", "", kMoodRange, 1111, 1150, -100, 100),
    field(kOptionPromotionBonus, "", "", "times normal salary (0 ... 10)", 1112, 1151, 0, 10),
    field(kOptionChanceCardChance, "", "%", kPercentRange, 1113, 1071, 0, 100),
}};

}  // namespace

const std::array<GlobalOptionField, kGlobalOptionCount>& globalOptionFields() {
    return kFields;
}

std::int16_t globalOptionValue(const GlobalOptions& options, std::size_t entry) {
    std::int16_t value = 0;
    options.option(entry, value);
    return value;
}

NumericRange globalOptionRange(const GlobalOptionField& field) {
    return {field.minimum, field.maximum};
}

NumericCheck checkGlobalOptionField(const GlobalOptionField& field, const std::string& text) {
    return checkNumericField(text, kGlobalOptionKind, globalOptionRange(field));
}

bool storeGlobalOptions(GlobalOptions& options,
                        const std::array<std::int16_t, kGlobalOptionCount>& values) {
    for (std::size_t entry = 0; entry < values.size(); ++entry) {
        if (!options.setOption(entry, values[entry])) {
            return false;
        }
    }
    return true;
}

}  // namespace jf
