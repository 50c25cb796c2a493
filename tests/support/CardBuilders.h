#pragma once
// Builders for chance card test data: the card instructions written byte by
// byte (independently of the codec under test), hand-laid card trees, and a
// complete chance card object file (global options BCON 4097, global texts
// STR# 301, card trees and any further chunks).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "careers/ChanceCard.h"
#include "careers/CodeTree.h"
#include "support/CareerBuilders.h"

namespace jf::test {

// ---- Card instructions ---------------------------------------------------------

Instruction cardCareerTest(std::uint16_t trackId, std::uint8_t t, std::uint8_t f);
Instruction cardLevelTest(std::uint16_t level, std::uint8_t t, std::uint8_t f);
Instruction cardBudgetCheck(std::uint16_t amount, std::uint8_t t, std::uint8_t f);
// `storedPoints` is the comparison word as stored (study points - 1).
Instruction cardSkillCheck(std::uint16_t skill, std::uint16_t storedPoints, std::uint8_t t,
                           std::uint8_t f);
Instruction cardPlaySound(std::uint16_t sound, std::uint8_t t, std::uint8_t f);
Instruction cardText(std::uint16_t textIndex, std::uint8_t t, std::uint8_t f);
Instruction cardBudgetChange(bool add, std::uint16_t amount, std::uint8_t t, std::uint8_t f);
Instruction cardSkillChange(bool add, std::uint16_t skill, std::uint16_t points, std::uint8_t t,
                            std::uint8_t f);
// target 56 (career path) or 57 (promotion level).
Instruction cardJobChange(std::uint16_t target, std::uint16_t number, std::uint8_t t,
                          std::uint8_t f);
Instruction cardTreeCall(std::uint16_t id);
// An opcode-36 dialog instruction with the given operand bytes.
Instruction dialogInstruction(std::array<std::uint8_t, 8> operands);

// The six instructions every generated first tree begins with (instruction 4
// true target 255) and the four of a continuation tree (instruction 2 true
// target 255).
std::vector<Instruction> cardOpeningInstructions();
std::vector<Instruction> cardContinuationInstructions();

// ---- Hand-laid card trees ------------------------------------------------------

// One card as the game might store it.
struct CardRecipe {
    std::uint16_t trackId = 0;
    std::uint16_t level = 0;
    std::uint16_t textIndex = 0;
    std::vector<CardItem> items;
};

// A root tree: the six opening instructions, then per card its own career
// test (false: the next card's career test, or 255), its level test, a play
// sound for every sound item, the card text and the changes, the last
// ending in the closing instruction 5. No checks are written. Cards of the
// same track each get their own career test.
std::vector<Instruction> handLaidCardTree(const std::vector<CardRecipe>& cards);

// ---- The chance card object file -----------------------------------------------

// Rows of distinct global texts: "G e<entry> s<slot>" in all twenty slots.
std::vector<TextsBySlot> sampleGlobalTexts(std::size_t rows);

struct CardTreeRecipe {
    std::uint16_t id = 0;
    std::vector<Instruction> instructions;
    std::string label = "Chance Cards";
};

struct CardPortalRecipe {
    bool withOptions = true;
    std::uint16_t optionsWord = 8;  // bit 15 flag, bits 0-14 count
    std::vector<std::int16_t> options = {500, 30, 8, 15, 2, 40, -40, 25};
    bool withTexts = true;
    // Rows of the global texts table (form -3); sampleGlobalTexts(12) unless set.
    std::vector<TextsBySlot> texts = sampleGlobalTexts(12);
    std::vector<CardTreeRecipe> trees;
    // Chunks placed after the trees.
    std::vector<RawTestChunk> extra;
};

// BCON 4097, then STR# 301, then the trees (BHAV, little-endian), then extra.
Bytes buildCardPortal(const CardPortalRecipe& recipe);

// A typical file: sample options and twelve global text rows, and a root
// tree 4124 laid out by handLaidCardTree(cards).
Bytes buildSampleCardPortal(const std::vector<CardRecipe>& cards, std::uint16_t rootId = 4124);

// The body of a BHAV tree with the generated header (local count 10,
// version 1) holding the instructions.
Bytes cardTreeBody(const std::vector<Instruction>& instructions);

}  // namespace jf::test
