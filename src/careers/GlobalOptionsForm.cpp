#include "careers/GlobalOptionsForm.h"

namespace jf {

namespace {

constexpr std::array<GlobalOptionField, kGlobalOptionCount> kFields = {{
    {kOptionAPlusBonus, "A++ bonus for children:", "$", "", "(0 ... 32767)", 1106, 1145, 0, 32767},
    {kOptionAPlusBonusChance, "A++ bonus chances:", "", "%", "(0 ... 100)", 1107, 1146, 0, 100},
    {kOptionSchoolStartHour, "School start hour:", "", "", "(0 ... 23)", 1108, 1147, 0, 23},
    {kOptionSchoolEndHour, "School end hour:", "", "", "(0 ... 23)", 1109, 1148, 0, 23},
    {kOptionMinimalMoodHigher, "Minimal mood for higher grade:", "", "", "(-100 ... 100)", 1110,
     1149, -100, 100},
    {kOptionMaximalMoodLower, "Maximal mood for lower grade:", "", "", "(-100 ... 100)", 1111, 1150,
     -100, 100},
    {kOptionPromotionBonus, "Promotion bonus:", "", "", "times normal salary (0 ... 10)", 1112,
     1151, 0, 10},
    {kOptionChanceCardChance, "Chances on a chance card:", "", "%", "(0 ... 100)", 1113, 1071, 0,
     100},
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
