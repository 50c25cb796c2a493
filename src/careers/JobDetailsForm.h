#pragma once
// The fields of the job details editor: what each shows of a JobLevel, how
// it is read and checked, the spin ranges, and the order in which the fields
// are read. The dialog itself (ui/JobDetailsDialog) only moves texts between
// these rules and its widgets.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "careers/JobLevel.h"
#include "careers/NumericField.h"

namespace jf {

// Values 0..6 of the level below (friends and the six skills); zeros for the
// first level. They are the lower bounds of those fields and what "Load
// previous" loads.
inline constexpr std::size_t kPreviousRequirementCount = 7;
using JobRequirements = std::array<std::int32_t, kPreviousRequirementCount>;

enum class JobDetailField : int {
    InternalName = 0,
    MaleMesh,
    FemaleMesh,
    SkinTexture,
    Friends,
    Cooking,
    Mechanical,
    Charisma,
    Body,
    Logic,
    Creativity,
    Hunger,
    Comfort,
    Hygiene,
    Bladder,
    Energy,
    Fun,
    Social,
    Salary,
    BeginTime,
    EndTime,
    Vehicle,
};
inline constexpr std::size_t kJobDetailFieldCount = 22;

enum class JobFieldType {
    Text,      // one of the texts T0..T3, taken as typed
    Unsigned,  // friends and salary
    Integer,   // skills and hours
    Mood,      // mood changes per hour ("-" reads as 0)
    List,      // the vehicle list
};

struct JobDetailFieldInfo {
    JobDetailField field;
    const char* label;  // "" for the vehicle list
    int editId;         // control id of the edit field (or the list)
    int spinId;         // control id of its spin button; 0 for none
    JobFieldType type;
    // Index of the JobLevel value (0..20) or, for text fields, of the text
    // (0..3).
    std::size_t index;
    // Accepted range; the lower bound is the previous level's value of this
    // index when `minimumFromPrevious`.
    bool rangeChecked;
    bool minimumFromPrevious;
    std::int32_t minimum;
    std::int32_t maximum;
    // Range of the spin button (its lower bound follows the previous level
    // like the accepted one). Spin and accepted ranges differ for the
    // salary, which is not checked at all.
    std::int32_t spinMinimum;
    std::int32_t spinMaximum;
    // The skill spins speed up when held (see kSkillSpinAcceleration).
    bool acceleratedSpin;
};

// The fields in JobDetailField order.
const std::array<JobDetailFieldInfo, kJobDetailFieldCount>& jobDetailFields();
const JobDetailFieldInfo& jobDetailField(JobDetailField field);

// The order in which the fields are read and checked; the first failing one
// stops the reading.
inline constexpr std::array<JobDetailField, kJobDetailFieldCount> kJobDetailReadOrder = {
    JobDetailField::BeginTime,   JobDetailField::Bladder,    JobDetailField::Body,
    JobDetailField::Vehicle,     JobDetailField::Charisma,   JobDetailField::Comfort,
    JobDetailField::Cooking,     JobDetailField::Creativity, JobDetailField::EndTime,
    JobDetailField::Energy,      JobDetailField::FemaleMesh, JobDetailField::Fun,
    JobDetailField::Hunger,      JobDetailField::Hygiene,    JobDetailField::InternalName,
    JobDetailField::Logic,       JobDetailField::MaleMesh,   JobDetailField::Mechanical,
    JobDetailField::Salary,      JobDetailField::Social,     JobDetailField::Friends,
    JobDetailField::SkinTexture,
};

// The skill spins: after this long held down, they step by kSkillSpinFastStep.
inline constexpr int kSkillSpinAccelerationMs = 1000;
inline constexpr int kSkillSpinFastStep = 100;

// The text a numeric field shows for a job level: friends and salary as
// unsigned 32-bit numbers, all others signed. Empty for text and list fields.
std::string jobFieldText(const JobLevel& level, JobDetailField field);

// How a numeric field's text is read (Integer for texts and the list).
NumericKind jobFieldKind(JobDetailField field);

// The accepted range of a numeric field (nullopt for the unchecked salary,
// texts and the list) and its spin range.
std::optional<NumericRange> jobFieldRange(JobDetailField field, const JobRequirements& previous);
NumericRange jobFieldSpinRange(JobDetailField field, const JobRequirements& previous);

// Reads a numeric field's text with its rules and range. On success `value`
// is the 32-bit value to store (unsigned fields keep their bit pattern).
NumericCheck checkJobField(JobDetailField field, std::string_view text,
                           const JobRequirements& previous, std::int32_t& value);

// The vehicle list: index 0..8 of kCarTypeNames, or -1 when a stored
// carType lies outside the list (nothing selected).
int vehicleListIndex(std::int32_t carType);
// The carType to store for the list's selection: the index, or the stored
// value unchanged when nothing is selected (a stored value outside the list
// survives a dialog that did not touch the list).
std::int32_t carTypeForSelection(int listIndex, std::int32_t storedCarType);

// "Load previous": friends and the six skills of `buffers` become the
// previous level's values; everything else stays.
void loadPreviousRequirements(JobLevel& buffers, const JobRequirements& previous);

// Copies what the dialog edits (values 0..6 and 10..20, texts T0..T3) from
// `edited` into `level`; reserved7..9 and extraText stay as they are.
void copyEditedJobFields(const JobLevel& edited, JobLevel& level);

}  // namespace jf
