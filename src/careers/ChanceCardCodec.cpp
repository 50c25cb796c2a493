#include "careers/ChanceCardCodec.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <unordered_set>

#include "iff/IffFile.h"

namespace jf {

namespace {

constexpr std::uint16_t kOpExpression = 2;
constexpr std::uint16_t kOpSetTo = 8;
constexpr std::uint16_t kOpPlaySound = 23;
constexpr std::uint16_t kOpBudget = 25;
constexpr std::uint16_t kOpDialog = 36;

// Operand bytes of the expression patterns (opcode 2).
constexpr std::size_t kOperatorByte = 5;
constexpr std::uint8_t kOperatorCheck = 0;
constexpr std::uint8_t kOperatorEquals = 2;
constexpr std::uint8_t kOperatorAdd = 3;
constexpr std::uint8_t kOperatorSubtract = 4;
constexpr std::uint8_t kOperatorAssign = 5;
constexpr std::uint8_t kScopeByte6 = 0x12;
constexpr std::uint8_t kScopeByte7 = 0x07;

// Budget instructions (opcode 25): word 0 and the bits of byte 4.
constexpr std::uint16_t kBudgetWord = 0x0703;
constexpr std::uint8_t kBudgetCheckBit = 0x01;
constexpr std::uint8_t kBudgetAddBit = 0x02;

// Card text (opcode 36): byte 1 and bytes 6, 7 as written.
constexpr std::uint8_t kCardTextByte1 = 0x2C;
constexpr std::uint8_t kCardTextByte6 = 0x04;
constexpr std::uint8_t kCardTextByte7 = 0x08;

constexpr std::uint8_t kTreeCallOperand = 0xFF;

// Only targets 0..251 can name an instruction.
constexpr std::size_t kAddressable = kTargetNoInstruction;
// Targets up to this value are block-relative and move with the block.
constexpr std::uint8_t kLastRelativeTarget = 250;

using Operands = std::array<std::uint8_t, kOperandBytes>;

Instruction make(std::uint16_t opcode, std::uint8_t trueTarget, std::uint8_t falseTarget,
                 const Operands& operands) {
    Instruction instruction;
    instruction.opcode = opcode;
    instruction.trueTarget = trueTarget;
    instruction.falseTarget = falseTarget;
    instruction.operands = operands;
    return instruction;
}

// An expression: word 0, word 1, byte 4 = 0, operator, scope bytes.
Instruction expression(std::uint16_t word0, std::uint16_t word1, std::uint8_t op,
                       std::uint8_t trueTarget, std::uint8_t falseTarget) {
    Instruction instruction =
        make(kOpExpression, trueTarget, falseTarget, {0, 0, 0, 0, 0, op, kScopeByte6, kScopeByte7});
    instruction.setWord(0, word0);
    instruction.setWord(1, word1);
    return instruction;
}

bool hasScope(const Instruction& instruction) {
    return instruction.operands[6] == kScopeByte6 && instruction.operands[7] == kScopeByte7;
}

bool isSkill(std::uint16_t skill) {
    switch (skill) {
        case CardItem::kSkillCooking:
        case CardItem::kSkillCharisma:
        case CardItem::kSkillMechanical:
        case CardItem::kSkillCreativity:
        case CardItem::kSkillBody:
        case CardItem::kSkillLogic:
            return true;
        default:
            return false;
    }
}

// A career test (word 0 = 56) or level test (word 0 = 57) whose true branch
// can lead somewhere.
bool isTest(const Instruction& instruction, std::uint16_t what) {
    return instruction.opcode == kOpExpression && instruction.word(0) == what &&
           instruction.operands[kOperatorByte] == kOperatorEquals && hasScope(instruction) &&
           instruction.trueTarget <= kTargetNoInstruction;
}

bool isTreeCall(std::uint16_t opcode) {
    return opcode >= kFirstSubroutineTreeId && opcode <= kLastSubroutineTreeId;
}

// The indices of the instructions reachable from `from`, in the order
// CodeTree::copyReachable visits and copies them (breadth first, true
// before false). Copying from a later instruction of such a copy reaches
// the same instructions in the same order as visiting the original from
// its original index, so the cards can be read off the original tree.
std::vector<std::uint8_t> reachableOrder(const InstructionList& list, std::size_t from) {
    std::vector<std::uint8_t> order;
    const std::size_t limit = std::min(list.size(), kAddressable);
    if (from >= limit) {
        return order;
    }
    std::array<bool, 256> queued{};
    order.reserve(limit);
    order.push_back(static_cast<std::uint8_t>(from));
    queued[from] = true;
    for (std::size_t head = 0; head < order.size(); ++head) {
        const Instruction& instruction = list[order[head]];
        for (std::uint8_t target : {instruction.trueTarget, instruction.falseTarget}) {
            if (target < limit && !queued[target]) {
                queued[target] = true;
                order.push_back(target);
            }
        }
    }
    return order;
}

// What one level part adds to a card.
struct LevelPart {
    std::vector<CardItem> items;
    std::optional<std::uint16_t> textIndex;
    std::vector<std::size_t> textSites;  // original indices of card texts
};

LevelPart decodeLevelPart(const InstructionList& list, std::size_t from) {
    LevelPart part;
    for (std::uint8_t index : reachableOrder(list, from)) {
        const Instruction& instruction = list[index];
        const std::uint8_t byte4 = instruction.operands[4];
        const std::uint8_t op = instruction.operands[kOperatorByte];
        switch (instruction.opcode) {
            case kOpPlaySound:
                part.items.push_back(CardItem::sound(instruction.word(0)));
                break;
            case kOpDialog:
                part.textIndex = instruction.word(1);
                part.textSites.push_back(index);
                break;
            case kOpBudget:
                // A budget check (bit 0 set) is no item.
                if (instruction.word(0) == kBudgetWord && (byte4 & kBudgetCheckBit) == 0) {
                    const std::uint32_t mode =
                        (byte4 & kBudgetAddBit) == 0 ? CardItem::kModeSubtract : CardItem::kModeAdd;
                    part.items.push_back(CardItem::budget(mode, instruction.word(1)));
                }
                break;
            case kOpExpression:
                if (!hasScope(instruction)) {
                    break;
                }
                if ((op == kOperatorAdd || op == kOperatorSubtract) &&
                    isSkill(instruction.word(0))) {
                    const std::uint32_t mode =
                        op == kOperatorAdd ? CardItem::kModeAdd : CardItem::kModeSubtract;
                    part.items.push_back(
                        CardItem::skill(mode, instruction.word(0), instruction.word(1)));
                } else if (op == kOperatorAssign &&
                           (instruction.word(0) == CardItem::kJobCareerPath ||
                            instruction.word(0) == CardItem::kJobPromotionLevel)) {
                    part.items.push_back(CardItem::job(instruction.word(0), instruction.word(1)));
                }
                break;
            default:
                break;
        }
    }
    return part;
}

// What one career part adds to the ten cards of a track.
struct CareerPart {
    std::array<LevelPart, kCardsPerTrack> levels;
};

// Decodes the cards of one tree. Level and career parts are decoded once
// per start index and then applied for every test that leads to them.
class TreeDecoder {
public:
    TreeDecoder(const InstructionList& list, std::size_t& totalItems)
        : list_(list), totalItems_(totalItems) {}

