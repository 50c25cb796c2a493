#pragma once
// The rules of the chance card editors: the one-line description of a card
// item, the item editor's fields and drop-down lists, and confirming a card
// (the one-sound rule and the card's text entry). The dialogs
// (ui/ChanceCardDialog, ui/CardItemDialog) move texts and list indexes
// between these rules and their widgets.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "careers/ChanceCard.h"
#include "careers/NumericField.h"

namespace jf {

class CareerDatabase;

// ---- The item list ----------------------------------------------------------------

// The list line of an item, e.g. "Budget: add 1000" or
// "Skill: Logic add 2 study point(s)"; "" for an unknown kind.
std::string describeItem(const CardItem& item);

// What Add appends before opening the item editor.
inline constexpr CardItem kNewCardItem{CardItem::kKindBudget, CardItem::kModeAdd, 1000};

// Caption kErrorCaption (platform/Messages.h).
inline constexpr char kOneSoundMessage[] = "You must have exactly one sound item!";

// Shown when a card's text finds no free entry of the global texts table.
inline constexpr char kMessageOverflowText[] =
    "Message overflow!\n\nYou have too many chance cards!\n\nIt is recommended to have only 4 "
    "chance cards per career!";
inline constexpr char kMessageOverflowCaption[] = "Overflow Warning";

std::size_t soundItemCount(const std::vector<CardItem>& items);

enum class CardConfirmation {
    Stored,        // items given back, the text stored (or released)
    NeedOneSound,  // the card has items but not exactly one sound item
    NoFreeEntry,   // stored, but no text entry was free: the card has no text
};

// OK of the card editor, on the card's text entry: with no items the entry
// is given back (textIndex 0); with items exactly one must be a sound item,
// and then `text` (bytes in `language`'s code page) is set as the entry's
// text in `language`, a card without an entry first getting the lowest free
// one. Only that language is written. NeedOneSound changes nothing.
CardConfirmation confirmCard(CareerDatabase& database, std::uint16_t& textIndex,
                             const std::vector<CardItem>& items, int language,
                             const std::string& text);

// ---- The item editor --------------------------------------------------------------

// The drop-down lists of the item editor, in their order of reading.
enum class CardList : int {
    BudgetMode = 0,  // 1008: "Add", "Subtract"
    SkillMode,       // 1009: "Add", "Subtract"
    Skill,           // 1010: the six skills
    JobTarget,       // 1013: "Career Path", "Promotion Level"
    Sound,           // 1015: "Positive (Good)", "Negative (Bad)"
};
inline constexpr std::size_t kCardListCount = 5;

// The entries of each list, in list order.
const std::vector<const char*>& cardListEntries(CardList list);

// Skill numbers by entry of the skill list.
inline constexpr std::array<std::uint16_t, 6> kSkillListNumbers = {
    CardItem::kSkillCooking, CardItem::kSkillMechanical, CardItem::kSkillCharisma,
    CardItem::kSkillBody,    CardItem::kSkillLogic,      CardItem::kSkillCreativity,
};
// The entry of a skill number; 0 ("Cooking") for a number not in the list.
int skillListIndex(std::uint16_t skillNumber);

// The three edit fields, in their order of reading.
enum class CardEdit : int {
    Amount = 0,  // 1012, budget: unsigned 0..65535
    Number,      // 1014, job: integer 0..1000
    Points,      // 1011, skill: integer 0..1000
};
inline constexpr std::size_t kCardEditCount = 3;

NumericKind cardEditKind(CardEdit edit);
NumericRange cardEditRange(CardEdit edit);

// What the item editor's controls hold.
struct CardItemFields {
    std::uint32_t kind = 0;  // the selected radio button's kind; 0 for none
    std::array<std::string, kCardEditCount> edits{"0", "0", "0"};
    // Selected entry of each list; -1 for none.
    std::array<int, kCardListCount> lists{-1, -1, -1, -1, -1};

    bool operator==(const CardItemFields&) const = default;
};

// A radio click: every edit 0, every list at its first entry, `kind` the
// clicked group's.
CardItemFields resetCardItemFields(std::uint32_t kind);
// The controls at opening for an item: reset for its kind, then filled in.
// An unknown kind selects no radio button, no list entry and shows 0s.
CardItemFields cardItemFields(const CardItem& item);

// The groups whose value controls are enabled: only the selected kind's, or
// all of them when no radio button is selected.
bool cardGroupEnabled(std::uint32_t selectedKind, std::uint32_t groupKind);

// OK of the item editor: the item for the controls (edits already checked,
// their values in `values`). An unknown kind returns `original` unchanged.
CardItem cardItemFromFields(const CardItemFields& fields,
                            const std::array<std::uint32_t, kCardEditCount>& values,
                            const CardItem& original);

}  // namespace jf
