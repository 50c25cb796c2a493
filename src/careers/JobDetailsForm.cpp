#include "careers/JobDetailsForm.h"

#include <cstdint>

namespace jf {

namespace {

constexpr std::int32_t kMaxFriends = 25;
constexpr std::int32_t kMaxSkillPoints = 1000;
constexpr std::int32_t kMinMood = -100;
constexpr std::int32_t kMaxMood = 100;
constexpr std::int32_t kMaxSalarySpin = 32767;
constexpr std::int32_t kLastHour = 23;

using F = JobDetailField;
using T = JobFieldType;

constexpr JobDetailFieldInfo text(F field, const char* label, int editId, std::size_t index) {
    return {field, label, editId, 0, T::Text, index, false, false, 0, 0, 0, 0, false};
}
constexpr JobDetailFieldInfo requirement(F field, const char* label, int editId, std::size_t index,
                                         T type, std::int32_t maximum, bool accelerated) {
    return {field, label, editId,  editId + 1, type,    index,      true,
            true,  0,     maximum, 0,          maximum, accelerated};
}
// Skill requirement `index` (1..6), named after its skill.
constexpr JobDetailFieldInfo skill(F field, int editId, std::size_t index) {
    return requirement(field, kSkillNames[index - 1], editId, index, T::Integer, kMaxSkillPoints,
                       true);
}
constexpr JobDetailFieldInfo mood(F field, const char* label, int editId, std::size_t index) {
    return {field, label,    editId,   editId + 1, T::Mood,  index, true,
            false, kMinMood, kMaxMood, kMinMood,   kMaxMood, false};
}
constexpr JobDetailFieldInfo hour(F field, const char* label, int editId, std::size_t index) {
    return {field, label, editId,    editId + 1, T::Integer, index, true,
            false, 0,     kLastHour, 0,          kLastHour,  false};
}

constexpr std::array<JobDetailFieldInfo, kJobDetailFieldCount> kFields = {{
    text(F::InternalName, "Internal name:", 1055, 0),
    text(F::MaleMesh, "Male mesh:", 1052, 1),
    text(F::FemaleMesh, "Female mesh:", 1053, 2),
    text(F::SkinTexture, "Skin/Texture:", 1054, 3),
    requirement(F::Friends, "Friends", 1050, 0, T::Unsigned, kMaxFriends, false),
    skill(F::Cooking, 1058, 1),
    skill(F::Mechanical, 1060, 2),
    skill(F::Charisma, 1062, 3),
    skill(F::Body, 1064, 4),
    skill(F::Logic, 1066, 5),
    skill(F::Creativity, 1068, 6),
    mood(F::Hunger, "Hunger", 1070, 10),
    mood(F::Comfort, "Comfort", 1072, 11),
    mood(F::Hygiene, "Hygiene", 1074, 12),
    mood(F::Bladder, "Bladder", 1076, 13),
    mood(F::Energy, "Energy", 1078, 14),
    mood(F::Fun, "Fun", 1080, 15),
    mood(F::Social, "Social", 1082, 16),
    // The salary is read as an unsigned number but not range-checked: a
    // value above the spin's end may be typed by hand.
    {F::Salary, "Salary", 1084, 1085, T::Unsigned, 17, false, false, 0, 0, 0, kMaxSalarySpin,
     false},
    hour(F::BeginTime, "Begintime", 1086, 18),
    hour(F::EndTime, "Endtime", 1088, 19),
    {F::Vehicle, "", 1090, 0, T::List, 20, false, false, 0, 0, 0, 0, false},
}};

NumericKind kindOf(JobFieldType type) {
    switch (type) {
        case JobFieldType::Unsigned:
            return NumericKind::Unsigned;
        case JobFieldType::Mood:
            return NumericKind::Mood;
        case JobFieldType::Integer:
        case JobFieldType::Text:
        case JobFieldType::List:
            break;
    }
    return NumericKind::Integer;
}

std::int32_t lowerBound(const JobDetailFieldInfo& info, const JobRequirements& previous) {
    if (info.minimumFromPrevious && info.index < previous.size()) {
        return previous[info.index];
    }
    return info.minimum;
}

}  // namespace

const std::array<JobDetailFieldInfo, kJobDetailFieldCount>& jobDetailFields() {
    return kFields;
}

const JobDetailFieldInfo& jobDetailField(JobDetailField field) {
    return kFields[static_cast<std::size_t>(field)];
}

std::string jobFieldText(const JobLevel& level, JobDetailField field) {
    const JobDetailFieldInfo& info = jobDetailField(field);
    switch (info.type) {
        case JobFieldType::Unsigned:
            return std::to_string(static_cast<std::uint32_t>(level.value(info.index)));
        case JobFieldType::Integer:
        case JobFieldType::Mood:
            return std::to_string(level.value(info.index));
        case JobFieldType::Text:
        case JobFieldType::List:
            break;
    }
    return {};
}

NumericKind jobFieldKind(JobDetailField field) {
    return kindOf(jobDetailField(field).type);
}

std::optional<NumericRange> jobFieldRange(JobDetailField field, const JobRequirements& previous) {
    const JobDetailFieldInfo& info = jobDetailField(field);
    if (!info.rangeChecked) {
        return std::nullopt;
    }
    return NumericRange{lowerBound(info, previous), info.maximum};
}

NumericRange jobFieldSpinRange(JobDetailField field, const JobRequirements& previous) {
    const JobDetailFieldInfo& info = jobDetailField(field);
    const std::int32_t low =
        info.minimumFromPrevious ? lowerBound(info, previous) : info.spinMinimum;
    return {low, info.spinMaximum};
}

NumericCheck checkJobField(JobDetailField field, std::string_view text,
                           const JobRequirements& previous, std::int32_t& value) {
    NumericCheck check =
        checkNumericField(text, jobFieldKind(field), jobFieldRange(field, previous));
    if (check.ok) {
        // Unsigned values keep their bit pattern in the signed field.
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(check.value));
    }
    return check;
}

int vehicleListIndex(std::int32_t carType) {
    if (carType < 0 || static_cast<std::size_t>(carType) >= kCarTypeCount) {
        return -1;
    }
    return carType;
}

std::int32_t carTypeForSelection(int listIndex, std::int32_t storedCarType) {
    if (listIndex < 0) {
        return storedCarType;
    }
    return listIndex;
}

void loadPreviousRequirements(JobLevel& buffers, const JobRequirements& previous) {
    for (std::size_t i = 0; i < previous.size(); ++i) {
        buffers.value(i) = previous[i];
    }
}

void copyEditedJobFields(const JobLevel& edited, JobLevel& level) {
    for (const JobDetailFieldInfo& info : kFields) {
        if (info.type == JobFieldType::Text) {
            level.text(info.index) = edited.text(info.index);
        } else {
            level.value(info.index) = edited.value(info.index);
        }
    }
}

}  // namespace jf