    // Applies the career part behind the career test at `index` to `cards`.
    bool applyCareerTest(std::size_t index, TrackCards& cards, std::set<std::size_t>& sites) {
        const CareerPart* part = careerPart(list_[index].trueTarget);
        if (part == nullptr) {
            return false;
        }
        for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
            const LevelPart& add = part->levels[level];
            ChanceCard& card = cards[level];
            if (card.items.size() + add.items.size() > kMaxCardItems ||
                totalItems_ + add.items.size() > kMaxTotalCardItems) {
                return false;
            }
            card.items.insert(card.items.end(), add.items.begin(), add.items.end());
            totalItems_ += add.items.size();
            if (add.textIndex) {
                card.textIndex = *add.textIndex;
            }
            sites.insert(add.textSites.begin(), add.textSites.end());
        }
        return true;
    }

private:
    const LevelPart& levelPart(std::size_t from) {
        std::unique_ptr<LevelPart>& cached = levelParts_[from];
        if (!cached) {
            cached = std::make_unique<LevelPart>(decodeLevelPart(list_, from));
        }
        return *cached;
    }

    // nullptr when a level of the part alone holds more items than a card
    // may (applying it would fail anyway).
    const CareerPart* careerPart(std::size_t from) {
        std::unique_ptr<CareerPart>& cached = careerParts_[from];
        if (cached) {
            return cached.get();
        }
        auto part = std::make_unique<CareerPart>();
        const std::vector<std::uint8_t> order = reachableOrder(list_, from);
        for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
            LevelPart& into = part->levels[level];
            for (std::uint8_t index : order) {
                const Instruction& instruction = list_[index];
                if (!isTest(instruction, CardItem::kJobPromotionLevel) ||
                    std::size_t{instruction.word(1)} != level) {
                    continue;
                }
                const LevelPart& add = levelPart(instruction.trueTarget);
                if (into.items.size() + add.items.size() > kMaxCardItems) {
                    return nullptr;
                }
                into.items.insert(into.items.end(), add.items.begin(), add.items.end());
                if (add.textIndex) {
                    into.textIndex = add.textIndex;
                }
                into.textSites.insert(into.textSites.end(), add.textSites.begin(),
                                      add.textSites.end());
            }
        }
        cached = std::move(part);
        return cached.get();
    }

