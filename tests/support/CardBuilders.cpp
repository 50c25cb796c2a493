#include "support/CardBuilders.h"

#include "iff/IffChunk.h"
#include "support/CodeTreeBuilders.h"

namespace jf::test {

namespace {

using Operands = std::array<std::uint8_t, 8>;

std::uint8_t lo(std::uint16_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t hi(std::uint16_t value) {
    return static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

Instruction cardCareerTest(std::uint16_t trackId, std::uint8_t t, std::uint8_t f) {
    return makeInstruction(2, t, f, {0x38, 0x00, lo(trackId), hi(trackId), 0x00, 0x02, 0x12, 0x07});
}

Instruction cardLevelTest(std::uint16_t level, std::uint8_t t, std::uint8_t f) {
    return makeInstruction(2, t, f, {0x39, 0x00, lo(level), hi(level), 0x00, 0x02, 0x12, 0x07});
}

Instruction cardBudgetCheck(std::uint16_t amount, std::uint8_t t, std::uint8_t f) {
    return makeInstruction(25, t, f, {0x03, 0x07, lo(amount), hi(amount), 0x01, 0x00, 0x00, 0x00});
}

Instruction cardSkillCheck(std::uint16_t skill, std::uint16_t storedPoints, std::uint8_t t,
                           std::uint8_t f) {
    return makeInstruction(
        2, t, f,
        {lo(skill), hi(skill), lo(storedPoints), hi(storedPoints), 0x00, 0x00, 0x12, 0x07});
}

Instruction cardPlaySound(std::uint16_t sound, std::uint8_t t, std::uint8_t f) {
    return makeInstruction(23, t, f, {lo(sound), hi(sound), 0, 0, 0, 0, 0, 0});
}

Instruction cardText(std::uint16_t textIndex, std::uint8_t t, std::uint8_t f) {
    return makeInstruction(36, t, f,
                           {0x00, 0x2C, lo(textIndex), hi(textIndex), 0x00, 0x00, 0x04, 0x08});
}

Instruction cardBudgetChange(bool add, std::uint16_t amount, std::uint8_t t, std::uint8_t f) {
    return makeInstruction(25, t, f,
                           {0x03, 0x07, lo(amount), hi(amount),
                            static_cast<std::uint8_t>(add ? 0x02 : 0x00), 0x00, 0x00, 0x00});
}

Instruction cardSkillChange(bool add, std::uint16_t skill, std::uint16_t points, std::uint8_t t,
                            std::uint8_t f) {
    return makeInstruction(2, t, f,
                           {lo(skill), hi(skill), lo(points), hi(points), 0x00,
                            static_cast<std::uint8_t>(add ? 0x03 : 0x04), 0x12, 0x07});
}

Instruction cardJobChange(std::uint16_t target, std::uint16_t number, std::uint8_t t,
                          std::uint8_t f) {
    return makeInstruction(
        2, t, f, {lo(target), hi(target), lo(number), hi(number), 0x00, 0x05, 0x12, 0x07});
}

Instruction cardTreeCall(std::uint16_t id) {
    return makeInstruction(id, 254, 255, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

Instruction dialogInstruction(Operands operands) {
    return makeInstruction(36, 254, 253, operands);
}

std::vector<Instruction> cardOpeningInstructions() {
    return {
        makeInstruction(2, 1, 253, {0x09, 0x00, 0x38, 0x00, 0x00, 0x05, 0x19, 0x12}),
        makeInstruction(2, 2, 253, {0x00, 0x00, 0x0B, 0x00, 0x00, 0x05, 0x0A, 0x03}),
        makeInstruction(2, 3, 255, {0x18, 0x00, 0x00, 0x00, 0x00, 0x02, 0x12, 0x07}),
        makeInstruction(8, 4, 253, {0x00, 0x00, 0x08, 0x00, 0x64, 0x00, 0x07, 0x00}),
        makeInstruction(2, 255, 255, {0x00, 0x00, 0x87, 0x00, 0x00, 0x01, 0x08, 0x1A}),
        makeInstruction(2, 254, 253, {0x18, 0x00, 0x01, 0x00, 0x00, 0x05, 0x12, 0x07}),
    };
}

std::vector<Instruction> cardContinuationInstructions() {
    return {
        makeInstruction(2, 1, 253, {0x09, 0x00, 0x38, 0x00, 0x00, 0x05, 0x19, 0x12}),
        makeInstruction(2, 2, 253, {0x00, 0x00, 0x0B, 0x00, 0x00, 0x05, 0x0A, 0x03}),
        makeInstruction(2, 255, 255, {0x18, 0x00, 0x00, 0x00, 0x00, 0x02, 0x12, 0x07}),
        makeInstruction(2, 254, 253, {0x18, 0x00, 0x01, 0x00, 0x00, 0x05, 0x12, 0x07}),
    };
}

std::vector<Instruction> handLaidCardTree(const std::vector<CardRecipe>& cards) {
    std::vector<Instruction> tree = cardOpeningInstructions();
    constexpr std::uint8_t kClosing = 5;
    long previousCareerTest = -1;
    for (const CardRecipe& card : cards) {
        const auto start = static_cast<std::uint8_t>(tree.size());
        if (previousCareerTest < 0) {
            tree[4].trueTarget = start;
        } else {
            tree[static_cast<std::size_t>(previousCareerTest)].falseTarget = start;
        }
        previousCareerTest = static_cast<long>(tree.size());
        auto next = [&tree]() { return static_cast<std::uint8_t>(tree.size() + 1); };
        tree.push_back(cardCareerTest(card.trackId, next(), 255));
        tree.push_back(cardLevelTest(card.level, next(), 255));
        for (const CardItem& item : card.items) {
            if (item.kind == CardItem::kKindSound) {
                tree.push_back(cardPlaySound(static_cast<std::uint16_t>(item.value), next(), 253));
            }
        }
        tree.push_back(cardText(card.textIndex, next(), 253));
        for (const CardItem& item : card.items) {
            const bool add = item.mode == CardItem::kModeAdd;
            if (item.kind == CardItem::kKindBudget) {
                tree.push_back(cardBudgetChange(add, item.low(), next(), next()));
            } else if (item.kind == CardItem::kKindSkill) {
                tree.push_back(cardSkillChange(add, item.high(), item.low(), next(), 253));
            } else if (item.kind == CardItem::kKindJob) {
                tree.push_back(cardJobChange(item.high(), item.low(), next(), 253));
            }
        }
        Instruction& last = tree.back();
        const auto end = static_cast<std::uint8_t>(tree.size());
        if (last.trueTarget == end) {
            last.trueTarget = kClosing;
        }
        if (last.falseTarget == end) {
            last.falseTarget = kClosing;
        }
    }
    return tree;
}

std::vector<TextsBySlot> sampleGlobalTexts(std::size_t rows) {
    std::vector<TextsBySlot> texts(rows);
    for (std::size_t entry = 0; entry < rows; ++entry) {
        for (std::size_t slot = 0; slot < 20; ++slot) {
            texts[entry][slot] = "G e" + std::to_string(entry) + " s" + std::to_string(slot);
        }
    }
    return texts;
}

Bytes cardTreeBody(const std::vector<Instruction>& instructions) {
    BhavHeader header;
    header.localCount = 10;
    header.version = 1;
    std::vector<RawInstruction> records;
    for (const Instruction& instruction : instructions) {
        records.push_back(rawOf(instruction));
    }
    return buildBhavBody(header, records);
}

Bytes buildCardPortal(const CardPortalRecipe& recipe) {
    std::vector<RawTestChunk> chunks;
    if (recipe.withOptions) {
        chunks.push_back({kTypeBcon, 4097, 0x10, "Global options",
                          buildBconBody(recipe.optionsWord, recipe.options)});
    }
    if (recipe.withTexts) {
        chunks.push_back({kTypeStr, 301, 0x10, "Messages", buildLanguageTableBody(recipe.texts)});
    }
    for (const CardTreeRecipe& tree : recipe.trees) {
        chunks.push_back({kTypeBhav, tree.id, 0x10, tree.label, cardTreeBody(tree.instructions)});
    }
    chunks.insert(chunks.end(), recipe.extra.begin(), recipe.extra.end());
    return buildContainerBytes(chunks);
}

Bytes buildSampleCardPortal(const std::vector<CardRecipe>& cards, std::uint16_t rootId) {
    CardPortalRecipe recipe;
    recipe.trees.push_back({rootId, handLaidCardTree(cards), "Chance Cards"});
    return buildCardPortal(recipe);
}

}  // namespace jf::test
