#include "careers/ChanceCardForm.h"

#include "careers/CareerDatabase.h"
#include "careers/JobLevel.h"

namespace jf {

namespace {

constexpr std::uint32_t kMaxAmount = 65535;
constexpr std::uint32_t kMaxNumber = 1000;
constexpr std::uint32_t kMaxPoints = 1000;

// Words of the item lines; the two sounds are also the sound list's entries.
constexpr char kAddWord[] = "add ";
constexpr char kSubtractWord[] = "subtract ";
constexpr char kUnknownWord[] = "unknown ";
constexpr char kGoodSoundName[] = "Positive (Good)";
constexpr char kBadSoundName[] = "Negative (Bad)";

const char* skillName(std::uint16_t number) {
    switch (number) {
        case CardItem::kSkillCooking:
            return "Cooking ";
        case CardItem::kSkillCharisma:
            return "Charisma ";
        case CardItem::kSkillMechanical:
            return "Mechanical ";
        case CardItem::kSkillCreativity:
            return "Creativity ";
        case CardItem::kSkillBody:
            return "Body ";
        case CardItem::kSkillLogic:
            return "Logic ";
        default:
            break;
    }
    return kUnknownWord;
}

std::size_t listIndex(CardList list) {
    return static_cast<std::size_t>(list);
}

std::size_t editIndex(CardEdit edit) {
    return static_cast<std::size_t>(edit);
}

// The list's selection, with no selection read as the first entry.
std::uint32_t selectedEntry(const CardItemFields& fields, CardList list) {
    const int index = fields.lists[listIndex(list)];
    return index < 0 ? 0u : static_cast<std::uint32_t>(index);
}

}  // namespace

std::string describeItem(const CardItem& item) {
    std::string line;
    switch (item.kind) {
        case CardItem::kKindBudget:
            line = "Budget: ";
            line += item.mode == CardItem::kModeAdd ? kAddWord : kSubtractWord;
            line += std::to_string(item.value);
            break;
        case CardItem::kKindSkill:
            line = "Skill: ";
            line += skillName(item.high());
            line += item.mode == CardItem::kModeAdd        ? kAddWord
                    : item.mode == CardItem::kModeSubtract ? kSubtractWord
                                                           : kUnknownWord;
            line += std::to_string(item.low()) + " study point(s)";
            break;
        case CardItem::kKindJob:
            line = "Job: ";
            line += item.high() == CardItem::kJobCareerPath       ? "Career Path "
                    : item.high() == CardItem::kJobPromotionLevel ? "Promotion Level "
                                                                  : kUnknownWord;
            line += item.mode == CardItem::kModeSet ? "set to " : kUnknownWord;
            line += std::to_string(item.low());
            break;
        case CardItem::kKindSound:
            line = "Sound: ";
            line += item.value == CardItem::kSoundGood  ? kGoodSoundName
                    : item.value == CardItem::kSoundBad ? kBadSoundName
                                                        : "Unknown";
            break;
        default:
            break;
    }
    return line;
}

std::size_t soundItemCount(const std::vector<CardItem>& items) {
    std::size_t count = 0;
    for (const CardItem& item : items) {
        if (item.kind == CardItem::kKindSound) {
            ++count;
        }
    }
    return count;
}

CardConfirmation confirmCard(CareerDatabase& database, std::uint16_t& textIndex,
                             const std::vector<CardItem>& items, int language,
                             const std::string& text) {
    if (items.empty()) {
        if (textIndex != 0) {
            database.releaseCardText(textIndex);
        }
        return CardConfirmation::Stored;
    }
    if (soundItemCount(items) != 1) {
        return CardConfirmation::NeedOneSound;
    }
    if (textIndex == 0 && !database.allocateCardText(textIndex)) {
        textIndex = 0;
        return CardConfirmation::NoFreeEntry;
    }
    database.setGlobalText(textIndex - 1u, language, text);
    return CardConfirmation::Stored;
}

const std::vector<const char*>& cardListEntries(CardList list) {
    static const std::vector<const char*> modes = {"Add", "Subtract"};
    static const std::vector<const char*> skills(kSkillNames.begin(), kSkillNames.end());
    static const std::vector<const char*> targets = {"Career Path", "Promotion Level"};
    static const std::vector<const char*> sounds = {kGoodSoundName, kBadSoundName};
    switch (list) {
        case CardList::Skill:
            return skills;
        case CardList::JobTarget:
            return targets;
        case CardList::Sound:
            return sounds;
        case CardList::BudgetMode:
        case CardList::SkillMode:
            break;
    }
    return modes;
}

int skillListIndex(std::uint16_t skillNumber) {
    for (std::size_t i = 0; i < kSkillListNumbers.size(); ++i) {
        if (kSkillListNumbers[i] == skillNumber) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

NumericKind cardEditKind(CardEdit edit) {
    return edit == CardEdit::Amount ? NumericKind::Unsigned : NumericKind::Integer;
}

NumericRange cardEditRange(CardEdit edit) {
    switch (edit) {
        case CardEdit::Amount:
            return {0, kMaxAmount};
        case CardEdit::Number:
            return {0, kMaxNumber};
        case CardEdit::Points:
            break;
    }
    return {0, kMaxPoints};
}

CardItemFields resetCardItemFields(std::uint32_t kind) {
    CardItemFields fields;
    fields.kind = kind;
    fields.lists.fill(0);
    return fields;
}

CardItemFields cardItemFields(const CardItem& item) {
    if (item.kind < CardItem::kKindBudget || item.kind > CardItem::kKindSound) {
        return CardItemFields{};
    }
    CardItemFields fields = resetCardItemFields(item.kind);
    switch (item.kind) {
        case CardItem::kKindBudget:
            fields.lists[listIndex(CardList::BudgetMode)] = item.mode != CardItem::kModeAdd ? 1 : 0;
            fields.edits[editIndex(CardEdit::Amount)] = std::to_string(item.value);
            break;
        case CardItem::kKindSkill:
            fields.lists[listIndex(CardList::Skill)] = skillListIndex(item.high());
            fields.lists[listIndex(CardList::SkillMode)] = item.mode != CardItem::kModeAdd ? 1 : 0;
            fields.edits[editIndex(CardEdit::Points)] = std::to_string(item.low());
            break;
        case CardItem::kKindJob:
            fields.lists[listIndex(CardList::JobTarget)] =
                item.high() == CardItem::kJobCareerPath ? 0 : 1;
            fields.edits[editIndex(CardEdit::Number)] = std::to_string(item.low());
            break;
        default:  // sound
            fields.lists[listIndex(CardList::Sound)] = item.value == CardItem::kSoundGood ? 0 : 1;
            break;
    }
    return fields;
}

bool cardGroupEnabled(std::uint32_t selectedKind, std::uint32_t groupKind) {
    if (selectedKind < CardItem::kKindBudget || selectedKind > CardItem::kKindSound) {
        return true;
    }
    return selectedKind == groupKind;
}

CardItem cardItemFromFields(const CardItemFields& fields,
                            const std::array<std::uint32_t, kCardEditCount>& values,
                            const CardItem& original) {
    CardItem item = original;
    switch (fields.kind) {
        case CardItem::kKindBudget:
            item.kind = CardItem::kKindBudget;
            item.mode = selectedEntry(fields, CardList::BudgetMode);
            item.value = values[editIndex(CardEdit::Amount)];
            break;
        case CardItem::kKindSkill: {
            const std::uint32_t skill = kSkillListNumbers[selectedEntry(fields, CardList::Skill) %
                                                          kSkillListNumbers.size()];
            item.kind = CardItem::kKindSkill;
            item.value = (skill << 16) + values[editIndex(CardEdit::Points)];
            item.mode = selectedEntry(fields, CardList::SkillMode) == 0 ? CardItem::kModeAdd
                                                                        : CardItem::kModeSubtract;
            break;
        }
        case CardItem::kKindJob:
            item.kind = CardItem::kKindJob;
            item.value =
                ((CardItem::kJobCareerPath + selectedEntry(fields, CardList::JobTarget)) << 16) +
                values[editIndex(CardEdit::Number)];
            item.mode = CardItem::kModeSet;
            break;
        case CardItem::kKindSound:
            item.kind = CardItem::kKindSound;
            item.value = selectedEntry(fields, CardList::Sound) == 0 ? CardItem::kSoundGood
                                                                     : CardItem::kSoundBad;
            item.mode = CardItem::kModeSet;
            break;
        default:
            break;
    }
    return item;
}

}  // namespace jf