    const InstructionList& list_;
    std::size_t& totalItems_;
    // Indexed by start instruction (0..252; 252 names none and decodes empty).
    std::array<std::unique_ptr<LevelPart>, kAddressable + 1> levelParts_;
    std::array<std::unique_ptr<CareerPart>, kAddressable + 1> careerParts_;
};

// ---- Generation ----------------------------------------------------------------

Instruction careerTest(std::uint16_t trackId) {
    return expression(CardItem::kJobCareerPath, trackId, kOperatorEquals, 1, kTargetFalse);
}

Instruction levelTest(std::size_t level, std::uint8_t next) {
    return expression(CardItem::kJobPromotionLevel, static_cast<std::uint16_t>(level),
                      kOperatorEquals, next, kTargetFalse);
}

Instruction budgetInstruction(std::uint16_t amount, std::uint8_t byte4, std::uint8_t trueTarget,
                              std::uint8_t falseTarget) {
    Instruction instruction =
        make(kOpBudget, trueTarget, falseTarget, {0, 0, 0, 0, byte4, 0, 0, 0});
    instruction.setWord(0, kBudgetWord);
    instruction.setWord(1, amount);
    return instruction;
}

Instruction treeCall(std::uint16_t id) {
    Operands operands;
    operands.fill(kTreeCallOperand);
    return make(id, kTargetTrue, kTargetFalse, operands);
}

const std::array<Instruction, kOpeningInstructions>& openingInstructions() {
    static const std::array<Instruction, kOpeningInstructions> opening = {
        make(kOpExpression, 1, kTargetError, {0x09, 0x00, 0x38, 0x00, 0x00, 0x05, 0x19, 0x12}),
        make(kOpExpression, 2, kTargetError, {0x00, 0x00, 0x0B, 0x00, 0x00, 0x05, 0x0A, 0x03}),
        make(kOpExpression, 3, kTargetFalse, {0x18, 0x00, 0x00, 0x00, 0x00, 0x02, 0x12, 0x07}),
        make(kOpSetTo, 4, kTargetError, {0x00, 0x00, 0x08, 0x00, 0x64, 0x00, 0x07, 0x00}),
        make(kOpExpression, kTargetFalse, kTargetFalse,
             {0x00, 0x00, 0x87, 0x00, 0x00, 0x01, 0x08, 0x1A}),
        make(kOpExpression, kTargetTrue, kTargetError,
             {0x18, 0x00, 0x01, 0x00, 0x00, 0x05, 0x12, 0x07}),
    };
    return opening;
}

// The opening instruction whose true target leads to the first block.
constexpr std::size_t kOpeningEntry = 4;
constexpr std::size_t kContinuationEntry = 2;

InstructionList continuationInstructions() {
    const auto& opening = openingInstructions();
    InstructionList list = {opening[0], opening[1], opening[2], opening[kOpeningClosingIndex]};
    list[kContinuationEntry].trueTarget = kTargetFalse;
    return list;
}

std::uint8_t renumber(std::uint8_t target, std::size_t blockStart, std::uint8_t closing) {
    if (target == kTargetTrue) {
        return closing;
    }
    if (target <= kLastRelativeTarget) {
        return static_cast<std::uint8_t>(target + blockStart);
    }
    return target;
}

}  // namespace

std::uint16_t cardRootTreeId(std::uint32_t installedPacks) {
    return (installedPacks & ~kEarlyPacksMask) != 0 ? kCardRootTreeIdExpansion : kCardRootTreeId;
}

CardTrees findCardTrees(IffView& cardView, std::uint16_t rootId) {
    CardTrees found;
    std::vector<std::uint16_t> listed = {rootId};
    for (std::size_t i = 0; i < listed.size() && i < kMaxCardTrees; ++i) {
        found.ids.push_back(listed[i]);
        found.trees.emplace_back();
        IffChunk* chunk = cardView.find(kTypeBhav, listed[i]);
        CodeTree tree;
        if (chunk == nullptr || !tree.attachTo(cardView, *chunk)) {
            found.ids[i] = 0;
            continue;
        }
        found.trees[i] = tree.instructions();
        if (i + 1 == kMaxCardTrees) {
            continue;  // the last slot's calls are not followed
        }
        for (const Instruction& instruction : found.trees[i]) {
            if (isTreeCall(instruction.opcode) && listed.size() < kMaxCardTrees &&
                std::find(listed.begin(), listed.end(), instruction.opcode) == listed.end()) {
                listed.push_back(instruction.opcode);
            }
        }
    }
    return found;
}

bool decodeChanceCards(const CardTrees& trees, const std::vector<std::uint16_t>& trackIds,
                       std::vector<TrackCards>& cards, CardTextSites* textSites) {
    cards.assign(trackIds.size(), TrackCards{});
    // Track positions by id, for finding the track of a career test.
    std::vector<std::pair<std::uint16_t, std::size_t>> byId;
    byId.reserve(trackIds.size());
    for (std::size_t position = 0; position < trackIds.size(); ++position) {
        byId.emplace_back(trackIds[position], position);
    }
    std::sort(byId.begin(), byId.end());

    std::size_t totalItems = 0;
    for (std::size_t slot = 0; slot < trees.ids.size() && slot < trees.trees.size(); ++slot) {
        if (trees.ids[slot] == 0) {
            continue;
        }
        const InstructionList& list = trees.trees[slot];
        TreeDecoder decoder(list, totalItems);
        std::set<std::size_t> sites;
        // One pass in index order serves every track: the cards of a track
        // are filled in tree order and instruction order as before.
        for (std::size_t index = 0; index < list.size(); ++index) {
            if (!isTest(list[index], CardItem::kJobCareerPath)) {
                continue;
            }
            const std::uint16_t id = list[index].word(1);
            auto range =
                std::equal_range(byId.begin(), byId.end(), std::make_pair(id, std::size_t{0}),
                                 [](const auto& a, const auto& b) { return a.first < b.first; });
            for (auto it = range.first; it != range.second; ++it) {
                if (!decoder.applyCareerTest(index, cards[it->second], sites)) {
                    return false;
                }
            }
        }
        if (textSites != nullptr && !sites.empty()) {
            (*textSites)[trees.ids[slot]] = std::move(sites);
        }
    }
    return true;
}

void markReferencedTexts(const InstructionList& tree, FreeTextFlags& freeFlags) {
    markPinnedTexts(tree, {}, freeFlags);
}

void markPinnedTexts(const InstructionList& tree, const std::set<std::size_t>& cardTexts,
                     FreeTextFlags& flags) {
    static constexpr std::array<std::size_t, 6> kReferenceBytes = {0, 1, 2, 3, 4, 6};
    for (std::size_t index = 0; index < tree.size(); ++index) {
        const Instruction& instruction = tree[index];
        if (instruction.opcode != kOpDialog) {
            continue;
        }
        const bool cardText = cardTexts.count(index) != 0;
        for (std::size_t b : kReferenceBytes) {
            if (cardText && (b == 2 || b == 3)) {
                continue;  // the card's own text (word 1)
            }
            const std::uint8_t byte = instruction.operands[b];
            if (byte != 0) {
                flags[byte - 1u] = false;
            }
        }
        const std::uint16_t word1 = instruction.word(1);
        if (!cardText && word1 >= 1 && word1 <= kFreeTextFlagCount) {
            flags[word1 - 1u] = false;
        }
    }
}

bool buildTrackBlock(std::uint16_t trackId, const TrackCards& cards, InstructionList& block) {
    block.clear();
    block.push_back(careerTest(trackId));
    std::optional<std::size_t> previousLevelTest;
    // Appends at the next index; false when the block grows too long.
    auto append = [&block](const Instruction& instruction) {
        if (block.size() >= kMaxTrackBlock) {
            return false;
        }
        block.push_back(instruction);
        return true;
    };
    auto next = [&block]() { return static_cast<std::uint8_t>(block.size() + 1); };

    for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
        const ChanceCard& card = cards[level];
        if (card.items.empty()) {
            continue;
        }
        const std::size_t testIndex = block.size();
        if (previousLevelTest) {
            block[*previousLevelTest].falseTarget = static_cast<std::uint8_t>(testIndex);
        }
        if (!append(levelTest(level, next()))) {
            return false;
        }
        previousLevelTest = testIndex;
        // Checks: can the family pay, has the sim the skill points to lose?
        for (const CardItem& item : card.items) {
            if (item.kind == CardItem::kKindBudget && item.subtracts()) {
                if (!append(budgetInstruction(item.low(), kBudgetCheckBit, next(), kTargetFalse))) {
                    return false;
                }
            } else if (item.kind == CardItem::kKindSkill && item.subtracts()) {
                const auto below = static_cast<std::uint16_t>(item.low() - 1u);
                if (!append(expression(item.high(), below, kOperatorCheck, next(), kTargetFalse))) {
                    return false;
                }
            }
        }
        for (const CardItem& item : card.items) {
            if (item.kind == CardItem::kKindSound) {
                Instruction sound = make(kOpPlaySound, next(), kTargetError, {});
                sound.setWord(0, static_cast<std::uint16_t>(item.value & 0xFFFF));
                if (!append(sound)) {
                    return false;
                }
            }
        }
        Instruction text = make(kOpDialog, next(), kTargetError,
                                {0, kCardTextByte1, 0, 0, 0, 0, kCardTextByte6, kCardTextByte7});
        text.setWord(1, card.textIndex);
        if (!append(text)) {
            return false;
        }
        for (const CardItem& item : card.items) {
            bool ok = true;
            if (item.kind == CardItem::kKindBudget) {
                const std::uint8_t byte4 = item.subtracts() ? 0 : kBudgetAddBit;
                ok = append(budgetInstruction(item.low(), byte4, next(), next()));
            } else if (item.kind == CardItem::kKindSkill) {
                const std::uint8_t op = item.subtracts() ? kOperatorSubtract : kOperatorAdd;
                ok = append(expression(item.high(), item.low(), op, next(), kTargetError));
            } else if (item.kind == CardItem::kKindJob) {
                ok = append(
                    expression(item.high(), item.low(), kOperatorAssign, next(), kTargetError));
            }
            if (!ok) {
                return false;
            }
        }
        // The level's last instruction ends the tree with true.
        Instruction& last = block.back();
        const auto end = static_cast<std::uint8_t>(block.size());
        if (last.trueTarget == end) {
            last.trueTarget = kTargetTrue;
        }
        if (last.falseTarget == end) {
            last.falseTarget = kTargetTrue;
        }
    }
    return true;
}

bool assembleCardTrees(const std::vector<InstructionList>& blocks,
                       const std::vector<std::uint16_t>& cardTreeIds, std::uint16_t firstId,
                       const std::function<bool(std::uint16_t)>& bhavExists,
                       std::vector<GeneratedTree>& trees) {
    trees.clear();
    std::unordered_set<std::uint16_t> generated;
    auto taken = [&](std::uint16_t id) { return generated.count(id) != 0 || bhavExists(id); };

    GeneratedTree current;
    current.id = firstId;
    const auto& opening = openingInstructions();
    current.instructions.assign(opening.begin(), opening.end());
    bool firstTree = true;
    std::optional<std::size_t> previousCareerTest;  // in the current tree
    std::size_t lastUsedEntry = 0;

    auto chooseId = [&]() -> std::optional<std::uint16_t> {
        const std::size_t entries = std::min(cardTreeIds.size(), kMaxCardTrees);
        for (std::size_t k = lastUsedEntry + 1; k < entries; ++k) {
            const std::uint16_t id = cardTreeIds[k];
            if (id != 0 && id != current.id && !taken(id)) {
                lastUsedEntry = k;
                return id;
            }
        }
        lastUsedEntry = kMaxCardTrees;
        for (std::uint32_t id = kFirstSubroutineTreeId; id <= kLastSubroutineTreeId; ++id) {
            const auto candidate = static_cast<std::uint16_t>(id);
            if (candidate != current.id && !taken(candidate)) {
                return candidate;
            }
        }
        return std::nullopt;
    };

    for (const InstructionList& block : blocks) {
        if (block.size() < 2) {
            continue;
        }
        if (current.instructions.size() + block.size() > kMaxTreeContent) {
            if (!previousCareerTest) {
                return false;  // the block does not fit even a tree of its own
            }
            const std::optional<std::uint16_t> id = chooseId();
            if (!id) {
                return false;
            }
            const std::size_t n = current.instructions.size();
            current.instructions[*previousCareerTest].falseTarget = static_cast<std::uint8_t>(n);
            current.instructions.push_back(treeCall(*id));
            generated.insert(current.id);
            trees.push_back(std::move(current));
            current = GeneratedTree{};
            current.id = *id;
            current.instructions = continuationInstructions();
            firstTree = false;
            previousCareerTest.reset();
            // A block that does not fit behind the continuation instructions
            // cannot be split (targets are single bytes): the save fails.
            if (current.instructions.size() + block.size() > kMaxTreeContent) {
                return false;
            }
        }
        const std::size_t start = current.instructions.size();
        const auto start8 = static_cast<std::uint8_t>(start);
        if (previousCareerTest) {
            current.instructions[*previousCareerTest].falseTarget = start8;
        } else if (firstTree) {
            current.instructions[kOpeningEntry].trueTarget = start8;
        } else {
            current.instructions[kContinuationEntry].trueTarget = start8;
        }
        const std::uint8_t closing = firstTree ? kOpeningClosingIndex : kContinuationClosingIndex;
        for (Instruction instruction : block) {
            instruction.trueTarget = renumber(instruction.trueTarget, start, closing);
            instruction.falseTarget = renumber(instruction.falseTarget, start, closing);
            current.instructions.push_back(instruction);
        }
        previousCareerTest = start;
    }
    trees.push_back(std::move(current));
    return true;
}

bool encodeCardTree(const GeneratedTree& tree, std::vector<std::uint8_t>& body) {
    CodeTree code;
    code.setSignature(kCardTreeSignature);
    code.setTreeType(0);
    code.setArgumentCount(0);
    code.setLocalCount(kCardTreeLocalCount);
    code.setFlags(0);
    code.setTreeVersion(kCardTreeVersion);
    try {
        if (!code.setInstructions(tree.instructions)) {
            return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return code.encodedBody(body);
}

}  // namespace jf
